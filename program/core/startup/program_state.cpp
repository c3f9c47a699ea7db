#include "program/core/startup/program_state.h"

#include <cstddef>
#include <cstring>

#include "platform/numbers.h"

namespace yov {

EngineRecords& engineRecords() {
    static EngineRecords records;
    return records;
}

void RestartEngineRecords() {
    static_assert(offsetof(SharedState, LastTickMs) < offsetof(SharedState, Limits),
                  "every field before the clock is a plain value");
    EngineRecords& r = engineRecords();
    const SharedState fresh;
    std::memcpy(static_cast<void*>(&r.Shared), &fresh, offsetof(SharedState, LastTickMs));
    r.Shared.Limits = fresh.Limits;
    SharedArrays& a = r.Arrays;
    // Emptied before anything sizes them again, since redim keeps what it can.
    a.Stock.redim(-1);
    a.StockFiles.redim(-1);
    a.Authors.redim(-1);
    a.LibInfos.redim(-1);
    a.Categories.redim(-1);
    a.Languages.redim(-1);
    a.LangTexts.redim(-1);
    a.DescKeys.redim(-1);
    a.DescValues.redim(-1);
    a.DescTexts.redim(-1);
}

int32_t ScreenWidthTw() {
    const MachineMeasures& m = programState().machine;
    return plat::clampToInt32(static_cast<double>(m.ScreenWidthPx) * m.TwipsPerPixelX);
}

int32_t ScreenHeightTw() {
    const MachineMeasures& m = programState().machine;
    return plat::clampToInt32(static_cast<double>(m.ScreenHeightPx) * m.TwipsPerPixelY);
}

}  // namespace yov
