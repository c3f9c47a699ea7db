// The settings dialog as "/c" opens it under the offscreen platform: built from a settings
// file of our own, every page filled from it without writing anything back, laid out by the
// rectangles of its measured captions, and an error while loading leaving it able to store.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include <string>

#include "platform/registry.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup.h"
#include "program/core/texts/program_error.h"
#include "program/dialogs/cfg_state.h"
#include "program/stock_data/stock_loading.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/window_ops_qt.h"
#include "cfg_dialog_fixture.h"
#include "recording_engine.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

// The settings the dialog opens with; @SCRIPT@ and @STOCK@ become files of the test.
const char* const kSettingsFile = R"("Conf01"="@SCRIPT@"
"Stock01"="@STOCK@"
"Cache"="2"
"ColTrans"="1"
"RandomW"="0"
"SkipErrW"="0"
"NStpClkW"="0"
"SpeedW"="40"
"LimLinBW"="1"
"LimLinVW"="5"
"LimProcVW"="35"
"DrawAlgW"="4"
"RandomF"="3"
"SpeedF"="100"
"LimLenBF"="1"
"LimLenVF"="2500"
"DrawAlgF"="1"
)";

class CfgDialog : public cfg_test::CfgDialogTest {
protected:
    void SetUp() override {
        CfgDialogTest::SetUp();
        yov::WireSettingsDialog();
        script_ = makeFile("scenes/Night.ttt");
        stock_ = makeFile("stock/Cars.stk", "CAR;;G;;car.gif\n");
        writeSettings(kSettingsFile);
    }
};

TEST_F(CfgDialog, SlashCOpensItFilledFromTheSettings) {
    yov::Main(u"/c");
    runFor(100);
    yov::CfgFrm* cfg = dialog();
    ASSERT_NE(cfg, nullptr) << "the dialog took slot 33";
    EXPECT_TRUE(cfg->isVisible());
    EXPECT_EQ(cfg->CmdOk->text(), QStringLiteral("&O.K.")) << "opened for the screen saver";
    ASSERT_EQ(cfg->Tab1->count(), 3) << "the Files tab is gone";
    EXPECT_EQ(cfg->Tab1->tabText(2), QStringLiteral("Window"));
    EXPECT_EQ(cfg->CmbFil[0]->currentText().toStdString(), script_) << "the names as written";
    EXPECT_EQ(cfg->CmbFil[1]->currentText().toStdString(), stock_);
    EXPECT_EQ(cfg->CmbStkV->count(), 3);
    EXPECT_TRUE(cfg->OptCache[2]->isChecked()) << "cache mode 2";
    EXPECT_TRUE(cfg->FFrm->isVisible());
    EXPECT_FALSE(cfg->WFrm->isVisible());
    EXPECT_TRUE(cfg->CmdStockList->isVisible()) << "the first layout shows it";
    EXPECT_TRUE(cfg->CmdStockList->isEnabled()) << "a stock is chosen";
    EXPECT_TRUE(cfg->CmdTestWindow->isEnabled()) << "and a scene script";
    for (const auto& b : boxes_) ADD_FAILURE() << utf8(b.text);
    EXPECT_EQ(yov::cfgState().LoadingFlag, 0);
    EXPECT_EQ(yov::CfgFilling(), 0);
    keepPicture(cfg, "cfg_main.png");

    selectTab(cfg, 2);
    EXPECT_EQ(yov::cfgState().ModeIndex, yov::kWindowMode);
    EXPECT_TRUE(cfg->WFrm->isVisible());
    EXPECT_FALSE(cfg->FramDX->isVisible()) << "no display modes on the window tab";
    EXPECT_TRUE(cfg->OptAlg[0]->isChecked()) << "a stored window method of 4 reads as 0";
    EXPECT_FALSE(cfg->OptAlg[2]->isEnabled());
    EXPECT_TRUE(cfg->OptSeq[0]->isChecked());
    EXPECT_FALSE(cfg->ChkSkipErr->isChecked());
    EXPECT_TRUE(cfg->ChkStopClick->isChecked()) << "a click stops the show: its flag is 0";
    EXPECT_FALSE(cfg->ChkStopMove->isChecked());
    EXPECT_TRUE(cfg->ChkStopKey->isChecked());
    EXPECT_EQ(cfg->TxtSpeed->text(), QStringLiteral("40"));
    EXPECT_TRUE(cfg->ChkLin->isChecked());
    EXPECT_TRUE(cfg->TxtLin->isEnabled());
    EXPECT_EQ(cfg->TxtLin->text(), QStringLiteral("5"));
    EXPECT_FALSE(cfg->TxtLen->isEnabled());
    EXPECT_EQ(cfg->TxtLen->text(), QStringLiteral("4000"));
    EXPECT_EQ(cfg->TxtAvg->text(), QStringLiteral("35"));
    keepPicture(cfg, "cfg_window.png");

    selectTab(cfg, 1);
    EXPECT_EQ(yov::cfgState().ModeIndex, yov::kFullScreenMode);
    EXPECT_EQ(yov::cfgState().ModeSuffix, u"F");
    EXPECT_TRUE(cfg->OptAlg[1]->isChecked());
    EXPECT_TRUE(cfg->OptSeq[3]->isChecked());
    EXPECT_EQ(cfg->TxtSpeed->text(), QStringLiteral("100"));
    EXPECT_TRUE(cfg->ChkLen->isChecked());
    EXPECT_EQ(cfg->TxtLen->text(), QStringLiteral("2500"));
    EXPECT_EQ(cfg->TxtAvg->text(), QStringLiteral("70"));
    keepPicture(cfg, "cfg_full_screen.png");

    EXPECT_EQ(utf8(yov::GetRegString(u"RandomF")), "3");
    EXPECT_EQ(utf8(yov::GetRegString(u"NStpKeyW", u"absent")), "absent") << "filling writes nothing back";
    EXPECT_EQ(utf8(yov::GetRegString(u"SkipErrF", u"absent")), "absent");
}

TEST_F(CfgDialog, EverySettingsRoadOpensItAndOnlySlashCSaysOK) {
    const struct {
        const char16_t* line;
        const char* right;
    } roads[] = {{u"/c", "&O.K."}, {u"Other.ttt", "E&xit"}, {u"/x", "E&xit"}, {u"/T", "E&xit"}};
    for (const auto& road : roads) {
        yov::Main(road.line);
        runFor(50);
        yov::CfgFrm* cfg = dialog();
        ASSERT_NE(cfg, nullptr) << utf8(road.line);
        EXPECT_EQ(cfg->CmdOk->text().toStdString(), road.right) << utf8(road.line);
        yov::PostDeferredAction(0);
        EXPECT_TRUE(runUntilEnded());
        startup_test::resetStartupState();
        exitCodes_.clear();
        yov::WireSettingsDialog();
    }
}

// The item of that id anywhere in the window's menu bar, null when none.
QAction* menuItem(const QWidget* window, int32_t id) {
    const QMenuBar* bar = yov::windowOps().menuBarOf(window);
    std::vector<const QMenu*> menus;
    QList<QAction*> actions = bar != nullptr ? bar->actions() : QList<QAction*>{};
    for (qsizetype i = 0; i < actions.size(); ++i) {
        QAction* a = actions[i];
        if (a->menu() != nullptr) {
            actions += a->menu()->actions();
        } else if (!a->isSeparator() && a->data().toInt() == id) {
            return a;
        }
    }
    return nullptr;
}

TEST_F(CfgDialog, TheMenuMarksFollowTheSettings) {
    coreEngine_.useLibrary();  // the real engine, which builds the dialog's menus
    yov::Main(u"/c");
    runFor(100);
    yov::CfgFrm* cfg = dialog();
    ASSERT_NE(cfg, nullptr);
    // The settings file: colour translation 1, cache 2; "Priority" and "UseDefDir" default
    // to 1, "Music" to 0.
    const struct {
        int32_t id;
        bool checked;
    } marks[] = {{4283, false}, {4284, true}, {4285, false}, {4104, false}, {4106, true},
                 {4107, false}, {4298, true}, {4483, false}, {4217, true}};
    for (const auto& m : marks) {
        QAction* item = menuItem(cfg, m.id);
        ASSERT_NE(item, nullptr) << m.id;
        EXPECT_EQ(item->isChecked(), m.checked) << m.id;
    }
    yov::PostDeferredAction(0);
    EXPECT_TRUE(runUntilEnded());
    if (yov::serviceState().EngineStarted) yov::lv::CloseDLL();
    yov::serviceState().EngineStarted = false;
}

TEST_F(CfgDialog, ControlsStandWhereTheLayoutPutsThem) {
    yov::Main(u"/c");
    runFor(100);
    yov::CfgFrm* cfg = dialog();
    ASSERT_NE(cfg, nullptr);
    const yov::CaptionWidths& w = cfg->captionWidths();
    EXPECT_EQ(cfg->minimumSize(), QSize(w.MinDialogWidth, w.MinDialogHeight));
    for (const QSize size : {QSize(w.MinDialogWidth, w.MinDialogHeight), QSize(900, 640)}) {
        cfg->resize(size);
        runFor(30);
        const yov::CfgLayout l = cfg->currentLayout();
        auto at = [](const yov::CfgRect& r) { return QRect(r.x, r.y, r.w, r.h); };
        EXPECT_EQ(cfg->CmdOk->geometry(), at(l.cmdOk));
        EXPECT_EQ(cfg->CmdAbout->geometry(), at(l.cmdAbout));
        EXPECT_EQ(cfg->FFrm->geometry(), at(l.pageFrame));
        EXPECT_EQ(cfg->CmdTestFull->geometry(), at(l.cmdTestFull));
        EXPECT_EQ(cfg->FrmCache->geometry(), at(l.frmCache));
        EXPECT_EQ(cfg->TxtAvg->geometry(), at(l.txtAvg));
        EXPECT_EQ(cfg->CmbFil[1]->pos(), QPoint(l.cmbFil[1].x, l.cmbFil[1].y));
        EXPECT_EQ(cfg->CmbFil[1]->width(), l.cmbFil[1].w);
        EXPECT_EQ(cfg->CmdOk->geometry().right() + 1, cfg->Client->width() - 20)
            << "the O.K. button keeps to the right";
    }
}

TEST_F(CfgDialog, AnErrorWhileLoadingIsShownAndTheDialogStoresAgain) {
    engine_test::RecordingEngine engine;
    engine.passOn = {"*"};
    engine.failing = "EnableMenu";
    yov::Main(u"/c");
    runFor(50);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(utf8(boxes_.back().text).rfind("Error 5 (EnableMenu failed) after ", 0), 0u) << utf8(boxes_.back().text);
    EXPECT_EQ(yov::cfgState().LoadingFlag, 0);
    EXPECT_EQ(yov::CfgFilling(), 0);
}

}  // namespace
