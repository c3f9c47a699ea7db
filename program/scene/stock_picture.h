// The picture of one stock entry, or of any picture description written in the same
// language, loaded into the picture tables as one composed vehicle picture part.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// The picture of stock entry n: its description followed by suffix; the PicPart index.
int32_t LoadStockEntryPicture(int32_t n, std::u16string_view suffix);

// Loads the described picture; the index of the PicPart of the composed vehicle picture
// (0 for an empty description). maxHeight 0 = the stock's picture height; options bit 0
// continues the picture being built; scale is the width budget of the caller.
int32_t LoadStockPicture(std::u16string_view description, int32_t maxHeight, uint8_t options, int32_t scale);

// The pantograph picture named after "<" (mark 2) or ">" (mark 1) into two "|PAN: " slots.
void LoadPantographPicture(std::u16string& name, uint8_t mark, int32_t y, int32_t heightLimit, int32_t extra);

// Marks the slots of part partIndex whose names hold mark ("<" or ">") and that share their
// group with another such slot: flag 4 for "<", 8 for ">".
void MarkRepeatedSlots(int32_t partIndex, std::u16string& mark);

// Records where the pictures of the description being loaded come from (stock entry n).
void NoteStockPictureSource(int32_t n);

}  // namespace yov
