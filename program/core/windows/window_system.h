// What the core needs of the program's window system, which lives above it: handing the
// engine the program's window and menu operations, and the menu bar the engine gave a window.
// The program puts its own in place at start-up; until then the engine keeps the operations
// it has and no window has a menu bar.
#pragma once

class QMenuBar;
class QWidget;

namespace yov {

struct WindowSystem {
    // Hands the engine the program's window and menu operations; false when the engine
    // cannot be bound.
    bool (*installWindowOps)() = nullptr;
    // The menu bar the engine attached to a window, null when none.
    QMenuBar* (*menuBarOf)(const QWidget* window) = nullptr;
};

void UseWindowSystem(const WindowSystem& system);
const WindowSystem& windowSystem();

}  // namespace yov
