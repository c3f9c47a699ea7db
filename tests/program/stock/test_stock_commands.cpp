// The stock window's command dispatcher: the cursor and view keys as a table over a stock of
// 100, Shift falling through to the plain key, the wheel, label groups, jumps to selected
// entries with their user errors, the display options with their marks and stored values,
// the window commands (Alt+O shows the window's own popup), the menu-tip and hover notices,
// and which codes are handled, so that the key handler consumes only those.
#include <gtest/gtest.h>

#include <functional>

#include <map>
#include <stdexcept>

#include "program/core/settings/settings.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/window_parts.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/core/windows/utilities.h"
#include "program/stock/window_support.h"
#include "stock_browser_fixture.h"

namespace {

using stock_browser_test::StockBrowserTest;

class StockCommands : public StockBrowserTest {};

struct CursorCase {
    const char* name;
    int32_t top;
    int32_t cell;  // active cell before the key
    int32_t code;
    int32_t expectedTop;
    int32_t expectedEntry;  // selected alone afterwards; 0: the selection is untouched
};

TEST_F(StockCommands, CursorAndViewKeys) {
    MakeStock(100);
    const CursorCase cases[] = {
        {"Down", 1, 1, 40, 1, 2},
        {"Down past the last row scrolls one", 1, 10, 40, 2, 11},
        {"Down on the last entry stays", 91, 10, 40, 91, 100},
        {"Up above the first row scrolls one", 5, 1, 38, 4, 4},
        {"Up on entry 1 stays", 1, 1, 38, 1, 1},
        {"PageDown moves a page less one", 1, 1, 34, 10, 10},
        {"PageDown near the end stops at the last full page", 88, 1, 34, 91, 97},
        {"PageUp", 20, 5, 33, 11, 15},
        {"End: the last row shown", 20, 5, 35, 20, 29},
        {"Home: the first row shown", 20, 5, 36, 20, 20},
        {"Ctrl+End", 1, 1, 547, 91, 100},
        {"Ctrl+Home", 50, 3, 548, 1, 1},
        {"Alt+PageDown scrolls only", 1, 1, 1058, 10, 0},
        {"Alt+PageUp", 50, 1, 1057, 41, 0},
        {"Alt+End stops at the last full page", 1, 1, 1059, 91, 0},
        {"Alt+Home", 50, 1, 1060, 1, 0},
        {"Alt+Up at the top stays", 1, 1, 1062, 1, 0},
        {"Alt+Down", 1, 1, 1064, 2, 0},
    };
    yov::StockWindow& w = Window(10);
    for (const CursorCase& c : cases) {
        w.DeSel();
        w.SetVscrValue(c.top);
        w.ActiveCell = c.cell;
        EXPECT_TRUE(Cmd(w, c.code)) << c.name;
        EXPECT_EQ(w.VscrValue(), c.expectedTop) << c.name;
        if (c.expectedEntry == 0) {
            EXPECT_TRUE(Selected(w).empty()) << c.name;
            EXPECT_EQ(w.ActiveCell, c.cell) << c.name << ": the cursor stays";
        } else {
            EXPECT_EQ(Selected(w), std::vector<int32_t>{c.expectedEntry}) << c.name;
            EXPECT_EQ(w.ActIndex(), c.expectedEntry) << c.name;
            ASSERT_FALSE(focused.empty()) << c.name;
            EXPECT_EQ(focused.back(), w.ActiveCell) << c.name << ": the cursor's row takes the focus";
        }
    }
}

TEST_F(StockCommands, ShiftWithoutARowOfItsOwnIsThePlainKeyExtendingTheSelection) {
    MakeStock(100);
    yov::StockWindow& w = Window(10);
    EXPECT_TRUE(Cmd(w, 40));  // Down: entry 2 alone, the anchor there
    EXPECT_TRUE(Cmd(w, 256 + 40));
    EXPECT_TRUE(Cmd(w, 256 + 40));
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_TRUE(Cmd(w, 256 + 38));  // Shift+Up
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3}));
    // Left and Shift+Left have no row: not handled, nothing changes.
    EXPECT_FALSE(Cmd(w, 37));
    EXPECT_FALSE(Cmd(w, 256 + 37));
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3}));
}

TEST_F(StockCommands, CursorKeysOnAnEmptyStockSelectNothing) {
    MakeStock(0);
    yov::StockWindow& w = Window(10);
    for (int32_t code : {547, 548, 40, 38, 34}) {
        EXPECT_TRUE(Cmd(w, code)) << code;
        EXPECT_EQ(w.VscrValue(), 1) << code;
        EXPECT_EQ(w.ActiveCell, 1) << code;
    }
}

TEST_F(StockCommands, TheWheelScrollsByWholeNotchesInTheChosenDirection) {
    MakeStock(100);
    yov::StockWindow& w = Window(10, 50);
    yov::StockOptions& o = yov::stockWindows().Options;
    o.WheelMode = 1;
    Cmd(w, yov::stock_notice::kWheel, 120);
    EXPECT_EQ(w.VscrValue(), 49) << "a notch away from the user scrolls up";
    Cmd(w, yov::stock_notice::kWheel, 60);
    EXPECT_EQ(w.VscrValue(), 49) << "half a notch waits";
    Cmd(w, yov::stock_notice::kWheel, 60);
    EXPECT_EQ(w.VscrValue(), 48);
    Cmd(w, yov::stock_notice::kWheel, -360);
    EXPECT_EQ(w.VscrValue(), 51);
    o.WheelMode = 2;
    Cmd(w, yov::stock_notice::kWheel, 120);
    EXPECT_EQ(w.VscrValue(), 52) << "mode 2 the other way";
    o.WheelMode = 0;
    Cmd(w, yov::stock_notice::kWheel, 1200);
    EXPECT_EQ(w.VscrValue(), 52) << "mode 0 never scrolls";
    EXPECT_TRUE(Selected(w).empty());
}

class LabelGroups : public StockCommands {
protected:
    // Groups starting at entries 1, 30 and 60, row 0 at the first entry as the category
    // menu leaves it.
    void MakeGroups() {
        yov::ProgramState& st = yov::programState();
        st.Arrays.Categories.redim(3);
        st.Shared.CategoryCount = 3;
        st.Arrays.Categories[0].FirstEntry = 1;
        st.Arrays.Categories[1].FirstEntry = 1;
        st.Arrays.Categories[2].FirstEntry = 30;
        st.Arrays.Categories[3].FirstEntry = 60;
    }
};

TEST_F(LabelGroups, CtrlPageUpAndDownStepThroughTheGroupsAndLabelItemsJump) {
    MakeStock(100);
    MakeGroups();
    yov::StockWindow& w = Window(10);
    w.ActiveCell = 5;
    Cmd(w, 546);
    EXPECT_EQ(w.ActIndex(), 30);
    Cmd(w, 546);
    EXPECT_EQ(w.ActIndex(), 60);
    Cmd(w, 546);
    EXPECT_EQ(w.ActIndex(), 100) << "past the last group: the last entry";
    Cmd(w, 545);
    EXPECT_EQ(w.ActIndex(), 60) << "the start of the group the cursor is in";
    Cmd(w, 545);
    EXPECT_EQ(w.ActIndex(), 30);
    Cmd(w, 545);
    EXPECT_EQ(w.ActIndex(), 1);
    EXPECT_TRUE(notes.empty());
    Cmd(w, 545);
    ASSERT_EQ(notes.size(), 1u) << "no group before the first";
    EXPECT_EQ(notes[0], yov::UserErrorText(u"NOF"));
    EXPECT_EQ(w.ActIndex(), 1);

    // Items of the label menu jump the view there; the menu's own id is no jump.
    EXPECT_TRUE(Cmd(w, yov::kLabelMenu + 2));
    EXPECT_EQ(w.VscrValue(), 30);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{1}) << "the cursor and selection stay";
    EXPECT_FALSE(Cmd(w, yov::kLabelMenu));
    EXPECT_EQ(w.VscrValue(), 30);
}

TEST_F(StockCommands, CtrlPageDownWithoutGroupsGoesToTheEnd) {
    MakeStock(50);
    yov::StockWindow& w = Window(10);
    Cmd(w, 546);
    EXPECT_EQ(w.ActIndex(), 50);
    Cmd(w, 545);
    EXPECT_EQ(notes, std::vector<std::u16string>{yov::UserErrorText(u"NOF")});
}

TEST_F(StockCommands, JumpsToSelectedEntriesAndTheirUserErrors) {
    MakeStock(100);
    yov::StockWindow& w = Window(10, 20);
    yov::programState().Arrays.Stock[3].SelectMask = 1;
    yov::programState().Arrays.Stock[50].SelectMask = 1 | 2;
    yov::programState().Arrays.Stock[70].SelectMask = 2;  // another window's
    Cmd(w, 1318);                                         // Shift+Alt+Up
    EXPECT_EQ(w.VscrValue(), 3);
    Cmd(w, 1320);  // Shift+Alt+Down
    EXPECT_EQ(w.VscrValue(), 50);
    Cmd(w, 1314);  // Shift+Alt+PageDown: none after 50 in this window
    EXPECT_EQ(w.VscrValue(), 50);
    EXPECT_EQ(notes, std::vector<std::u16string>{yov::UserErrorText(u"NOL")});
    w.SetVscrValue(2);
    Cmd(w, 1313);
    EXPECT_EQ(notes.back(), yov::UserErrorText(u"NOF"));
    Cmd(w, 1315);  // Shift+Alt+End
    EXPECT_EQ(w.VscrValue(), 50);
    Cmd(w, 1316);  // Shift+Alt+Home
    EXPECT_EQ(w.VscrValue(), 3);
    EXPECT_EQ(yov::serviceState().CommandRunning, 0) << "every command ended";
}

struct ToggleCase {
    const char* name;
    int32_t code;
    uint8_t yov::StockOptions::*field;
    const char16_t* valueName;
    int32_t mark;  // the menu mark that follows the value
    bool redraws;
};

TEST_F(StockCommands, DisplayOptionsToggleStoreAndMark) {
    MakeStock(20);
    using O = yov::StockOptions;
    const ToggleCase cases[] = {
        {"D", 68, &O::FaceRight, u"StockDir", 4151, true},
        {"Direction Right", 4151, &O::FaceRight, u"StockDir", 4151, true},
        {"Description as tip", 4152, &O::DescriptionTip, u"StockTip", 4152, false},
        {"Show Width", 4153, &O::ShowWidth, u"ShowWidth", 4153, true},
        {"Show Height", 4154, &O::ShowHeight, u"ShowHeight", 4154, true},
        {"Show Type", 4155, &O::ShowType, u"ShowType", 4155, true},
        {"Show Way", 4156, &O::ShowWay, u"ShowWay", 4156, true},
        {"Show Description", 4157, &O::ShowDescriptionMark, u"ShowDescX", 4157, true},
        {"Show Number of Colours", 4246, &O::ShowPaletteSize, u"ShowPalNum", 4246, true},
        {"Show Size in bytes", 4412, &O::ShowPictureSize, u"ShowPicSize", 4412, true},
    };
    yov::StockWindow& w = Window(5);
    yov::StockOptions& o = yov::stockWindows().Options;
    for (const ToggleCase& c : cases) {
        const uint8_t before = o.*c.field;
        yov::serviceState().RefreshCountdown[1] = 0;
        EXPECT_TRUE(Cmd(w, c.code)) << c.name;
        EXPECT_EQ(o.*c.field, before ^ 1) << c.name;
        EXPECT_EQ(yov::GetRegNumber(c.valueName, 99), before ^ 1) << c.name;
        EXPECT_EQ(checks[c.mark], before ^ 1) << c.name;
        EXPECT_EQ(yov::serviceState().RefreshCountdown[1] != 0, c.redraws) << c.name;
    }
    EXPECT_EQ(enables[5120], o.ShowType) << "the type items follow Show Type";
    EXPECT_EQ(enables[7936], o.ShowWay) << "the way items follow Show Way";
}

TEST_F(StockCommands, DisplayChoicesMarkTheirItemAndReachEveryWindow) {
    MakeStock(20);
    // Each build of the authors menu sets its "Show Authors" item first.
    auto authorsMenuBuilds = [this] { return engine.enableCalls[4354]; };
    yov::StockWindow& w = Window(5);
    Window(5);
    yov::StockOptions& o = yov::stockWindows().Options;
    checks.clear();
    for (auto& opened : windows) opened->view->statusBar.shownTexts.clear();

    EXPECT_TRUE(Cmd(w, 4375));  // "Status Bar" → "Empty"
    EXPECT_EQ(o.StatusBarLayout, 6);
    EXPECT_EQ(yov::GetRegNumber(u"StBar", 0), 6);
    EXPECT_EQ(checks[4375], 1);
    for (int32_t id = 4369; id < 4375; ++id) EXPECT_EQ(checks[id], 0) << id;
    for (auto& opened : windows)
        EXPECT_FALSE(opened->view->statusBar.shownTexts.empty()) << "every open window lays out its bar";

    EXPECT_TRUE(Cmd(w, 4256));  // "Show Filename" → "Name and offset"
    EXPECT_EQ(o.ShowFile, 2);
    EXPECT_EQ(checks[4256], 1);
    EXPECT_EQ(checks[4254], 0);

    const std::map<int32_t, std::pair<uint8_t yov::StockOptions::*, const char16_t*>> authorItems = {
        {4345, {&yov::StockOptions::AuthorNames, u"ShowAuth"}},
        {4349, {&yov::StockOptions::AuthorOrder, u"AuthSort"}},
        {4352, {&yov::StockOptions::AuthorGroups, u"AuthCut"}},
    };
    for (const auto& [code, option] : authorItems) {
        const int before = authorsMenuBuilds();
        EXPECT_TRUE(Cmd(w, code));
        EXPECT_EQ(authorsMenuBuilds(), before + 1) << code << ": the authors menu is built again";
        EXPECT_EQ(yov::GetRegNumber(option.second, 0), o.*option.first) << code;
    }
    EXPECT_EQ(o.AuthorNames, 1);
    EXPECT_EQ(o.AuthorOrder, 2);
    EXPECT_EQ(o.AuthorGroups, 2);
}

TEST_F(StockCommands, NewWindowsUpToTenThenTheMessage) {
    MakeStock(40);
    struct Browser : yov::WindowParts {
        explicit Browser(std::function<void()> open) : open_(std::move(open)) {}
        void showStockBrowser() override {
            ++opened;
            open_();
        }
        int opened = 0;

    private:
        std::function<void()> open_;
    } browser([this] { Open(); });
    yov::ScopedInstall<yov::WindowParts> use(browser);
    const int& opened = browser.opened;
    yov::StockWindow& w = Window(5, 12);
    EXPECT_TRUE(Cmd(w, 343));  // Shift+W: at this window's place
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(windows.back()->window->VscrValue(), 12);
    EXPECT_TRUE(Cmd(w, 599));
    EXPECT_EQ(windows.back()->window->VscrValue(), 1);
    for (int n = 3; n < 10; ++n) Cmd(w, 4114);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 10);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(Cmd(w, 4414));
    EXPECT_EQ(opened, 9);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, yov::GetText(u"MANYS"));
    EXPECT_EQ(yov::stockWindows().RequestedTop, 0) << "nothing left for a later window";
}

TEST_F(StockCommands, CloseWindowAndExitStockList) {
    MakeStock(40);
    yov::StockWindow& a = Window();
    yov::StockWindow& b = Window();
    yov::StockWindow& c = Window();
    EXPECT_TRUE(Cmd(b, 4115));
    EXPECT_EQ(b.Slot, 0);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 2);
    EXPECT_TRUE(Cmd(c, 4116));
    EXPECT_EQ(a.Slot, 0);
    EXPECT_EQ(c.Slot, 0);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 0);
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 0);
}

// Alt+O shows the window's own popup menu (menu 1, as a right click does) for its slot.
TEST_F(StockCommands, AltOShowsTheWindowsPopupForItsSlot) {
    MakeStock(40);
    Window();
    Window();
    yov::StockWindow& third = Window();
    EXPECT_TRUE(Cmd(third, 1103));
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].slot, 3);
    EXPECT_EQ(popups[0].menu, 1);
    EXPECT_EQ(popups[0].x, 100);
    EXPECT_EQ(popups[0].y, 100);
}

TEST_F(StockCommands, MenuTipsInTheStatusBar) {
    MakeStock(10);
    yov::StockWindow& w = Window();
    std::vector<std::u16string>& shown = windows.back()->view->statusBar.shownTexts;
    shown.clear();
    yov::stockWindows().Options.StatusBarLayout = 4;
    EXPECT_TRUE(Cmd(w, yov::stock_notice::kMenuHover, 4114));
    EXPECT_EQ(w.StatusBarState, 1);
    EXPECT_EQ(shown, std::vector<std::u16string>{yov::GetMenuTip(4114)});
    Cmd(w, yov::stock_notice::kMenuHover, yov::kLabelMenu + 1);
    EXPECT_EQ(shown.size(), 1u) << "label items have no tip";
    EXPECT_TRUE(Cmd(w, yov::stock_notice::kMenuLoopEnd));
    EXPECT_EQ(shown, (std::vector<std::u16string>{yov::GetMenuTip(4114), u""})) << "the panels again";
    EXPECT_EQ(w.StatusBarState, 0);

    yov::stockWindows().Options.StatusBarLayout = 0;
    Cmd(w, yov::stock_notice::kMenuHover, 4114);
    Cmd(w, yov::stock_notice::kMenuLoopEnd);
    EXPECT_EQ(shown.size(), 2u) << "a hidden status bar shows no tips";
}

TEST_F(StockCommands, HoverAndLeaveNotices) {
    MakeStock(10);
    yov::StockWindow& w = Window();
    yov::stockWindows().Options.StatusBarLayout = 4;
    w.Input.MouseCell = 2;
    Cmd(w, yov::stock_notice::kHover, 0, 33, 4);
    EXPECT_EQ(yov::stockWindows().TipShown, 1) << "row 0 is the status bar: the tip of its panel";
    EXPECT_EQ(yov::stockWindows().TipText, u"E2") << "no panel tracked: the entry under the mouse";
    w.Input.MouseCell = 0;

    yov::stockWindows().Options.DescriptionTip = 0;
    Cmd(w, yov::stock_notice::kHover, 3, 40, 12);
    EXPECT_EQ(w.Input.HoverCell, 0) << "no description tips";
    yov::stockWindows().Options.DescriptionTip = 1;
    yov::modalState().ModalDepth = 1;
    Cmd(w, yov::stock_notice::kHover, 3, 40, 12);
    EXPECT_EQ(w.Input.HoverCell, 0) << "not under a modal box";
    yov::modalState().ModalDepth = 0;
    Cmd(w, yov::stock_notice::kHover, 3, 40, 12);
    EXPECT_EQ(w.Input.HoverCell, 3);
    EXPECT_EQ(w.Input.HoverX, 40);

    yov::mouseTracking().TrackedId = 3;
    Cmd(w, yov::stock_notice::kLeave);
    EXPECT_EQ(yov::mouseTracking().TrackedId, 0) << "the next hover arms tracking again";
    EXPECT_EQ(yov::stockWindows().TipShown, 0) << "leaving hides the tip";
}

// Handled codes report so (the key handler consumes them); others go on to the common keys.
TEST_F(StockCommands, HandledCodesSaySoAndOthersDoNot) {
    MakeStock(10);
    const struct {
        int32_t code;
        bool handled;
    } cases[] = {
        {40, true},    {114, true},   {4565, true},  {1103, true}, {68, true},
        {324, true},  // Shift+D falls through to D
        {37, false},   {39, false},   {293, false},  {9, false},   {yov::kLabelMenu, false},
        {4148, false}, {4233, false}, {5136, false},  // "Picture Type": an item without a row
        {521, true},                                  // Ctrl+Tab: the common keys take it
    };
    yov::StockWindow& w = Window();
    yov::searchCriterion().Count = 1;  // F3 repeats instead of asking
    yov::searchCriterion().Code = yov::search_code::kAll;
    yov::searchCriterion().Mode = 2;
    for (const auto& c : cases) {
        EXPECT_EQ(Cmd(w, c.code), c.handled) << c.code;
        EXPECT_EQ(yov::stockCommandState().StockCmdBusy, 0) << c.code;
    }
    for (int32_t code : {5120 + 3, 5152 + 1, 7936 + 12, 15360 + 7, 13312 + 1023}) {
        EXPECT_TRUE(yov::StockCommandHasRow(code)) << code << ": generated items by their range";
    }
}

TEST_F(StockCommands, AnErrorInsideACommandIsShownAndTheCommandStillEnds) {
    MakeStock(10);
    yov::StockWindow& w = Window();
    windows.back()->view->statusBar.failOnShow = true;
    yov::stockWindows().Options.StatusBarLayout = 4;
    EXPECT_TRUE(Cmd(w, yov::stock_notice::kMenuLoopEnd));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, u"Internal error in Stock list window");
    EXPECT_EQ(boxes_[0].text, u"5: bar gone");
    EXPECT_EQ(yov::serviceState().CommandRunning, 0);
    EXPECT_EQ(yov::stockCommandState().StockCmdBusy, 0);
}

}  // namespace
