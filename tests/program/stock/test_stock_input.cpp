// A stock window's mouse and keys over fake controls: clicks alone, with Shift and with Ctrl;
// a press on a selected entry keeping the selection for a drag; the drag distance; the
// popup on a right release; caption presses; jumping to an entry; the drag text of a fixture
// selection byte for byte against hand-written files; a category's drag text; drop feedback
// over a caption; keys while a command runs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "program/core/startup/program_state.h"
#include "program/stock/stock_drag_text.h"
#include "stock_browser_fixture.h"

namespace {

using stock_browser_test::StockBrowserTest;

constexpr int32_t kLeft = 1;
constexpr int32_t kRight = 2;
constexpr int32_t kShift = 1;
constexpr int32_t kCtrl = 2;
constexpr int32_t kAlt = 4;

class StockInput : public StockBrowserTest {
protected:
    // A plain left click on a row at a point of its box.
    void Click(yov::StockWindow& w, int32_t cell, int32_t shift = 0) {
        yov::Box_MouseDown(w, cell, kLeft, shift, 20, 20);
        yov::Box_MouseUp(w, cell, kLeft, shift, 20, 20);
    }
};

TEST_F(StockInput, ClicksSelectAloneExtendWithShiftAndToggleWithCtrl) {
    MakeStock(50);
    yov::StockWindow& w = Window(20, 1);
    Click(w, 10);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{10});
    EXPECT_EQ(w.ActiveCell, 10);
    Click(w, 13, kShift);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{10, 11, 12, 13}));
    Click(w, 8, kShift);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{8, 9, 10})) << "the anchor stays at 10";
    Click(w, 15, kCtrl);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{8, 9, 10, 15}));
    Click(w, 9, kCtrl);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{8, 10, 15}));
    Click(w, 17, kShift);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{9, 10, 11, 12, 13, 14, 15, 16, 17})) << "Ctrl moved the anchor to 9";
    Click(w, 3, kAlt);
    EXPECT_EQ(Selected(w).size(), 9u) << "Alt alone changes no selection";
    EXPECT_EQ(yov::serviceState().CommandRunning, 0);

    // A row past the stock's end selects nothing.
    MakeStock(5);
    w.DeSel();
    Click(w, 9);
    EXPECT_TRUE(Selected(w).empty());
}

TEST_F(StockInput, APressOnASelectedEntryKeepsTheSelectionUntilTheRelease) {
    MakeStock(30);
    yov::StockWindow& w = Window(10);
    Click(w, 2);
    Click(w, 4, kShift);
    yov::Box_MouseDown(w, 3, kLeft, 0, 20, 20);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3, 4})) << "kept for a drag";
    yov::Box_MouseUp(w, 3, kLeft, 0, 20, 20);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{3}) << "alone on release without a drag";
}

TEST_F(StockInput, ADragStartsPastTenUnitsAndTakesTheWholeSelection) {
    MakeStock(30);
    yov::StockWindow& w = Window(10);
    Click(w, 2);
    Click(w, 3, kShift);
    yov::Box_MouseDown(w, 2, kLeft, 0, 20, 20);
    yov::Box_MouseMove(w, 2, kLeft, 0, 25, 25);  // 10 units
    EXPECT_TRUE(drags.empty());
    yov::Box_MouseMove(w, 2, kLeft, 0, 26, 25);  // 11
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0], yov::StockDragBlock(2) + yov::StockDragBlock(3));
    yov::Box_MouseUp(w, 2, kLeft, 0, 26, 25);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3})) << "a drag keeps the selection";

    // Moving without a button hides the tip but starts nothing; another row's move neither.
    yov::Box_MouseMove(w, 2, 0, 0, 60, 60);
    yov::Box_MouseMove(w, 5, kLeft, 0, 90, 90);
    EXPECT_EQ(drags.size(), 1u);
    // A simulated click (point 0, 0) records no press to drag from.
    yov::Box_MouseDown(w, 7, kLeft, 0, 0, 0);
    yov::Box_MouseMove(w, 7, kLeft, 0, 40, 40);
    EXPECT_EQ(drags.size(), 1u);
}

TEST_F(StockInput, TheRightButtonOpensThePopupOfTheWindowsSlot) {
    MakeStock(30);
    Window(10);
    yov::StockWindow& w = Window(10);
    Click(w, 4);
    yov::Box_MouseDown(w, 4, kRight, 0, 31, 17);
    yov::Box_MouseUp(w, 4, kRight, 0, 31, 17);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].slot, 2);
    EXPECT_EQ(popups[0].menu, 1);
    EXPECT_EQ(popups[0].x, 31);
    EXPECT_EQ(popups[0].y, 17);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{4});
}

// A caption press on a selected entry has no release of its own: it must not make a later
// click on another row end up selecting the first entry.
TEST_F(StockInput, ACaptionPressLeavesNothingPendingForALaterRelease) {
    MakeStock(30);
    yov::StockWindow& w = Window(10);
    Click(w, 2);
    Click(w, 5, kShift);
    yov::LabPic_MouseDown(w, 3, kLeft, 0);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3, 4, 5}));
    Click(w, 8);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{8});
    yov::SizeL_MouseDown(w, 6, kLeft, kCtrl);
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{6, 8}));
}

TEST_F(StockInput, TheDescriptionMarkOpensTheEntrysDescription) {
    LoadDemo();
    yov::StockWindow& w = Window(10);
    ASSERT_NE(yov::programState().Arrays.Stock[4].DescNumber, 0) << "the demo's entry 4 has a description";
    yov::DescX_Click(w, 4);
    EXPECT_EQ(descriptions, std::vector<std::u16string>{yov::programState().Arrays.Stock[4].Name})
        << "a text window with entry 4's description";
    EXPECT_TRUE(Selected(w).empty()) << "the mark selects nothing";
}

TEST_F(StockInput, FindNextShowsTheEntryAndSelectsItAlone) {
    MakeStock(200);
    yov::StockWindow& w = Window(12, 1);
    Click(w, 1);
    yov::FindNext(w, 100);
    EXPECT_EQ(w.VscrValue(), 97) << "a quarter (3 rows) down";
    EXPECT_EQ(w.ActIndex(), 100);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{100});
    yov::FindNext(w, 105);
    EXPECT_EQ(w.VscrValue(), 97) << "already shown: no scrolling";
    EXPECT_EQ(w.ActiveCell, 9);
    yov::FindNext(w, 2);
    EXPECT_EQ(w.VscrValue(), 1);
    EXPECT_EQ(w.ActiveCell, 2);
    yov::FindNext(w, 195);
    EXPECT_EQ(w.VscrValue(), 189) << "the last full page";
    EXPECT_EQ(w.ActIndex(), 195);
    yov::FindNext(w, 0);
    EXPECT_EQ(w.ActIndex(), 195) << "0 does nothing";
}

// The selection the drag text files describe (see tests/data/stock_drag/README.md).
class DragFixture : public StockInput {
protected:
    void SetUp() override {
        StockInput::SetUp();
        yov::ProgramState& st = yov::programState();
        st.Shared.PictureHeight = 60;
        const struct {
            uint8_t kind;
            const char16_t* path;
        } files[] = {{1, u"C:\\Trains\\Pics"},
                     {4, u"D:\\Lib"},
                     {6, u"C:\\Yov\\vehicles.dll"},
                     {13, u"X:\\odd"},
                     {9, u"C:\\Lib\\set.bl"}};
        st.Arrays.StockFiles.redim(5);
        st.Shared.StockFileCount = 5;
        for (int i = 0; i < 5; ++i) {
            st.Arrays.StockFiles[i + 1].Kind = files[i].kind;
            st.Arrays.StockFiles[i + 1].Path = files[i].path;
        }
        st.Arrays.Authors.redim(2);
        st.Shared.AuthorCount = 2;
        st.Arrays.Authors[1].Key = u"YOV";
        st.Arrays.Authors[2].Key = u"MÜLLER";
        const char16_t wire = yov::programState().tables.TypeCodeLetters[13];  // position 14: a low tram wire
        const struct {
            const char16_t* name;
            int16_t file;
            const char16_t* text2;
            const char16_t* text3;
            char16_t type;
            char16_t way;
            int16_t author;
            uint16_t mask;
        } entries[] = {
            {u"E40", 1, u"e40.gif", u"", u'R', u'E', 1, 1},
            {u"SHUNTER", 32767, u"E40+DIESEL", u"", u' ', u' ', 0, 1},
            {u"DESCRIBED", 32765, u"[X]", u"", u'R', u'R', 1, 1},
            {u"UNSELECTED", 1, u"u.gif", u"", u'R', u'R', 1, 2},
            {u"ŘADA_810", 3, u"#120", u"[#D:R]", u'G', wire, 2, 1},
            {u"BOX", 2, u"box01", u"", u'N', u'R', 0, 1},
            {u"ODD", 4, u"odd", u"", u' ', u' ', 0, 1},
            {u"SIDE", 32766, u"[Y]", u"", u' ', u' ', 0, 1 | 0x4000},
            {u"MARKED", 5, u"m01", u"", u' ', u' ', 0, 0x4000},
        };
        const int32_t n = static_cast<int32_t>(std::size(entries));
        st.Arrays.Stock.redim(n);
        st.Shared.StockCount = n;
        for (int32_t i = 0; i < n; ++i) {
            StockEntry& e = st.Arrays.Stock[i + 1];
            e.Name = entries[i].name;
            e.FileIndex = entries[i].file;
            e.Text2 = entries[i].text2;
            e.Text3 = entries[i].text3;
            e.TypeLetter = entries[i].type;
            e.WayLetter = entries[i].way;
            e.Author = entries[i].author;
            masks_.push_back(entries[i].mask);
        }
    }

    // The window of slot 1 over the fixture, its selection set (opening clears it).
    yov::StockWindow& Opened() {
        yov::StockWindow& w = Window(9);
        for (size_t i = 0; i < masks_.size(); ++i)
            yov::programState().Arrays.Stock[static_cast<int32_t>(i) + 1].SelectMask = masks_[i];
        return w;
    }

    static std::string Expected(const std::string& name) {
        std::ifstream in(std::string(YOV_TEST_DATA) + "/stock_drag/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<uint16_t> masks_;
};

TEST_F(DragFixture, TheDragTextOfTheSelectionIsTheHandWrittenFile) {
    yov::StockWindow& w = Opened();
    ASSERT_EQ(w.SelectionBit, 1);
    std::u16string text;
    EXPECT_FALSE(yov::Box_OLESetData(w, 1, text)) << "no other format is supplied";
    EXPECT_TRUE(text.empty());
    ASSERT_TRUE(yov::Box_OLESetData(w, yov::kStockDragFormat, text));
    const std::string expected = Expected("selection.utf16");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(yov::StockDragBytes(text), expected);

    // With Alt held at the drag's start: the entries with the program-wide mark.
    yov::Box_MouseDown(w, 1, kLeft, kAlt, 20, 20);
    yov::Box_MouseMove(w, 1, kLeft, kAlt, 40, 40);
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(yov::StockDragBytes(drags[0]), Expected("marked.utf16"));
}

TEST_F(DragFixture, AnUnknownWayLetterIsNormalisedInTheEntry) {
    yov::programState().Arrays.Stock[6].WayLetter = u'\u263A';
    const std::u16string block = yov::StockDragBlock(6);
    EXPECT_EQ(yov::programState().Arrays.Stock[6].WayLetter, u' ') << "written back as no letter";
    EXPECT_NE(block.find(u"$TYP N\r\n"), std::u16string::npos);
    EXPECT_EQ(yov::StockDragBlock(3), u"") << "built from its description alone";
    EXPECT_EQ(yov::StockDragBlock(10), u"") << "past the stock";
}

TEST_F(StockInput, ACategoryDragCarriesTheInnermostCategoryNamedThere) {
    MakeStock(20);
    yov::ProgramState& st = yov::programState();
    st.Arrays.Categories.redim(3);
    st.Shared.CategoryCount = 3;
    const struct {
        int32_t first;
        const char16_t* name;
    } cats[] = {{1, u"Locomotives"}, {5, u"Electric"}, {5, u"Series: Class 140 "}};
    for (int i = 0; i < 3; ++i) {
        st.Arrays.Categories[i + 1].FirstEntry = cats[i].first;
        st.Arrays.Categories[i + 1].Names[0] = cats[i].name;
    }
    yov::StockWindow& w = Window(10);
    EXPECT_EQ(yov::CategoryDragText(5), u"Class 140") << "after its first colon, trimmed";
    EXPECT_EQ(yov::CategoryDragText(1), u"Locomotives");
    EXPECT_EQ(yov::CategoryDragText(2), u"") << "no category begins there";

    yov::CatPic_MouseDown(w, 5, kLeft, 0, 10, 10);
    EXPECT_EQ(Selected(w), std::vector<int32_t>{5}) << "the press selects the row";
    yov::CatPic_MouseMove(w, 5, kLeft, 0, 15, 15);
    EXPECT_TRUE(categoryDrags.empty()) << "10 units";
    yov::Box_MouseMove(w, 5, kLeft, 0, 30, 30);
    EXPECT_TRUE(drags.empty()) << "the box does not take over a category press";
    yov::CatPic_MouseMove(w, 5, kLeft, 0, 21, 10);
    EXPECT_EQ(categoryDrags, std::vector<std::u16string>{u"Class 140"});
    yov::CatPic_MouseDown(w, 6, kRight, 0, 10, 10);
    yov::CatPic_MouseMove(w, 6, kRight, 0, 40, 40);
    EXPECT_EQ(categoryDrags.size(), 1u) << "only a left press starts one";
}

TEST_F(StockInput, ACaptionAcceptsStockEntriesAndFilesUnlessAShowRuns) {
    const struct {
        uint8_t runFlags;
        bool stock;
        bool files;
        bool accepted;
    } cases[] = {{0, true, false, true}, {0, false, true, true}, {0, false, false, false}, {1, true, true, false}};
    for (const auto& c : cases) {
        yov::programState().run.RunFlags = c.runFlags;
        EXPECT_EQ(yov::LabPic_DropAccepted(c.stock, c.files), c.accepted) << int(c.runFlags) << c.stock << c.files;
    }
    yov::programState().run.RunFlags = 0;
}

TEST_F(StockInput, KeysPassOnWhileACommandRunsAndTheStatusBarFollowsTheMouse) {
    MakeStock(30);
    yov::StockWindow& w = Window(10);
    yov::stockCommandState().StockCmdBusy = 1;
    EXPECT_FALSE(yov::Form_KeyDown(w, 40));
    EXPECT_TRUE(Selected(w).empty());
    yov::stockCommandState().StockCmdBusy = 0;
    EXPECT_TRUE(yov::Form_KeyDown(w, 40));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{2});
    EXPECT_FALSE(yov::Form_KeyPress(w, u'x')) << "no command takes a character";

    // The panels are filled (and the bar shown) once per row entered.
    const std::vector<std::u16string>& shown = windows.back()->view->statusBar.shownTexts;
    const size_t before = shown.size();
    yov::stockWindows().Options.StatusBarLayout = 4;
    yov::Box_MouseMove(w, 3, 0, 0, 5, 5);
    yov::Box_MouseMove(w, 3, 0, 0, 6, 5);
    EXPECT_EQ(w.Input.MouseCell, 3);
    EXPECT_EQ(shown.size(), before + 1) << "once per row entered";
    yov::stockWindows().Options.StatusBarLayout = 6;
    yov::Box_MouseMove(w, 4, 0, 0, 5, 5);
    EXPECT_EQ(shown.size(), before + 1) << "an empty status bar shows no fields";
}

}  // namespace
