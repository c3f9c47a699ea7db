#include "program/stock/stock_menus.h"

#include <algorithm>
#include <numeric>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/utilities.h"
#include "program/stock/stock_options.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

namespace {

using stock_menu::kAuthCutFirst;
using stock_menu::kAuthSortFirst;
using stock_menu::kShowAuthFirst;

constexpr int32_t kShowAuthors = 4354;
constexpr int32_t kAuthorsExtra = 4355;
constexpr int32_t kAppendSubmenu = 0x8FFF;
constexpr int32_t kGenerated = 0x8000;
constexpr int32_t kGroupSizes[] = {0, 0, 30, 120};  // by "AuthCut"; "Group in 100" holds 120
constexpr int32_t kUnsortedGroup = 30;
// Label levels passed on: deeper ones hang at this depth (each level is a menu the engine makes).
constexpr int16_t kMaxLabelLevel = 16;

void enable(int32_t id, bool on) { lv::EnableMenu(id, on ? 1 : 0); }
void check(int32_t id, bool on) { lv::CheckMenu(id, on ? 1 : 0); }

// The engine's menu calls with their captions in UTF-8.
int32_t setMenuItem(int32_t menu, int32_t positionWord, const std::u16string& caption, int32_t id) {
    return lv::SetMenuItem(menu, positionWord, plat::utf16ToUtf8(caption).c_str(), id);
}
void insertMenuData(LvHandle menu, int32_t position, int32_t id, const std::u16string& caption) {
    lv::InsertMenuData(menu, position, id, plat::utf16ToUtf8(caption).c_str());
}
int32_t setCatMenu(int16_t index, int16_t level, const std::u16string& caption) {
    return lv::SetCatMenu(index, level, plat::utf16ToUtf8(caption).c_str(), nullptr);
}

std::u16string shownName(const AuthorEntry& a, uint8_t showAuth) { return showAuth == 1 ? a.ShortName : a.Name; }

void reportCat(int32_t step, int32_t result) {
    ShowMsgBox(u"SetCatMenu " + decimal(step) + u" error " + decimal(result), msgbox::kOk);
}

}  // namespace

int32_t MenuAuthor(int32_t position) {
    const std::vector<int32_t>& order = stockMenus().AuthorOrder;
    return position >= 1 && static_cast<size_t>(position) < order.size() ? order[static_cast<size_t>(position)] : 0;
}

std::u16string AuthorSortKey(int32_t author, uint8_t showAuth, uint8_t authSort) {
    const ProgramState& st = programState();
    if (!st.Arrays.Authors.has(author)) return {};
    std::u16string key = shownName(st.Arrays.Authors[author], showAuth);
    if (authSort == 2 && std::count(key.begin(), key.end(), u' ') == 1) {
        const size_t blank = key.find(u' ');
        key = key.substr(blank + 1) + u" " + key.substr(0, blank);
    }
    return key;
}

void BuildStockMenu() {
    const ProgramState& st = programState();
    const StockOptions& o = stockWindows().Options;
    const int32_t n = std::max(0, std::min(st.Shared.AuthorCount, st.Arrays.Authors.length() - 1));
    enable(kShowAuthors, n > 0);
    enable(kAuthorsExtra, n > 0);
    for (int32_t i = 0; i < 3; ++i) check(kShowAuthFirst + i, o.AuthorNames == i);
    for (int32_t i = 0; i < 3; ++i) check(kAuthSortFirst + i, o.AuthorOrder == i);
    for (int32_t i = 0; i < 4; ++i) check(kAuthCutFirst + i, o.AuthorGroups == i);
    const bool authors = n > 0 && o.AuthorNames != 0;
    for (const int32_t id : {kFindAuthor, kSetAuthor, kSelectAuthor, kDeselectAuthor, kExclusiveAuthor})
        enable(id, authors);

    std::vector<int32_t>& order = stockMenus().AuthorOrder;
    order.assign(static_cast<size_t>(n) + 1, 0);
    std::iota(order.begin() + 1, order.end(), 1);
    if (o.AuthorNames == 0) return;

    std::vector<std::u16string> keys(static_cast<size_t>(n) + 1);
    for (int32_t a = 1; a <= n; ++a) keys[static_cast<size_t>(a)] = AuthorSortKey(a, o.AuthorNames, o.AuthorOrder);
    // A stable sort by character codes: the order of passes of adjacent swaps, without their
    // square time on a long author list.
    if (o.AuthorOrder != 0)
        std::stable_sort(order.begin() + 1, order.end(), [&keys](int32_t x, int32_t y) {
            return keys[static_cast<size_t>(x)] < keys[static_cast<size_t>(y)];
        });

    lv::CutMenu(kAuthorsMenu, 1);
    auto display = [&](int32_t p) {
        return DoubleAmpersands(shownName(st.Arrays.Authors[order[static_cast<size_t>(p)]], o.AuthorNames));
    };
    if (o.AuthorGroups == 0) {
        for (int32_t p = 1; p <= n; ++p) setMenuItem(kAuthorsMenu, p, display(p), 0);
        lv::BreakMenu(kAuthorsMenu);
        return;
    }
    int32_t group = kGroupSizes[std::min<size_t>(o.AuthorGroups, 3)];
    if (group == 0 && o.AuthorOrder == 0) group = kUnsortedGroup;
    LvHandle open = 0;
    int32_t items = 0;
    std::u16string letter;
    for (int32_t p = 1; p <= n; ++p) {
        const std::u16string& key = keys[static_cast<size_t>(order[static_cast<size_t>(p)])];
        const std::u16string name = display(p);
        bool fresh = open == 0;
        std::u16string caption;
        if (group == 0) {
            const std::u16string initial =
                !key.empty() && key.front() <= u'Z' ? std::u16string(1, key.front()) : std::u16string(u"Other");
            fresh = fresh || initial != letter;
            letter = initial;
            caption = initial;
        } else {
            fresh = fresh || items >= group;
            caption = name + u" -";
        }
        if (fresh) {
            if (open != 0) lv::DoBreakMenu(open, items);
            const int32_t made = setMenuItem(kAuthorsMenu, kAppendSubmenu, caption, 0);
            open = made > 0 ? static_cast<LvHandle>(made) : 0;
            items = 0;
        }
        if (open == 0) continue;
        insertMenuData(open, items, (p + kGenerated) & 0xFFFF, name);
        ++items;
    }
    if (open != 0) lv::DoBreakMenu(open, items);
    lv::BreakMenu(kAuthorsMenu);
}

void BuildCatMenu() {
    ProgramState& st = programState();
    SharedArray<CategoryEntry>& cats = st.Arrays.Categories;
    const int32_t count = std::min(st.Shared.CategoryCount, cats.length() - 1);
    if (count <= 0) return;
    cats[0].Level = -1;
    cats[0].FirstEntry = 1;
    // A stock may number its main level from 1: the shallowest level stands at the menu's
    // top, or its labels would hang from the fixed label commands.
    int16_t shallowest = cats[1].Level;
    for (int32_t i = 1; i <= count; ++i) shallowest = std::min(shallowest, cats[i].Level);
    auto levelOf = [&](int32_t i) {
        return static_cast<int16_t>(std::clamp<int32_t>(cats[i].Level - shallowest, 0, kMaxLabelLevel));
    };

    int32_t r = setCatMenu(-1, 1, u"");
    if (r != 0) {
        reportCat(4, r);
        return;
    }
    StockMenuState& state = stockMenus();
    state.QuickCount = 0;
    for (int32_t i = 1; i <= count; ++i) {
        // A label with entries of its own gets a "?" opener for the deeper labels under it.
        if (i > 1 && cats[i].Level > cats[i - 1].Level && cats[i].FirstEntry > cats[i - 1].FirstEntry) {
            r = setCatMenu(static_cast<int16_t>(i - 1), levelOf(i - 1), u"?");
            if (r != 0) reportCat(2, r);
        }
        std::u16string caption = PickLangText(cats[i].Names, cats[i].Text, cats[i].Key);
        const bool quick = !caption.empty() && caption.front() == u'@';
        if (quick) caption.erase(0, 1);
        caption = DoubleAmpersands(caption);
        r = setCatMenu(static_cast<int16_t>(i), levelOf(i), caption);
        if (r != 0) reportCat(3, r);
        // The quick menu holds 256 items; further quick labels are left out of it.
        if (quick && state.QuickCount < kQuickCatCapacity) {
            setMenuItem(kQuickCatMenu, state.QuickCount, caption, 0);
            state.QuickCatTable[static_cast<size_t>(state.QuickCount)] = static_cast<int16_t>(i);
            ++state.QuickCount;
        }
    }
    r = setCatMenu(-2, 1, u"");
    if (r != 0) reportCat(4, r);
    if (state.QuickCount > 0) {
        lv::CutMenu(kQuickCatMenu, state.QuickCount);
        lv::BreakMenu(kQuickCatMenu);
    }
    enable(kMoveTo, state.QuickCount > 0);
    // Qt's menu bars show the engine's items themselves: a changed label tree needs no redraw.
}

}  // namespace yov
