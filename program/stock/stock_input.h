// A stock window's mouse and keys: selecting entries by clicking rows (alone, a Shift range,
// Ctrl toggling), the popup menu on a right release, dragging the selected entries or a
// category out of the window, the hover reports, jumping to an entry, and keys handed to the
// command dispatcher. Button values: 1 left, 2 right, 4 middle; shift states: 1 Shift, 2 Ctrl,
// 4 Alt. Points are in pixels of the control pressed; (0, 0) is a simulated click, which
// starts no drag.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace yov {

class StockWindow;

// The engine's popup menu of the stock windows, for the window's slot at a client point of
// `window` (a row's box, or the window itself).
inline constexpr int32_t kStockPopupMenu = 1;
void ShowStockPopup(const StockWindow& window, int32_t x, int32_t y, QWidget* over);

// Distance a pressed mouse must move (|dx| + |dy|, more than this) before a drag starts.
inline constexpr int32_t kDragDistance = 10;

// Rows.
void Box_MouseDown(StockWindow& window, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y);
void Box_MouseUp(StockWindow& window, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y);
void Box_MouseMove(StockWindow& window, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y);
// Caption and size label: a press selects like one on the row, without starting a drag.
void LabPic_MouseDown(StockWindow& window, int32_t cell, int32_t button, int32_t shift);
void SizeL_MouseDown(StockWindow& window, int32_t cell, int32_t button, int32_t shift);
// Category label: a left press selects the row and may start a category drag.
void CatPic_MouseDown(StockWindow& window, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y);
void CatPic_MouseMove(StockWindow& window, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y);
// The description mark: the entry's description in the text window.
void DescX_Click(StockWindow& window, int32_t cell);

// The stock drag text asked for in data format f: the entries selected in the window, or
// those with the program-wide mark when Alt was held as the drag started; nothing for any
// other format.
bool Box_OLESetData(StockWindow& window, int32_t format, std::u16string& text);

// Whether a drag over a row's caption may drop (the effect as offered) or not (none): not
// while a show runs; else only the stock drag format or a list of files.
bool LabPic_DropAccepted(bool stockFormat, bool fileList);

// Form_KeyDown (Shift × 256 + KeyCode) and Form_KeyPress (the character): true when the
// command dispatcher handled the key, which is then consumed. While a stock window's command
// runs keys pass on untouched; errors stay inside.
bool Form_KeyDown(StockWindow& window, int32_t code);
bool Form_KeyPress(StockWindow& window, char16_t character);

// Shows entry n and selects it alone, as a click on its row would; 0 does nothing. An entry
// below the rows shown scrolls to a quarter down the list.
void FindNext(StockWindow& window, int32_t entry);

}  // namespace yov
