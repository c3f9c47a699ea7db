// What keys, clicks, mouse moves and the popup's commands do to a running show: steer it
// (pause and single steps, single train starts, the speed panel, the popup, the description
// keys) and stop it as the settings of the show's mode ("NStpKey", "NStpClk", "NStpMov") and
// the scene script ("$NOSTOPON...") allow; Enter and Esc always stop. A stop of a screen-saver
// show asks for the password first when one is set.
//
// While DirectDraw owns the screen nothing opens from an input event: DisplayRequest hands
// the popup, the panel, a text or the password dialog to the full-screen window's DDMenus,
// which the frame step calls. Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

// DisplayRequest values.
namespace display_request {
inline constexpr uint8_t kNone = 0;
inline constexpr uint8_t kPopup = 1;
inline constexpr uint8_t kPanel = 2;
inline constexpr uint8_t kText = 3;
inline constexpr uint8_t kPassword = 4;
}  // namespace display_request

inline constexpr int32_t kShowPopupMenu = 7;
inline constexpr int32_t kLabelMenu = 10;
inline constexpr int32_t kDataMenu = 11;

struct ShowInputState {
    uint8_t DisplayRequest = display_request::kNone;
    // The mouse rule: the last position seen and the reference point a move is measured from.
    int16_t LastX = 0;
    int16_t LastY = 0;
    int16_t RefX = 0;
    int16_t RefY = 0;
    int16_t RightClickX = 0;  // where the popup opens under DirectDraw
    int16_t RightClickY = 0;
    std::u16string ShowPassword;  // "Pw" as read at the last stop request
    std::u16string PendingText;   // the text DDMenus shows (request 3)
    uint8_t DialogDone = 0;       // the password dialog has closed
    int32_t LabelKeyCount = 0;    // description keys shown in the label
};

ShowInputState& showInput();

// code: Shift x 256 + KeyCode, or a menu command id (4096 and up); the value is not used.
void ScrKeyCommand(int16_t code, int32_t value);
// button bits 1 left, 2 right; x and y in pixels of the show window's client area.
void ScrMouseClick(int32_t button, int32_t shift, int32_t x, int32_t y);
void ScrMouseMove(int32_t button, int32_t shift, int32_t x, int32_t y);
void QueryStopShow();
// The stock entry whose picture lies under the point, 0 for none.
int32_t FindObjectAt(int32_t x, int32_t y);

// The cursor the show hid comes back (CursorState 1 becomes 2).
void ShowCursorForInput();
// Where the mouse is when the display is created: a first move to the same place is no move.
void SetLastMousePosition(int32_t x, int32_t y);
// After a modal window over the show: moves in the next five step times do not count, and
// two more moves set the reference point again.
void StartMouseGrace();

}  // namespace yov
