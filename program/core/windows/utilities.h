// Small procedures that many windows and modules share: measuring captions and texts,
// the largest value of an array, the one random index of program and engine, menu tool
// tips, and the "&" access-key marks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/random.h"

class QFont;
class QWidget;

namespace yov {

// The largest caption width in pixels of the controls, measured with the application
// font as the service window measures; 0 for none.
int32_t GetMaxCaptionWidth(std::span<QWidget* const> controls);
// The same measured in the given font (a window that pins its own font).
int32_t GetMaxCaptionWidth(std::span<QWidget* const> controls, const QFont& font);

// The largest element rounded to 32 bits; the search starts at 0, so an array without a
// positive element gives 0.
int32_t GetMaxArrayValue(std::span<const double> values);

// The program's one random sequence, shared with the engine through InitDLL. Seeded once
// when a show starts.
plat::Random& programRandom();

// A random index 0..n-1; for n < 2 it is 0 and nothing is drawn. The call-site code names
// the caller and changes nothing. InitDLL's random callback.
int32_t GetRandomIndex(int32_t n, int32_t callSite) noexcept;

// Width of the text in the font with TABs at every eight average character widths, as a
// text drawn without tab stops; its height goes to `height`.
int32_t GetTabbedTextWidth(const QFont& font, std::u16string_view text, int32_t& height);

// The tool tip of an engine menu item: the text of its key and "_TIP"; "" for ids outside
// 0..16384 or items without a key.
std::u16string GetMenuTip(int32_t identifier);

// Every "&" doubled, so a caption shows it instead of taking an access key.
std::u16string DoubleAmpersands(std::u16string_view text);
// Every "&" removed ("&&" too).
std::u16string StripAmpersands(std::u16string_view text);

}  // namespace yov
