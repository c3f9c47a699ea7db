// The codes of the engine's event record, the one list both sides use: the engine raises
// them, the program's callback acts on some of them.
//
// Code 0 to 80 is a window event of that form slot (or of a subclassed control whose code
// byte is that number) and then SubCode says what happened; codes from 201 up are events
// of their own.
#pragma once

#include <cstdint>

namespace lv_event {

// Codes of their own.
inline constexpr int16_t kCloseShow = 201;     // SC_CLOSE on form slot 0 (the show window)
inline constexpr int16_t kDefaultText = 202;   // GetMenuTxt: Text1 key, Text2 text, Text3 group
inline constexpr int16_t kMenuCaption = 203;   // Text1 key, Text2 default; answered by SetMenuTxt
inline constexpr int16_t kWait = 204;          // the engine waits; the program takes a frame step
inline constexpr int16_t kPumpMessages = 205;  // let the program's windows process their messages
inline constexpr int16_t kMessage = 206;       // Text1 a message for the user
inline constexpr int16_t kMessageBox = 208;    // Text1 message, Text2 title, shown with OK
inline constexpr int16_t kAlloc = 211;         // Arg1 address, Arg2 tag, Arg3 size; any thread
inline constexpr int16_t kFree = 212;          // Arg1 address, Arg2 tag; any thread
inline constexpr int16_t kLogLine = 213;       // Text1 a line for the error log
inline constexpr int16_t kExpandDone = 214;    // the expansion engine finished its error report

// SubCodes of window events (Code 0 to 80); a menu command carries its identifier (0x1000 up).
inline constexpr int16_t kSubMenuHover = 4142;      // Arg1 id, Arg2 key state, Arg3 x, Arg4 y
inline constexpr int16_t kSubMenuLeave = 4143;      // Arg1 id
inline constexpr int16_t kSubWheel = 4226;          // Arg1 distance, Arg2 key state, Arg3 x, Arg4 y
inline constexpr int16_t kSubMenuSelect = 4386;     // Arg1 id
inline constexpr int16_t kSubMenuHelp = 4387;       // Arg1 id, Arg3 x, Arg4 y
inline constexpr int16_t kSubMenuLoopEnter = 4549;  // none
inline constexpr int16_t kSubMenuLoopExit = 4550;   // none

}  // namespace lv_event
