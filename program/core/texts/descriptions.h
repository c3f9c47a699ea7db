// Descriptions of stock entries: a text of lines "%KEY value", a free text after "%%"
// ("%%+" adds it to the inherited one), and "%BASED name" naming the entry whose
// description this one builds on (at most 10 levels deep).
//
// LoadDescription merges an entry's description with its bases into DescriptionState;
// the text procedures turn the merged items into what the stock browser shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yov {

inline constexpr int kDescMaxLevel = 10;
inline constexpr int kDescFreeText = 0;  // item 0: the free text
inline constexpr int kDescBased = 7;     // item 7: the "based on" name

struct DescriptionState {
    std::vector<std::u16string> DescItems;                    // by key number
    std::vector<int32_t> DescItemLevel;                       // base level an item was set at; -1 = not set
    std::vector<int32_t> DescItemSource;                      // 0 = the entry's own description, else the base's
    std::vector<int32_t> DescKeyPosition;                     // 1, 2, ... for the stock file's keys; 0 built in
    std::array<int32_t, kDescMaxLevel + 1> DescLevelDesc{};   // description number per level
    std::array<int32_t, kDescMaxLevel + 1> DescBasedStock{};  // stock index of each base level
};

DescriptionState& descriptionState();

// The value of the line "%" key blank, up to the next CR; "" without it or without a CR.
std::u16string GetKeyedLine(std::u16string_view text, std::u16string_view key);

void ClearDescription();
void LoadDescription(int32_t descNumber);
// based "*" takes the base name from the description's own "%BASED" line.
void ExpandDescription(int32_t descNumber, int32_t level, std::u16string_view based);

// The description of stock entry `stock` as the browser shows it: the author, name,
// picture source or macro, size and base lines that the mask selects (through the
// built-in keys' display masks), the items, the free text; fields expanded.
std::u16string GetDescriptionText(int32_t stock, uint8_t mask, std::u16string_view separator);
std::u16string GetDescItemsText(uint8_t mask, std::u16string_view separator);
std::u16string GetDescItemText(int32_t key, uint8_t mask);

// Replaces each "{...}" field (else "[...]") by its value in the current language: the
// field is a parameter list whose parameter named by the language's code (else "N")
// gives the text. A field whose inside is no parameter list stays as written.
std::u16string ExpandTextFields(std::u16string_view text);

}  // namespace yov
