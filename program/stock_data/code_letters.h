// The code letters of stock entries (the second code character, the way letter): its
// position in the program's type-code letter string says what it stands for; letters from
// position 13 on pair a wire kind ("E" electric, "T" tramway) with a wire height below the
// stock's picture height.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

// 1-based position of the letter in the type-code letter string, 0 when it is not there.
int32_t CodeLetterPosition(char16_t letter);

// The height the letter stands for: the picture height for positions 3 and 6, 31 for 7,
// picture height - (p - 11) \ 2 from 13 on, else 0. The position is remembered.
int32_t CodeLetterValue(char16_t letter);

// The short form: for p > 12 "E" (odd) or "T" (even) and the height, else the letter. A
// letter that is not in the string is written back as the blank (no letter).
std::u16string FormatCodeLetter(char16_t& letter);

// The caption: the way menu's caption of the letter, with the height for p > 12.
std::u16string GetCodeLetterCaption(char16_t letter);

}  // namespace yov
