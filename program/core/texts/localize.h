// Windows in the current language: each control names its text key in its tag.
//
// A Qt control carries its tag as the dynamic property "tag" (a string); a tab of a tab
// bar carries it as the tab's data. A tag "KEY" takes the caption from KEY and the tool
// tip from KEY_TIP; a tag "KEY#2" takes the caption from KEY and the tool tip from
// KEY2_TIP; a tag "#KEY" leaves the caption alone. Tool tips come only from translations:
// without one the designed tool tip stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace yov {

inline constexpr const char* kTagProperty = "tag";

std::u16string controlTag(const QWidget* control);
void setControlTag(QWidget* control, std::u16string_view tag);

// The caption of a button, label or group box; nothing for a control without one.
std::optional<std::u16string> controlCaption(const QWidget* control);
// False when the control has no caption.
bool setControlCaption(QWidget* control, std::u16string_view caption);

void LocalizeControl(QWidget* control);
// Every control (and every tab of a tab bar), then the window's caption from the
// window's own tag, without "&" marks and folded onto one line.
void LocalizeForm(QWidget* window);

// A window caption on one line: from the second character on, a CR LF after "-" goes with
// the "-" (a word broken at its hyphen), any other CR LF becomes a blank.
std::u16string FoldCaptionLines(std::u16string_view caption);

}  // namespace yov
