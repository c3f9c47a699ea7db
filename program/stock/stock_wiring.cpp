#include "program/stock/stock_wiring.h"

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
    // The status bar's own commands, until the window's command table takes them.
    if (!s.command) {
        s.command = [](StockWindow& w, int16_t& code, int32_t& arg1, int32_t&, int32_t& arg3, int32_t& arg4) {
            return StatusBarCommand(w, code, arg1, arg3, arg4);
        };
    }
}

}  // namespace yov
