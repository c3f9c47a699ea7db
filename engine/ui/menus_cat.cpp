// Label (category) submenus, built one label at a time from the program's sorted list and
// hung at one of two attachment points: the item 0x4000 of menu 0 (level 1) and the item
// 0x1B00 of menu 8 (level 2).
#include <algorithm>
#include <cstring>

#include "engine/ui/menu_state.h"
#include "engine/ui/menus.h"

using namespace lvk;

namespace {

struct Attachment {
    int menu;
    int32_t identifier;
};

bool attachmentOf(int16_t level, Attachment& a) {
    if (level == 1)
        a = Attachment{0, 0x4000};
    else if (level == 2)
        a = Attachment{8, 0x1B00};
    else
        return false;
    return true;
}

// Closing a level breaks it into columns with its item count, plus 1 for level 0.
void closeLevel(CatTree& tree, size_t level) {
    const CatLevel& l = tree.levels[level];
    BreakIntoColumns(l.menu, l.count + (level == 0 ? 1 : 0));
}

LvHandle makeCatMenu(CatTree& tree) {
    const LvHandle h = MakeMenu(false);
    if (h != 0) tree.made.push_back(h);
    return h;
}

// Index of the first definition of menu 0 with that key, -1 when none.
int definitionWithKey(int menu, const char* key) {
    const MenuTableEntry& t = kMenuTable[menu];
    for (int i = 0; i < t.count; ++i) {
        if (t.defs[i].key != nullptr && std::strcmp(t.defs[i].key, key) == 0) return i;
    }
    return -1;
}

int32_t reset(int16_t level, const Attachment& a, CatTree& tree) {
    const LvHandle owner = MenuHandle(a.menu);
    const int32_t position = OpFind(owner, a.identifier);
    if (owner == 0 || position < 0) return -1;
    LvHandle previous = 0;
    OpSetSubmenu(owner, position, 0, &previous);
    // The first reset drops the submenu the tables built; later ones the last label tree,
    // with everything that hung below it.
    if (std::find(tree.made.begin(), tree.made.end(), previous) == tree.made.end()) DropSubmenu(previous);
    for (LvHandle h : tree.made) DropSubmenu(h);
    tree = CatTree{};
    Menus().catOpen = level - 1;
    Menus().nextAutoIdentifier = 0x1201;
    const LvHandle root = makeCatMenu(tree);
    if (root == 0) return 90000;
    tree.levels.push_back(CatLevel{root, 0});
    if (level != 1) return 0;
    const MenuTableEntry& t = kMenuTable[0];
    int i = definitionWithKey(0, "ACAT");
    if (i < 0) return 0;
    const int32_t made = FillMenu(root, t.defs, t.count, i, 0);
    if (made > 10000) return made;
    tree.levels[0].count = made;
    return 0;
}

int32_t finish(const Attachment& a, CatTree& tree, LvHandle* menuOut) {
    if (tree.levels.empty()) return -1;
    if (menuOut != nullptr) *menuOut = tree.levels[0].menu;
    for (size_t l = tree.levels.size(); l-- > 0;) closeLevel(tree, l);
    const LvHandle owner = MenuHandle(a.menu);
    const int32_t position = OpFind(owner, a.identifier);
    if (owner == 0 || position < 0) return 300000;
    LvHandle previous = 0;
    const int32_t err = OpSetSubmenu(owner, position, tree.levels[0].menu, &previous);
    if (err != 0) return 300000 + err;
    if (previous != tree.levels[0].menu) DropSubmenu(previous);
    tree.levels.resize(1);
    Menus().catOpen = -1;
    return 0;
}

int32_t addLabel(int16_t index, int16_t level, const char* caption, CatTree& tree, LvHandle* menuOut) {
    if (tree.levels.empty() || level < 0) return -1;
    const size_t want = static_cast<size_t>(level);
    while (tree.levels.size() > want + 1) {
        closeLevel(tree, tree.levels.size() - 1);
        tree.levels.pop_back();
    }
    while (tree.levels.size() < want + 1) {
        CatLevel& current = tree.levels.back();
        if (current.count == 0) {
            const int32_t err = OpInsert(current.menu, -1, 0, "?", 0, 0);
            if (err != 0) return 400000 + err;
            ++current.count;
        }
        const LvHandle deeper = makeCatMenu(tree);
        LvHandle previous = 0;
        const int32_t err = deeper == 0 ? 1 : OpSetSubmenu(current.menu, current.count - 1, deeper, &previous);
        if (err != 0) return 500000 + err;
        DropSubmenu(previous);
        tree.levels.push_back(CatLevel{deeper, 0});
    }
    CatLevel& current = tree.levels.back();
    const std::string text = caption != nullptr ? caption : "";
    const int32_t err = OpInsert(current.menu, -1, index + 0x8000, text, 0, text == "-" ? kLvItemSeparator : 0);
    if (err != 0) return 600000 + err;
    ++current.count;
    if (menuOut != nullptr) *menuOut = current.menu;
    return 0;
}

}  // namespace

LvResult SetCatMenu(int16_t index, int16_t level, const char* caption, LvHandle* menuOut) noexcept {
    try {
        if (index >= 0) {
            // Labels go to the tree whose build is open.
            const int open = Menus().catOpen;
            return open < 0 ? -1 : addLabel(index, level, caption, Menus().cat[open], menuOut);
        }
        Attachment a{};
        if (!attachmentOf(level, a)) return -1;
        CatTree& tree = Menus().cat[level - 1];
        return index == -1 ? reset(level, a, tree) : finish(a, tree, menuOut);
    } catch (...) {
        return 90000;
    }
}
