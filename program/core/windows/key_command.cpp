#include "program/core/windows/key_command.h"

#include <QKeyEvent>

namespace yov {

int keyCodeOf(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same numbers: 65..90
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return (modifiers & Qt::KeypadModifier) ? 96 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Help: return 47;
    case Qt::Key_Asterisk: return (modifiers & Qt::KeypadModifier) ? 106 : 0;
    case Qt::Key_Plus: return (modifiers & Qt::KeypadModifier) ? 107 : 187;
    case Qt::Key_Minus: return (modifiers & Qt::KeypadModifier) ? 109 : 189;
    case Qt::Key_Period: return (modifiers & Qt::KeypadModifier) ? 110 : 190;
    case Qt::Key_Slash: return (modifiers & Qt::KeypadModifier) ? 111 : 191;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Comma: return 188;
    default: return 0;
    }
}

int shiftStateOf(Qt::KeyboardModifiers modifiers) {
    int s = 0;
    if (modifiers & Qt::ShiftModifier) s |= kShiftBit;
    if (modifiers & Qt::ControlModifier) s |= kCtrlBit;
    if (modifiers & Qt::AltModifier) s |= kAltBit;
    return s;
}

int32_t keyCommandOf(const QKeyEvent& event) {
    const int code = keyCodeOf(event.key(), event.modifiers());
    if (code == 0) return 0;
    return shiftStateOf(event.modifiers()) * 256 + code;
}

}  // namespace yov
