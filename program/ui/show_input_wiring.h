// Hands the show's input procedures, its panel, its popup's description submenus and its
// password dialogs to the show windows, the display start and the frame step (DDMenus):
// WireShowInput, called by WireShowWindows. The engine's show commands, "/a" and the text
// window's steps over the show go into the start-up's entries before Main runs:
// WireShowInputEntries.
#pragma once

namespace yov {

void WireShowInput();
void WireShowInputEntries();

// Around a modal window over the full-screen show: the show window is not topmost while it is
// up (and the cursor shows); afterwards it is topmost again and the mouse rule has its grace.
void BeginModalOverShow();
void EndModalOverShow();

}  // namespace yov
