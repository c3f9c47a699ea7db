// Searches of the stock windows, through the window's commands: selecting and deselecting by
// name pattern, type, way and author over the demo stock (read by the engine) and over a
// generated stock of 10,000 entries; finding forwards and backwards with wrapping; the
// pattern question; and the issuing window, not the last activated one, doing the work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/lang_texts.h"
#include "program/stock/stock_menus.h"
#include "stock_browser_fixture.h"

namespace {

using stock_browser_test::StockBrowserTest;

// Item codes of the stock window's menus (item index in the low bits).
constexpr int32_t kFindType = 5120;
constexpr int32_t kSelectType = 5152;
constexpr int32_t kDeselectType = 5168;
constexpr int32_t kDeselectTypeNot = 5200;
constexpr int32_t kFindWay = 7936;
constexpr int32_t kSelectWay = 5888;
constexpr int32_t kDeselectWayNot = 6656;
constexpr int32_t kSelectAuthor = 13312;
constexpr int32_t kSelectAll = 577;
constexpr int32_t kDeselectAll = 4172;
constexpr int32_t kSelectPattern = 4242;
constexpr int32_t kDeselectPattern = 4243;
constexpr int32_t kInvert = 4173;
constexpr int32_t kFindName = 582;
constexpr int32_t kFindNext = 114;
constexpr int32_t kFindPrevious = 370;

// Positions in the program's letter strings: " RYBGKWLOCN" and " RESATFOPMHB1...".
constexpr int32_t kR = 1, kY = 2, kG = 4, kK = 5, kO = 8, kN = 10;
constexpr int32_t kWayE = 2;

class DemoSearch : public StockBrowserTest {
protected:
    void SetUp() override {
        StockBrowserTest::SetUp();
        LoadDemo();
    }
};

struct SelectCase {
    const char* name;
    std::vector<int32_t> codes;           // run in order on a cleared selection
    std::vector<std::u16string> answers;  // to the pattern questions
    std::vector<std::u16string> expected;
};

TEST_F(DemoSearch, SelectAndDeselectByCriterion) {
    const SelectCase cases[] = {
        {"type Y", {kSelectType + kY}, {}, {u"DIESEL"}},
        {"type R", {kSelectType + kR}, {}, {u"E40", u"RAILCAR", u"DOOR_R"}},
        {"way E", {kSelectWay + kWayE}, {}, {u"E40", u"RAILCAR"}},
        {"a pattern, upper-cased", {kSelectPattern}, {u"coach_*"}, {u"COACH_A", u"COACH_A2", u"COACH_B"}},
        {"a list and a digit", {kSelectPattern}, {u"DOOR_[AB]#"}, {u"DOOR_A2"}},
        {"a negated range",
         {kSelectPattern},
         {u"*[!0-9]"},
         {u"DIESEL", u"RAILCAR", u"COACH_A", u"COACH_B", u"WAGON_BOX", u"WAGON_TANK", u"PANTO", u"PLATEFONT", u"DOOR_A",
          u"DOOR_B", u"DOOR_R"}},
        {"all, less a pattern",
         {kSelectAll, kDeselectPattern},
         {u"*_*"},
         {u"E40", u"DIESEL", u"RAILCAR", u"PANTO", u"PLATEFONT"}},
        {"all, less the types that are not K", {kSelectAll, kDeselectTypeNot + kK}, {}, {u"PANTO", u"PLATEFONT"}},
        {"all, less type N",
         {kSelectAll, kDeselectType + kN},
         {},
         {u"E40", u"DIESEL", u"RAILCAR", u"COACH_A", u"COACH_A2", u"COACH_B", u"WAGON_TANK", u"PANTO", u"PLATEFONT",
          u"DOOR_A", u"DOOR_A2", u"DOOR_B", u"DOOR_R"}},
        {"all, less the ways that are not E", {kSelectAll, kDeselectWayNot + kWayE}, {}, {u"E40", u"RAILCAR"}},
        {"all, deselected", {kSelectAll, kDeselectAll}, {}, {}},
        {"type G, inverted twice", {kSelectType + kG, kInvert, kInvert}, {}, {u"COACH_A", u"DOOR_A"}},
    };
    yov::StockWindow& w = Window(10);
    for (const SelectCase& c : cases) {
        w.DeSel();
        answers.assign(c.answers.begin(), c.answers.end());
        for (int32_t code : c.codes) EXPECT_TRUE(Cmd(w, code)) << c.name;
        EXPECT_EQ(SelectedNames(w), c.expected) << c.name;
        EXPECT_TRUE(answers.empty()) << c.name << ": every answer taken";
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DemoSearch, TheAuthorCriterionTakesTheAuthorOfTheMenuPosition) {
    yov::StockWindow& w = Window(10);
    // The authors menu as sorted: its third place is author 1, the others no author.
    yov::stockMenus().AuthorOrder = {0, 0, 0, 1};
    Cmd(w, kSelectAuthor + 3);
    EXPECT_EQ(Selected(w).size(), 15u) << "every demo entry is the project's";
    w.DeSel();
    Cmd(w, kSelectAuthor + 1);
    EXPECT_TRUE(Selected(w).empty()) << "position 1 stands for no author here";
}

TEST_F(DemoSearch, FindNextAndPreviousWrapAroundFromTheActiveEntry) {
    yov::StockWindow& w = Window(15);
    Cmd(w, kFindType + kK);
    EXPECT_EQ(w.ActIndex(), 10) << "PANTO";
    EXPECT_EQ(SelectedNames(w), std::vector<std::u16string>{u"PANTO"});
    Cmd(w, kFindNext);
    EXPECT_EQ(w.ActIndex(), 11) << "PLATEFONT";
    Cmd(w, kFindNext);
    EXPECT_EQ(w.ActIndex(), 10) << "round past the end";
    Cmd(w, kFindPrevious);
    EXPECT_EQ(w.ActIndex(), 11) << "backwards round past the start";

    // Nothing else matches: the window stays, its active entry selected alone.
    Cmd(w, kFindType + kO);
    EXPECT_EQ(w.ActIndex(), 11);
    EXPECT_EQ(SelectedNames(w), std::vector<std::u16string>{u"PLATEFONT"});
    // Only the active entry matches: it is tested last and found.
    w.ActiveCell = 2;  // DIESEL
    Cmd(w, kFindType + kY);
    EXPECT_EQ(w.ActIndex(), 2);
    EXPECT_EQ(SelectedNames(w), std::vector<std::u16string>{u"DIESEL"});
    Cmd(w, kFindWay + kWayE);
    EXPECT_EQ(w.ActIndex(), 3) << "RAILCAR";
}

TEST_F(DemoSearch, APatternQuestionLeftEmptyStartsNothing) {
    yov::StockWindow& w = Window(15);
    Cmd(w, kFindNext);  // no criterion yet: asks
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(w.ActIndex(), 1);
    EXPECT_EQ(yov::searchCriterion().Count, 0);
    answers = {u"wagon*"};
    Cmd(w, kFindNext);  // asks again
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(w.ActIndex(), 7);
    Cmd(w, kFindNext);  // repeats the pattern
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(w.ActIndex(), 8);
    Cmd(w, kFindName);  // a new question, left empty: the pattern stays
    EXPECT_EQ(questions, 3);
    EXPECT_EQ(w.ActIndex(), 8);
    Cmd(w, kFindNext);
    EXPECT_EQ(w.ActIndex(), 9);
}

TEST_F(DemoSearch, AMalformedPatternIsReportedAsASearchError) {
    yov::StockWindow& w = Window(15);
    answers = {u"[AB"};
    Cmd(w, kSelectPattern);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, yov::GetText(u"ESCRH", u"Error during search"));
    EXPECT_EQ(boxes_[0].text, u"Invalid pattern string");
    EXPECT_TRUE(Selected(w).empty());
}

// The search works in the window that gave the command, whichever was activated last.
TEST_F(DemoSearch, TheIssuingWindowSearchesNotTheLastActivatedOne) {
    yov::StockWindow& first = Window(15);
    yov::StockWindow& second = Window(15);
    second.Form_Activate();
    ASSERT_EQ(yov::stockWindows().LastStockSlot, 2);
    Cmd(first, kSelectType + kR);
    EXPECT_EQ(SelectedNames(first), (std::vector<std::u16string>{u"E40", u"RAILCAR", u"DOOR_R"}));
    EXPECT_TRUE(Selected(second).empty());

    second.ActiveCell = 5;
    Cmd(first, kFindType + kK);
    EXPECT_EQ(first.ActIndex(), 10);
    EXPECT_EQ(second.ActIndex(), 5) << "the other window does not move";

    // A window closed meanwhile: the search gives up (a find beeps).
    int16_t cancel = 0;
    second.DoExit(cancel);
    first.DoExit(cancel);
    yov::StockItemCmd(first, yov::search_action::kFind);
    EXPECT_EQ(beeps, 1);
}

// A generated stock of 10,000: "V00001".."V10000", types and ways cycling, authors 0..3.
class LargeSearch : public StockBrowserTest {
protected:
    void SetUp() override {
        StockBrowserTest::SetUp();
        yov::ProgramState& st = yov::programState();
        MakeStock(kCount);
        const std::u16string& types = yov::programState().tables.ColorLetters;
        const std::u16string& ways = yov::programState().tables.TypeCodeLetters;
        for (int32_t i = 1; i <= kCount; ++i) {
            StockEntry& e = st.Arrays.Stock[i];
            std::u16string digits = plat::widen(std::to_string(i));
            e.Name = u"V" + std::u16string(5 - digits.size(), u'0') + digits;
            e.TypeLetter = types[static_cast<size_t>(i % 11)];
            e.WayLetter = ways[static_cast<size_t>(i % 13)];
            e.Author = static_cast<int16_t>(i % 4);
        }
        st.Arrays.Authors.redim(3);
        st.Shared.AuthorCount = 3;
    }
    static constexpr int32_t kCount = 10000;
};

TEST_F(LargeSearch, SelectionsOverTenThousandEntries) {
    yov::StockWindow& w = Window(12);
    answers = {u"V0###7"};
    Cmd(w, kSelectPattern);
    const std::vector<int32_t> sevens = Selected(w);
    ASSERT_EQ(sevens.size(), 1000u);
    EXPECT_EQ(sevens.front(), 7);
    EXPECT_EQ(sevens.back(), 9997);

    w.DeSel();
    Cmd(w, kSelectAuthor + 2);
    EXPECT_EQ(Selected(w).size(), 2500u);

    Cmd(w, kSelectAll);
    Cmd(w, kDeselectWayNot + kWayE);
    const std::vector<int32_t> ways = Selected(w);
    EXPECT_EQ(ways.size(), 770u) << "i mod 13 = 2";
    EXPECT_EQ(ways.front(), 2);

    Cmd(w, kInvert);
    EXPECT_EQ(Selected(w).size(), static_cast<size_t>(kCount) - 770);
    EXPECT_EQ(yov::searchCriterion().Code, yov::search_code::kWay);
}

TEST_F(LargeSearch, FindingScrollsTheEntryAQuarterDownTheList) {
    yov::StockWindow& w = Window(12);
    answers = {u"V05000"};
    Cmd(w, kFindName);
    EXPECT_EQ(w.ActIndex(), 5000);
    EXPECT_EQ(w.VscrValue(), 4997) << "three rows (a quarter of 12) above it";
    EXPECT_EQ(w.ActiveCell, 4);

    // From near the end the search wraps to the start.
    w.SetVscrValue(9989);
    w.ActiveCell = 7;  // 9995
    answers = {u"V0000*"};
    Cmd(w, kFindName);
    EXPECT_EQ(w.ActIndex(), 1);
    EXPECT_EQ(w.VscrValue(), 1);

    // Backwards from entry 1 the last entries come first.
    answers = {u"V0999[05]"};
    Cmd(w, kFindName);
    EXPECT_EQ(w.ActIndex(), 9990);
    w.SetVscrValue(1);
    w.ActiveCell = 1;
    Cmd(w, kFindPrevious);
    EXPECT_EQ(w.ActIndex(), 9995);
    EXPECT_EQ(w.VscrValue(), 9989) << "past the last full page: the last page";
}

TEST_F(LargeSearch, BackwardsFromTheFirstOfTenTestsTenFirst) {
    MakeStock(10);
    yov::StockWindow& w = Window(10);
    answers = {u"E[59]"};
    Cmd(w, kFindName);
    EXPECT_EQ(w.ActIndex(), 5);
    w.ActiveCell = 1;
    Cmd(w, kFindPrevious);
    EXPECT_EQ(w.ActIndex(), 9);
}

}  // namespace
