// The speed and limits panel in a show window under the offscreen platform: it opens with
// the running values, changes the speed of the running show at once, keeps out-of-range
// texts from being accepted, and its three buttons cancel, keep or store the values.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "program/core/settings/settings.h"
#include "program/scene/script_reader.h"
#include "program/show/display_start.h"
#include "program/show/frame_step.h"
#include "program/show/show_window_rules.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/show_panel_view.h"
#include "program/ui/show_windows.h"
#include "show_input_fixture.h"

namespace {

using yov::panelState;
using yov::programState;
using yov::showState;

class PanelTest : public show_test::ShowInputTest {
protected:
    void SetUp() override {
        ShowInputTest::SetUp();
        yov::programState().machine.ScreenWidthPx = 1000;
        yov::programState().machine.ScreenHeightPx = 600;
        yov::programState().Shared.PictureHeight = 52;   // with the default 1 above and 7 below: 10 lines
        yov::programState().run.RunFlags = 0x1D | 0x20;  // a show runs
        showState().SpeedFactor = 0.025f;
        view = yov::MakeShowView(0);
        view->clearAndShow();
        panel = yov::ShowWindowOf(view.get())->findChild<yov::ShowPanelView*>();
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ShowInputTest::TearDown();
    }
    void type(int row, const char* text) { panel->VTxt[row]->setText(QString::fromLatin1(text)); }

    std::unique_ptr<yov::ShowView> view;
    yov::ShowPanelView* panel = nullptr;
};

TEST_F(PanelTest, VOpensThePanelWithTheRunningValues) {
    EXPECT_FALSE(panel->isVisible());
    yov::ScrKeyCommand('V', 0);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panelState().PanelOpen, 1);
    EXPECT_EQ(panel->HScr[0]->value(), 25);
    EXPECT_EQ(panel->VTxt[0]->text(), QStringLiteral("25"));
    EXPECT_EQ(panel->HScr[1]->maximum(), 10);
    EXPECT_EQ(panel->HScr[1]->value(), 3);
    EXPECT_EQ(panel->HScr[2]->maximum(), 100);
    EXPECT_EQ(panel->HScr[2]->value(), 40);
    EXPECT_EQ(panel->VTxt[2]->text(), QStringLiteral("4000"));
    EXPECT_EQ(panel->HScr[3]->value(), 70);
    for (int row = 1; row <= 3; ++row) EXPECT_FALSE(panel->HScr[row]->isEnabled());  // limits off
}

TEST_F(PanelTest, ThePanelChangesTheSpeedOfTheRunningShow) {
    yov::ScrKeyCommand(4214, 0);
    panel->HScr[0]->setValue(60);
    EXPECT_FLOAT_EQ(showState().SpeedFactor, 0.060f);
    EXPECT_EQ(panel->VTxt[0]->text(), QStringLiteral("60"));
    type(0, "80");
    EXPECT_FLOAT_EQ(showState().SpeedFactor, 0.080f);
    EXPECT_EQ(panel->HScr[0]->value(), 80);
    panel->BCmd[2]->click();  // O.K.: the mode keeps the speed for this program run
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panelState().PanelOpen, 0);
    EXPECT_FLOAT_EQ(programState().settings.Show.Speed[0], 0.080f);
    EXPECT_EQ(yov::GetRegString(u"SpeedW", u"none"), u"none");
}

TEST_F(PanelTest, RunningSpeedsSnapToTheSlider) {
    struct Case {
        float running;
        int32_t slider;
        float after;
    };
    for (const Case& c : {Case{0.5f, 100, 0.1f}, Case{0.0002f, 1, 0.001f}, Case{0.0304f, 30, 0.03f}}) {
        showState().SpeedFactor = c.running;
        yov::ScrPanelInit();
        EXPECT_EQ(panel->HScr[0]->value(), c.slider);
        EXPECT_FLOAT_EQ(showState().SpeedFactor, c.after);
        yov::ScrPanelCommand(1);
    }
}

TEST_F(PanelTest, TheLengthBoxCountsPixelsAndOutOfRangeTextsAreRefused) {
    yov::ScrPanelInit();
    panel->Chk[2]->click();
    EXPECT_TRUE(panel->HScr[2]->isEnabled());
    EXPECT_EQ(programState().settings.Show.LimLenB[0], 1);
    type(2, "250");
    EXPECT_EQ(panel->HScr[2]->value(), 2);
    EXPECT_EQ(programState().settings.Show.LimLenV[0], 250);
    EXPECT_EQ(panel->VTxt[2]->text(), QStringLiteral("200"));
    type(1, "11");  // above the lines on screen
    EXPECT_FALSE(panel->BCmd[2]->isEnabled());
    EXPECT_FALSE(panel->BCmd[3]->isEnabled());
    EXPECT_EQ(programState().settings.Show.LimLinV[0], 3);
    type(1, "abc");  // no number: nothing changes
    EXPECT_FALSE(panel->BCmd[2]->isEnabled());
    type(1, "7");
    EXPECT_TRUE(panel->BCmd[2]->isEnabled());
    EXPECT_TRUE(panel->BCmd[3]->isEnabled());
    EXPECT_EQ(programState().settings.Show.LimLinV[0], 7);
    type(3, "35");
    EXPECT_FLOAT_EQ(programState().settings.Show.LimProcV[0], 3.5f);
}

TEST_F(PanelTest, CancelRestoresTheLimitsAndTheModesSpeed) {
    yov::ScrPanelInit();
    QTest::mouseClick(panel->LLab[1], Qt::LeftButton);  // a row's caption switches its limit
    EXPECT_TRUE(panel->Chk[1]->isChecked());
    EXPECT_EQ(programState().settings.Show.LimLinB[0], 1);
    EXPECT_EQ(yov::programState().run.StopRequest, 0);  // a click on the panel is not the show's
    type(1, "5");
    type(0, "90");
    panel->BCmd[1]->click();
    EXPECT_EQ(programState().settings.Show.LimLinB[0], 0);
    EXPECT_EQ(programState().settings.Show.LimLinV[0], 3);
    EXPECT_FLOAT_EQ(programState().settings.Show.Speed[0], 0.025f);
    EXPECT_FLOAT_EQ(showState().SpeedFactor, 0.090f);  // the running speed stays as set
}

TEST_F(PanelTest, SaveStoresTheModesValuesAndAFixedSpeedStaysOut) {
    yov::programState().run.ShowMode = 1;
    yov::ScrPanelInit();
    type(0, "40");
    panel->Chk[3]->click();
    type(3, "123");
    panel->BCmd[3]->click();
    EXPECT_EQ(yov::GetRegNumber(u"SpeedF", 0), 40);
    EXPECT_EQ(yov::GetRegNumber(u"LimProcBF", 0), 1);
    EXPECT_EQ(yov::GetRegNumber(u"LimProcVF", 0), 123);
    EXPECT_EQ(yov::GetRegString(u"LimLenVF"), u"4000");
    EXPECT_EQ(yov::GetRegNumber(u"LimLinVF", 0), 3);
    EXPECT_FLOAT_EQ(programState().settings.Show.Speed[1], 0.040f);

    SCOPED_TRACE("with $SPEED in the script");
    yov::SaveRegNumber(u"SpeedF", 7);
    yov::scriptReader().S.Run.SpeedSet = 1;
    yov::ScrPanelInit();
    EXPECT_FALSE(panel->HScr[0]->isEnabled());
    EXPECT_FALSE(panel->VTxt[0]->isEnabled());
    panel->BCmd[3]->click();
    EXPECT_EQ(yov::GetRegNumber(u"SpeedF", 0), 7);
}

TEST_F(PanelTest, ResizingTheWindowedShowCancelsThePanel) {
    yov::ScrPanelInit();
    type(1, "5");
    yov::ShowWindowOf(view.get())->resize(700, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(panelState().PanelOpen, 0);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(programState().settings.Show.LimLinV[0], 3);
}

}  // namespace
