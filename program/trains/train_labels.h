// The texts of train generation: caption macros filled from the stock data of a train's
// vehicles, the position of a script line, and the grey label part that stands in a composed
// picture for a vehicle that cannot be shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

struct TrainRec;

// Expands every "$(...)" macro of the text in place from the train's member pictures.
void ExpandCaption(TrainRec& train, std::u16string& text);
// The script file of line item `line` and its line number, separated by a blank.
std::u16string ScriptPosText(int32_t line);
// A label part with the text and the current script line's position at the canvas pen; the
// pen and the running length advance by its width.
int32_t DrawLabelText(std::u16string_view text);

// The macro bodies one caption may expand; a replacement that itself holds "$(" is left as it is.
inline constexpr int32_t kMaxCaptionItems = 20;

}  // namespace yov
