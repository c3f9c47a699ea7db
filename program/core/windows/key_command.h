// Keys as the program's command handlers number them: Shift × 256 + KeyCode, with the
// virtual key codes (letters and digits as their upper-case characters,
// F1 = 112, Esc = 27, ...) and the shift state 1 Shift, 2 Ctrl, 4 Alt.
#pragma once

#include <cstdint>
#include <Qt>

class QKeyEvent;

namespace yov {

inline constexpr int kShiftBit = 1;
inline constexpr int kCtrlBit = 2;
inline constexpr int kAltBit = 4;

// The key code of a Qt key, 0 for keys that have none.
int keyCodeOf(int qtKey, Qt::KeyboardModifiers modifiers);
int shiftStateOf(Qt::KeyboardModifiers modifiers);
// Shift × 256 + KeyCode of a key press; 0 when the key has no code.
int32_t keyCommandOf(const QKeyEvent& event);

// Mouse buttons as the windows' mouse handlers number them: 1 left, 2 right, 4 middle.
inline int32_t mouseButtonsOf(Qt::MouseButtons buttons) {
    return ((buttons & Qt::LeftButton) ? 1 : 0) | ((buttons & Qt::RightButton) ? 2 : 0) |
           ((buttons & Qt::MiddleButton) ? 4 : 0);
}

}  // namespace yov
