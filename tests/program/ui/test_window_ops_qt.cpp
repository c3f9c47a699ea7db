// The engine's window slots and menus on real Qt windows (offscreen): menus built from the
// engine's tables with captions answered through event 203, commands chosen in a menu bar
// and in a popup reaching the program re-based, and the window events the engine turns
// into its own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/ui/window_ops_qt.h"

namespace {

struct Seen {
    int16_t code;
    int16_t subCode;
    int32_t arg1, arg2, arg3, arg4;
    std::u16string text1;
};

std::vector<Seen> g_events;

std::string ascii(const std::u16string& s) { return std::string(s.begin(), s.end()); }

int32_t onEvent(DllEventRec* r) noexcept {
    g_events.push_back(Seen{r->Code, r->SubCode, r->Arg1, r->Arg2, r->Arg3, r->Arg4, LvTextString(r->Text1)});
    if (r->Code == 203) yov::lv::SetMenuTxt(("T:" + ascii(LvTextString(r->Text1))).c_str());
    return 0;
}

QAction* actionWithData(QWidget* w, int32_t identifier) {
    for (QAction* a : w->actions()) {
        if (!a->isSeparator() && a->data().toInt() == identifier) return a;
    }
    return nullptr;
}

QAction* actionWithText(QWidget* w, const QString& text) {
    for (QAction* a : w->actions()) {
        if (a->text() == text) return a;
    }
    return nullptr;
}

QMenu* openPopup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

// Makes the open popup's item with that identifier current and presses Return on it.
void chooseInOpenPopup(int32_t identifier) {
    QMenu* m = openPopup();
    ASSERT_NE(m, nullptr);
    QAction* a = actionWithData(m, identifier);
    ASSERT_NE(a, nullptr);
    m->setActiveAction(a);
    QTest::keyClick(m, Qt::Key_Return);
}

class QtWindowOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        ASSERT_TRUE(ops_.install()) << "the engine library is built beside the tests";
        yov::lv::InitDLL(0, &onEvent, nullptr, &shared_, arrays_.Stock.desc(), arrays_.StockFiles.desc(),
                         arrays_.Authors.desc(), arrays_.LibInfos.desc(), arrays_.Categories.desc(),
                         arrays_.Languages.desc(), arrays_.LangTexts.desc(), arrays_.DescKeys.desc(),
                         arrays_.DescValues.desc(), arrays_.DescTexts.desc());
        shared_.PictureHeight = 60;
        shared_.Limits.MinWidth = 300;
        shared_.Limits.MinHeight = 200;
        stock_.resize(400, 300);
        stock_.show();
        ASSERT_EQ(yov::lv::OpenFrm(1, reinterpret_cast<LvWindow>(&stock_), &shared_.Limits) & 0xFFFF, 0xFFFF);
    }
    void TearDown() override {
        yov::lv::CloseFrm(0);
        yov::lv::CloseFrm(1);
        yov::lv::CloseDLL();
        yov::lv::SetWindowOps(nullptr);
        QCoreApplication::processEvents();
    }
    std::vector<Seen> withSubCode(int16_t subCode) const {
        std::vector<Seen> out;
        for (const Seen& e : g_events) {
            if (e.code != 201 && e.code < 200 && e.subCode == subCode) out.push_back(e);
        }
        return out;
    }
    std::vector<Seen> commands() const {
        std::vector<Seen> out;
        for (const Seen& e : g_events) {
            if (e.code == 1 && static_cast<uint16_t>(e.subCode) >= 0x1000 && e.subCode != 4386 && e.subCode != 4549 &&
                e.subCode != 4550 && e.subCode != 4226)
                out.push_back(e);
        }
        return out;
    }

    yov::QtWindowOps ops_;
    SharedState shared_;
    SharedArrays arrays_;
    QMainWindow stock_;
};

TEST_F(QtWindowOpsTest, MenuBarIsBuiltFromTheTablesWithAnsweredCaptions) {
    QMenuBar* bar = ops_.menuBarOf(&stock_);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(stock_.menuWidget(), bar);
    ASSERT_FALSE(bar->actions().isEmpty());
    EXPECT_EQ(bar->actions().front()->text(), QStringLiteral("T:FIL"));
    QMenu* file = bar->actions().front()->menu();
    ASSERT_NE(file, nullptr);
    QAction* newWindow = actionWithData(file, 4114);
    ASSERT_NE(newWindow, nullptr);
    EXPECT_EQ(newWindow->text(), QStringLiteral("T:NEWIN"));
    bool asked = false;
    for (const Seen& e : g_events) asked = asked || (e.code == 203 && e.text1 == u"NEWIN");
    EXPECT_TRUE(asked);
}

TEST_F(QtWindowOpsTest, AnItemChosenUnderASubmenuArrivesRebased) {
    QMenuBar* bar = ops_.menuBarOf(&stock_);
    ASSERT_NE(bar, nullptr);
    QAction* attributes = actionWithText(bar, QStringLiteral("T:ATTR"));
    ASSERT_NE(attributes, nullptr);
    bar->setActiveAction(attributes);
    QMenu* attr = openPopup();
    ASSERT_NE(attr, nullptr);
    QAction* selectType = actionWithData(attr, 5152);  // opens menu 2
    ASSERT_NE(selectType, nullptr);
    attr->setActiveAction(selectType);
    QTest::keyClick(attr, Qt::Key_Right);
    QTRY_VERIFY(openPopup() != attr && openPopup() != nullptr);
    chooseInOpenPopup(0x8003);
    QCoreApplication::processEvents();

    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(commands()[0].subCode, 0x1423) << "0x8003 under the submenu 0x1420";
    EXPECT_EQ(commands()[0].arg1 & 0x7FFF, 0x1420) << "the shift mark is whatever an earlier menu left";
    EXPECT_FALSE(withSubCode(4386).empty()) << "menu selection reported";
    EXPECT_EQ(withSubCode(4549).size(), 1u) << "one menu loop";
    QTRY_COMPARE(withSubCode(4550).size(), size_t{1});
}

TEST_F(QtWindowOpsTest, APopupCommandIsRebasedOnTheGivenModeWord) {
    QTimer::singleShot(0, [] { chooseInOpenPopup(0x8003); });
    EXPECT_EQ(yov::lv::ShowPopup(1, 2, 20, 20, reinterpret_cast<LvWindow>(&stock_), 0x9440), 1);
    EXPECT_TRUE(commands().empty()) << "the command comes after the popup returned";
    QTRY_COMPARE(commands().size(), size_t{1});
    EXPECT_EQ(commands()[0].code, 1);
    EXPECT_EQ(commands()[0].subCode, 0x1443);
    EXPECT_EQ(commands()[0].arg1, 0x9440);
    EXPECT_EQ(withSubCode(4549).size(), 1u);
    QTRY_COMPARE(withSubCode(4550).size(), size_t{1});
}

TEST_F(QtWindowOpsTest, APopupAskedForItsChoiceReturnsItQuietly) {
    QTimer::singleShot(0, [] { chooseInOpenPopup(4214); });
    EXPECT_EQ(yov::lv::ShowPopup(1, 0x40 | 7, 5, 5, reinterpret_cast<LvWindow>(&stock_), 0), 4214);
    QCoreApplication::processEvents();
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(withSubCode(4549).empty()) << "no notifications";
}

TEST_F(QtWindowOpsTest, WheelAndCloseOnTheShowWindow) {
    QWidget show;
    show.resize(200, 100);
    show.show();
    ASSERT_EQ(yov::lv::OpenFrm(0, reinterpret_cast<LvWindow>(&show), &shared_.Limits), 0);

    QWheelEvent wheel(QPointF(10, 10), QPointF(110, 210), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&show, &wheel);
    const auto wheels = withSubCode(4226);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(wheels[0].code, 0);
    EXPECT_EQ(wheels[0].arg1, 120);
    EXPECT_EQ(wheels[0].arg2, 0x8);
    EXPECT_EQ(wheels[0].arg3, 110);
    EXPECT_EQ(wheels[0].arg4, 210);

    // A close request of the window system arrives as a spontaneous close event.
    QCloseEvent showClose;
    QSpontaneKeyEvent::setSpontaneous(&showClose);
    qApp->notify(&show, &showClose);  // sendEvent would make it a program's event
    bool closeRequest = false;
    for (const Seen& e : g_events) closeRequest = closeRequest || e.code == 201;
    EXPECT_TRUE(closeRequest);
    EXPECT_FALSE(showClose.isAccepted()) << "the show window stays";
    EXPECT_TRUE(show.isVisible());

    QCloseEvent stockClose;
    QSpontaneKeyEvent::setSpontaneous(&stockClose);
    qApp->notify(&stock_, &stockClose);
    EXPECT_TRUE(stockClose.isAccepted()) << "other slots close normally";

    g_events.clear();
    QCloseEvent programClose;
    QApplication::sendEvent(&show, &programClose);
    EXPECT_TRUE(programClose.isAccepted()) << "the program closing its own window is not asked about";
    EXPECT_TRUE(g_events.empty());
    yov::lv::CloseFrm(0);
}

TEST_F(QtWindowOpsTest, HoverAndLeaveOfASubclassedControl) {
    auto* label = new QLabel(QStringLiteral("picture"), &stock_);
    stock_.setCentralWidget(label);
    EXPECT_EQ(yov::lv::StartSubclass(reinterpret_cast<LvWindow>(label), 0, 1, 42) % 12, 0);
    // Entering alone reports nothing: only armed tracking does.
    QEnterEvent enter(QPointF(3, 4), QPointF(3, 4), QPointF(103, 104));
    QApplication::sendEvent(label, &enter);
    QCoreApplication::processEvents();
    EXPECT_TRUE(withSubCode(4142).empty());

    yov::MouseTrackEvent hoverNotice(yov::MouseTrackEvent::Kind::Hover, QPoint(3, 4));
    QApplication::sendEvent(label, &hoverNotice);
    ASSERT_EQ(withSubCode(4142).size(), size_t{1});
    const Seen hover = withSubCode(4142)[0];
    EXPECT_EQ(hover.code, 1);
    EXPECT_EQ(hover.arg1, 42);
    EXPECT_EQ(hover.arg3, 3);
    EXPECT_EQ(hover.arg4, 4);
    yov::MouseTrackEvent leaveNotice(yov::MouseTrackEvent::Kind::Leave, QPoint());
    QApplication::sendEvent(label, &leaveNotice);
    ASSERT_EQ(withSubCode(4143).size(), 1u);
    EXPECT_EQ(withSubCode(4143)[0].arg1, 42);
}

TEST_F(QtWindowOpsTest, ResizingBelowTheMinimumIsUndone) {
    const QRect before = stock_.geometry();
    stock_.setGeometry(before.left(), before.top(), 120, 300);
    QTRY_COMPARE(stock_.width(), 300);
    EXPECT_EQ(stock_.geometry().left(), before.left()) << "the right edge was the one dragged";
}

TEST_F(QtWindowOpsTest, CloseDllTakesTheMenusAway) {
    yov::lv::CloseFrm(1);
    EXPECT_EQ(ops_.menuBarOf(&stock_), nullptr);
    yov::lv::CloseDLL();
    QCoreApplication::processEvents();
    for (LvHandle h = 1; h < 200; ++h) EXPECT_EQ(ops_.menu(h), nullptr) << h;
}

}  // namespace
