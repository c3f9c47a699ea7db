// The animation labels of the slot being built (name and mode pairs that an animation
// description names), and the pantograph position codes of a vehicle description.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// Appends a label to the list of the slot being built.
void AddAnimLabel(std::u16string_view name, std::u16string_view mode);
// Reads an animation description ("(ON=C;*OFF=E)", "UP=F;DOWN=B", "<LEFT;>RIGHT") into the
// label list; "*" marks the default label, "<" and ">" the default for a left- or
// right-facing picture. Raises "ANPAR" for text after a closing parenthesis.
void ParseAnimParams(int32_t slot, std::u16string_view text);
// The bit value of a pantograph position code ("P12U" 3, "PTU" 80), -1 for other text.
int16_t PantoCodeToMask(std::u16string_view code);

}  // namespace yov
