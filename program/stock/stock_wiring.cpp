#include "program/stock/stock_wiring.h"

#include "program/stock/stock_drawing.h"
#include "program/stock/stock_seams.h"

namespace yov {

void WireStockBrowser() {
    StockSeams& s = stockSeams();
    s.drawCells = DrawStockCells;
}

}  // namespace yov
