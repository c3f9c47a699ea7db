// Hands the parts of the stock windows that live in files of their own (the drawing of the
// rows, the authors and category menus, the status bar) to the window and its command table
// through their seams.
#pragma once

namespace yov {

void WireStockBrowser();

}  // namespace yov
