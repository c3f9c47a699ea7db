// The program's own message box.
//
// A style names the buttons to show, one bit each; the answer is the bit of the button
// pressed, or 0 when the box was closed any other way (window close, Alt+F4).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "program/core/startup/installed.h"

namespace yov {

namespace msgbox {
inline constexpr int32_t kYes = 1;
inline constexpr int32_t kNo = 2;
inline constexpr int32_t kYesToAll = 4;
inline constexpr int32_t kNoToAll = 8;
inline constexpr int32_t kRetry = 16;
inline constexpr int32_t kIgnore = 32;
inline constexpr int32_t kOk = 64;
inline constexpr int32_t kCancel = 128;
inline constexpr int kButtonCount = 8;
}  // namespace msgbox

// The message box the program shows. Its own `show` is the real box: modal, the buttons of
// the low eight bits of `style`, `title` as the window caption and `helpId` as the box's
// help topic (F1); it returns the answer bit. Without a QApplication (a console road of the
// program), or off the main thread, the text goes to standard error and the answer is 0.
// Tests and fuzz targets answer in its place with a derived box installed for their
// lifetime (`ScopedInstall<MsgBox>`).
class MsgBox {
public:
    virtual ~MsgBox() = default;
    virtual int32_t show(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId);
};

// Asks the installed box (the program's own unless a test put another in place).
int32_t ShowMsgBox(std::u16string_view text, int32_t style, std::u16string_view title = {}, int32_t helpId = 0);

}  // namespace yov
