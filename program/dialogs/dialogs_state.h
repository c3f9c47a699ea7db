// What the dialogs keep between calls, as one object: the settings dialog's fields and its
// filling counter, and the run-time dialog's records. The program runs on one; a test
// installs a fresh one with FreshDialogsState and gets the old one back when it ends.
#pragma once

#include <cstdint>

#include "program/dialogs/cfg_state.h"
#include "program/core/startup/installed.h"
#include "program/dialogs/runtime_dialog.h"

namespace yov {

struct DialogsState {
    CfgState Settings;
    uint8_t SettingsFilling = 0;
    DialogService RuntimeDialog;
};

// The state in force: the program's own, or the one a FreshDialogsState installed.
DialogsState& dialogsState();

// Installs a state of its own for its lifetime, then puts back the one before.
using FreshDialogsState = FreshInstall<DialogsState>;

}  // namespace yov
