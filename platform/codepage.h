// 8-bit code pages and UTF-8 against the UTF-16 text the program works in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

enum class CodePage : std::uint16_t {
    Windows1250 = 1250,  // Central European
    Windows1252 = 1252,  // Western European
};

// A byte's character. Bytes the code page leaves undefined map to the C1 control
// of the same value (0x81 -> U+0081), as the Windows tables do, so every byte
// survives a round trip.
char16_t byteToChar(std::uint8_t byte, CodePage cp);

// The byte of a character, or nothing when the code page has no byte for it.
// No best-fit guessing: a character without its own byte is not mapped.
std::optional<std::uint8_t> charToByte(char16_t ch, CodePage cp);

std::u16string decodeCodePage(std::string_view bytes, CodePage cp);

// Characters without a byte become '?'; a surrogate pair is one character and
// so becomes one '?'.
std::string encodeCodePage(std::u16string_view text, CodePage cp);

// Malformed UTF-8 (stray continuation bytes, overlong forms, encoded surrogates,
// values above U+10FFFF, cut-off sequences) yields one U+FFFD per maximal
// ill-formed subpart, the Unicode recommendation.
std::u16string utf8ToUtf16(std::string_view text);

// A lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace plat
