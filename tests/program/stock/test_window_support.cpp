// The services the windows share: generated menu ids, replacing text, the status-bar panel
// under a point, an entry's name split at its version mark, the tool tip's place, the common
// keys of every window, and the update at the end of a stock-window command.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include "platform/text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/tip_frm.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"
#include "stock_window_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

struct IdCase {
    int32_t id;
    int32_t base;
    int32_t index;  // -1: left untouched
};

TEST(SplitCmdId, ReducesEachRangeToItsBase) {
    const IdCase cases[] = {
        {4115, 4115, -1},  {5119, 5119, -1}, {5120, 5120, 0},  {5130, 5120, 10},    {5375, 5360, 15},
        {5376, 5376, 0},   {5440, 5440, 0},  {5631, 5568, 63}, {5632, 5632, 0},     {5900, 5888, 12},
        {9215, 8960, 255}, {9216, 9216, 0},  {9300, 9216, 84}, {10239, 9216, 1023}, {10240, 10240, 0},
    };
    for (const IdCase& c : cases) {
        int32_t id = c.id;
        int32_t index = -1;
        yov::SplitCmdId(id, index);
        EXPECT_EQ(id, c.base) << c.id;
        EXPECT_EQ(index, c.index) << c.id;
    }
}

TEST(ReplaceAll, GoesOnAfterEachReplacement) {
    struct Case {
        const char* text;
        const char* old;
        const char* replacement;
        const char* expected;
    };
    const Case cases[] = {
        {"a/b/c", "/", "\\", "a\\b\\c"},
        {"a\\b", "\\", "/", "a/b"},
        {"aaa", "a", "aa", "aaaaaa"},  // the replacement holds the old text: no endless scan
        {"abab", "ab", "b", "bb"},
        {"xyz", "", "q", "xyz"},  // an empty old text changes nothing
        {"", "a", "b", ""},
        {"one two", "two", "", "one "},
        {"ab", "abc", "x", "ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8(plat::replace(u16(c.text), u16(c.old), u16(c.replacement))), c.expected)
            << c.text << " " << c.old;
    }
}

TEST(PanelFromX, FindsTheVisiblePanelUnderThePoint) {
    const std::vector<yov::PanelSpan> panels = {{50, true}, {30, false}, {40, true}};
    EXPECT_EQ(yov::PanelFromX(panels, 0), 0) << "the left end itself is on no panel";
    EXPECT_EQ(yov::PanelFromX(panels, 1), 1);
    EXPECT_EQ(yov::PanelFromX(panels, 50), 1);
    EXPECT_EQ(yov::PanelFromX(panels, 51), 0) << "between two panels";
    EXPECT_EQ(yov::PanelFromX(panels, 52), 3) << "the hidden panel takes no room";
    EXPECT_EQ(yov::PanelFromX(panels, 91), 3);
    EXPECT_EQ(yov::PanelFromX(panels, 92), 0) << "past the last panel: none, not the count + 1";
    EXPECT_EQ(yov::PanelFromX({}, 5), 0);
}

TEST(TipPlacement, StaysOnTheScreen) {
    const QSize screen(1000, 800);
    const QSize tip(200, 40);
    struct Case {
        const char* name;
        int32_t x;
        QRect window;
        QRect expected;
    };
    const Case cases[] = {
        {"BelowTheWindow", 300, QRect(100, 100, 400, 300), QRect(295, 405, 200, 40)},
        {"PulledInFromTheRight", 950, QRect(100, 100, 400, 300), QRect(795, 405, 200, 40)},
        {"AboveAWindowAtTheBottom", 300, QRect(100, 300, 400, 480), QRect(295, 255, 200, 40)},
        {"LeftOfATallWindow", 600, QRect(400, 20, 300, 770), QRect(195, 760, 200, 40)},
        {"RightOfATallWindowAtTheLeft", 100, QRect(0, 20, 300, 770), QRect(305, 760, 200, 40)},
        {"NowhereElse", 100, QRect(0, 20, 900, 770), QRect(95, 795, 200, 40)},
    };
    for (const Case& c : cases) EXPECT_EQ(yov::TipPlacement(tip, c.x, c.window, screen), c.expected) << c.name;
}

class WindowSupport : public stock_window_test::StockWindowTest {};

TEST_F(WindowSupport, GetStockBoxWordSplitsAtTheFirstTilde) {
    MakeStock(3);
    yov::programState().Arrays.Stock[1].Name = u"A~B~C";
    yov::programState().Arrays.Stock[2].Name = u"PLAIN";
    yov::programState().Arrays.Stock[3].Name = u"~V";
    std::u16string rest = u"old";
    EXPECT_EQ(utf8(yov::GetStockBoxWord(1, rest)), "A");
    EXPECT_EQ(utf8(rest), "~B~C");
    EXPECT_EQ(utf8(yov::GetStockBoxWord(2, rest)), "PLAIN");
    EXPECT_EQ(utf8(rest), "");
    EXPECT_EQ(utf8(yov::GetStockBoxWord(3, rest)), "");
    EXPECT_EQ(utf8(rest), "~V");
    EXPECT_EQ(utf8(yov::GetStockBoxWord(4, rest)), "") << "past the stock";
}

TEST_F(WindowSupport, RaiseUserErrorAbandonsWithTheKey) {
    try {
        yov::RaiseUserError(u"SEL1");
        FAIL();
    } catch (const yov::ProgramError& e) {
        EXPECT_EQ(e.number(), 6009);
        EXPECT_EQ(utf8(e.description()), "SEL1");
    }
    EXPECT_FALSE(yov::UserErrorText(u"NOF").empty());
    EXPECT_FALSE(yov::UserErrorText(u"NPIC").empty());
}

TEST_F(WindowSupport, MenuCaptionsComeFromTheItemsKeys) {
    core_test::defaultTexts()[u"SRCH"] = u"Search ...";
    EXPECT_EQ(utf8(yov::GetMenuKeyText(0x8000, 4200)), "SRCH");
    EXPECT_EQ(utf8(yov::GetMenuCaption(0x8000, 4200)), "Search");
    EXPECT_EQ(utf8(yov::GetMenuKeyText(0x8000, 4201)), "");
    EXPECT_EQ(utf8(yov::GetMenuCaption(0x8000, 4201)), "");
}

// A window that counts its close requests.
class Closable : public QWidget {
public:
    explicit Closable(int& closes) : closes_(closes) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        ++closes_;
        e->accept();
    }

private:
    int& closes_;
};

TEST_F(WindowSupport, TheCommonKeysOfEveryWindow) {
    int closes = 0;
    QPointer<Closable> form = new Closable(closes);
    EXPECT_TRUE(yov::HandleFormCmd(521, form, 0)) << "Ctrl+Tab";
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(yov::HandleFormCmd(65, form, 0)) << "A is nobody's";
    EXPECT_TRUE(yov::HandleFormCmd(627, form, 0)) << "Ctrl+F4";
    EXPECT_EQ(closes, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "the form is unloaded";

    form = new Closable(closes);
    yov::modalState().ModalDepth = 1;
    EXPECT_TRUE(yov::HandleFormCmd(1139, form, 0)) << "Alt+F4 in a modal dialog closes the form alone";
    yov::modalState().ModalDepth = 0;
    EXPECT_EQ(closes, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(WindowSupport, AToolTipShowsItsTextOnceAndHides) {
    QWidget owner;
    owner.setGeometry(100, 100, 300, 200);
    std::u16string text = u"Width: 80\r\n";
    yov::ShowTip(text, &owner, 10, 10, 500);
    EXPECT_EQ(utf8(text), "Width: 80") << "the trailing line end goes";
    EXPECT_EQ(yov::stockWindows().TipShown, 1);
    EXPECT_EQ(yov::serviceState().TipCountdown, 50) << "ticks of 10 ms";
    yov::serviceState().TipCountdown = 7;
    std::u16string again = u"Width: 80";
    yov::ShowTip(again, &owner, 200, 10, 500);
    EXPECT_EQ(yov::serviceState().TipCountdown, 7) << "the same text stays as it is";
    yov::HideTip();
    EXPECT_EQ(yov::stockWindows().TipShown, 0);
    EXPECT_EQ(yov::serviceState().TipCountdown, 0);
    yov::serviceState().CommandRunning = 2;
    std::u16string during = u"busy";
    yov::ShowTip(during, &owner, 0, 0, 0);
    EXPECT_EQ(yov::stockWindows().TipShown, 0) << "no tip while a command runs";
}

TEST_F(WindowSupport, AChildsToolTipStandsBelowTheChildOnTheScreen) {
    QWidget owner;
    owner.setGeometry(100, 100, 300, 200);
    QWidget bar(&owner);
    bar.setGeometry(0, 180, 300, 20);  // a status bar at the bottom of its window
    std::u16string text = u"Width: 80";
    yov::ShowTip(text, &bar, 10, 0, 0);
    const QRect tip = yov::tipForm()->geometry();
    const QRect bottom(bar.mapToGlobal(QPoint(0, 0)), bar.size());
    EXPECT_EQ(tip.left(), bottom.left() + 10 - 5);
    EXPECT_EQ(tip.top(), bottom.top() + bottom.height() + 5) << "below the bar on the screen";
    EXPECT_FALSE(tip.intersects(bottom)) << "never over the bar, where it would take the pointer away";
    yov::HideTip();
}

}  // namespace
