// Everything the stock windows keep between calls, as one object: the windows by slot and
// their shared options, the command guard, the menus' tables, the search criterion and the
// timetable editor's setup. The program runs on one; a test installs a fresh one with
// FreshStockBrowserState and gets the old one back when it ends.
#pragma once

#include "program/core/startup/installed.h"
#include "program/stock/editor_language.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_search.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

struct StockBrowserState {
    StockWindowsState Windows;
    StockCommandState Commands;
    StockMenuState Menus;
    SearchCriterion Search;
    EditorSetupState EditorSetup;
};

// The state in force: the program's own, or the one a FreshStockBrowserState installed.
StockBrowserState& stockBrowserState();

// Installs a state of its own for its lifetime, then puts back the one before.
using FreshStockBrowserState = FreshInstall<StockBrowserState>;

}  // namespace yov
