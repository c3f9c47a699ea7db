#include "program/stock/stock_windows_state.h"

namespace yov {

StockWindow* StockWindowAt(int slot) {
    if (slot < 1 || slot > kStockSlots) return nullptr;
    return stockWindows().Windows[static_cast<size_t>(slot)];
}

}  // namespace yov
