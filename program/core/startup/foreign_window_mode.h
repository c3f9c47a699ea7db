// A show inside a window another program owns: the X screen-saver convention
// (XSCREENSAVER_WINDOW, --root, --window-id N; command_line.h), one process per monitor.
//
// There the daemon owns the screen, the input, locking and the end of the show, so the show
// honours these rules while `active` (start-up, the show window and the splash already do
// where marked *):
// - * it fills that window at the window's size (GetScreenArea reports that size; the show
//   window is embedded with EmbedInForeignWindow, program/ui/foreign_window.h);
// - * it is never made topmost, * hides no cursor, * shows no splash picture, asks no
//   password, opens no popup menu or control panel, and no key, click or mouse move stops it;
// - * it ends through the normal end of a show when the program is told to end (SIGTERM or
//   SIGINT, or the window going away): StopRequest is set and the shutdown is posted;
// - * another copy running does not refuse the show.
#pragma once

#include <cstdint>

namespace yov {

struct ForeignWindowMode {
    bool active = false;   // this run draws into a foreign window
    bool root = false;     // that window is the root window (no daemon window was named)
    uintptr_t window = 0;  // its X11 id; with root, the root window's id once known
};

// From the command line's reading (RunRoad::SaverWindow, SaverRoot). The root window's id
// is asked of the display here.
ForeignWindowMode CurrentForeignWindowMode();

}  // namespace yov
