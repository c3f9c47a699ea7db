// The status bar of a stock window over the demo stock, built by the real engine and picture
// builder: the panels of each layout for the entry under the mouse, their explanations, the
// animation lists of fixtures, short notes, and the layout commands.
#include <gtest/gtest.h>

#include "program/core/settings/settings.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/utilities.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_status_bar.h"
#include "program/stock/window_support.h"
#include "stock_drawing_fixture.h"

namespace {

using stock_drawing_test::Window;

// A bar measuring "0" 6 and "W" 11 units wide, counting what it is asked to do.
class FakeBar : public yov::StockStatusBar {
public:
    int shows = 0;
    int beeps = 0;
    int layouts = 0;
    std::vector<int32_t> timer;  // restarts (ms), -1 for a stop
    void shown() override { ++shows; }
    int32_t textWidth(std::u16string_view text) const override {
        int32_t w = 0;
        for (char16_t c : text) w += c == u'W' ? 11 : 6;
        return w;
    }
    void restartNoteTimer(int32_t ms) override { timer.push_back(ms); }
    void stopNoteTimer() override { timer.push_back(-1); }
    void beep() override { ++beeps; }
    void layoutWindow() override { ++layouts; }
};

class BarView : public stock_drawing_test::RowsView {
public:
    FakeBar bar;
    yov::StockStatusBar* statusBarControl() override { return &bar; }
};

// Demo entries by position in demo.stk.
enum Demo { kE40 = 1, kDiesel, kRailcar, kCoachA, kCoachA2, kCoachB, kWagonBox, kWagonBox2, kWagonTank, kPanto };

class StockStatusBarTest : public stock_drawing_test::StockDrawingTest {
protected:
    void SetUp() override {
        StockDrawingTest::SetUp();
        Load(std::string(YOV_DEMO_DATA) + "/demo.stk");
        ASSERT_EQ(yov::programState().Shared.StockCount, 15);
        view = std::make_unique<BarView>();
        window = std::make_unique<yov::StockWindow>(*view);
        ASSERT_TRUE(window->Load());
        window->Layout(10 * yov::StockRowHeight(60));
        window->Rfsh0();
    }
    void TearDown() override {
        window.reset();
        view.reset();
        StockDrawingTest::TearDown();
    }
    void Use(uint8_t layout) {
        yov::stockWindows().Options.StatusBarLayout = layout;
        yov::ConfigSBar(*window);
    }
    // The panels' texts with the mouse over row `cell`.
    std::vector<std::u16string> Panels(uint8_t layout, int16_t cell) {
        Use(layout);
        window->Input.MouseCell = cell;
        yov::ValueSBar(*window);
        std::vector<std::u16string> t;
        for (const auto& p : view->bar.Panels) t.push_back(p.Text);
        return t;
    }

    std::unique_ptr<BarView> view;
    std::unique_ptr<yov::StockWindow> window;
};

TEST_F(StockStatusBarTest, LayoutsHaveTheirPanelsAndWidths) {
    const struct {
        uint8_t layout;
        size_t panels;
    } layouts[] = {{1, 5}, {2, 4}, {3, 1}, {4, 16}, {5, 1}, {6, 1}};
    for (const auto& l : layouts) {
        Use(l.layout);
        EXPECT_EQ(view->bar.Panels.size(), l.panels) << int(l.layout);
        EXPECT_EQ(view->bar.Panels.back().AutoSize, 1) << "the last takes the rest";
        EXPECT_EQ(view->bar.Panels.back().Alignment, 0);
        EXPECT_TRUE(view->bar.Visible);
        EXPECT_EQ(window->StatusBarLayoutShown, l.layout);
    }
    Use(4);
    const yov::StockStatusBar& b = view->bar;
    EXPECT_EQ(b.Panels[14].Width, 6 * 8 + 4);
    EXPECT_EQ(b.Panels[12].Width, 6 + 11 + 4);
    EXPECT_EQ(b.Panels[13].Width, 21);
    EXPECT_EQ(b.Panels[0].Width, 11 + 2) << "panels without a width of their own";
    EXPECT_EQ(b.Panels[0].Alignment, 1);
    Use(2);
    EXPECT_EQ(b.Panels[2].Width, 23);
}

TEST_F(StockStatusBarTest, PanelTextsOfTheDemoEntries) {
    using V = std::vector<std::u16string>;
    const yov::StockCell& e40 = window->Cells[kE40];
    const std::u16string t = (e40.PictureFlags & 1) != 0 ? u"T" : u"O";
    EXPECT_EQ(Panels(2, kE40), (V{t, u"", u"E", u"The Yov project"}));
    EXPECT_EQ(view->bar.Panels[1].Picture, 1) << "R: the first colour after the blank";
    EXPECT_EQ(Panels(3, kE40), (V{e40.FileTip}));
    EXPECT_EQ(Panels(5, kE40), (V{u"E40[ET:PANTO,21,0][ET:PANTO,101,0][T:A=PLATEFONT;X=34;Y=39;T=\"140 012\"]"}));

    const V e40Props = Panels(4, kE40);
    ASSERT_EQ(e40Props.size(), 16u);
    EXPECT_EQ(e40Props[3], u"") << "not used";
    EXPECT_EQ(e40Props[4], u"150*60");
    EXPECT_EQ(e40Props[5], yov::decimal(e40.PaletteSize));
    EXPECT_EQ(e40Props[6], yov::decimal(e40.DataSize));
    EXPECT_EQ(e40Props[7], u"") << "a single picture";
    EXPECT_EQ(e40Props[8], u"D") << "it has a description";
    EXPECT_EQ(e40Props[12], u"P2");
    EXPECT_EQ(e40Props[13], u"");

    const V railcar = Panels(4, kRailcar);
    EXPECT_EQ(railcar[12], u"P1");
    EXPECT_EQ(railcar[13], u"D2");
    const V diesel = Panels(4, kDiesel);
    EXPECT_EQ(diesel[15], u"ON") << "the flashing lamp is an extra animation";
    EXPECT_EQ(diesel[1], u"");
    EXPECT_EQ(view->bar.Panels[1].Picture, 2) << "Y";

    yov::programState().Arrays.Stock[kWagonTank].UMark = 1;
    EXPECT_EQ(Panels(4, kWagonTank)[3], u"U");
    EXPECT_EQ(Panels(4, kWagonTank)[8], u"D");

    // Nothing under the mouse: empty panels, no colour.
    EXPECT_EQ(Panels(4, 0), V(16, u""));
    EXPECT_EQ(view->bar.Panels[1].Picture, -1);
    EXPECT_EQ(Panels(2, 0), V(4, u""));
    EXPECT_EQ(Panels(1, kE40), V(5, u"")) << "nothing fills the added properties";
    EXPECT_EQ(Panels(6, kE40), V(1, u""));
}

TEST_F(StockStatusBarTest, TheEntryUnderTheMouseCountsFromTheFirstShown) {
    window->SetVscrValue(3);
    window->Rfsh0();
    window->ActiveCell = 5;
    window->Input.MouseCell = 2;
    EXPECT_EQ(yov::HoveredEntry(*window), 4) << "first shown + mouse row - 1, whatever the active row";
    Use(5);
    yov::ValueSBar(*window);
    EXPECT_EQ(view->bar.Panels[0].Text.substr(0, 7), u"COACH_A");
    window->Input.MouseCell = 20;
    EXPECT_EQ(yov::HoveredEntry(*window), 0) << "past the stock's end";
}

TEST_F(StockStatusBarTest, AnimationListsOfAFixtureChain) {
    // A part whose slots carry the names a picture build gives its animations.
    const int32_t part = yov::AllocPicPart(0);
    yov::picParts().CurPart = part;
    const char16_t* names[] = {u"<:A",    u">:A",     u"<:B",  u">:C",  u"<:", u">:",       u"|PAN: ",
                               u"|PAN: ", u"|DOOR: ", u"|X:1", u"|X:2", u"|Y", u"|Z:q|W:r", u"<:B"};
    int32_t last = 0;
    for (const char16_t* n : names) {
        const int32_t s = yov::AllocPictureSlot();
        yov::pictureSlots()[s].Name = n;
        if (last == 0)
            yov::picParts()[part].FirstSlot = s;
        else
            yov::pictureSlots()[last].NextSlot = s;
        last = s;
    }
    yov::StockCell& cell = window->Cells[1];
    const int32_t own = cell.Part;
    cell.Part = part;
    const auto texts = Panels(4, 1);
    cell.Part = own;
    EXPECT_EQ(texts[12], u"P2");
    EXPECT_EQ(texts[13], u"D1");
    EXPECT_EQ(texts[14], u"A<B>C") << "a bare mark names nothing";
    EXPECT_EQ(texts[15], u"X,Z");
}

TEST_F(StockStatusBarTest, ExplanationsOfThePanels) {
    // The type's caption is the engine's type menu item's text.
    engine.libraryMenuKeys = true;
    ASSERT_NE(yov::GetMenuCaption(2, 0x8001), u"");
    const struct {
        uint8_t layout;
        int32_t panel;
        int16_t cell;
        std::u16string tip;
    } cases[] = {
        {4, 2, kE40, u"Type of E40 is " + yov::GetMenuCaption(2, 0x8001)},
        {4, 3, kE40, u"Way of E40: "},
        {4, 4, kE40, u"E40 is not used"},
        {4, 5, kE40, u"Dimensions of E40: 150*60 pixels"},
        {4, 8, kE40, u"E40 is not animated"},
        {4, 9, kE40, u"E40 has technical data"},
        {4, 10, kE40, u"E40 is not direction-dependent"},
        {4, 13, kE40, u"E40 has P2 animated pantographs"},
        {4, 14, kE40, u"E40 has no animated doors"},
        {4, 16, kDiesel, u"DIESEL has ON extra animations"},
        {2, 4, kE40,
         u"Author of E40: The Yov project\r\ne-mail: \r\nHomepage: \r\nOur own artwork, drawn by tools/make_demo.py"},
        {1, 2, kE40, u""},
        {6, 1, kE40, u"E40"},
    };
    for (const auto& c : cases) {
        Use(c.layout);
        window->Input.MouseCell = c.cell;
        yov::ValueSBar(*window);
        const std::u16string tip = yov::StatusPanelTip(*window, c.panel);
        if (c.panel == 3)
            EXPECT_EQ(tip.substr(0, c.tip.size()), c.tip) << int(c.layout) << "/" << c.panel;
        else
            EXPECT_EQ(tip, c.tip) << int(c.layout) << "/" << c.panel;
    }
    Use(3);
    window->Input.MouseCell = kE40;
    yov::ValueSBar(*window);
    EXPECT_EQ(yov::StatusPanelTip(*window, 1), window->Cells[kE40].FileTip) << "the whole text of the panel";
    window->Input.MouseCell = 0;
    EXPECT_EQ(yov::StatusPanelTip(*window, 1), u"");
}

TEST_F(StockStatusBarTest, AnAuthorHasThreeLinesAndADescriptionAFourth) {
    auto& a = yov::programState().Arrays.Authors[1];
    a.Mail = u"m@example.org";
    a.HomePage = u"http://example.org";
    EXPECT_EQ(yov::AProp(1),
              u"The Yov project\r\ne-mail: m@example.org\r\nHomepage: http://example.org\r\nOur own artwork, drawn by "
              u"tools/make_demo.py");
    a.Description.clear();
    EXPECT_EQ(yov::AProp(1), u"The Yov project\r\ne-mail: m@example.org\r\nHomepage: http://example.org");
    EXPECT_EQ(yov::AProp(9), u"");
}

TEST_F(StockStatusBarTest, ShortNotesStayTenSecondsAndKeysAreLookedUp) {
    Use(4);
    yov::SBarText(*window, u"NOSP");
    EXPECT_EQ(view->bar.SimpleText, u"No selected picture(s)");
    EXPECT_EQ(view->bar.Style, 1);
    EXPECT_EQ(window->StatusBarState, yov::status_state::kNote);
    EXPECT_EQ(view->bar.timer, (std::vector<int32_t>{-1, 10000}));
    yov::SBarText(*window, u"NOSPX");
    EXPECT_EQ(view->bar.SimpleText, u"NOSPX") << "five characters are a text as it is";
    EXPECT_EQ(view->bar.timer, (std::vector<int32_t>{-1, 10000, -1, 10000})) << "each note gets the full time";
    yov::Timer3_Timer(*window);
    EXPECT_EQ(view->bar.Style, 0);
    EXPECT_EQ(window->StatusBarState, yov::status_state::kPanels);
    EXPECT_EQ(view->bar.beeps, 2);

    Use(0);
    view->bar.SimpleText.clear();
    yov::SBarText(*window, u"NOSP");
    EXPECT_EQ(view->bar.SimpleText, u"") << "a hidden bar shows nothing";
    EXPECT_EQ(view->bar.beeps, 3);
}

// The bar is worked by the window's one command table and its mouse handling.
TEST_F(StockStatusBarTest, TheWindowsCommandsAndMouseWorkTheBar) {
    Use(4);
    EXPECT_TRUE(yov::StockFCmd(*window, 4386, 4153));
    EXPECT_EQ(window->StatusBarState, yov::status_state::kMenuTip);
    EXPECT_EQ(view->bar.Style, 1);
    EXPECT_EQ(view->bar.SimpleText, yov::GetMenuTip(4153));
    EXPECT_TRUE(yov::StockFCmd(*window, 4550));
    EXPECT_EQ(view->bar.Style, 0);
    EXPECT_EQ(window->StatusBarState, yov::status_state::kPanels);

    // The mouse entering a row fills the panels for its entry.
    yov::Box_MouseMove(*window, kE40, 0, 0, 20, 20);
    EXPECT_EQ(window->Input.MouseCell, kE40);
    EXPECT_EQ(view->bar.panel(5).Text, u"150*60");
    EXPECT_EQ(view->bar.panel(13).Text, u"P2");
    yov::Box_MouseMove(*window, kDiesel, 0, 0, 20, 20);
    EXPECT_EQ(view->bar.panel(13).Text, u"") << "the diesel has no pantograph";

    EXPECT_TRUE(yov::StockFCmd(*window, 4369 + 6));
    EXPECT_EQ(yov::stockWindows().Options.StatusBarLayout, 6);
    EXPECT_EQ(yov::GetRegNumber(u"StBar", 0), 6);
    EXPECT_EQ(view->bar.Panels.size(), 1u) << "the window took the new layout";
    view->bar.Visible = true;
    EXPECT_TRUE(yov::StockFCmd(*window, 4369));
    EXPECT_EQ(view->bar.layouts, 1) << "hiding the bar lays the window out again";
}

}  // namespace
