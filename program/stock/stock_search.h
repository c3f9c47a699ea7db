// The stock window's search and selection by criterion: all entries, a name pattern, a type
// letter, a way letter or an author, matching or not; the entries that count are found one
// at a time from the window's active entry on, or all added to or removed from the window's
// selection. Always the window that issued the command: another window opened or activated
// meanwhile is not touched.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

class StockWindow;

// Criterion codes (low byte of a command word).
namespace search_code {
inline constexpr uint8_t kAll = 0;
inline constexpr uint8_t kName = 1;
inline constexpr uint8_t kType = 4;
inline constexpr uint8_t kWay = 5;
inline constexpr uint8_t kAuthor = 6;
}  // namespace search_code

// Actions (bits 8-11 of a command word, the low byte of StockItemCmd's command).
namespace search_action {
inline constexpr int32_t kFind = 0;
inline constexpr int32_t kSelect = 2;
inline constexpr int32_t kDeselect = 3;
inline constexpr int32_t kBackwards = 256;      // StockItemCmd: search towards the first entry
inline constexpr int32_t kNotMatching = 16384;  // command word: the entries that do not match count
}  // namespace search_action

struct SearchCriterion {
    int32_t Count = 0;  // 1 a criterion is in force; 0 every entry counts (and before the first search)
    uint8_t Code = 0;
    uint8_t Mode = 0;            // 2 the matching entries count, 3 the others
    std::u16string NamePattern;  // upper case
    std::u16string TypeLetter;   // one character, empty when the item lies past the letters
    std::u16string WayLetter;
    // The author chosen for the author criterion (AuthorSearchMark); -1 none.
    int32_t MarkedAuthor = -1;
};

SearchCriterion& searchCriterion();

// Records the criterion of the command word (criterion code in the low byte, action in bits
// 8-11, bit 14 the entries that do not match) and its value (type or way item, author), and
// runs the search in the window.
void SetStockOption(StockWindow& window, int32_t word, int32_t value);

// Runs the criterion in force over the whole stock from the window's active entry on:
// action 0 goes to the next entry that counts (the active entry itself is tested last),
// 2 and 3 select or deselect every one; bit 8 searches backwards.
void StockItemCmd(StockWindow& window, int32_t command);

}  // namespace yov
