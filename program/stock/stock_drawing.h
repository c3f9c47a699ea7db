// What a stock window's rows show: each entry's vehicle picture built once into a draw
// buffer and copied from there, its name, size, categories, type dot and way mark, the
// selection, and the frames of animated pictures stepped by the window's 250 ms timer.
#pragma once

#include <cstdint>
#include <string>

#include "program/stock/stock_cell.h"

struct StockEntry;

namespace yov {

class StockWindow;
struct StockOptions;

// Call-site codes of the rows' pictures and buffers.
inline constexpr int32_t kSiteCellRebuilt = 15005;
inline constexpr int32_t kSiteCellBuffer = 32006;
inline constexpr int32_t kSiteBoxStrip = 18016;

// The rows of a full refresh, from the window's first entry on.
void DrawStockCells(StockWindow& window);
// Cell i shows its picture's current frame, the strip beside it and its texts.
void Box_Paint(StockWindow& window, int32_t cell);
// One step of the frames of every animated row.
void StepStockFrames(StockWindow& window);
// The description marks of the shown rows again.
void ReDesc0(StockWindow& window);
// Frees the cell's picture part and draw buffer.
void FreeStockCell(StockCell& cell, int32_t callSite);

// The name a picture is built from, the file line (the name's tool tip) and the second
// line of the picture box for the "ShowFile" option (0 none .. 3 the file line).
struct EntryTexts {
    std::u16string pictureName;
    std::u16string fileLine;
    std::u16string secondLine;
};
EntryTexts StockEntryTexts(const StockEntry& entry, uint8_t showFile);

// "999×999/999:9999" as the options ask for it, from the cell's figures.
std::u16string StockSizeText(const StockCell& cell, const StockOptions& options);

// The author shown for a picture source (an author number, or minus a stock file that is
// the author of its pictures); empty when none or when authors are not shown.
std::u16string StockAuthorText(int32_t source, uint8_t showAuth);

}  // namespace yov
