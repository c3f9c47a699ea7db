// The menus built from the tables, for the window slots and the library start and stop.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"

namespace lvk {

LvHandle MenuHandle(int menu);  // 0 while not built or out of range
bool MenusBuilt();

// Builds all 31 menus, leaving out the definitions whose groups share a bit with
// exclusionMask. Returns 0, or the first failure code (above 10000).
int32_t BuildAllMenus(uint16_t exclusionMask);

// Destroys every menu the engine made and empties the checkable-item table.
void DestroyMenus();

// Radio and check marks of menus 2, 3 and 28 by the menu mode word (a popup is opening).
void UpdateRadioMarks();

// Forgets all menu state without calling the program (tests).
void ResetMenusForTest();

}  // namespace lvk
