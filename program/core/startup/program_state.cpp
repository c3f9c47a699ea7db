#include "program/core/startup/program_state.h"

#include "platform/numbers.h"

namespace yov {

int32_t ScreenWidthTw() {
    const MachineMeasures& m = programState().machine;
    return plat::clampToInt32(static_cast<double>(m.ScreenWidthPx) * m.TwipsPerPixelX);
}

int32_t ScreenHeightTw() {
    const MachineMeasures& m = programState().machine;
    return plat::clampToInt32(static_cast<double>(m.ScreenHeightPx) * m.TwipsPerPixelY);
}

}  // namespace yov
