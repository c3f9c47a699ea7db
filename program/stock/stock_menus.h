// The stock windows' menus that are built from the loaded stock in the engine's menu tables:
// the authors (menu 5, in three name forms, three orders and four groupings) and the
// categories (the label tree under the "Label" item and the quick menu 19 of the categories
// whose name begins with "@").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lumvatek/exports.h"

namespace yov {

inline constexpr int32_t kAuthorsMenu = 5;
inline constexpr int32_t kQuickCatMenu = 19;
inline constexpr int32_t kQuickCatCapacity = 256;
// Bases of the author submenus; the item index (low 10 bits) is the place in AuthorOrder.
inline constexpr int32_t kFindAuthor = 15360;
inline constexpr int32_t kSetAuthor = 12288;
inline constexpr int32_t kSelectAuthor = 13312;
inline constexpr int32_t kDeselectAuthor = 14336;
inline constexpr int32_t kExclusiveAuthor = 9216;
// Items of the label tree: 16384 + category number.
inline constexpr int32_t kLabelBase = 16384;
inline constexpr int32_t kMoveTo = 7680;

struct StockMenuState {
    // The author of each place of the authors menu (1-based; element 0 unused).
    std::vector<int32_t> AuthorOrder{0};
    // The category of each item of the quick menu, by position 0..255.
    std::array<int16_t, kQuickCatCapacity> QuickCatTable{};
    int32_t QuickCount = 0;
};
StockMenuState& stockMenus();

// The authors menu and the author items' states from "ShowAuth", "AuthSort" and "AuthCut".
void BuildStockMenu();
// The label tree and the quick menu from the stock's categories.
void BuildCatMenu();

// The author of a place of the authors menus; 0 for a place the menus do not have.
int32_t MenuAuthor(int32_t position);

// The sort key of an author: the name shown; for "AuthSort" 2 a name of exactly two words
// turned round ("Ada Lovelace" becomes "Lovelace Ada").
std::u16string AuthorSortKey(int32_t author, uint8_t showAuth, uint8_t authSort);

}  // namespace yov
