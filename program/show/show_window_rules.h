// What the two show windows do with their events, apart from Qt: the windowed show's window
// (ScrWin) and the full-screen show's (ScrFull) forward keys, clicks and moves to the show's
// input procedures, turn close requests into stop requests, ask for repaints when uncovered,
// and the windowed one has its surfaces re-created when it is resized.
//
// The show's input procedures, its panel and its request bytes belong to the show state; they
// reach the windows through ShowInputLink. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace yov {

struct ShowInputLink {
    // ScrKeyCommand (Shift x 256 + KeyCode), ScrMouseClick and ScrMouseMove (button 1 left,
    // 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; client pixels).
    std::function<void(int32_t code)> keyCommand;
    std::function<void(int32_t button, int32_t shift, int32_t x, int32_t y)> mouseClick;
    std::function<void(int32_t button, int32_t shift, int32_t x, int32_t y)> mouseMove;
    // The speed panel: open, its commands (1 = Cancel), and opening it (ScrPanelInit).
    std::function<bool()> panelOpen;
    std::function<void(int32_t index)> panelCommand;
    std::function<void()> panelInit;
    // RecreateRequest := 1 and RepaintRequest := mask.
    std::function<void()> requestRecreate;
    std::function<void(uint8_t mask)> requestRepaint;
    // DDMenus: DisplayRequest (taken and cleared), the right-click point, the text to show, and
    // the password dialog with its done byte.
    std::function<uint8_t()> takeDisplayRequest;
    std::function<bool()> displayRequestPending;
    std::function<void(int32_t& x, int32_t& y)> rightClickPoint;
    std::function<std::u16string()> pendingText;
    std::function<void()> showPasswordDialog;
    std::function<bool()> dialogDone;
};

ShowInputLink& showInputLink();

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
