#include "program/core/startup/main_state.h"

#include "platform/numbers.h"
#include "program/core/startup/program_state.h"

namespace yov {

int32_t ScreenWidthTw() {
    return plat::clampToInt32(static_cast<double>(programState().ScreenWidthPx) * mainState().TwipsPerPixelX);
}

int32_t ScreenHeightTw() {
    return plat::clampToInt32(static_cast<double>(programState().ScreenHeightPx) * mainState().TwipsPerPixelY);
}

void resetMainState() { mainState() = MainState{}; }

}  // namespace yov
