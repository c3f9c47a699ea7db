// The engine's default English texts: the key/text table, the numbered messages of its
// text-processing exports and the alias lists of the picture-modifier language. All static
// and read-only, so any thread may read them.
#pragma once

#include <cstdint>
#include <string_view>

namespace lvk {

struct KeyText {
    const char* key;
    const char* text;  // null for a heading, which groups the entries after it
};
inline constexpr int kKeyTextCount = 411;
extern const KeyText kKeyTexts[kKeyTextCount];

struct NumberedText {
    int32_t number;
    const char* text;
};
inline constexpr int kNumberedTextCount = 46;
extern const NumberedText kNumberedTexts[kNumberedTextCount];

inline constexpr int kFixedStringCount = 40;
extern const char* const kFixedStrings[kFixedStringCount];

// The default text of a key: the first entry of the key/text table with that key and a
// text, else the caption of the first menu definition with that key (menus without a group
// filter, in menu order). Null when the key is found nowhere. Keys compare exactly.
const char* DefaultText(std::string_view key);

// The message of an engine error number, null when the table has none.
const char* NumberedMessage(int32_t number);

}  // namespace lvk
