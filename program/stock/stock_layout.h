// Where the controls of a stock window's rows stand, for the stock's picture height and the
// information column's width: the layout that follows the window's size and the painting
// of the rows share it.
#pragma once

#include <cstdint>

namespace yov {

class StockWindow;

struct RowRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct StockRowGeometry {
    int32_t pictureHeight = 0;
    int32_t rowHeight = 0;  // max(picture height, 58) + 5
    int32_t lineStep = 0;   // between the lines of the information column
    int32_t labelHeight = 0;
    int32_t stkPicX = 0;  // width of the information column

    StockRowGeometry(int32_t pictureHeight, int32_t stkPicX);

    int32_t top(int32_t row) const;  // row 1..30
    RowRect category(int32_t row) const;
    RowRect name(int32_t row) const;
    RowRect size(int32_t row) const;
    RowRect description(int32_t row) const;
    RowRect way(int32_t row) const;
    RowRect dot(int32_t row) const;
    RowRect box(int32_t row, int32_t boxWidth) const;
    RowRect frame(int32_t row, int32_t boxWidth) const;  // the selection frame around the box
};

// A text line's height: 195 twips in pixels; the status bar's: 285 twips; the scroll bar's
// width: 255 twips.
int32_t LabelHeightPx();
int32_t StatusBarHeightPx();
int32_t StockScrollBarWidthPx();
// The rows that fit an inner height (at most 30), and the picture width of a row.
int32_t RowsThatFit(int32_t innerHeight, int32_t rowHeight);
int32_t BoxWidthFor(int32_t innerWidth, int32_t scrollBarWidth, int32_t stkPicX);

// The rows that fit are made once (CreatedCells only grows) and each shown row's picture box
// is registered with the engine, so that its hover, leave and wheel notices reach the
// window's commands with the row's number.
void PlaceStockRows(StockWindow& window);

}  // namespace yov
