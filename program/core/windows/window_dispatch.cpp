#include "program/core/windows/window_dispatch.h"

#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"

namespace yov {

bool SettingsDialogOpen() {
    const WindowSlot& s = programState().WindowTable[kSettingsSlot];
    return s.inUse != 0 && s.window != nullptr;
}

}  // namespace yov
