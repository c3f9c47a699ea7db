// Stock windows under the offscreen platform with the real engine: keys move the cursor and
// select, handled keys are consumed and others go on, Alt+O asks for the window's own popup,
// a mouse click selects its row; and a stock drag dropped into a text window holding the
// demo script inserts the drag text there.
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "stock_selection.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_drag_text.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/stock_frm.h"
#include "program/ui/stock_input_qt.h"
#include "program/ui/stock_status_bar_qt.h"
#include "program/ui/text_window.h"
#include "menu_engine_fake.h"
#include "program/core/binding/engine.h"
#include "program/ui/program_parts.h"
#include "stock_frm_fixture.h"
#include "stock_loading_fixture.h"

namespace {

using core_test::u16;

class StockWindowKeys : public stock_frm_test::StockFrmTest {
protected:
    void SetUp() override {
        StockFrmTest::SetUp();
        engine_.stopPopups = true;
        useEngine_.emplace(engine_);
        yov::SaveRegNumber(u"StBar", 0);
    }
    void TearDown() override {
        StockFrmTest::TearDown();
        useEngine_.reset();
    }

    yov::StockFrm* Opened() {
        if (!yov::Main(u"/l").keepRunning) return nullptr;
        yov::StockFrm* frm = Frm();
        if (frm == nullptr) return nullptr;
        frm->resize(500, 8 * 65 + 40);
        runFor(200);
        return frm;
    }

    std::vector<int32_t> Selected(const yov::StockWindow& w) const { return stock_test::SelectedEntries(w); }

    // A key pressed in the list: true when some handler consumed it.
    static bool Press(QWidget* list, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(list, &press);
        return press.isAccepted();
    }

    // Every engine call reaches the library; the popups asked for are recorded instead.
    engine_fake::MenuEngine engine_{true};
    std::vector<engine_fake::Popup>& popups_ = engine_.popups;

private:
    std::optional<yov::ScopedEngine> useEngine_;
};

TEST_F(StockWindowKeys, KeysSelectAndOnlyHandledKeysAreConsumed) {
    yov::StockFrm* frm = Opened();
    ASSERT_NE(frm, nullptr);
    yov::StockWindow& w = frm->window();
    ASSERT_GE(w.CellCount, 5) << "laid out";
    QWidget* list = yov::StockBoxWidget(w, 1);
    ASSERT_NE(list, nullptr);

    EXPECT_TRUE(Press(list, Qt::Key_Down));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{2});
    EXPECT_TRUE(Press(list, Qt::Key_Down, Qt::ShiftModifier));
    EXPECT_TRUE(Press(list, Qt::Key_Down, Qt::ShiftModifier));
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_TRUE(Press(list, Qt::Key_End, Qt::ControlModifier));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{15});
    EXPECT_EQ(w.VscrValue(), 15 - w.CellCount + 1) << "the view follows the cursor";
    EXPECT_TRUE(Press(list, Qt::Key_Home, Qt::ControlModifier));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{1});
    EXPECT_EQ(w.VscrValue(), 1);

    // Keys without a command go on to Qt's own handling.
    EXPECT_FALSE(Press(list, Qt::Key_Left));
    EXPECT_FALSE(Press(list, Qt::Key_X));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{1});

    EXPECT_TRUE(Press(list, Qt::Key_O, Qt::AltModifier));
    ASSERT_EQ(popups_.size(), 1u);
    EXPECT_EQ(popups_[0].slot, 1);
    EXPECT_EQ(popups_[0].menu, 1) << "the window's own popup, as a right click opens";
    EXPECT_EQ(popups_[0].x, 100);
    EXPECT_EQ(yov::stockCommandState().StockCmdBusy, 0);
}

TEST_F(StockWindowKeys, ACommandAbandonedByAnErrorEndsInTheWindowNotInQt) {
    yov::StockFrm* frm = Opened();
    ASSERT_NE(frm, nullptr);
    QWidget* list = yov::StockBoxWidget(frm->window(), 1);
    ASSERT_NE(list, nullptr);
    // An error already reported to the user abandons the command on its way out.
    engine_.onPopup = [] { throw yov::ProgramError(yov::error_number::kReported, u""); };
    bool consumed = false;
    EXPECT_NO_THROW(consumed = Press(list, Qt::Key_O, Qt::AltModifier));
    EXPECT_TRUE(consumed);
    EXPECT_EQ(yov::stockCommandState().StockCmdBusy, 0);
    EXPECT_TRUE(Press(list, Qt::Key_Down)) << "the window goes on taking keys";
}

TEST_F(StockWindowKeys, AClickOnARowSelectsItAndARightClickAsksForThePopup) {
    yov::StockFrm* frm = Opened();
    ASSERT_NE(frm, nullptr);
    yov::StockWindow& w = frm->window();
    ASSERT_GE(w.CellCount, 5);
    // Each row's picture box is a control of its own; the information column is the rows'.
    QWidget* box3 = yov::StockBoxWidget(w, 3);
    QWidget* box5 = yov::StockBoxWidget(w, 5);
    ASSERT_NE(box3, nullptr);
    ASSERT_NE(box5, nullptr);
    EXPECT_EQ(box3->objectName(), QStringLiteral("Box3"));
    QTest::mouseClick(box3, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{3});
    QTest::mouseClick(box5, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 10));
    EXPECT_EQ(Selected(w), (std::vector<int32_t>{3, 4, 5}));
    QTest::mouseClick(yov::StockBoxWidget(w, 4), Qt::RightButton, Qt::NoModifier, QPoint(30, 10));
    ASSERT_EQ(popups_.size(), 1u);
    EXPECT_EQ(popups_[0].slot, 1);
    EXPECT_EQ(popups_[0].menu, 1);

    // A press on a row's name selects that row; one below the last row hits nothing.
    QWidget* rows = frm->findChild<QWidget*>(QStringLiteral("StockRows"));
    ASSERT_NE(rows, nullptr);
    const yov::StockRowGeometry g(yov::programState().Shared.PictureHeight,
                                  yov::stockWindows().Options.InfoColumnWidth);
    const yov::RowRect name = g.name(2);
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, QPoint(name.x + 3, name.y + name.height / 2));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{2});
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, QPoint(name.x + 3, g.top(w.CellCount + 1) + 2));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{2});
    // A press on a row's category label selects that row; a click on a description mark
    // opens that entry's description.
    ASSERT_TRUE(w.Cells[3].CategoryVisible) << "the demo's second category begins at entry 3";
    const yov::RowRect category = g.category(3);
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, QPoint(category.x + 8, category.y + 4));
    EXPECT_EQ(Selected(w), std::vector<int32_t>{3});
    const size_t textWindows = yov::openTextWindows().size();
    const yov::RowRect mark = g.description(4);
    QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, QPoint(mark.x + 2, mark.y + mark.height / 2));
    ASSERT_EQ(yov::openTextWindows().size(), textWindows + 1) << "a text window with the description";
    EXPECT_EQ(yov::openTextWindows().back()->windowTitle().toStdU16String(), yov::programState().Arrays.Stock[4].Name);
    yov::openTextWindows().back()->close();
    EXPECT_EQ(Selected(w), std::vector<int32_t>{3}) << "the mark selects nothing";
}

// Moving the mouse over a row's box fills the status bar for its entry; a press and a move
// of more than ten pixels drags the selected entries' drag text.
TEST_F(StockWindowKeys, TheMouseOverARowFillsTheStatusBarAndADragCarriesTheEntries) {
    yov::SaveRegNumber(u"StBar", 3);
    yov::StockFrm* frm = Opened();
    ASSERT_NE(frm, nullptr);
    yov::StockWindow& w = frm->window();
    auto* bar = dynamic_cast<yov::QtStockStatusBar*>(frm->findChild<QWidget*>(QStringLiteral("SBarPanels")));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->count(), 1) << "the file name layout";
    QWidget* box2 = yov::StockBoxWidget(w, 2);
    ASSERT_NE(box2, nullptr);
    // Qt drops a move to where the cursor already is, and an earlier test may have left it
    // right there: the cursor comes from another point of the row.
    QTest::mouseMove(box2, QPoint(1, 1));
    QTest::mouseMove(box2, QPoint(40, 20));
    EXPECT_EQ(w.Input.MouseCell, 2);
    EXPECT_EQ(bar->panel(1).Text, w.Cells[2].FileTip);
    EXPECT_FALSE(bar->panel(1).Text.empty());

    // The offscreen platform ends a drag at once; one that waits for a drop is cancelled.
    QTimer::singleShot(0, [] { QDrag::cancel(); });
    QTest::mousePress(box2, Qt::LeftButton, Qt::NoModifier, QPoint(40, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(52, 20), box2->mapToGlobal(QPointF(52, 20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box2, &move);
    // The drag object, a child of the box it left, keeps what it carried.
    const QList<QDrag*> started = box2->findChildren<QDrag*>();
    ASSERT_EQ(started.size(), 1);
    const QMimeData* data = started.front()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(yov::kStockDragMimeType)));
    const std::vector<std::u16string> drags{data->text().toStdU16String()};
    EXPECT_EQ(drags[0].rfind(u"$NAME " + yov::programState().Arrays.Stock[2].Name + u"\r\n", 0), 0u);
    QTest::mouseRelease(box2, Qt::LeftButton, Qt::NoModifier, QPoint(52, 20));
}

// The row's popup through the engine and the real Qt menu: menu 1 holds nothing in this
// build, as the start leaves out every group of its items. A right click and Alt+O come back
// at once, and the next click selects a row instead of only ending a menu nobody sees.
class StockWindowEmptyPopup : public stock_frm_test::StockFrmTest {
protected:
    void SetUp() override {
        StockFrmTest::SetUp();
        yov::SaveRegNumber(u"StBar", 0);
        // A popup that stayed open after all is closed, so that the test ends and says so.
        guard_.setInterval(300);
        QObject::connect(&guard_, &QTimer::timeout, [this] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                leftOpen_ = true;
                popup->close();
            }
        });
        guard_.start();
    }
    void TearDown() override {
        guard_.stop();
        StockFrmTest::TearDown();
    }

    QTimer guard_;
    bool leftOpen_ = false;
};

TEST_F(StockWindowEmptyPopup, ARightClickAndAltOComeBackAndTheNextClickSelects) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    yov::StockFrm* frm = Frm();
    ASSERT_NE(frm, nullptr);
    frm->resize(500, 8 * 65 + 40);
    runFor(200);
    yov::StockWindow& w = frm->window();
    ASSERT_GE(w.CellCount, 5);

    QTest::mouseClick(yov::StockBoxWidget(w, 4), Qt::RightButton, Qt::NoModifier, QPoint(30, 10));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(yov::stockCommandState().StockCmdBusy, 0);
    QTest::mouseClick(yov::StockBoxWidget(w, 2), Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
    EXPECT_EQ(stock_test::SelectedEntries(w), std::vector<int32_t>{2});

    QKeyEvent altO(QEvent::KeyPress, Qt::Key_O, Qt::AltModifier);
    QApplication::sendEvent(yov::StockBoxWidget(w, 2), &altO);
    EXPECT_TRUE(altO.isAccepted());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QTest::mouseClick(yov::StockBoxWidget(w, 3), Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
    EXPECT_EQ(stock_test::SelectedEntries(w), std::vector<int32_t>{3});
    EXPECT_FALSE(leftOpen_) << "a popup was left open and swallowed the click after it";
}

class StockDropIntoText : public stock_load_test::StockLoadTest {
protected:
    void SetUp() override {
        StockLoadTest::SetUp();
        yov::UseProgramParts();
    }
    void TearDown() override {
        for (yov::TextFrm* w : std::vector<yov::TextFrm*>(yov::openTextWindows())) delete w;
        StockLoadTest::TearDown();
    }
};

TEST_F(StockDropIntoText, AStockDragDropsIntoTheScriptsTextWindow) {
    std::ifstream in(std::string(YOV_DEMO_DATA) + "/demo.ttt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::u16string script = QString::fromUtf8(s.str()).toStdU16String();
    Load(std::string(YOV_DEMO_DATA) + "/demo.stk");
    yov::ProgramState& st = yov::programState();
    ASSERT_GT(st.Shared.StockCount, 2);
    st.Arrays.Stock[1].SelectMask = 1;
    st.Arrays.Stock[2].SelectMask = 1;
    const std::u16string dragText = yov::StockDragText(1);
    ASSERT_NE(dragText.find(u"$NAME E40\r\n"), std::u16string::npos);

    yov::ShowTextWindowFor({0, 0, 6000, 4500, script, u"demo.ttt", 0});
    ASSERT_FALSE(yov::openTextWindows().empty());
    yov::TextFrm* w = yov::openTextWindows().back();
    w->show();
    QWidget* target = w->DTxt.viewport();
    const std::u16string before = w->DTxt.wholeText();

    QMimeData* data = yov::MakeStockDragData(dragText);
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(yov::kStockDragMimeType)));
    EXPECT_EQ(data->data(QString::fromLatin1(yov::kStockDragMimeType)).toStdString(), yov::StockDragBytes(dragText));
    const QPoint at(5, 3);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "the editor takes the plain text beside our own type";
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    delete data;

    // The editor keeps its own line ends.
    std::u16string lines = dragText;
    for (size_t p = lines.find(u"\r\n"); p != std::u16string::npos; p = lines.find(u"\r\n", p)) lines.erase(p, 1);
    const std::u16string after = w->DTxt.wholeText();
    EXPECT_EQ(after.size(), before.size() + lines.size());
    EXPECT_EQ(after.substr(0, lines.size()), lines) << "the entries' lines at the point of the drop, the first line";
    EXPECT_EQ(after.substr(lines.size()), before);
}

}  // namespace
