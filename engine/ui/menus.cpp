// Menus built from the tables: building, marks, columns, and the exports that change and
// show menus by number.
#include "engine/ui/menus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "engine/ui/menu_state.h"
#include "engine/ui/windows.h"

namespace lvk {
namespace {

MenuState g_state;

// Group bits of a definition: the high byte without the checkable bit.
uint16_t groupsOf(const MenuDef& d) { return d.flags & 0xFD00; }

int32_t pictureHeight() {
    const SharedState* s = Shared();
    return s != nullptr ? s->PictureHeight : 0;
}

// Index past the end definition of the list that contains index i.
int skipRestOfList(const MenuDef* defs, int count, int i) {
    while (i < count && !DefIsEnd(defs[i])) i = SkipDefinition(defs, count, i);
    return std::min(i + 1, count);
}

// The caption of an item with a key: the program's answer to event 203, else the default.
std::string askCaption(const char* key, const char* caption) {
    std::string text = caption != nullptr ? caption : "";
    if (key == nullptr || key[0] == 0 || !HasEventCallback()) return text;
    g_state.answer.clear();
    SetEventText(1, key);
    SetEventText(2, caption);
    RaiseEvent(lv_event::kMenuCaption);
    if (!g_state.answer.empty()) text = g_state.answer;
    return text;
}

bool isNumberedMenu(LvHandle h) {
    if (h == 0) return false;
    for (const BuiltMenu& m : g_state.menus) {
        if (m.handle == h) return true;
    }
    return false;
}

}  // namespace

MenuState& Menus() { return g_state; }

int SkipDefinition(const MenuDef* defs, int count, int i) {
    if (i >= count) return count;
    if (!DefIsInlineSubmenu(defs[i])) return i + 1;
    int depth = 1;
    ++i;
    while (i < count && depth > 0) {
        if (DefIsInlineSubmenu(defs[i]))
            ++depth;
        else if (DefIsEnd(defs[i]))
            --depth;
        ++i;
    }
    return i;
}

LvHandle OpCreateMenu(bool bar) {
    const LvWindowOps* o = WindowOps();
    return o != nullptr ? o->createMenu(o->context, bar ? 1 : 0) : 0;
}
void OpDestroyMenu(LvHandle menu) {
    const LvWindowOps* o = WindowOps();
    if (o != nullptr && menu != 0) o->destroyMenu(o->context, menu);
}
int32_t OpInsert(LvHandle menu, int32_t position, int32_t identifier, const std::string& caption, LvHandle submenu,
                 uint32_t state) {
    const LvWindowOps* o = WindowOps();
    if (o == nullptr || menu == 0) return 1;
    const LvMenuItem item{identifier, caption.c_str(), submenu, state};
    return o->insertItem(o->context, menu, position, &item);
}
int32_t OpRemove(LvHandle menu, int32_t position, LvHandle* submenu) {
    *submenu = 0;
    const LvWindowOps* o = WindowOps();
    return (o == nullptr || menu == 0) ? 1 : o->removeItem(o->context, menu, position, submenu);
}
int32_t OpFind(LvHandle menu, int32_t identifier) {
    const LvWindowOps* o = WindowOps();
    return (o == nullptr || menu == 0) ? -1 : o->findItem(o->context, menu, identifier);
}
int32_t OpState(LvHandle menu, int32_t position, uint32_t mask, uint32_t state) {
    const LvWindowOps* o = WindowOps();
    return (o == nullptr || menu == 0) ? -1 : o->itemState(o->context, menu, position, mask, state);
}
int32_t OpSetSubmenu(LvHandle menu, int32_t position, LvHandle submenu, LvHandle* previous) {
    *previous = 0;
    const LvWindowOps* o = WindowOps();
    return (o == nullptr || menu == 0) ? 1 : o->setSubmenu(o->context, menu, position, submenu, previous);
}
int32_t OpItemCount(LvHandle menu) {
    const LvWindowOps* o = WindowOps();
    return (o == nullptr || menu == 0) ? -1 : o->itemCount(o->context, menu);
}

LvHandle MakeMenu(bool bar) {
    const LvHandle h = OpCreateMenu(bar);
    if (h != 0) g_state.made.push_back(h);
    return h;
}

void DropSubmenu(LvHandle menu) {
    if (menu == 0 || isNumberedMenu(menu)) return;
    OpDestroyMenu(menu);
    auto& made = g_state.made;
    made.erase(std::remove(made.begin(), made.end(), menu), made.end());
}

int32_t FillMenu(LvHandle menu, const MenuDef* defs, int count, int& i, uint16_t groupMask) {
    int32_t made = 0;
    while (i < count) {
        const MenuDef& d = defs[i];
        // The end definition ends the list whatever the masks say, so a filter never runs on
        // into the next list or past the table.
        if (DefIsEnd(d)) {
            ++i;
            return made;
        }
        const uint16_t groups = groupsOf(d);
        if ((groupMask != 0 && (groups & groupMask) == 0) || (groups & g_state.exclusionMask) != 0) {
            i = SkipDefinition(defs, count, i);  // a skipped submenu takes its items with it
            continue;
        }

        LvHandle submenu = 0;
        uint16_t identifier = d.identifier;
        std::string numberCaption;
        if (DefOpensMenu(d)) {
            const int target = d.flags & kDefKindMask;
            submenu = target < kMenuCount ? g_state.menus[target].handle : 0;
            ++i;
            if (submenu == 0) continue;  // a menu that does not exist is left out
        } else if (DefKind(d) == kDefSeparator) {
            ++i;
            const int32_t err = OpInsert(menu, -1, 0, "", 0, kLvItemSeparator);
            if (err != 0) return 700000 + err;
            ++made;
            continue;
        } else if (DefKind(d) == kDefSubmenu) {
            submenu = MakeMenu(false);
            if (submenu == 0) return 90000;
            ++i;
            const int32_t inner = FillMenu(submenu, defs, count, i, groupMask);
            if (inner > 10000) return inner;
        } else if (DefKind(d) == kDefNumbers) {
            if (--g_state.numberCounter < pictureHeight() / 2) {
                BreakIntoColumns(menu, made);
                i = skipRestOfList(defs, count, i);
                return made;
            }
            g_state.numbersIdentifier = static_cast<uint16_t>(g_state.numbersIdentifier + 2);
            identifier = g_state.numbersIdentifier;
            char digits[8];
            std::snprintf(digits, sizeof digits, "%03d", g_state.numberCounter % 1000);
            if (digits[0] == '0') digits[0] = ' ';
            numberCaption = digits;
            // the same definition is taken again next
        } else if (DefKind(d) == kDefCommand) {
            ++i;
        } else {
            ++i;  // no such kind
            continue;
        }

        const std::string caption =
            DefKind(d) == kDefNumbers && !DefOpensMenu(d) ? numberCaption : askCaption(d.key, d.caption);
        if (identifier == 0) identifier = g_state.nextAutoIdentifier++;
        if (groupMask == 0 && (d.flags & kDefCheckable) != 0)
            g_state.checkables.push_back(CheckableItem{identifier, menu, made});
        const int32_t err = OpInsert(menu, -1, identifier, caption, submenu, 0);
        if (err != 0) return 700000 + err;
        ++made;
    }
    return made;
}

int32_t BreakIntoColumns(LvHandle menu, int32_t count) {
    const int32_t columnLength = std::max(1, MenuColumnLength());
    if (menu == 0 || count < columnLength) return 0;
    const int32_t columns = (count + columnLength - 1) / columnLength;
    const int32_t perColumn = (count + columns - 1) / columns;
    // Breaks a former call left elsewhere would make the columns uneven.
    for (int32_t p = 1; p < count; ++p) OpState(menu, p, kLvItemBreak, p % perColumn == 0 ? kLvItemBreak : 0);
    return columns;
}

LvHandle MenuHandle(int menu) { return menu >= 0 && menu < kMenuCount ? g_state.menus[menu].handle : 0; }
bool MenusBuilt() { return g_state.menus[0].handle != 0; }

int32_t BuildAllMenus(uint16_t exclusionMask) {
    g_state.radio[0] = g_state.radio[1] = -1;
    g_state.numberCounter = pictureHeight();
    g_state.numbersIdentifier = 0x800A;
    g_state.exclusionMask = exclusionMask;
    int32_t failure = 0;
    for (int m = kMenuCount - 1; m >= 0; --m) {
        const MenuTableEntry& t = kMenuTable[m];
        BuiltMenu& b = g_state.menus[m];
        b.handle = MakeMenu(t.kind == 1);
        if (b.handle == 0) {
            if (failure == 0) failure = 90000;
            continue;
        }
        int i = 0;
        const int32_t r = FillMenu(b.handle, t.defs, t.count, i, t.groupMask);
        if (r > 10000 && failure == 0) failure = r;
        // What a failed fill made stays, and the counts say so.
        b.count = b.initialCount = r > 10000 ? std::max(0, OpItemCount(b.handle)) : r;
    }
    if (failure != 0) RaiseMessage("Menus could not be built completely (%d)", static_cast<int>(failure));
    return failure;
}

void DestroyMenus() {
    for (LvHandle h : g_state.made) OpDestroyMenu(h);
    g_state.made.clear();
    for (BuiltMenu& m : g_state.menus) m = BuiltMenu{};
    g_state.checkables.clear();
    for (CatTree& t : g_state.cat) t = CatTree{};
    g_state.catOpen = -1;
}

void ResetMenusForTest() { g_state = MenuState{}; }

void UpdateRadioMarks() {
    const SharedState* s = Shared();
    const uint16_t mode = MenuModeWord();
    int32_t want[2] = {-1, -1};
    if (mode == 0x1440) want[0] = s != nullptr ? s->PopupRadio1 : 0;
    if (mode == 0x1900) {
        const int32_t v = s != nullptr ? s->PopupRadio2 : 0;
        want[1] = v < 6 ? v : v + 2;  // two submenu entries follow position 5
    }
    for (int k = 0; k < 2; ++k) {
        if (want[k] == g_state.radio[k]) continue;
        const LvHandle h = g_state.menus[2 + k].handle;
        if (g_state.radio[k] >= 0) OpState(h, g_state.radio[k], kLvItemChecked | kLvItemRadio, 0);
        if (want[k] >= 0) OpState(h, want[k], kLvItemChecked | kLvItemRadio, kLvItemChecked | kLvItemRadio);
        g_state.radio[k] = want[k];
    }
    const BuiltMenu& m28 = g_state.menus[28];
    for (int32_t p = 0; p < m28.count && p < 256; ++p) {
        uint8_t& b = g_state.checkState[p];
        if (mode == 0x2100 && (b & 1) != 0) {
            if ((b & 2) == 0) {
                OpState(m28.handle, p, kLvItemChecked, kLvItemChecked);
                b |= 2;
            }
        } else if ((b & 2) != 0) {
            OpState(m28.handle, p, kLvItemChecked, 0);
            b &= static_cast<uint8_t>(~2);
        }
    }
}

}  // namespace lvk

using namespace lvk;

namespace {

BuiltMenu* numberedMenu(int32_t menu) {
    if (menu < 0 || menu >= kMenuCount || Menus().menus[menu].handle == 0) return nullptr;
    return &Menus().menus[menu];
}

const char* orEmpty(const char* s) { return s != nullptr ? s : ""; }

// Removes the item at position, destroying a submenu that only it opened.
int32_t removeAt(LvHandle menu, int32_t position) {
    LvHandle sub = 0;
    const int32_t err = OpRemove(menu, position, &sub);
    if (err == 0) DropSubmenu(sub);
    return err;
}

const CheckableItem* findCheckable(int32_t identifier) {
    for (const CheckableItem& c : Menus().checkables) {
        if (c.identifier == static_cast<uint16_t>(identifier)) return &c;
    }
    return nullptr;
}

}  // namespace

LvResult SetMenuItem(int32_t menu, int32_t positionWord, const char* caption, int32_t identifier) noexcept {
    BuiltMenu* m = numberedMenu(menu);
    if (m == nullptr) return -2;
    int32_t position = positionWord & 0xFFF;
    if (position == 4095) position = m->count;
    const std::string text = orEmpty(caption);
    LvHandle sub = 0;
    if ((positionWord & 0x8000) != 0) {
        sub = MakeMenu(false);
        if (sub == 0) return -3;
    }
    if (identifier == 0) identifier = position + 0x8000;
    const uint32_t state = text == "-" ? kLvItemSeparator : 0;
    if (position < m->count) {
        if (removeAt(m->handle, position) != 0 || OpInsert(m->handle, position, identifier, text, sub, state) != 0)
            return sub != 0 ? static_cast<int32_t>(sub) : 255;
    } else {
        if (OpInsert(m->handle, position, identifier, text, sub, state) != 0)
            return sub != 0 ? static_cast<int32_t>(sub) : 254;
        ++m->count;
    }
    return static_cast<int32_t>(sub);
}

LvResult InsertMenuData(LvHandle menu, int32_t position, int32_t identifier, const char* caption) noexcept {
    return OpInsert(menu, position, identifier, orEmpty(caption), 0, 0);
}

LvResult CutMenu(int32_t menu, int32_t position) noexcept {
    BuiltMenu* m = numberedMenu(menu);
    if (m == nullptr) return -2;
    if (position < 0) position = m->initialCount;
    while (m->count > position) {
        if (removeAt(m->handle, position) != 0) break;
        --m->count;
    }
    return m->count;
}

LvResult BreakMenu(int32_t menu) noexcept {
    BuiltMenu* m = numberedMenu(menu);
    return m == nullptr ? -2 : BreakIntoColumns(m->handle, m->count);
}

LvResult DoBreakMenu(LvHandle menu, int32_t itemCount) noexcept { return BreakIntoColumns(menu, itemCount); }

LvResult CheckMenu(int32_t identifier, int32_t on) noexcept {
    const auto& table = Menus().checkables;
    if (table.empty()) return 0;
    const CheckableItem* c = findCheckable(identifier);
    if (c == nullptr) return static_cast<int32_t>(table.size());
    int32_t position = OpFind(c->menu, c->identifier);
    if (position < 0) position = c->position;
    const int32_t before = OpState(c->menu, position, kLvItemChecked, on != 0 ? kLvItemChecked : 0);
    return before < 0 ? -1 : 0;
}

LvResult CheckItem(int32_t menu, int32_t position, int32_t on) noexcept {
    BuiltMenu* m = numberedMenu(menu);
    if (m == nullptr) return -2;
    const int32_t before = OpState(m->handle, position, kLvItemChecked, on != 0 ? kLvItemChecked : 0);
    return before < 0 ? -1 : ((before & kLvItemChecked) != 0 ? 1 : 0);
}

LvResult EnableMenu(int32_t identifier, int32_t on) noexcept {
    const auto& table = Menus().checkables;
    if (table.empty()) return 0;
    const CheckableItem* c = findCheckable(identifier);
    if (c == nullptr) return static_cast<int32_t>(table.size());
    const int32_t before = OpState(c->menu, c->position, kLvItemGrayed, on != 0 ? 0 : kLvItemGrayed);
    return before < 0 ? -1 : ((before & kLvItemGrayed) != 0 ? 1 : 0);
}

LvResult SetCheckState(int32_t index, int32_t keepMask, int32_t setBits) noexcept {
    uint8_t& b = Menus().checkState[index & 0xFF];
    b = static_cast<uint8_t>((b & keepMask) | setBits);
    return b;
}

LvResult ShowPopup(int16_t slot, int32_t flags, int32_t x, int32_t y, LvWindow window, int32_t modeWord) noexcept {
    const LvWindowOps* o = WindowOps();
    const LvHandle menu = MenuHandle(flags & 0x3F);
    if (o == nullptr || menu == 0) return 0;
    if (window != 0) o->clientToScreen(o->context, window, &x, &y);
    SetMenuModeWord(static_cast<uint16_t>(modeWord));
    // Without a slot the owner is the window value of the limits record (the program's
    // service window), which lives in the shared record.
    LvWindow owner = 0;
    if (slot >= 0) {
        owner = FormWindow(slot);
    } else if (const SharedState* s = Shared()) {
        owner = static_cast<LvWindow>(s->Limits.OwnerWindow);
    }
    const int32_t track = (flags & 0x40) != 0 ? (kLvPopupReturnCmd | kLvPopupNoNotify) : 0;
    return o->trackPopup(o->context, menu, owner, x, y, track);
}

LvResult SetMenuTxt(const char* text) noexcept {
    if (text == nullptr) return 0;
    // 255 bytes at most, cut before a character that would not fit whole (UTF-8).
    size_t n = std::min<size_t>(std::strlen(text), 255);
    if (n == 255) {
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
    Menus().answer.assign(text, n);
    return static_cast<int32_t>(n);
}
