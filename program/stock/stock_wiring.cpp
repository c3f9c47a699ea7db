#include "program/stock/stock_wiring.h"

#include "program/stock/stock_commands.h"
#include "program/stock/stock_drawing.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_seams.h"
#include "program/stock/stock_status_bar.h"

namespace yov {

void WireStockBrowser() {
    StockSeams& s = stockSeams();
    s.drawCells = DrawStockCells;
    s.buildStockMenu = BuildStockMenu;
    s.buildCatMenu = [](int32_t, int32_t) { BuildCatMenu(); };
    s.statusNote = SBarText;
    // The window's one command table reaches the status bar and the authors menu here.
    StockCommandSeams& c = stockCommandSeams();
    c.setStBar = SetStBar;
    c.valueSBar = ValueSBar;
    c.sBarHover = SBarHover;
    c.statusSimpleText = SBarMenuTip;
    c.authorOrder = MenuAuthor;
}

}  // namespace yov
