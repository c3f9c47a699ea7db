// Showing a window modally, counting how deep modal windows are nested.
#pragma once

#include <cstdint>
#include <string_view>

class QWidget;

namespace yov {

struct ModalState {
    // Windows currently shown through ShowModal; the stock windows' timers stay quiet
    // while it is not 0.
    uint8_t ModalDepth = 0;
    // Cleared by ShowModal before it shows a window; the dialogs store their answer here.
    uint8_t DialogResult = 0;
};

ModalState& modalState();

// Hides the tool tip, clears the dialog result, counts the nesting up, sets the caption
// (empty keeps it), shows the top-level window application-modal and returns once it is
// hidden, closed or destroyed; then counts the nesting down. Once the program has been told
// to end (EndRequest) it shows nothing and returns at once, as if the window had been closed.
void ShowModal(QWidget* window, std::u16string_view caption = {});

// Ends every modal loop that runs now, so that each returns to its caller and the stack
// unwinds to the program's outer loop: the windows shown by ShowModal are hidden, and Qt's
// own loops end too (an open popup menu is closed, a dialog run by exec is rejected, a drag
// is cancelled). How a stop request reaches code waiting in a box.
void EndModalLoops();

}  // namespace yov
