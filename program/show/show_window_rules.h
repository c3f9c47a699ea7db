// What the two show windows do with their events, apart from Qt: the windowed show's window
// (ScrWin) and the full-screen show's (ScrFull) forward keys, clicks and moves to the show's
// input procedures, turn close requests into stop requests, ask for repaints when uncovered,
// and the windowed one has its surfaces re-created when it is resized.
//
// The windows call the show's input procedures and set its request bytes directly. Main thread
// only.
#pragma once

#include <cstdint>

namespace yov {

// The repaint mask of every page of a flip chain of flipCount back pages: 2^(n+1) - 1.
uint8_t FullRepaintMask(uint8_t flipCount);

// How a close request ends.
enum class CloseAnswer { Cancel, Close };

// Who asks a window to close.
enum class UnloadMode : int32_t {
    User = 0,     // the close box, Alt+F4
    Program = 1,  // the show's own end
    System = 2,   // the session, the task manager, an owner
};

// ScrWin: the first request only asks the show to stop; once the stop is requested it closes.
CloseAnswer WindowedCloseRequest(uint8_t& stopRequest);
// ScrFull: the user cannot close it, the system's close stops the show, the program closes it.
CloseAnswer FullScreenCloseRequest(UnloadMode mode, uint8_t& stopRequest);
// ScrWin resized: unless minimised, an open panel is cancelled and a windowed show's surfaces
// are made anew for the new size.
void WindowedResize(bool minimised, uint8_t showMode);
// Form_Paint of each window.
void WindowedPaint(uint8_t flipCount);
void FullScreenPaint(uint8_t batchMode);

}  // namespace yov
