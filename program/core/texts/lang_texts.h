// Texts by key in the current language.
//
// The engine holds the English default of every key; the stock files add translations,
// kept in the shared table of LangTextEntry (entries 1..count, sorted lazily by key).
// A key starting with "=" is a literal text, a key longer than 10 characters is shown as
// it is, and a translation inherits the ":", " ..." or TAB ending of its default.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lumvatek/shared.h"

namespace yov {

// Flags of LookupText and GetText.
inline constexpr int32_t kTextStemOnly = 1;  // leave the ":" / " ..." / TAB ending off
inline constexpr int32_t kTextNoSplit = 2;   // never split an ending off the default

// Adds an entry at the end of the table (growing it by 10) and returns its index; the
// caller fills Key and Texts.
int32_t AllocLangText();
void SortLangTexts();
// Index 1..count of the entry with that key (exact), 0 when there is none.
int32_t FindLangText(std::u16string_view key);
// After the table was filled or emptied behind the program's back (the engine's binary
// stock reader, a reset of the stock): the next look-up sorts again.
void InvalidateLangTexts();

// The code of the current language ("E", "G", ...), empty when none is chosen.
std::u16string CurrentLanguageCode();

std::u16string LookupText(std::u16string_view key, std::u16string_view defaultText = {}, int32_t flags = 0);
// LookupText with every "&" removed.
std::u16string GetText(std::u16string_view key, std::u16string_view defaultText = {}, int32_t flags = 0);

// A parameter of FormatText: a text or a number, shown in decimal.
class FormatArg {
public:
    FormatArg(std::u16string_view text) : text_(text) {}
    FormatArg(const char16_t* text) : text_(text) {}
    FormatArg(const std::u16string& text) : text_(text) {}
    FormatArg(int32_t n);
    FormatArg(int64_t n);
    FormatArg(double v);
    const std::u16string& text() const { return text_; }

private:
    std::u16string text_;
};

// The text of the key (GetText, no default, no flags) with "%1".."%9" replaced by the
// parameters 0..8; a placeholder without a parameter is dropped, and a "%" not followed by
// a digit 1 to 9 stays. A key without any text gives the parameters joined by blanks.
std::u16string FormatText(std::u16string_view key, std::span<const FormatArg> params);
std::u16string FormatText(std::u16string_view key, std::initializer_list<FormatArg> params);

// "Error <number>: <message>" of a numbered engine error, with the item (and its line)
// when given, through the keys "E1", "E2" and "E3".
std::u16string GetErrorNumberText(int32_t number, std::u16string_view item = {}, int32_t line = 0);

// Opens the engine's picture cache in the current cache mode with a progress line; a
// failure is shown as "OpenCache Error <code>" and the program goes on without a cache.
void OpenPictureCache();

// Element i (0..language count) := the current parameter set's value for language i's
// code, "" when absent.
void GetLanguageNames(std::vector<std::u16string>& names);

// The text of the current language from a per-language set (index = language), with the
// backslash escapes expanded; "\" or an empty text means the general text (index 0).
// Then fallback1, fallback2, and last the first text of languages 1..count.
std::u16string PickLangText(const LvString (&texts)[kLanguageSlots], std::u16string_view fallback1,
                            std::u16string_view fallback2 = {});

}  // namespace yov
