// Generated menu items chosen in a stock window under the offscreen platform with the real
// engine and Qt menus: an author of the "Find" menu's author submenu and a category of the
// label menu reach the window's commands with the submenu's base added to their place, and
// the status bar shows its panels and a note.
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_options.h"
#include "program/core/windows/form_members.h"
#include "program/stock/stock_status_bar.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/ui/stock_frm.h"
#include "program/ui/stock_status_bar_qt.h"
#include "program/ui/window_ops_qt.h"
#include "stock_frm_fixture.h"

namespace {

using core_test::u16;

class StockMenusChosen : public stock_frm_test::StockFrmTest {
protected:
    void SetUp() override {
        StockFrmTest::SetUp();
        yov::SaveRegNumber(u"ShowAuth", 1);
        yov::SaveRegNumber(u"StBar", 4);
    }

    static QAction* ActionWithData(const QList<QAction*>& actions, int id) {
        for (QAction* a : actions)
            if (!a->isSeparator() && a->data().toInt() == id) return a;
        return nullptr;
    }
    // A click on an action of a shown menu.
    static void Click(QMenu* menu, QAction* action) {
        QTest::mouseMove(menu, menu->actionGeometry(action).center());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    // Opens the bar's item whose submenu holds the item `inner`, then that submenu's `inner`
    // item's menu (when it has one), and clicks the item `leaf` there.
    void Choose(int barItem, int inner, int leaf) {
        QMenuBar* bar = yov::windowOps().menuBarOf(Frm());
        ASSERT_NE(bar, nullptr);
        QAction* top = ActionWithData(bar->actions(), barItem);
        if (top == nullptr) {  // the item lies in one of the bar's menus
            for (QAction* a : bar->actions()) {
                if (a->menu() != nullptr && ActionWithData(a->menu()->actions(), barItem) != nullptr) top = a;
            }
        }
        ASSERT_NE(top, nullptr) << barItem;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QCoreApplication::processEvents();
        QMenu* menu = top->menu();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(menu->isVisible());
        if (QAction* middle = ActionWithData(menu->actions(), barItem); middle != nullptr && middle != top) {
            Click(menu, middle);
            QCoreApplication::processEvents();
            menu = middle->menu();
            ASSERT_NE(menu, nullptr);
        }
        if (inner != 0) {
            QAction* group = ActionWithData(menu->actions(), inner);
            ASSERT_NE(group, nullptr);
            Click(menu, group);
            QCoreApplication::processEvents();
            menu = group->menu();
            ASSERT_NE(menu, nullptr);
        }
        ASSERT_TRUE(menu->isVisible());
        QAction* item = ActionWithData(menu->actions(), leaf);
        ASSERT_NE(item, nullptr) << leaf;
        Click(menu, item);
        runFor(100);
    }

    // Opens "View" on the menu bar, then its "Status Bar" submenu (the one holding "Hide"),
    // and clicks the layout item there.
    void ChooseStatusBarLayout(int layoutItem) {
        QMenuBar* bar = yov::windowOps().menuBarOf(Frm());
        ASSERT_NE(bar, nullptr);
        QAction* view = nullptr;
        for (QAction* a : bar->actions()) {
            if (a->menu() != nullptr && ActionWithData(a->menu()->actions(), 4153) != nullptr) view = a;
        }
        ASSERT_NE(view, nullptr) << "the menu holding \"Show Width\"";
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(view).center());
        QCoreApplication::processEvents();
        ASSERT_TRUE(view->menu()->isVisible());
        QAction* layouts = nullptr;
        for (QAction* a : view->menu()->actions()) {
            if (a->menu() != nullptr &&
                ActionWithData(a->menu()->actions(), yov::stock_menu::kStatusBarFirst) != nullptr)
                layouts = a;
        }
        ASSERT_NE(layouts, nullptr);
        Click(view->menu(), layouts);
        QCoreApplication::processEvents();
        ASSERT_TRUE(layouts->menu()->isVisible());
        for (int id = yov::stock_menu::kStatusBarFirst; id <= yov::stock_menu::kStatusBarFirst + 6; ++id)
            EXPECT_NE(ActionWithData(layouts->menu()->actions(), id), nullptr) << "layout " << id << " offered";
        QAction* item = ActionWithData(layouts->menu()->actions(), layoutItem);
        ASSERT_NE(item, nullptr);
        Click(layouts->menu(), item);
        runFor(100);
    }

    // The commands the program's dispatch hands the window, before its command table runs them.
    void RecordCommands(yov::StockFrm* frm) {
        yov::FormMembers members;
        members.FCmd = [this, frm](int16_t& code, int32_t& a1, int32_t& a2, int32_t& a3, int32_t& a4) {
            commands_.push_back(static_cast<uint16_t>(code));
            return frm->FCmd(code, a1, a2, a3, a4);
        };
        members.Rfsh0 = [frm] { frm->window().Rfsh0(); };
        yov::SetFormMembers(frm, std::move(members));
    }

    bool Received(int code) {
        const bool got = std::find(commands_.begin(), commands_.end(), code) != commands_.end();
        if (!got) {
            std::string seen;
            for (uint16_t c : commands_) seen += std::to_string(c) + " ";
            ADD_FAILURE() << "no " << code << " among " << seen;
        }
        return got;
    }

    std::vector<uint16_t> commands_;
};

TEST_F(StockMenusChosen, AnAuthorAndACategoryReachTheirCommands) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    ASSERT_NE(Frm(), nullptr);
    RecordCommands(Frm());
    runFor(200);
    ASSERT_EQ(yov::stockMenus().AuthorOrder.size(), 2u) << "the demo stock has one author";

    // "Find" -> "Author" -> the author: 15360 + its place.
    Choose(yov::kFindAuthor, 0, 0x8001);
    EXPECT_TRUE(Received(yov::kFindAuthor + 1));
    // The window found the next entry of that author after the active one, and selected it.
    yov::StockWindow& w = Frm()->window();
    EXPECT_EQ(w.ActIndex(), 2);
    EXPECT_EQ(yov::programState().Arrays.Stock[2].SelectMask & static_cast<uint16_t>(w.SelectionBit), w.SelectionBit);

    // "Label" -> the second category: 16384 + its number; the view goes to its first entry.
    commands_.clear();
    Choose(yov::kLabelBase, 0, 0x8002);
    EXPECT_TRUE(Received(yov::kLabelBase + 2));
    const int32_t first = yov::programState().Arrays.Categories[2].FirstEntry;
    EXPECT_EQ(w.VscrValue(), std::min(first, w.VscrMax()));
    EXPECT_GT(w.VscrValue(), 1);
}

TEST_F(StockMenusChosen, TheStatusBarShowsTheRowUnderTheMouseAndANote) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    yov::StockFrm* frm = Frm();
    ASSERT_NE(frm, nullptr);
    runFor(200);
    frm->resize(760, frm->height());
    runFor(200);
    ASSERT_TRUE(frm->statusBar()->isVisible());
    auto* bar = dynamic_cast<yov::QtStockStatusBar*>(frm->findChild<QWidget*>(QStringLiteral("SBarPanels")));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->count(), 16);
    for (int tries = 0; tries < 20 && frm->window().Cells[1].BuiltWidth == 0; ++tries) runFor(100);
    frm->window().Input.MouseCell = 1;
    yov::ValueSBar(frm->window());
    EXPECT_EQ(bar->panel(5).Text, u"150*60");
    EXPECT_EQ(bar->panel(13).Text, u"P2");
    int32_t others = 0;
    for (int32_t p = 1; p < 16; ++p) others += bar->panel(p).Width + 1;
    EXPECT_EQ(bar->panel(16).Width, bar->width() - others - 1) << "the last panel takes the rest of the bar";
    EXPECT_GT(bar->panel(16).Width, 100);

    // The engine's hover notice for the bar (row 0) shows the tip of the panel under the mouse.
    yov::mouseTracking().TrackedId = static_cast<uint16_t>(-5);
    int16_t code = 4142;
    int32_t row = 0, a2 = 0, x = bar->panelRect(5).center().x(), y = 3;
    EXPECT_TRUE(frm->FCmd(code, row, a2, x, y));
    EXPECT_EQ(yov::stockWindows().TipText, u"Dimensions of E40: 150*60 pixels");
    yov::HideTip();

    yov::SBarText(frm->window(), u"NOSP");
    EXPECT_TRUE(bar->Timer3.isActive());
    EXPECT_EQ(bar->SimpleText, u"No selected picture(s)");
    bar->Timer3.setInterval(10);
    bar->Timer3.start();
    runFor(100);
    EXPECT_EQ(bar->Style, 0) << "the panels come back when the note's time is up";
}

// "Hide" is not a way of no return: the bar comes back through the same menu, and each
// choice is stored and marked.
TEST_F(StockMenusChosen, TheStatusBarIsHiddenAndShownAgainFromTheMenu) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    yov::StockFrm* frm = Frm();
    ASSERT_NE(frm, nullptr);
    runFor(200);
    ASSERT_TRUE(frm->statusBar()->isVisible());

    ChooseStatusBarLayout(yov::stock_menu::kStatusBarFirst);  // "Hide"
    EXPECT_FALSE(frm->statusBar()->isVisible());
    EXPECT_EQ(yov::GetRegNumber(u"StBar", 4), 0);

    ChooseStatusBarLayout(yov::stock_menu::kStatusBarFirst + 3);  // "File name"
    EXPECT_TRUE(frm->statusBar()->isVisible());
    EXPECT_EQ(yov::GetRegNumber(u"StBar", 4), 3);
    auto* panels = dynamic_cast<yov::QtStockStatusBar*>(frm->findChild<QWidget*>(QStringLiteral("SBarPanels")));
    ASSERT_NE(panels, nullptr);
    EXPECT_EQ(panels->count(), 1) << "the file name layout";
    QMenuBar* bar = yov::windowOps().menuBarOf(frm);
    ASSERT_NE(bar, nullptr);
    for (QAction* top : bar->actions()) {
        if (top->menu() == nullptr) continue;
        for (QAction* sub : top->menu()->actions()) {
            if (sub->menu() == nullptr) continue;
            for (int id = yov::stock_menu::kStatusBarFirst; id <= yov::stock_menu::kStatusBarFirst + 6; ++id) {
                if (QAction* a = ActionWithData(sub->menu()->actions(), id)) {
                    EXPECT_EQ(a->isChecked(), id == yov::stock_menu::kStatusBarFirst + 3) << id;
                }
            }
        }
    }
}

}  // namespace
