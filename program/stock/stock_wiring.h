// Hands the parts of the stock windows that live in files of their own (the drawing of the
// rows) to the window through its seams.
#pragma once

namespace yov {

void WireStockBrowser();

}  // namespace yov
