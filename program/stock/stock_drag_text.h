// The texts that leave a stock window by drag and drop: the stock drag text of the dragged
// entries (an outside format: other windows and programs read it) and a category's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// The stock windows' own drag format: its data format number, and the type our drags and
// drops carry it under.
inline constexpr int32_t kStockDragFormat = 322;
inline constexpr const char* kStockDragMimeType = "application/x-yov-stock-entries";

// The selection bit that stands for the program-wide mark (Alt held when a drag starts).
inline constexpr uint16_t kProgramMarkBit = 0x4000;

// The block of one entry: "$NAME", then "$MACRO" for a macro or the picture line (the file
// kind's keyword, the file's path, "*", the picture's name) and "$MODIF", then "$WAY" (the
// way letter normalised and written back into the entry), "$TYP", "$AUTH", and "$END"; every
// line ends with CR LF. Empty for an entry left out: one whose picture is built from its
// description alone (file index 32765 or 32766), or one past the stock.
std::u16string StockDragBlock(int32_t entry);

// The blocks of the entries whose selection mask shares a bit with `mask`, in catalogue
// order.
std::u16string StockDragText(uint16_t mask);

// The bytes of the drag format: each UTF-16 character low byte first, no terminator.
std::string StockDragBytes(std::u16string_view text);

// What a drag from the category label of the row showing `entry` carries: the innermost
// category that begins at that entry, its name in the current language after its first ":",
// blanks trimmed. Empty when no category begins there.
std::u16string CategoryDragText(int32_t entry);

}  // namespace yov
