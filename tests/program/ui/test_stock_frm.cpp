// The stock windows as the program opens them, under the offscreen platform with the real
// engine: "/l" on the demo stock opens one with its menu bar; ten can be open, the eleventh
// goes at once; closing one frees its slot for the next; the last one's closing ends the
// program.
#include <QCoreApplication>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include <string>

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/core/settings/settings.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/stock_frm.h"
#include "program/ui/window_ops_qt.h"
#include "stock_frm_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

class StockWindowsOpen : public stock_frm_test::StockFrmTest {};

TEST_F(StockWindowsOpen, SlashLOnTheDemoStockOpensAStockWindow) {
    const yov::MainResult result = yov::Main(u"/l");
    ASSERT_TRUE(result.keepRunning);
    yov::StockFrm* frm = Frm(1);
    ASSERT_NE(frm, nullptr) << "the stock window takes slot 1";
    EXPECT_TRUE(frm->isVisible());
    EXPECT_GT(yov::programState().Shared.StockCount, 0) << "the demo stock was loaded";
    EXPECT_NE(frm->windowTitle().toUpper().indexOf(QStringLiteral("DEMO.STK")), -1) << frm->windowTitle().toStdString();
    QMenuBar* bar = yov::windowOps().menuBarOf(frm);
    ASSERT_NE(bar, nullptr) << "the stock windows' menu bar";
    EXPECT_FALSE(bar->actions().isEmpty());
    runFor(200);
    EXPECT_GT(frm->window().CellCount, 0) << "laid out";
    EXPECT_EQ(yov::serviceState().RefreshCountdown[1], 0) << "and drawn by the service timer";
    EXPECT_EQ(frm->window().VscrValue(), 1);
    EXPECT_TRUE(exitCodes_.empty());
}

TEST_F(StockWindowsOpen, TenOpenTheEleventhIsRefusedAndClosingOneFreesItsSlot) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    ASSERT_NE(Frm(1), nullptr);
    for (int n = 2; n <= 10; ++n) {
        yov::StockFrm* frm = yov::OpenStockWindow();
        ASSERT_NE(frm, nullptr) << n;
        EXPECT_EQ(frm->window().Slot, n);
        EXPECT_EQ(Frm(n), frm);
    }
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 10);
    EXPECT_EQ(yov::OpenStockWindow(), nullptr) << "all ten slots are taken";
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int n = 1; n <= 10; ++n) EXPECT_NE(Frm(n), nullptr) << n << " stays open";

    yov::StockFrm* fourth = Frm(4);
    fourth->window().SetVscrValue(1);
    ASSERT_TRUE(fourth->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Frm(4), nullptr);
    EXPECT_EQ(yov::programState().WindowTable[4].inUse, 0);
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 9);
    yov::StockFrm* again = yov::OpenStockWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->window().Slot, 4) << "the first free slot";
    runFor(100);
    EXPECT_TRUE(exitCodes_.empty());

    // Ctrl+F4 closes a window, pressed or as a command; when the last has gone the program ends.
    QTest::keyClick(Frm(1), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Frm(1), nullptr);
    EXPECT_TRUE(exitCodes_.empty());
    for (int n = 2; n <= 10; ++n) {
        int16_t code = 2 * 256 + 115;
        int32_t a1 = 0, a2 = 0, a3 = 0, a4 = 0;
        EXPECT_TRUE(Frm(n)->FCmd(code, a1, a2, a3, a4)) << n;
    }
    EXPECT_TRUE(runUntilEnded()) << "the last stock window's closing shuts the program down";
    EXPECT_EQ(yov::stockWindows().StockWindowCount, 0);
    EXPECT_EQ(yov::serviceState().HighestStockSlot, 0);
}

TEST_F(StockWindowsOpen, SlashTOpensTheSettingsDialogAndThenAStockWindow) {
    yov::WireSettingsDialog();
    ASSERT_TRUE(yov::Main(u"/t").keepRunning);
    const yov::WindowSlot& settings = yov::programState().WindowTable[yov::kSettingsSlot];
    ASSERT_NE(settings.inUse, 0) << "the settings dialog took slot 33";
    EXPECT_TRUE(settings.window->isVisible());
    yov::StockFrm* frm = Frm(1);
    ASSERT_NE(frm, nullptr) << "and a stock window slot 1";
    EXPECT_TRUE(frm->isVisible());
    runFor(200);
    EXPECT_GT(frm->window().CellCount, 0);
    EXPECT_GT(yov::programState().Shared.StockCount, 0) << "the stock the dialog emptied is read again";
    frm->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    runFor(50);
    EXPECT_TRUE(exitCodes_.empty()) << "the settings dialog keeps the program running";
    yov::PostDeferredAction(0);
    EXPECT_TRUE(runUntilEnded());
}

}  // namespace
