#include "program/stock/stock_browser_state.h"

namespace yov {

StockBrowserState& stockBrowserState() { return *Installed<StockBrowserState>(); }

StockWindowsState& stockWindows() { return stockBrowserState().Windows; }
StockCommandState& stockCommandState() { return stockBrowserState().Commands; }
StockMenuState& stockMenus() { return stockBrowserState().Menus; }
SearchCriterion& searchCriterion() { return stockBrowserState().Search; }
EditorSetupState& editorSetupState() { return stockBrowserState().EditorSetup; }

}  // namespace yov
