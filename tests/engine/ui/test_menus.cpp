// Menus built from the tables through the program's operations: captions from event 203,
// group filters, generated numbers, columns, marks, the exports that change menus, and the
// label submenus.
#include <string>

#include "engine/ui/menu_table.h"
#include "window_test_fixture.h"

namespace {

using testing_ops::FakeItem;
using testing_ops::FakeMenu;
using testing_ops::WindowTest;

class MenuTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        shared_.PictureHeight = 100;
    }
    // Builds every menu through a registration, leaving out the groups in exclusion.
    void build(uint16_t exclusion = 0) {
        FormLimits limits;
        limits.Flags = exclusion;
        ASSERT_EQ(OpenFrm(1, 0x100, &limits), 0xFFFF);
    }
    const FakeMenu& menu(int n) const { return ops_.menu(lvk::MenuHandle(n)); }
    const FakeItem* item(int n, int32_t id) const { return ops_.findDeep(lvk::MenuHandle(n), id); }
    // The top-level item of menu n with that identifier.
    const FakeItem* top(int n, int32_t id) const {
        for (const FakeItem& i : menu(n).items) {
            if (i.identifier == id) return &i;
        }
        return nullptr;
    }
    std::vector<int32_t> ids(LvHandle h) const {
        std::vector<int32_t> out;
        for (const FakeItem& i : ops_.menu(h).items) out.push_back(i.identifier);
        return out;
    }
};

TEST_F(MenuTest, CaptionsComeFromEvent203) {
    onEvent_ = [](const DllEventRec& r) {
        if (r.Code != 203) return;
        const std::u16string key = LvTextString(r.Text1);
        if (key == u"SAV") SetMenuTxt("&Speichern");
        if (key == u"NEWIN") SetMenuTxt("");  // an empty answer keeps the default
    };
    build();
    const auto asks = eventsWithCode(203);
    ASSERT_FALSE(asks.empty());
    bool sawSave = false;
    for (const auto& e : asks) {
        EXPECT_FALSE(e.text1.empty()) << "only items with a key are asked for";
        if (e.text1 == u"SAV") {
            sawSave = true;
            EXPECT_EQ(e.text2, u"&Save");
        }
    }
    EXPECT_TRUE(sawSave);
    EXPECT_EQ(item(0, 4117)->caption, "&Speichern");
    EXPECT_EQ(item(0, 4114)->caption, "&New Window\tCtrl+W");
    EXPECT_EQ(OpenFrm(2, 0x200, nullptr), 0) << "built once";
}

TEST_F(MenuTest, WithoutACallbackTheDefaultCaptionsStay) {
    lvk::SetEventCallback(nullptr);
    build();
    EXPECT_EQ(item(0, 4117)->caption, "&Save");
}

TEST_F(MenuTest, TheExclusionMaskLeavesGroupsOut) {
    build(0xE000 | 0x0800);
    EXPECT_EQ(item(0, 4117), nullptr) << "group 0x20";
    EXPECT_EQ(item(0, 4200), nullptr) << "a submenu of group 0x40 with its items";
    EXPECT_NE(item(0, 4114), nullptr);
    EXPECT_EQ(item(22, 4379), nullptr) << "help items need a help file (0x08)";
    EXPECT_NE(item(22, 4112), nullptr);
    EXPECT_NE(item(0, 0x4000), nullptr);
}

// Whatever a start leaves out, a hidden status bar can be shown again.
TEST_F(MenuTest, EveryStatusBarLayoutSurvivesTheStartsFlags) {
    build(0xE000 | 0x0800 | 0x0400);
    for (int32_t layout = 4369; layout <= 4375; ++layout) EXPECT_NE(item(0, layout), nullptr) << layout;
}

TEST_F(MenuTest, TheGroupFilterSkipsFilteredSubmenusWithTheirItems) {
    build();
    // Menu 1 holds only definitions of group 0x100 of menu 0.
    const FakeMenu& popup = menu(1);
    ASSERT_FALSE(popup.items.empty());
    EXPECT_FALSE(popup.bar);
    EXPECT_EQ(ops_.findDeep(lvk::MenuHandle(1), 4114), nullptr) << "FIL is left out with its items";
    EXPECT_EQ(ops_.findDeep(lvk::MenuHandle(1), 4124), nullptr) << "ADDF of NEW has no 0x100";
    EXPECT_NE(ops_.findDeep(lvk::MenuHandle(1), 4126), nullptr) << "NMAC of NEW has it";
    EXPECT_EQ(ops_.findDeep(lvk::MenuHandle(1), 4253), nullptr)
        << "ADUL has 0x100 but its submenu LIB has not: the whole submenu is skipped";
    for (const FakeItem& i : popup.items) EXPECT_NE(i.identifier, 0x4000) << "CAT has no 0x100";
}

TEST_F(MenuTest, MenuSevenLeavesOutTheMenuThatDoesNotExist) {
    build();
    for (const FakeItem& i : menu(7).items) EXPECT_NE(i.caption, "Log &Files");
    EXPECT_NE(item(7, 4526), nullptr) << "the items after it are built";
    EXPECT_NE(item(7, 4116), nullptr);
}

TEST_F(MenuTest, ReferencedMenusAreShared) {
    build();
    const FakeItem* low = top(3, 5104);
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->submenu, lvk::MenuHandle(4));
    EXPECT_EQ(top(3, 5105)->submenu, lvk::MenuHandle(4));
    EXPECT_EQ(item(0, 5184)->submenu, lvk::MenuHandle(2));
}

TEST_F(MenuTest, GeneratedNumbersFollowThePictureHeight) {
    build();
    const FakeMenu& numbers = menu(4);
    ASSERT_EQ(numbers.items.size(), 50u);
    EXPECT_EQ(numbers.items.front().caption, " 99");
    EXPECT_EQ(numbers.items.front().identifier, 0x800C);
    EXPECT_EQ(numbers.items.back().caption, " 50");
    EXPECT_EQ(numbers.items.back().identifier, 0x800C + 2 * 49);
    // Column length 768 / 20 - 2 = 36: two columns of 25.
    for (size_t p = 0; p < numbers.items.size(); ++p)
        EXPECT_EQ((numbers.items[p].state & kLvItemBreak) != 0, p == 25) << p;
}

TEST_F(MenuTest, HundredAndMoreShowThreeDigits) {
    shared_.PictureHeight = 300;
    build();
    EXPECT_EQ(menu(4).items.front().caption, "299");
    EXPECT_EQ(menu(4).items.size(), 150u);
}

TEST_F(MenuTest, LongMenusBreakIntoEqualColumns) {
    ops_.screenHeight = 42 * 20;  // column length 40
    lvk::InitScreenMetrics();
    build();
    const LvHandle h = lvk::MenuHandle(19);
    for (int i = 0; i < 120; ++i) InsertMenuData(h, -1, 0x5000 + i, "x");
    EXPECT_EQ(DoBreakMenu(h, 120), 3);
    for (int p = 0; p < 120; ++p) EXPECT_EQ((ops_.menu(h).items[p].state & kLvItemBreak) != 0, p == 40 || p == 80) << p;

    const LvHandle small = lvk::MenuHandle(21);
    for (int i = 0; i < 40; ++i) InsertMenuData(small, -1, 0x5000 + i, "x");
    EXPECT_EQ(DoBreakMenu(small, 40), 1) << "one column";
    for (const FakeItem& i : ops_.menu(small).items) EXPECT_EQ(i.state & kLvItemBreak, 0u);
}

TEST_F(MenuTest, SetMenuItemReplacesInsertsAndMakesSubmenus) {
    build();
    EXPECT_EQ(menu(5).items.size(), 1u);
    EXPECT_EQ(SetMenuItem(5, 4095, "Alice", 0), 0);
    EXPECT_EQ(menu(5).items[1].identifier, 0x8001) << "identifier 0 is position + 0x8000";
    EXPECT_EQ(SetMenuItem(5, 1, "Bob", 0), 0);
    EXPECT_EQ(menu(5).items.size(), 2u) << "a position below the count replaces";
    EXPECT_EQ(menu(5).items[1].caption, "Bob");
    EXPECT_EQ(SetMenuItem(5, 2, "-", 0), 0);
    EXPECT_EQ(menu(5).items[2].state, kLvItemSeparator);
    const int32_t sub = SetMenuItem(5, 0x8000 | 4095, "A-F", 0x7000);
    EXPECT_GT(sub, 0);
    ASSERT_EQ(menu(5).items.size(), 4u);
    EXPECT_EQ(menu(5).items[3].submenu, static_cast<LvHandle>(sub));
    EXPECT_EQ(InsertMenuData(static_cast<LvHandle>(sub), -1, 0x8005, "Carol"), 0);
    EXPECT_EQ(SetMenuItem(31, 0, "x", 0), -2);

    ops_.failInserts = true;
    EXPECT_EQ(SetMenuItem(5, 4095, "x", 0), 254);
    EXPECT_EQ(SetMenuItem(5, 1, "x", 0), 255);
}

TEST_F(MenuTest, CutMenuBackToTheBuiltItems) {
    build();
    const size_t built = menu(10).items.size();
    SetMenuItem(10, 4095, "key one", 0);
    const int32_t sub = SetMenuItem(10, 0x8000 | 4095, "group", 0);
    SetMenuItem(10, 4095, "key three", 0);
    const int destroyedBefore = ops_.destroyed;
    EXPECT_EQ(CutMenu(10, -1), static_cast<int32_t>(built));
    EXPECT_EQ(menu(10).items.size(), built);
    EXPECT_EQ(ops_.destroyed, destroyedBefore + 1) << "the cut submenu goes too";
    EXPECT_EQ(ops_.menus.count(static_cast<LvHandle>(sub)), 0u);
    EXPECT_EQ(CutMenu(10, 1), 1);
    EXPECT_EQ(BreakMenu(10), 0);
}

TEST_F(MenuTest, CuttingAnItemThatOpensANumberedMenuKeepsThatMenu) {
    build();
    const size_t before = menu(3).items.size();
    EXPECT_EQ(CutMenu(3, 6), 6);
    EXPECT_LT(menu(3).items.size(), before);
    EXPECT_EQ(ops_.menus.count(lvk::MenuHandle(4)), 1u);
}

TEST_F(MenuTest, CheckAndEnableByIdentifier) {
    build();
    EXPECT_EQ(CheckMenu(4214, 1), 0);
    EXPECT_NE(item(7, 4214)->state & kLvItemChecked, 0u);
    EXPECT_EQ(CheckMenu(4214, 0), 0);
    EXPECT_EQ(item(7, 4214)->state & kLvItemChecked, 0u);
    const int32_t tableSize = CheckMenu(4117, 1);
    EXPECT_GT(tableSize, 10) << "not checkable: the size of the table";
    EXPECT_EQ(EnableMenu(4153, 0), 0) << "was enabled";
    EXPECT_NE(item(0, 4153)->state & kLvItemGrayed, 0u);
    EXPECT_EQ(EnableMenu(4153, 1), 1) << "was greyed";
    EXPECT_EQ(EnableMenu(1, 1), tableSize);
    EXPECT_EQ(CheckItem(2, 3, 1), 0);
    EXPECT_NE(menu(2).items[3].state & kLvItemChecked, 0u);
    EXPECT_EQ(CheckItem(2, 3, 0), 1);
    EXPECT_EQ(CheckItem(2, 99, 1), -1);
}

TEST_F(MenuTest, CheckMenuWithAnEmptyTable) {
    EXPECT_EQ(CheckMenu(4214, 1), 0);
    EXPECT_EQ(EnableMenu(4214, 1), 0);
}

TEST_F(MenuTest, RadioMarksFollowTheModeWord) {
    build();
    LvWindowMessage popup = message(kLvMsgInitMenuPopup);
    shared_.PopupRadio1 = 3;
    lvk::SetMenuModeWord(0x1440);
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(2).items[3].state, kLvItemChecked | kLvItemRadio);
    shared_.PopupRadio1 = 5;
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(2).items[3].state, 0u);
    EXPECT_EQ(menu(2).items[5].state, kLvItemChecked | kLvItemRadio);
    lvk::SetMenuModeWord(0x1900);
    shared_.PopupRadio2 = 7;
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(2).items[5].state, 0u) << "another mode clears menu 2's mark";
    EXPECT_EQ(menu(3).items[9].state, kLvItemChecked | kLvItemRadio) << "past the two submenu entries";
    shared_.PopupRadio2 = 4;
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(3).items[4].state, kLvItemChecked | kLvItemRadio);
}

TEST_F(MenuTest, Menu28MarksFollowTheCheckStates) {
    build();
    SetMenuItem(28, 4095, "one", 0);
    EXPECT_EQ(SetCheckState(1, 0xFF, 1), 1);
    EXPECT_EQ(SetCheckState(0x101, 0xFE, 0), 0) << "low 8 bits of the index";
    SetCheckState(1, 0xFF, 1);
    LvWindowMessage popup = message(kLvMsgInitMenuPopup);
    lvk::SetMenuModeWord(0x2100);
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(28).items[1].state, kLvItemChecked);
    EXPECT_EQ(SetCheckState(1, 0xFF, 0), 3) << "bit 1: the mark is shown";
    lvk::SetMenuModeWord(0x1D00);
    WindowProc(0x100, &popup);
    EXPECT_EQ(menu(28).items[1].state, 0u);
    EXPECT_EQ(SetCheckState(1, 0xFF, 0), 1);
}

TEST_F(MenuTest, ShowPopupTracksTheMenuForTheSlotsWindow) {
    build();
    ops_.clientOffsetX = 100;
    ops_.clientOffsetY = 50;
    EXPECT_EQ(ShowPopup(1, 7, 10, 20, 0x100, 0x1C00), 1);
    ASSERT_EQ(ops_.popups.size(), 1u);
    EXPECT_EQ(ops_.popups[0].menu, lvk::MenuHandle(7));
    EXPECT_EQ(ops_.popups[0].owner, 0x100u);
    EXPECT_EQ(ops_.popups[0].x, 110);
    EXPECT_EQ(ops_.popups[0].y, 70);
    EXPECT_EQ(ops_.popups[0].flags, 0);
    EXPECT_EQ(lvk::MenuModeWord(), 0x1C00);

    ops_.popupChoice = 4214;
    EXPECT_EQ(ShowPopup(1, 0x40 | 7, 0, 0, 0, 0), 4214) << "bit 6 returns the choice";
    EXPECT_EQ(ops_.popups[1].flags, kLvPopupReturnCmd | kLvPopupNoNotify);
    EXPECT_EQ(ops_.popups[1].x, 0) << "no window, no conversion";

    shared_.Limits.OwnerWindow = 0x4444;
    ShowPopup(-1, 30, 0, 0, 0, 0);
    EXPECT_EQ(ops_.popups[2].owner, 0x4444u) << "without a slot: the window value of the limits";
    EXPECT_EQ(ShowPopup(1, 31, 0, 0, 0, 0), 0) << "no menu 31";
    EXPECT_EQ(ops_.popups.size(), 3u);
}

TEST_F(MenuTest, SetMenuTxtKeeps255Bytes) {
    const std::string longText(300, 'a');
    EXPECT_EQ(SetMenuTxt(longText.c_str()), 255);
    std::string cut(254, 'a');
    cut += "\xC3\xA9";  // a two-byte character across the limit
    EXPECT_EQ(SetMenuTxt(cut.c_str()), 254) << "a character is not split";
    EXPECT_EQ(SetMenuTxt(nullptr), 0);
}

TEST_F(MenuTest, DestroyMenusDestroysEverythingMade) {
    build();
    SetMenuItem(5, 0x8000 | 4095, "group", 0);
    lvk::DestroyMenus();
    EXPECT_TRUE(ops_.menus.empty());
    EXPECT_EQ(lvk::MenuHandle(0), 0u);
    EXPECT_EQ(CheckMenu(4214, 1), 0) << "the checkable table is empty again";
    EXPECT_EQ(OpenFrm(2, 0x200, nullptr), 0xFFFF) << "the next registration builds again";
}

TEST_F(MenuTest, FailuresAreReportedAsMessages) {
    ops_.failInserts = true;
    build();
    const auto messages = eventsWithCode(206);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text1.find(u"700008"), std::u16string::npos);
}

// Label submenus.
class CatMenuTest : public MenuTest {
protected:
    LvHandle attached(int menuNumber, int32_t id) const {
        const FakeItem* i = top(menuNumber, id);
        return i == nullptr ? 0 : i->submenu;
    }
};

TEST_F(CatMenuTest, LevelsNestUnderTheLastLabel) {
    build(0xE000);
    const LvHandle tableMenu = attached(0, 0x4000);
    ASSERT_NE(tableMenu, 0u);
    ASSERT_EQ(SetCatMenu(-1, 1, nullptr, nullptr), 0);
    EXPECT_EQ(attached(0, 0x4000), 0u) << "detached at the reset";
    EXPECT_EQ(ops_.menus.count(tableMenu), 0u) << "and destroyed";
    LvHandle out = 0;
    EXPECT_EQ(SetCatMenu(0, 0, "A", &out), 0);
    const LvHandle root = out;
    EXPECT_EQ(SetCatMenu(1, 1, "B", &out), 0);
    const LvHandle level1 = out;
    EXPECT_NE(level1, root);
    EXPECT_EQ(SetCatMenu(2, 1, "C", &out), 0);
    EXPECT_EQ(SetCatMenu(3, 0, "D", &out), 0);
    EXPECT_EQ(out, root);
    LvHandle finished = 0;
    EXPECT_EQ(SetCatMenu(-2, 1, nullptr, &finished), 0);
    EXPECT_EQ(finished, root);
    EXPECT_EQ(attached(0, 0x4000), root);

    const auto& rootItems = ops_.menu(root).items;
    ASSERT_EQ(rootItems.size(), 2u) << "the fixed items are of an excluded group";
    EXPECT_EQ(rootItems[0].caption, "A");
    EXPECT_EQ(rootItems[0].identifier, 0x8000);
    EXPECT_EQ(rootItems[0].submenu, level1);
    EXPECT_EQ(rootItems[1].caption, "D");
    EXPECT_EQ(rootItems[1].identifier, 0x8003);
    EXPECT_EQ(ids(level1), (std::vector<int32_t>{0x8001, 0x8002}));
}

TEST_F(CatMenuTest, ADeeperLabelUnderAnEmptyLevelHangsFromAQuestionMark) {
    build(0xE000);
    SetCatMenu(-1, 1, nullptr, nullptr);
    LvHandle out = 0;
    EXPECT_EQ(SetCatMenu(0, 1, "B", &out), 0);
    LvHandle root = 0;
    EXPECT_EQ(SetCatMenu(-2, 1, nullptr, &root), 0);
    ASSERT_EQ(ops_.menu(root).items.size(), 1u);
    EXPECT_EQ(ops_.menu(root).items[0].caption, "?");
    EXPECT_EQ(ops_.menu(root).items[0].submenu, out);
}

TEST_F(CatMenuTest, LevelOneStartsWithTheFixedItems) {
    build(0);
    SetCatMenu(-1, 1, nullptr, nullptr);
    LvHandle root = 0;
    SetCatMenu(0, 0, "Main", nullptr);
    EXPECT_EQ(SetCatMenu(-2, 1, nullptr, &root), 0);
    const auto& items = ops_.menu(root).items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].identifier, 0x1201) << "the fixed submenu takes the first automatic identifier";
    EXPECT_NE(items[0].submenu, 0u);
    EXPECT_EQ(ops_.menu(items[0].submenu).items.size(), 8u);
    EXPECT_EQ(items[1].caption, "Main");
}

TEST_F(CatMenuTest, OptionsHangAtMenuEightAndResetsReplaceTheLastTree) {
    build(0xE000);
    ASSERT_EQ(SetCatMenu(-1, 2, nullptr, nullptr), 0);
    SetCatMenu(0, 0, "Snow", nullptr);
    SetCatMenu(1, 0, "-", nullptr);
    LvHandle first = 0;
    ASSERT_EQ(SetCatMenu(-2, 2, nullptr, &first), 0);
    EXPECT_EQ(attached(8, 0x1B00), first);
    EXPECT_EQ(ops_.menu(first).items[1].state, kLvItemSeparator);

    const size_t menusBefore = ops_.menus.size();
    ASSERT_EQ(SetCatMenu(-1, 2, nullptr, nullptr), 0);
    SetCatMenu(0, 0, "Rain", nullptr);
    LvHandle second = 0;
    ASSERT_EQ(SetCatMenu(-2, 2, nullptr, &second), 0);
    EXPECT_EQ(attached(8, 0x1B00), second);
    EXPECT_EQ(ops_.menus.count(first), 0u);
    EXPECT_EQ(ops_.menus.size(), menusBefore);
}

TEST_F(CatMenuTest, BadLevelsAndLabelsWithoutAReset) {
    build(0xE000);
    EXPECT_EQ(SetCatMenu(-1, 3, nullptr, nullptr), -1);
    EXPECT_EQ(SetCatMenu(0, 0, "x", nullptr), -1);
    ops_.failInserts = true;
    SetCatMenu(-1, 2, nullptr, nullptr);
    EXPECT_EQ(SetCatMenu(0, 0, "x", nullptr), 600008);
    EXPECT_EQ(SetCatMenu(0, 1, "x", nullptr), 400008);
}

}  // namespace
