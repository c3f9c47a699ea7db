// Placeholder until the stock loader lands: remembers the name, loads nothing.
#include "program/scene/stock_loading.h"

namespace yov {

void SetStockName(const std::u16string&) {}
void LoadStock(int32_t) {}

}  // namespace yov
