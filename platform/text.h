// Text helpers with the rules scripts and stock files are written to: 1-based positions, "not found" = 0,
// blanks meaning the space character only, and one case mapping for the whole
// system.
//
// Case mapping: ASCII, Latin-1 Supplement and Latin Extended-A letters (every
// letter of the Windows-1250 and -1252 code pages). Outside that range, and for
// letters without a one-to-one partner there (U+00B5, U+00DF, U+0130, U+0131,
// U+0138, U+0149, U+017F), characters are left as they are, so upper- and
// lower-casing never change a text's length and never depend on a locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

enum class Compare {
    Binary,      // code unit by code unit
    IgnoreCase,  // after upper-casing both sides with toUpper
};

char16_t toUpper(char16_t c);
char16_t toLower(char16_t c);
std::u16string ucase(std::u16string_view s);
std::u16string lcase(std::u16string_view s);
// ASCII letters only; other bytes (UTF-8 or code-page text) pass unchanged.
std::string asciiUpper(std::string_view s);
std::string asciiLower(std::string_view s);
// The value of a hexadecimal digit (0-9, A-F, a-f); -1 for anything else, EOF included.
constexpr int hexDigitValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// <0, 0, >0 comparing upper-cased code units as unsigned values, then length.
int compareNoCase(std::u16string_view a, std::u16string_view b);
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
int compareText(std::u16string_view a, std::u16string_view b, Compare mode);

// Position (1-based) of needle in haystack searching from start, 0 when absent.
// An empty haystack gives 0; an empty needle gives start when start is within
// haystack length + 1, else 0. A start below 1 counts as 1.
std::int64_t inStr(std::int64_t start, std::u16string_view haystack, std::u16string_view needle,
                   Compare mode = Compare::Binary);
inline std::int64_t inStr(std::u16string_view haystack, std::u16string_view needle, Compare mode = Compare::Binary) {
    return inStr(1, haystack, needle, mode);
}

// Last position (1-based) of needle that ends at or before position start
// (start -1 = the end). Empty needle gives start (or the length for -1); a
// start beyond the length, or below -1 or 0, gives 0.
std::int64_t inStrRev(std::u16string_view haystack, std::u16string_view needle, std::int64_t start = -1,
                      Compare mode = Compare::Binary);

// Mid from 1-based start; empty when start is beyond the length; a start below
// 1 counts as 1, a negative length as 0.
std::u16string mid(std::u16string_view s, std::int64_t start);
std::u16string mid(std::u16string_view s, std::int64_t start, std::int64_t length);
// The first / last n characters; all of s when n exceeds its length, empty for n <= 0.
std::u16string left(std::u16string_view s, std::int64_t n);
std::u16string right(std::u16string_view s, std::int64_t n);

// Spaces (U+0020) only: TABs and other blanks stay.
std::u16string ltrim(std::u16string_view s);
std::u16string rtrim(std::u16string_view s);
std::u16string trim(std::u16string_view s);
std::string ltrim(std::string_view s);
std::string rtrim(std::string_view s);
std::string trim(std::string_view s);

// Every non-overlapping occurrence of find, left to right; an empty find
// returns s unchanged.
std::u16string replace(std::u16string_view s, std::u16string_view find, std::u16string_view with,
                       Compare mode = Compare::Binary);

// Pieces between delimiters, empty pieces kept. An empty text gives no pieces;
// an empty delimiter gives the whole text as one piece.
std::vector<std::u16string> split(std::u16string_view s, std::u16string_view delimiter);
std::vector<std::string> split(std::string_view s, std::string_view delimiter);

// Widening of 7-bit text, for names and literals; bytes above 0x7F are taken
// as Latin-1 (use utf8ToUtf16 or decodeCodePage for real 8-bit text).
std::u16string widen(std::string_view ascii);

}  // namespace plat
