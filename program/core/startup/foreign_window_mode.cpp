#include "program/core/startup/foreign_window_mode.h"

#include "program/core/startup/program_state.h"
#include "program/core/windows/window_system.h"

namespace yov {

ForeignWindowMode CurrentForeignWindowMode() {
    const ProgramState& ms = programState();
    ForeignWindowMode mode;
    mode.active = ms.road.SaverRoot || ms.road.SaverWindow != 0;
    mode.root = ms.road.SaverRoot && ms.road.SaverWindow == 0;
    const WindowSystem& system = windowSystem();
    mode.window = !mode.root ? ms.road.SaverWindow : system.rootWindow != nullptr ? system.rootWindow() : 0;
    return mode;
}

}  // namespace yov
