#include "program/core/startup/foreign_window_mode.h"

#include "program/core/startup/main_state.h"
#include "program/ui/foreign_window.h"

namespace yov {

ForeignWindowMode CurrentForeignWindowMode() {
    const MainState& ms = mainState();
    ForeignWindowMode mode;
    mode.active = ms.SaverRoot || ms.SaverWindow != 0;
    mode.root = ms.SaverRoot && ms.SaverWindow == 0;
    mode.window = mode.root ? RootWindowId() : ms.SaverWindow;
    return mode;
}

}  // namespace yov
