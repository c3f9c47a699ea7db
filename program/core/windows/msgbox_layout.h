// Where the message box puts its text and buttons, in pixels, without any window: the
// buttons named by the style share the inner width evenly under the text.
#pragma once

#include <array>
#include <cstdint>

#include "program/core/windows/msgbox.h"

namespace yov {

struct MsgBoxRect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct MsgBoxMeasures {
    int32_t style = 0;
    std::array<int, msgbox::kButtonCount> captionWidths{};  // text width of each caption
    int textWidth = 0;                                      // widest line of the message
    int labelHeight = 0;                                    // height of the message label
    int buttonHeight = 0;                                   // 315 twips in pixels
};

struct MsgBoxLayout {
    std::array<bool, msgbox::kButtonCount> shown{};
    std::array<MsgBoxRect, msgbox::kButtonCount> buttons{};  // meaningful where shown
    int count = 0;
    int buttonWidth = 0;
    MsgBoxRect label;
    int innerWidth = 0;
    int innerHeight = 0;
};

inline constexpr int kMsgBoxMargin = 10;
inline constexpr int kMsgBoxMinInnerWidth = 240;
inline constexpr int kMsgBoxMinButtonWidth = 61;

MsgBoxLayout layoutMsgBox(const MsgBoxMeasures& m);

}  // namespace yov
