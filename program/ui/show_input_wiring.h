// The full-screen show's steps around a modal window over it, which the text window's road
// takes through the show's part of the program (program_parts.cpp).
#pragma once

namespace yov {

// Around a modal window over the full-screen show: the show window is not topmost while it is
// up (and the cursor shows); afterwards it is topmost again and the mouse rule has its grace.
void BeginModalOverShow();
void EndModalOverShow();

}  // namespace yov
