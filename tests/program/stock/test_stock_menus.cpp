// The authors and category menus built in the real engine's menu tables, seen through a
// recording table of menu operations: 300 authors in each grouping and order (ids, captions,
// order, column breaks), nested categories with "?" openers, and the quick menu's bound.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core_fixture.h"
#include "menu_engine_fake.h"
#include "engine/fake_window_ops.h"
#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/msgbox.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_browser_state.h"
#include "program/core/binding/engine.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/window_ops_qt.h"
#include "program/core/binding/engine_events.h"

namespace {

using testing_ops::FakeItem;

constexpr LvWindow kWindow = 0x500;
constexpr uint32_t kBreak = kLvItemBreak;

class StockMenus : public core_test::CoreTest {
    yov::FreshStockBrowserState freshStock_;  // each test on a state of its own
protected:
    void SetUp() override {
        CoreTest::SetUp();
        coreEngine_.windowSlots = false;  // the menus live in the library's window slot
        yov::BuildStartupTables();
        useEngine_.emplace(engine_);
        ASSERT_EQ(yov::lv::SetWindowOps(ops_.table()), 0);
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        FormLimits limits;
        ASSERT_EQ(yov::lv::OpenFrm(1, kWindow, &limits), 0xFFFF);
        answer_ = yov::msgbox::kOk;
    }
    void TearDown() override {
        yov::lv::CloseDLL();
        // The program's own menus again, for the tests that follow.
        yov::windowOps().install();
        useEngine_.reset();
        CoreTest::TearDown();
    }

    // n authors "First Last" named from a list, short names their initials.
    void Authors(int32_t n) {
        static const char16_t* first[] = {u"ada", u"Bea", u"Cy", u"Dan", u"Eve", u"Fay", u"Gus", u"Hal"};
        static const char16_t* last[] = {u"Zorn", u"Young", u"Xu", u"West", u"Vance", u"Umber", u"7th", u"Sand"};
        yov::ProgramState& st = yov::programState();
        st.Arrays.Authors.redim(n);
        st.Shared.AuthorCount = n;
        for (int32_t i = 1; i <= n; ++i) {
            AuthorEntry& a = st.Arrays.Authors[i];
            a.Name = std::u16string(first[i % 8]) + u" " + last[(i / 8) % 8] + yov::decimal(i);
            a.ShortName =
                std::u16string(1, first[i % 8][0]) + std::u16string(1, last[(i / 8) % 8][0]) + yov::decimal(i);
        }
    }
    // Menu 5: under the "Find" item with id 15360.
    LvHandle AuthorsMenu() {
        const FakeItem* find = ops_.findDeep(ops_.bars[kWindow], yov::kFindAuthor);
        return find != nullptr ? find->submenu : 0;
    }
    const std::vector<FakeItem>& Items(LvHandle h) { return ops_.menu(h).items; }
    void Build(uint8_t show, uint8_t sort, uint8_t cut) {
        yov::StockOptions& o = yov::stockWindows().Options;
        o.AuthorNames = show;
        o.AuthorOrder = sort;
        o.AuthorGroups = cut;
        yov::BuildStockMenu();
    }

    testing_ops::FakeWindowOps ops_;

    // The menu calls are recorded on their way to the engine's menu tables.
    engine_fake::MenuEngine engine_{true};

private:
    std::optional<yov::ScopedEngine> useEngine_;
};

TEST_F(StockMenus, ThreeHundredAuthorsInOneListBreakIntoEvenColumns) {
    Authors(300);
    Build(2, 0, 0);
    const LvHandle menu = AuthorsMenu();
    ASSERT_NE(menu, 0u);
    const auto& items = Items(menu);
    ASSERT_EQ(items.size(), 301u) << "the fixed first item and 300 authors";
    for (int32_t p = 1; p <= 300; ++p) {
        EXPECT_EQ(items[static_cast<size_t>(p)].identifier, 0x8000 + p);
        EXPECT_EQ(items[static_cast<size_t>(p)].caption, plat::utf16ToUtf8(yov::programState().Arrays.Authors[p].Name));
    }
    // 768 / 20 rows less 2: 36 items a column at most; 301 items make 9 columns of 34.
    for (int32_t p = 1; p <= 300; ++p)
        EXPECT_EQ(items[static_cast<size_t>(p)].state & kBreak, p % 34 == 0 ? kBreak : 0u) << p;
    EXPECT_EQ(yov::stockMenus().AuthorOrder[300], 300);

    Build(1, 0, 0);
    EXPECT_EQ(Items(AuthorsMenu()).size(), 301u) << "built again, not added to";
    EXPECT_EQ(Items(AuthorsMenu())[1].caption, "BZ1");
}

TEST_F(StockMenus, SortedByLastNameAndGroupedByInitial) {
    Authors(300);
    Build(2, 2, 1);
    const auto& order = yov::stockMenus().AuthorOrder;
    for (size_t p = 2; p < order.size(); ++p)
        EXPECT_LE(yov::AuthorSortKey(order[p - 1], 2, 2), yov::AuthorSortKey(order[p], 2, 2)) << p;
    const auto& groups = Items(AuthorsMenu());
    std::vector<std::string> captions;
    for (size_t g = 1; g < groups.size(); ++g) captions.push_back(groups[g].caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"7", "S", "U", "V", "W", "X", "Y", "Z"}));
    // Every author once, in the sorted order, numbered by place.
    int32_t p = 0;
    for (size_t g = 1; g < groups.size(); ++g) {
        ASSERT_NE(groups[g].submenu, 0u);
        for (const FakeItem& i : Items(groups[g].submenu)) {
            ++p;
            EXPECT_EQ(i.identifier, 0x8000 + p);
            EXPECT_EQ(i.caption,
                      plat::utf16ToUtf8(yov::programState().Arrays.Authors[order[static_cast<size_t>(p)]].Name));
            // The commands take an item's place back to its author.
            EXPECT_EQ(yov::MenuAuthor(p), order[static_cast<size_t>(p)]);
        }
    }
    EXPECT_EQ(p, 300);
    EXPECT_EQ(yov::MenuAuthor(0), 0);
    EXPECT_EQ(yov::MenuAuthor(301), 0) << "a place the menu does not have";

    // By the name as written, lower-case initials sort after "Z": one "Other" group.
    Build(2, 1, 1);
    const auto& byFirst = Items(AuthorsMenu());
    EXPECT_EQ(byFirst.back().caption, "Other");
    EXPECT_EQ(Items(byFirst.back().submenu).front().caption.substr(0, 3), "ada");
}

TEST_F(StockMenus, GroupsOfThirtyAndOfAHundredAndTwenty) {
    Authors(61);
    Build(1, 0, 1);  // unsorted "by letter" groups in thirties
    auto sizes = [this] {
        std::vector<size_t> out;
        const auto& groups = Items(AuthorsMenu());
        for (size_t g = 1; g < groups.size(); ++g) out.push_back(Items(groups[g].submenu).size());
        return out;
    };
    EXPECT_EQ(sizes(), (std::vector<size_t>{30, 30, 1}));
    EXPECT_EQ(Items(AuthorsMenu())[1].caption, "BZ1 -") << "a group is named after its first author";
    Build(1, 0, 2);
    EXPECT_EQ(sizes(), (std::vector<size_t>{30, 30, 1}));
    Authors(250);
    Build(1, 0, 3);
    EXPECT_EQ(sizes(), (std::vector<size_t>{120, 120, 10}));
    const auto& first = Items(Items(AuthorsMenu())[1].submenu);
    EXPECT_EQ(first[1].state & kBreak, 0u);
    EXPECT_NE(first[120 / 4].state & kBreak, 0u) << "a long group is broken into columns too";
}

TEST_F(StockMenus, WithoutAuthorsShownTheAuthorItemsAreOffAndTheMenuStays) {
    Authors(3);
    Build(1, 0, 0);
    ASSERT_EQ(Items(AuthorsMenu()).size(), 4u);
    std::map<int32_t, int32_t>& enabled = engine_.enables;
    std::map<int32_t, int32_t>& checked = engine_.checks;
    enabled.clear();
    checked.clear();
    Build(0, 2, 3);
    EXPECT_EQ(Items(AuthorsMenu()).size(), 4u) << "menu 5 keeps its old items";
    for (int32_t id : {15360, 12288, 13312, 14336, 9216}) EXPECT_EQ(enabled[id], 0) << id;
    EXPECT_EQ(enabled[4354], 1);
    EXPECT_EQ(checked[4344], 1);
    EXPECT_EQ(checked[4345], 0);
    EXPECT_EQ(checked[4349], 1);
    EXPECT_EQ(checked[4353], 1);
    EXPECT_EQ(checked[4350], 0);
}

// --- Categories -------------------------------------------------------------------------

class StockCatMenus : public StockMenus {
protected:
    // The categories live in the program's arrays, which outlast the test.
    void TearDown() override {
        Categories({});
        StockMenus::TearDown();
    }

    // Categories as (level, first entry, caption).
    void Categories(const std::vector<std::tuple<int16_t, int32_t, std::u16string>>& cats) {
        yov::ProgramState& st = yov::programState();
        st.Arrays.Categories.redim(static_cast<int32_t>(cats.size()) + 3);
        st.Shared.CategoryCount = static_cast<int32_t>(cats.size());
        for (size_t i = 0; i < cats.size(); ++i) {
            CategoryEntry& c = st.Arrays.Categories[static_cast<int32_t>(i) + 1];
            c.Level = std::get<0>(cats[i]);
            c.FirstEntry = std::get<1>(cats[i]);
            c.Names[0] = std::get<2>(cats[i]);
            c.Text = std::get<2>(cats[i]);
        }
    }
    LvHandle LabelMenu() {
        const FakeItem* label = ops_.findDeep(ops_.bars[kWindow], yov::kLabelBase);
        return label != nullptr ? label->submenu : 0;
    }
    // The items after the fixed ones: (identifier, caption).
    std::vector<std::pair<int32_t, std::string>> Labels(LvHandle h) {
        std::vector<std::pair<int32_t, std::string>> out;
        for (const FakeItem& i : Items(h))
            if (i.identifier >= 0x8000) out.push_back({i.identifier, i.caption});
        return out;
    }
    const FakeItem* Label(LvHandle h, int32_t id) {
        for (const FakeItem& i : Items(h))
            if (i.identifier == id) return &i;
        return nullptr;
    }
};

TEST_F(StockCatMenus, NestedCategoriesHangUnderTheirParentsWithOpenersForParentsWithEntries) {
    Categories({{1, 1, u"Locomotives"},
                {2, 1, u"Electric"},
                {2, 4, u"@Diesel"},
                {1, 7, u"Coaches"},
                {2, 9, u"Sleepers"},
                {3, 9, u"@Old & new"},
                {1, 12, u"Wagons"}});
    yov::BuildCatMenu();
    EXPECT_TRUE(boxes_.empty());
    const LvHandle root = LabelMenu();
    ASSERT_NE(root, 0u);
    using L = std::vector<std::pair<int32_t, std::string>>;
    // The stock numbers its main level from 1: it stands at the menu's top.
    EXPECT_EQ(Labels(root), (L{{0x8001, "Locomotives"}, {0x8004, "Coaches"}, {0x8004, "?"}, {0x8007, "Wagons"}}));
    const FakeItem* locos = Label(root, 0x8001);
    ASSERT_NE(locos->submenu, 0u) << "no entries of its own: the label opens its children";
    EXPECT_EQ(Labels(locos->submenu), (L{{0x8002, "Electric"}, {0x8003, "Diesel"}}));
    const FakeItem& opener = Items(root)[Items(root).size() - 2];
    EXPECT_EQ(opener.caption, "?") << "Coaches has entries of its own: a \"?\" opens its children";
    ASSERT_NE(opener.submenu, 0u);
    EXPECT_EQ(Label(root, 0x8004)->submenu, 0u);
    const auto& sleepers = Labels(opener.submenu);
    ASSERT_EQ(sleepers.size(), 1u);
    EXPECT_EQ(sleepers[0], (std::pair<int32_t, std::string>{0x8005, "Sleepers"}));
    EXPECT_EQ(Labels(Label(opener.submenu, 0x8005)->submenu), (L{{0x8006, "Old && new"}}));

    // The quick menu: the "@" labels without their "@".
    const yov::StockMenuState& s = yov::stockMenus();
    EXPECT_EQ(s.QuickCount, 2);
    EXPECT_EQ(s.QuickCatTable[0], 3);
    EXPECT_EQ(s.QuickCatTable[1], 6);
    const FakeItem* moveTo = ops_.findDeep(ops_.bars[kWindow], yov::kMoveTo);
    ASSERT_NE(moveTo, nullptr);
    const auto& quick = Items(moveTo->submenu);
    ASSERT_EQ(quick.size(), 2u);
    EXPECT_EQ(quick[0].caption, "Diesel");
    EXPECT_EQ(quick[1].caption, "Old && new");
    EXPECT_EQ(quick[1].identifier, 0x8001);
    EXPECT_EQ(moveTo->state & kLvItemGrayed, 0u) << "\"Move to\" is on";
}

TEST_F(StockCatMenus, TheQuickMenuHoldsTwoHundredFiftySixAndARebuildDropsTheRest) {
    std::vector<std::tuple<int16_t, int32_t, std::u16string>> cats;
    for (int32_t i = 1; i <= 300; ++i) cats.push_back({0, i, u"@Q" + yov::decimal(i)});
    Categories(cats);
    yov::BuildCatMenu();
    EXPECT_EQ(yov::stockMenus().QuickCount, yov::kQuickCatCapacity);
    EXPECT_EQ(yov::stockMenus().QuickCatTable[255], 256);
    const FakeItem* moveTo = ops_.findDeep(ops_.bars[kWindow], yov::kMoveTo);
    EXPECT_EQ(Items(moveTo->submenu).size(), 256u);
    EXPECT_EQ(Labels(LabelMenu()).size(), 300u) << "the label tree holds all";

    Categories({{0, 1, u"@One"}, {0, 2, u"Two"}});
    yov::BuildCatMenu();
    EXPECT_EQ(Items(moveTo->submenu).size(), 1u) << "what the last build had beyond it is cut";
}

}  // namespace
