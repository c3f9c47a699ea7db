#include "program/core/startup/foreign_window_mode.h"

#include "program/core/startup/main_state.h"
#include "program/core/windows/window_system.h"

namespace yov {

ForeignWindowMode CurrentForeignWindowMode() {
    const MainState& ms = mainState();
    ForeignWindowMode mode;
    mode.active = ms.SaverRoot || ms.SaverWindow != 0;
    mode.root = ms.SaverRoot && ms.SaverWindow == 0;
    const WindowSystem& system = windowSystem();
    mode.window = !mode.root ? ms.SaverWindow : system.rootWindow != nullptr ? system.rootWindow() : 0;
    return mode;
}

}  // namespace yov
