#include "program/stock/stock_browser_state.h"

namespace yov {

namespace {

StockBrowserState*& current() {
    static StockBrowserState program;
    static StockBrowserState* state = &program;
    return state;
}

}  // namespace

StockBrowserState& stockBrowserState() { return *current(); }

FreshStockBrowserState::FreshStockBrowserState() : previous_(current()) { current() = &own_; }

FreshStockBrowserState::~FreshStockBrowserState() { current() = previous_; }

StockWindowsState& stockWindows() { return stockBrowserState().Windows; }
StockCommandState& stockCommandState() { return stockBrowserState().Commands; }
StockMenuState& stockMenus() { return stockBrowserState().Menus; }
SearchCriterion& searchCriterion() { return stockBrowserState().Search; }
EditorSetupState& editorSetupState() { return stockBrowserState().EditorSetup; }

}  // namespace yov
