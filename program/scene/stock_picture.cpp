// Placeholder until the stock-picture loader lands.
#include "program/scene/stock_picture.h"

namespace yov {

int32_t LoadStockEntryPicture(int32_t, std::u16string_view) { return 0; }
int32_t LoadStockPicture(std::u16string_view, int32_t, uint8_t, int32_t) { return 0; }
void LoadPantographPicture(std::u16string&, uint8_t, int32_t, int32_t, int32_t) {}
void NoteStockPictureSource(int32_t) {}

}  // namespace yov
