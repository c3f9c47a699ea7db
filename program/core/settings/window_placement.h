// Opening and closing the program's windows: their texts, their place on the screen
// (stored in the settings when they close, restored when they open) and their
// registration with the engine.
//
// A window is named by its slot byte: the low seven bits are its slot code (0 to 44 in
// WindowTable, 0 being the show window; 64 to 74 for windows outside the table); 0x40
// means the window keeps its size (only left and top are stored); 0x80, given to
// OpenForm, means its placement is not restored. Without a subkey of its own a window's
// placement lies under the instance letter's key with the value names <slot byte>X, Y, W
// and H. All sizes are pixels; Qt's window position is the frame's, its size the client's.
#pragma once

#include <QPointer>
#include <QSize>

#include <array>
#include <cstdint>
#include <string_view>

class QWidget;

namespace yov {

inline constexpr uint8_t kSlotKeepsSize = 0x40;
inline constexpr uint8_t kSlotNoRestore = 0x80;
inline constexpr int kFirstOuterSlot = 64;  // slot codes 64..74 live in the side table
inline constexpr int kOuterSlots = 11;

// A move repeated by the service timer after the window has settled.
struct PendingMove {
    int32_t slot = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t countdown = 0;  // 0 = nothing pending
};

struct PlacementState {
    PendingMove move;
    // Windows with slot codes 64 to 74, so that the pending move finds them again.
    std::array<QPointer<QWidget>, kOuterSlots> outerWindows;
};

PlacementState& placementState();

// The screen in pixels: ProgramState's size when Main measured it, else the virtual
// desktop of the screens.
QSize screenSizePx();

// Only a window in its normal state (not minimised, maximised or full screen) stores or
// restores a placement.
void SaveFormPos(uint8_t slotByte, QWidget* window, std::u16string_view subkey = {});
// width and height 0 take the window's present size; the stored size, when there is one,
// wins, and the result is raised to the minimums.
void RestoreFormPos(uint8_t slotByte, QWidget* window, int32_t width = 0, int32_t height = 0, int32_t minWidth = 0,
                    int32_t minHeight = 0, std::u16string_view subkey = {});
// Clamps the rectangle into the screen (a negative left or top centres), moves the window
// there at once, and records the move to be repeated (TickPendingMove) unless a move of
// another window is pending.
void DeferFormMove(int32_t left, int32_t top, int32_t width, int32_t height, QWidget* window, uint8_t slotByte);
// One tick of the service window's second timer: counts the pending move down and
// performs it again at 0.
void TickPendingMove();

void InitForm(uint8_t slotByte, QWidget* window);
void OpenForm(uint8_t slotByte, QWidget* window, int32_t width = 0, int32_t height = 0, int32_t minWidth = 0,
              int32_t minHeight = 0, std::u16string_view subkey = {});
void CloseForm(uint8_t slotByte, std::u16string_view subkey = {});

}  // namespace yov
