// The engine's show commands, "/a" and the text window's steps over the show go into the
// start-up's entries before Main runs: WireShowInputEntries.
#pragma once

namespace yov {

void WireShowInputEntries();

// Around a modal window over the full-screen show: the show window is not topmost while it is
// up (and the cursor shows); afterwards it is topmost again and the mouse rule has its grace.
void BeginModalOverShow();
void EndModalOverShow();

}  // namespace yov
