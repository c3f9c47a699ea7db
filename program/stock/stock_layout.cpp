#include "program/stock/stock_layout.h"

#include <algorithm>

#include "program/core/startup/program_state.h"
#include "program/stock/stock_rows_view.h"
#include "program/core/binding/engine_binding.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

namespace {

constexpr int32_t kLabelTw = 195;
constexpr int32_t kStatusBarTw = 285;
constexpr int32_t kScrollBarTw = 255;
// The controls whose size the window's design fixes.
constexpr int32_t kDescWidth = 30;
constexpr int32_t kWayWidth = 22;
constexpr int32_t kDotSize = 11;

int32_t twipsDown(int32_t twips) { return twips / std::max(programState().machine.TwipsPerPixelY, 1); }
int32_t twipsAcross(int32_t twips) { return twips / std::max(programState().machine.TwipsPerPixelX, 1); }

}  // namespace

int32_t LabelHeightPx() { return twipsDown(kLabelTw); }
int32_t StatusBarHeightPx() { return twipsDown(kStatusBarTw); }
int32_t StockScrollBarWidthPx() { return twipsAcross(kScrollBarTw); }

StockRowGeometry::StockRowGeometry(int32_t height, int32_t infoWidth)
    : pictureHeight(height), labelHeight(LabelHeightPx()), stkPicX(infoWidth) {
    rowHeight = StockRowHeight(pictureHeight);
    const int32_t e = 4 * labelHeight + 4 > pictureHeight ? 5 : 0;
    lineStep = (pictureHeight + e - 4) / 4;
}

int32_t StockRowGeometry::top(int32_t row) const { return 5 + (row - 1) * rowHeight; }

RowRect StockRowGeometry::category(int32_t row) const { return {0, top(row), stkPicX - 5, labelHeight + 4}; }
RowRect StockRowGeometry::name(int32_t row) const { return {0, top(row) + lineStep + 4, stkPicX - 5, labelHeight}; }
RowRect StockRowGeometry::size(int32_t row) const { return {0, top(row) + 2 * lineStep + 4, stkPicX - 5, labelHeight}; }
RowRect StockRowGeometry::description(int32_t row) const {
    return {2, top(row) + 3 * lineStep + 4, kDescWidth, labelHeight};
}
RowRect StockRowGeometry::way(int32_t row) const { return {36, top(row) + 3 * lineStep + 4, kWayWidth, labelHeight}; }
RowRect StockRowGeometry::dot(int32_t row) const { return {60, top(row) + 3 * lineStep + 4, kDotSize, kDotSize}; }
RowRect StockRowGeometry::box(int32_t row, int32_t boxWidth) const {
    return {stkPicX, top(row), boxWidth, pictureHeight};
}
RowRect StockRowGeometry::frame(int32_t row, int32_t boxWidth) const {
    return {stkPicX - 2, top(row) - 2, boxWidth + 4, pictureHeight + 4};
}

int32_t RowsThatFit(int32_t innerHeight, int32_t rowHeight) {
    if (rowHeight < 1 || innerHeight < 0) return 0;
    return std::min(innerHeight / rowHeight, kMaxCells);
}

int32_t BoxWidthFor(int32_t innerWidth, int32_t scrollBarWidth, int32_t stkPicX) {
    // The window's minimum size keeps this above 0; a window made smaller still gets none.
    return std::max(innerWidth - scrollBarWidth - stkPicX - 2, 0);
}

void PlaceStockRows(StockWindow& w) {
    StockRowsView* rows = w.view().rowsView();
    for (int32_t i = 1; i <= w.CellCount; ++i) {
        w.CreatedCells = std::max(w.CreatedCells, i);
        if (rows == nullptr) continue;
        const uintptr_t box = rows->boxWindow(i);
        if (box != 0)
            lv::StartSubclass(static_cast<LvWindow>(box), 0, static_cast<uint8_t>(w.Slot), static_cast<int16_t>(i));
    }
}

}  // namespace yov
