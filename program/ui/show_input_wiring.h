// Hands the show's input procedures, its panel, its popup's description submenus and its
// password dialogs to the show windows, the display start and the frame step (DDMenus):
// WireShowInput, called by WireShowWindows.
#pragma once

namespace yov {

void WireShowInput();

// Around a modal window over the full-screen show: the show window is not topmost while it is
// up (and the cursor shows); afterwards it is topmost again and the mouse rule has its grace.
void BeginModalOverShow();
void EndModalOverShow();

}  // namespace yov
