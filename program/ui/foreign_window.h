// Windows of other programs on the X11 display: the screen-saver daemon's window or the
// preview area the show or preview draws into. Without an X11 display (another platform
// plugin) every window counts as absent.
#pragma once

#include <cstdint>

#include "program/core/windows/window_system.h"

class QWidget;
class QObject;

namespace yov {

// Whether the window exists, and its inner size.
ForeignSize ForeignWindowSize(uintptr_t window);

// The root window of the default screen; 0 without an X11 display.
uintptr_t RootWindowId();

// Makes widget a child of the foreign window, filling it, and shows it. False when the
// window does not exist (the widget is then left alone).
bool EmbedInForeignWindow(QWidget* widget, uintptr_t window);

// Checks every few hundred milliseconds that the window still exists; once it is gone,
// calls the program's termination (as SIGTERM would), once. The watch lives as a child of
// owner.
void WatchForeignWindow(QObject* owner, uintptr_t window);

}  // namespace yov
