// Whether the settings dialog is open: a show that ends then leaves the program running, and
// the deferred actions and the closing of windows give it the focus.
#pragma once

namespace yov {

// Slot 33 (the settings dialog) is in use.
bool SettingsDialogOpen();

}  // namespace yov
