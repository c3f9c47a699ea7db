// A stock window's bookkeeping without the Qt window: slots 1 to 10 with their selection bits,
// the eleventh refused, closing giving the slot back and storing the position, the display
// options read by the first window alone, selection scans and the command checks, and the
// update that ends a command.
#include <gtest/gtest.h>

#include "program/core/settings/settings.h"
#include "program/core/texts/program_error.h"
#include "program/stock/stock_options.h"
#include "program/stock/window_support.h"
#include "stock_window_fixture.h"

namespace {

using core_test::utf8;
using stock_window_test::OpenedWindow;

class StockWindowSlots : public stock_window_test::StockWindowTest {
protected:
    yov::WindowSlot& Row(int slot) { return yov::programState().WindowTable[static_cast<size_t>(slot)]; }
    // Two settings windows keep the last stock window's closing from ending anything.
    void Close(OpenedWindow& w) {
        int16_t cancel = 0;
        w.window->DoExit(cancel);
        ASSERT_EQ(cancel, 0);
    }
};

TEST_F(StockWindowSlots, TenWindowsTakeSlotsOneToTenWithTheirBits) {
    MakeStock(50);
    for (int n = 1; n <= 10; ++n) {
        OpenedWindow& w = Open();
        ASSERT_TRUE(w.loaded) << n;
        EXPECT_EQ(w.window->Slot, n);
        EXPECT_EQ(w.window->SelectionBit, 1 << (n - 1));
        EXPECT_EQ(Row(n).inUse, -1);
        EXPECT_EQ(Row(n).window, w.view->form());
        EXPECT_EQ(yov::StockWindowAt(n), w.window.get());
    }
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 10);
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 10);

    OpenedWindow& eleventh = Open();
    EXPECT_FALSE(eleventh.loaded);
    EXPECT_TRUE(eleventh.view->unloaded) << "the eleventh unloads itself";
    EXPECT_EQ(eleventh.window->Slot, 0);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 10) << "and is not counted";
    int16_t cancel = 0;
    eleventh.window->DoExit(cancel);  // its close request finds nothing to give back
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(Row(n).inUse, -1) << n;
}

TEST_F(StockWindowSlots, ClosingFreesTheSlotAndTheNextWindowTakesIt) {
    MakeStock(50);
    for (int n = 1; n <= 4; ++n) Open();
    Close(*windows[2]);
    EXPECT_EQ(Row(3).inUse, 0);
    EXPECT_EQ(Row(3).window, nullptr);
    EXPECT_EQ(yov::StockWindowAt(3), nullptr);
    EXPECT_TRUE(windows[2]->view->hidden);
    EXPECT_TRUE(windows[2]->view->unloaded);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 3);
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 4);
    OpenedWindow& again = Open();
    EXPECT_EQ(again.window->Slot, 3);

    Close(*windows[3]);  // slot 4, the highest
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 3);
    Close(again);
    Close(*windows[1]);
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 1);
}

TEST_F(StockWindowSlots, APositionIsStoredPerSlotAndClampedOnReopening) {
    MakeStock(100);
    OpenedWindow& w = Open();
    w.window->CellCount = 10;
    w.window->Rfsh0();
    w.window->SetVscrValue(60);
    Close(w);
    EXPECT_EQ(yov::GetRegNumber(u"P1", 0), 60);

    OpenedWindow& again = Open();
    EXPECT_EQ(again.window->VscrValue(), 60);
    Close(again);

    // A stored position past the end of a smaller stock: before the first layout only the
    // stock's length limits it; the first layout brings it to the last full window.
    MakeStock(30);
    yov::SaveRegNumber(u"P1", 500);
    OpenedWindow& small = Open();
    EXPECT_EQ(small.window->VscrValue(), 31);
    small.window->Layout(10 * yov::StockRowHeight(30));
    EXPECT_EQ(small.window->CellCount, 10);
    small.window->Rfsh0();
    EXPECT_EQ(small.window->VscrValue(), 21);
    Close(small);

    yov::SaveRegNumber(u"P1", 0);
    EXPECT_EQ(Open().window->VscrValue(), 1) << "a stored 0 becomes 1";
}

TEST_F(StockWindowSlots, TheFirstWindowReadsTheOptionsAndSetsTheMarks) {
    MakeStock(5);
    yov::SaveRegNumber(u"StBar", 2);
    yov::SaveRegNumber(u"ShowFile", 3);
    yov::SaveRegNumber(u"ShowType", 0);
    yov::SaveRegNumber(u"WheelMode", 2);
    yov::SaveRegNumber(u"StkPicX", 120);
    // Each build of the authors menu sets its "Show Authors" item first.
    const int& menus = engine.enableCalls[4354];
    engine.onEnable = [](int32_t id, int32_t) {
        if (id == 4354) {
            EXPECT_EQ(yov::stockWindows().Options.InfoColumnWidth, 120) << "read before the authors menu";
        }
    };
    Open();
    const yov::StockOptions& o = yov::stockWindows().Options;
    EXPECT_EQ(o.StatusBarLayout, 2);
    EXPECT_EQ(o.ShowFile, 3);
    EXPECT_EQ(o.ShowWidth, 1) << "a missing value is its default";
    EXPECT_EQ(o.ReplOwn, 1);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(cacheOpens(), 1u);
    EXPECT_EQ(checks[4371], 1);
    EXPECT_EQ(checks[4369], 0);
    EXPECT_EQ(checks[4257], 1);
    EXPECT_EQ(checks[4254], 0);
    EXPECT_EQ(checks[4155], 0);
    EXPECT_EQ(enables[5120], 0) << "type sub-items follow ShowType";
    EXPECT_EQ(enables[7936], 1) << "way sub-items follow ShowWay";
    EXPECT_EQ(checks[4416], 0);
    EXPECT_EQ(checks[4417], 1);
    EXPECT_EQ(checks[4467], 1);
    ASSERT_EQ(subclassed.size(), 1u);
    EXPECT_EQ(subclassed[0].slot, 1) << "the status bar reports to slot 1";

    yov::SaveRegNumber(u"StBar", 5);
    checks.clear();
    Open();
    EXPECT_EQ(o.StatusBarLayout, 2) << "a second window shares what the first read";
    EXPECT_TRUE(checks.empty());
    EXPECT_EQ(menus, 1);

    for (auto& w : windows) Close(*w);
    Open();
    EXPECT_EQ(o.StatusBarLayout, 5) << "once all were closed, the next first window reads them again";
    EXPECT_EQ(menus, 2);
}

TEST_F(StockWindowSlots, ClosingTheLastStockWindowBringsTheSettingsDialogForward) {
    MakeStock(3);
    QWidget settings;
    yov::programState().WindowTable[yov::kSettingsSlot] = {&settings, -1};
    OpenedWindow& w = Open();
    Close(w);
    const yov::HFrm* hfrm = yov::serviceWindowIfLoaded();
    EXPECT_TRUE(hfrm == nullptr || !hfrm->Timer1.isActive()) << "no shutdown while the settings dialog is open";
    yov::programState().WindowTable[yov::kSettingsSlot] = {};

    OpenedWindow& last = Open();
    Close(last);
    ASSERT_NE(yov::serviceWindowIfLoaded(), nullptr);
    EXPECT_TRUE(yov::serviceWindowIfLoaded()->Timer1.isActive()) << "without it the program's end is posted";
}

TEST_F(StockWindowSlots, OptionsOutsideTheirRangeTakeTheDefault) {
    MakeStock(1);
    yov::SaveRegNumber(u"StBar", 9);
    yov::SaveRegNumber(u"ShowFile", 7);
    yov::SaveRegString(u"WheelMode", u"x");
    Open();
    EXPECT_EQ(yov::stockWindows().Options.StatusBarLayout, 4);
    EXPECT_EQ(yov::stockWindows().Options.ShowFile, 0);
    EXPECT_EQ(yov::stockWindows().Options.WheelMode, 0) << "a text that is no number reads as 0";
}

TEST_F(StockWindowSlots, SelectionsOfTwoWindowsAreIndependent) {
    MakeStock(8);
    OpenedWindow& a = Open();
    OpenedWindow& b = Open();
    auto& s = yov::programState().Arrays.Stock;
    s[3].SelectMask = 1 | 2;
    s[5].SelectMask = 1;
    s[7].SelectMask = 2 | 0x4000;
    int32_t count = -1;
    a.window->SelLimits(static_cast<uint16_t>(a.window->SelectionBit), count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(yov::stockWindows().SelFirst, 3);
    EXPECT_EQ(yov::stockWindows().SelLast, 5);
    b.window->DeSel();
    EXPECT_EQ(s[3].SelectMask, 1);
    EXPECT_EQ(s[7].SelectMask, 0x4000) << "the program-wide mark stays";
    b.window->SelLimits(static_cast<uint16_t>(b.window->SelectionBit), count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(yov::stockWindows().SelFirst, 0);
    EXPECT_EQ(yov::stockWindows().SelLast, -1);
}

// Catalogues of every length in a laid-out window of 10 rows: its scroll range, its last
// position, and the selection of two windows, each scanned and cleared on its own.
class StockWindowCatalogues : public stock_window_test::StockWindowTest,
                              public ::testing::WithParamInterface<int32_t> {};

TEST_P(StockWindowCatalogues, ScrollRangeAndSelectionOfTwoWindows) {
    const int32_t count = GetParam();
    MakeStock(count);
    OpenedWindow& a = Open();
    OpenedWindow& b = Open();
    a.window->Layout(10 * yov::StockRowHeight(30));
    ASSERT_EQ(a.window->CellCount, 10);
    a.window->Rfsh0();
    const int32_t last = count > 10 ? count - 9 : 1;
    EXPECT_EQ(a.window->VscrMax(), last);
    EXPECT_EQ(a.view->scrollEnabled, count > 10);
    a.window->SetVscrValue(last);
    EXPECT_EQ(a.window->VscrValue(), last);
    EXPECT_EQ(a.window->ActIndex(), last);
    EXPECT_LE(a.view->bar.v, 8192);

    auto& s = yov::programState().Arrays.Stock;
    const auto bitA = static_cast<uint16_t>(a.window->SelectionBit);
    const auto bitB = static_cast<uint16_t>(b.window->SelectionBit);
    const int32_t middle = (count + 1) / 2;
    for (const int32_t i : {1, middle, count})
        if (i >= 1 && i <= count) s[i].SelectMask |= bitA;
    if (middle >= 1) s[middle].SelectMask |= bitB;
    int32_t selected = -1;
    a.window->SelLimits(bitA, selected);
    const yov::StockWindowsState& sw = yov::stockWindows();
    EXPECT_EQ(selected, count == 0 ? 0 : count == 1 ? 1 : 3);
    EXPECT_EQ(sw.SelFirst, count == 0 ? 0 : 1);
    EXPECT_EQ(sw.SelLast, count == 0 ? -1 : count);
    b.window->SelLimits(bitB, selected);
    EXPECT_EQ(selected, count == 0 ? 0 : 1);
    EXPECT_EQ(sw.SelFirst, middle);

    b.window->DeSel();
    b.window->SelLimits(bitB, selected);
    EXPECT_EQ(selected, 0);
    a.window->SelLimits(bitA, selected);
    EXPECT_EQ(selected, count == 0 ? 0 : count == 1 ? 1 : 3) << "the other window keeps its selection";
}

INSTANTIATE_TEST_SUITE_P(Lengths, StockWindowCatalogues, ::testing::Values(0, 1, 32767, 100000),
                         [](const ::testing::TestParamInfo<int32_t>& i) {
                             return "Entries" + std::to_string(i.param);
                         });

TEST_F(StockWindowSlots, AWindowInAClosedWindowsSlotStartsWithoutSelection) {
    MakeStock(4);
    OpenedWindow& a = Open();
    yov::programState().Arrays.Stock[2].SelectMask = 1 | 4;
    Close(a);
    EXPECT_EQ(yov::programState().Arrays.Stock[2].SelectMask, 5) << "the bits stay until the slot is taken";
    Open();
    EXPECT_EQ(yov::programState().Arrays.Stock[2].SelectMask, 4);
}

struct CheckCase {
    const char* name;
    uint32_t word;
    std::vector<int32_t> selected;
    const char* key;  // "" passes
};

TEST_F(StockWindowSlots, CmdCheckTestsItsBitsInOrder) {
    namespace c = yov::cmd_check;
    const CheckCase cases[] = {
        {"NothingAsked", 0, {}, ""},
        {"NeedsASelection", c::kSelection, {}, "NOSP"},
        {"NeedsOne", c::kSingle, {2, 3}, "SEL1"},
        {"NotTheFirst", c::kNotFirst, {1}, "NOF"},
        {"NotTheLast", c::kNotLast, {6}, "NOL"},
        {"MiddleEntryPasses", c::kSelection | c::kSingle | c::kNotFirst | c::kNotLast, {3}, ""},
        {"NoPictureFile", c::kPictureFile, {4}, "NPIC"},
        {"DifferentVersions", c::kSameVersion, {1}, "DIVE"},
        {"SameVersionNotTheLeftSide", c::kSameVersion | c::kLeftSide, {2}, "NLEF"},
        {"LeftSideOfTheNext", c::kSameVersion | c::kLeftSide, {5}, ""},
        {"TheLastHasNoNext", c::kSameVersion, {6}, "DIVE"},
        {"FirstFailingBitWins", c::kSelection | c::kSingle, {}, "NOSP"},
    };
    MakeStock(6);
    auto& s = yov::programState().Arrays.Stock;
    const char16_t* names[] = {u"", u"A~1", u"B~2", u"C~2", u"D", u"VANL~3", u"VAN~3"};
    for (int i = 1; i <= 6; ++i) s[i].Name = names[i];
    s[4].FileIndex = 32765;
    OpenedWindow& w = Open();
    for (const CheckCase& k : cases) {
        for (int i = 1; i <= 6; ++i) s[i].SelectMask = 0;
        for (int32_t i : k.selected) s[i].SelectMask = 1;
        int32_t count = 0;
        w.window->SelLimits(1, count);
        std::string raised;
        try {
            w.window->CmdCheck(k.word);
        } catch (const yov::ProgramError& e) {
            EXPECT_EQ(e.number(), 6009) << k.name;
            raised = utf8(e.description());
        }
        EXPECT_EQ(raised, k.key) << k.name;
        EXPECT_EQ(yov::serviceState().CommandRunning, 1) << k.name << ": the command has begun";
        yov::serviceState().CommandRunning = 0;
    }
    yov::programState().run.RunFlags = 1;
    EXPECT_THROW(w.window->CmdCheck(c::kNotRunning), yov::ProgramError) << "NRUN during a show";
}

TEST_F(StockWindowSlots, ACommandsEndRedrawsThroughTheCountdown) {
    MakeStock(40);
    OpenedWindow& a = Open();
    OpenedWindow& b = Open();
    a.window->CellCount = b.window->CellCount = 10;
    yov::ServiceState& s = yov::serviceState();
    s.RefreshCountdown.fill(0);
    a.window->CmdBeg();
    yov::AddStockFlags(yov::stock_update::kRedrawOwn);
    a.window->CmdEnd(0);
    EXPECT_EQ(s.RefreshCountdown[1], 2);
    EXPECT_EQ(s.RefreshCountdown[2], 0);
    EXPECT_EQ(s.CommandRunning, 0);
    EXPECT_EQ(yov::stockWindows().PendingStockUpdate, 0);

    s.RefreshCountdown.fill(0);
    b.window->CmdBeg();
    b.window->CmdEnd(yov::stock_update::kRedrawAll);
    EXPECT_EQ(s.RefreshCountdown[1], 2);
    EXPECT_EQ(s.RefreshCountdown[2], 2);

    // With 0x80 the window redraws at once.
    const int paints = a.view->paints;
    a.window->CmdEnd(yov::stock_update::kRedrawOwn | yov::stock_update::kRedrawNow);
    EXPECT_EQ(a.view->paints, paints + 1);
    EXPECT_EQ(s.RefreshCountdown[1], 0);
}

TEST_F(StockWindowSlots, ScrollRangesFollowTheStockAtACommandsEnd) {
    MakeStock(40);
    OpenedWindow& a = Open();
    a.window->CellCount = 10;
    a.window->Rfsh0();
    EXPECT_EQ(a.window->VscrMax(), 31);
    EXPECT_TRUE(a.view->scrollEnabled);
    EXPECT_EQ(a.view->page, 9);
    a.window->SetVscrValue(30);
    a.window->Rfsh0();
    EXPECT_EQ(yov::stockWindows().LastTop[1], 30);

    MakeStock(25);  // entries went away
    uint8_t bits = yov::stock_update::kScrollRanges;
    yov::UpdateStockScrolls(bits);
    EXPECT_EQ(a.window->VscrMax(), 16);
    EXPECT_EQ(a.window->VscrValue(), 16);

    MakeStock(0);
    yov::serviceState().RefreshCountdown.fill(0);
    bits = yov::stock_update::kScrollRanges;
    yov::UpdateStockScrolls(bits);
    EXPECT_EQ(yov::serviceState().RefreshCountdown[1], 2) << "an empty stock only asks for a redraw";
    a.window->Rfsh0();
    EXPECT_FALSE(a.view->scrollEnabled);
    EXPECT_EQ(a.window->VscrValue(), 1);
}

TEST_F(StockWindowSlots, StartCmdFindsTheActiveEntrysCategory) {
    MakeStock(20);
    yov::ProgramState& st = yov::programState();
    st.Arrays.Categories.redim(4);
    st.Shared.CategoryCount = 3;
    st.Arrays.Categories[1].FirstEntry = 1;
    st.Arrays.Categories[2].FirstEntry = 8;
    st.Arrays.Categories[3].FirstEntry = 15;
    st.Arrays.Categories[4].FirstEntry = 21;  // the closing category
    OpenedWindow& w = Open();
    w.window->CellCount = 10;
    w.window->Rfsh0();
    w.window->SetVscrValue(5);
    w.window->ActiveCell = 3;
    w.window->StartCmd();
    EXPECT_EQ(w.window->ActiveEntry, 7);
    EXPECT_EQ(w.window->CategoryRow, 2);
    w.window->ActiveCell = 10;
    w.window->SetVscrValue(11);
    w.window->StartCmd();
    EXPECT_EQ(w.window->ActiveEntry, 20);
    EXPECT_EQ(w.window->CategoryRow, 4);
}

TEST_F(StockWindowSlots, ActivationIsTracked) {
    MakeStock(3);
    Open();
    OpenedWindow& b = Open();
    b.window->Form_Activate();
    EXPECT_EQ(yov::stockWindows().ActiveStockSlot, 2);
    EXPECT_EQ(yov::stockWindows().LastStockSlot, 2);
    b.window->Form_Deactivate();
    EXPECT_EQ(yov::stockWindows().ActiveStockSlot, 0);
    EXPECT_EQ(yov::stockWindows().LastStockSlot, 2);
}

}  // namespace
