// The command entry of a stock window: every key (Shift × 256 + KeyCode), every item of its
// menus (ids from 4096; the generated type, way and author items carry their index in the low
// bits) and the engine's notices for its slot (menu item hover 4386, end of the menu loop
// 4550, mouse hover 4142 and leave 4143, wheel 4226) go through one dispatcher table: moving
// the cursor or the view, display options, searches and selections, windows, tips. A code
// without a row is the common keys' and help's (HandleFormCmd).
#pragma once

#include <cstdint>
#include <string>

namespace yov {

class StockWindow;

// Codes of the notices the engine routes to the window's slot.
namespace stock_notice {
inline constexpr int32_t kHover = 4142;
inline constexpr int32_t kLeave = 4143;
inline constexpr int32_t kWheel = 4226;
inline constexpr int32_t kMenuHover = 4386;
inline constexpr int32_t kMenuLoopEnd = 4550;
}  // namespace stock_notice

// Items of the label menu: the menu's own id; every code above it jumps to group code - it.
inline constexpr int32_t kLabelMenu = 16384;

struct StockCommandState {
    uint8_t StockCmdBusy = 0;  // a command of a stock window runs: keys pass on meanwhile
};

StockCommandState& stockCommandState();

// StockFrm.FCmd: runs the code in the window; false when no row has it and the common keys
// did not take it either. Errors stay inside: a user error becomes a status-bar note, any
// other a message box.
bool StockFCmd(StockWindow& window, int32_t code, int32_t arg1 = 0, int32_t arg2 = 0, int32_t arg3 = 0,
               int32_t arg4 = 0);

// Whether the dispatcher table has a row for the code (after the item index is split off and
// a Shift without a row of its own is dropped); for the tests of the table.
bool StockCommandHasRow(int32_t code);

}  // namespace yov
