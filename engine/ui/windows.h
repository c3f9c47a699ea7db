// Window slots, subclassed controls and the program's window operations, for the engine's
// other parts (menus, library start and stop).
#pragma once

#include <cstdint>

#include "lumvatek/window_ops.h"

namespace lvk {

inline constexpr int kFormSlots = 81;
inline constexpr int kSubclassEntries = 500;

// The program's operations, or null while it has handed none (nothing is shown then).
const LvWindowOps* WindowOps();

// The window of a form slot, 0 when the slot is free or out of range.
LvWindow FormWindow(int slot);

// Library start (InitDLL): screen metrics and the menu column length, the event record's
// texts, an empty checkable-item table and no menus left from an earlier start.
void InitScreenMetrics();
int32_t MenuColumnLength();

// Process detach: every occupied slot is closed and every subclassed control gets its own
// handling back. Returns the number of subclass entries in use.
int32_t CloseAllFrms();

// The menu mode word: bits 4-14 the last submenu opened with an identifier from 0x1400 to
// 0x7FFF, bit 15 the "shifted" mark.
uint16_t MenuModeWord();
void SetMenuModeWord(uint16_t word);

// Forgets every slot, entry and the operations table (tests).
void ResetWindowsForTest();

}  // namespace lvk
