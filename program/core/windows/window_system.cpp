#include "program/core/windows/window_system.h"

namespace yov {

namespace {

WindowSystem& current() {
    static WindowSystem system;
    return system;
}

}  // namespace

void UseWindowSystem(const WindowSystem& system) { current() = system; }

const WindowSystem& windowSystem() { return current(); }

}  // namespace yov
