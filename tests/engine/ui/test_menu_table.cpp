// Structural rules of the menu definitions: lists nest and end, references resolve to menus
// built before the menu that refers to them, and every submenu that holds generated items can
// re-base them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "engine/ui/menu_table.h"

namespace {

using lvk::kMenuCount;
using lvk::kMenuTable;
using lvk::MenuDef;

TEST(MenuTable, ListsNestAndEndWithinTheirCount) {
    for (int m = 0; m < kMenuCount; ++m) {
        const auto& t = kMenuTable[m];
        int depth = 0;
        for (int i = 0; i < t.count; ++i) {
            if (lvk::DefIsInlineSubmenu(t.defs[i])) ++depth;
            if (lvk::DefIsEnd(t.defs[i])) {
                ASSERT_GT(depth, 0) << "menu " << m << " ends early at " << i;
                --depth;
            }
        }
        EXPECT_EQ(depth, 0) << "menu " << m;
        EXPECT_TRUE(lvk::DefIsEnd(t.defs[t.count])) << "menu " << m << " closes its list";
    }
}

TEST(MenuTable, CopiesShareTheirDefinitions) {
    EXPECT_EQ(kMenuTable[1].defs, kMenuTable[0].defs);
    EXPECT_EQ(kMenuTable[1].groupMask, 0x100);
    for (int m : {12, 19, 23}) {
        EXPECT_EQ(kMenuTable[m].defs, kMenuTable[9].defs);
        EXPECT_EQ(kMenuTable[m].groupMask, 0);
    }
    std::set<int> bars;
    for (int m = 0; m < kMenuCount; ++m) {
        if (kMenuTable[m].kind == 1) bars.insert(m);
    }
    EXPECT_EQ(bars, (std::set<int>{0, 8, 13, 14, 18, 24, 25, 26, 29}));
}

TEST(MenuTable, ReferencesResolveToMenusBuiltEarlier) {
    std::vector<std::pair<int, int>> unresolved;
    for (int m = 0; m < kMenuCount; ++m) {
        const auto& t = kMenuTable[m];
        for (int i = 0; i < t.count; ++i) {
            if (!lvk::DefOpensMenu(t.defs[i])) continue;
            const int target = lvk::DefKind(t.defs[i]);
            if (target >= kMenuCount) {
                unresolved.emplace_back(m, target);
                continue;
            }
            // Menus are built from 30 down to 0, so a menu refers only to higher numbers.
            EXPECT_GT(target, m) << "menu " << m << " item " << i;
            EXPECT_NE(kMenuTable[target].kind, 1) << "a menu bar cannot be a submenu";
        }
    }
    // Menu 7 names a menu 31 that does not exist; the build leaves that item out.
    EXPECT_EQ(unresolved, (std::vector<std::pair<int, int>>{{7, 31}}));
}

TEST(MenuTable, ItemsAreWellFormed) {
    for (int m = 0; m < kMenuCount; ++m) {
        const auto& t = kMenuTable[m];
        for (int i = 0; i < t.count; ++i) {
            const MenuDef& d = t.defs[i];
            if (d.key != nullptr) {
                EXPECT_LE(std::strlen(d.key), 10u) << d.key;
                EXPECT_NE(d.caption, nullptr) << d.key;
            }
            const uint16_t groups = d.flags & 0xFD00;
            EXPECT_EQ(groups & ~0xFD00, 0);
            if ((d.flags & lvk::kDefCheckable) != 0) {
                EXPECT_EQ(lvk::DefKind(d), lvk::kDefCommand) << d.key;
            }
            if (lvk::DefOpensMenu(d)) continue;
            if (lvk::DefKind(d) == lvk::kDefCommand) {
                EXPECT_GE(d.identifier, 0x1000) << "menu " << m << " " << (d.key ? d.key : "(no key)");
            }
            if (lvk::DefKind(d) == lvk::kDefNumbers) {
                EXPECT_EQ(m, 4);
            }
        }
    }
}

// Whether the definitions of a menu (or of the inline submenu opened at index i) hold
// generated identifiers, which reach the program re-based on the submenu's identifier.
bool holdsGenerated(const MenuDef* defs, int count, int first) {
    int depth = 0;
    for (int i = first; i < count; ++i) {
        if (lvk::DefIsEnd(defs[i])) {
            if (depth-- == 0) return false;
            continue;
        }
        if (lvk::DefIsInlineSubmenu(defs[i])) ++depth;
        if (depth == 0 && lvk::DefKind(defs[i]) == lvk::kDefCommand && !lvk::DefOpensMenu(defs[i]) &&
            defs[i].identifier >= 0x8000)
            return true;
        if (lvk::DefKind(defs[i]) == lvk::kDefNumbers && !lvk::DefOpensMenu(defs[i])) return true;
    }
    return false;
}

TEST(MenuTable, SubmenusWithGeneratedItemsCanRebaseThem) {
    int checked = 0;
    for (int m = 0; m < kMenuCount; ++m) {
        const auto& t = kMenuTable[m];
        for (int i = 0; i < t.count; ++i) {
            const MenuDef& d = t.defs[i];
            bool generated = false;
            if (lvk::DefIsInlineSubmenu(d)) generated = holdsGenerated(t.defs, t.count, i + 1);
            if (lvk::DefOpensMenu(d) && lvk::DefKind(d) < kMenuCount) {
                const auto& target = kMenuTable[lvk::DefKind(d)];
                generated = holdsGenerated(target.defs, target.count, 0);
            }
            if (!generated) continue;
            ++checked;
            const uint16_t id = d.identifier;
            EXPECT_TRUE((id >= 0x1400 && id <= 0x7FFF) || id == 0x13F0 || id == 0x13F1)
                << "menu " << m << " " << d.key << " " << id;
        }
    }
    EXPECT_GT(checked, 20);
}

}  // namespace
