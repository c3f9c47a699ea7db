// State of the built menus, shared by the menu exports (menus.cpp) and the label submenus
// (menus_cat.cpp). Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/menu_table.h"
#include "lumvatek/window_ops.h"

namespace lvk {

struct BuiltMenu {
    LvHandle handle = 0;
    int32_t count = 0;         // current item count
    int32_t initialCount = 0;  // the count the build made
};

struct CheckableItem {
    uint16_t identifier;
    LvHandle menu;
    int32_t position;
};

struct CatLevel {
    LvHandle menu = 0;
    int32_t count = 0;
};

// The label submenus of one attachment point (level 1: menu 0, level 2: menu 8).
struct CatTree {
    std::vector<CatLevel> levels;  // levels[0] is attached when the build finishes
    std::vector<LvHandle> made;    // every menu made for this tree, destroyed at its reset
};

struct MenuState {
    BuiltMenu menus[kMenuCount];
    std::vector<CheckableItem> checkables;
    uint8_t checkState[256] = {};
    int32_t radio[2] = {-1, -1};  // remembered radio positions of menus 2 and 3
    int32_t numberCounter = 0;
    uint16_t numbersIdentifier = 0x800A;
    uint16_t nextAutoIdentifier = 0;
    uint16_t exclusionMask = 0;  // of the build, kept for the label menu's fixed items
    std::string answer;          // the program's caption answer (SetMenuTxt)
    std::vector<LvHandle> made;  // every menu handle the engine made
    CatTree cat[2];
    int catOpen = -1;  // the tree whose build is open, -1 for none
};

MenuState& Menus();

// Thin calls of the program's operations; without a table they fail quietly.
LvHandle OpCreateMenu(bool bar);
void OpDestroyMenu(LvHandle menu);
int32_t OpInsert(LvHandle menu, int32_t position, int32_t identifier, const std::string& caption, LvHandle submenu,
                 uint32_t state);
int32_t OpRemove(LvHandle menu, int32_t position, LvHandle* submenu);
int32_t OpFind(LvHandle menu, int32_t identifier);
int32_t OpState(LvHandle menu, int32_t position, uint32_t mask, uint32_t state);
int32_t OpSetSubmenu(LvHandle menu, int32_t position, LvHandle submenu, LvHandle* previous);
int32_t OpItemCount(LvHandle menu);

// A menu made by the engine, remembered so that DestroyMenus finds it.
LvHandle MakeMenu(bool bar);
// Destroys a menu that an item no longer opens, unless it is one of the numbered menus.
void DropSubmenu(LvHandle menu);

// Fills menu from the definitions at index i (which moves past what was read) with group
// mask G. Returns the items made, or a failure code above 10000.
int32_t FillMenu(LvHandle menu, const MenuDef* defs, int count, int& i, uint16_t groupMask);

// Column breaks for a menu of count items (DoBreakMenu).
int32_t BreakIntoColumns(LvHandle menu, int32_t count);

}  // namespace lvk
