// What the core needs of the program's window system, which lives above it: handing the
// engine the program's window and menu operations, the menu bar the engine gave a window, and
// the windows of other programs on the display (the screen-saver daemon's, the preview area).
// The program puts its own in place at start-up; until then the engine keeps the operations
// it has, no window has a menu bar and no other program's window exists.
#pragma once

#include <cstdint>

class QMenuBar;
class QObject;
class QWidget;

namespace yov {

// Whether a window of another program exists, and its inner size.
struct ForeignSize {
    bool exists = false;
    int32_t width = 0;
    int32_t height = 0;
};

struct WindowSystem {
    // Hands the engine the program's window and menu operations; false when the engine
    // cannot be bound.
    bool (*installWindowOps)() = nullptr;
    // The menu bar the engine attached to a window, null when none.
    QMenuBar* (*menuBarOf)(const QWidget* window) = nullptr;
    // The root window of the default screen; 0 without one.
    uintptr_t (*rootWindow)() = nullptr;
    ForeignSize (*foreignWindowSize)(uintptr_t window) = nullptr;
    // Ends the program (as SIGTERM would) once the window is gone; the watch lives as a child
    // of owner.
    void (*watchForeignWindow)(QObject* owner, uintptr_t window) = nullptr;
};

void UseWindowSystem(const WindowSystem& system);
const WindowSystem& windowSystem();

}  // namespace yov
