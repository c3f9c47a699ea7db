// Mouse tracking, key codes, the splash window, the tool tip and the folder chooser.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QWidget>

#include <string>
#include <vector>

#include "modal_driver.h"
#include "program/core/startup/core_state.h"
#include "program/core/windows/folder_chooser.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/core/windows/progress.h"
#include "program/core/windows/splash_frm.h"
#include "program/core/windows/tip_frm.h"
#include "program/core/startup/program_state.h"

namespace {

// Collects the hover and leave notices a window receives.
class NoticeLog : public QObject {
public:
    std::vector<yov::MouseTrackEvent::Kind> kinds;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == yov::MouseTrackEvent::eventType())
            kinds.push_back(static_cast<yov::MouseTrackEvent*>(e)->kind());
        return QObject::eventFilter(o, e);
    }
};

class MouseTracking : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(100, 100);
        window_.show();
        window_.installEventFilter(&log_);
    }
    void underMouse(bool on) { window_.setAttribute(Qt::WA_UnderMouse, on); }
    QWidget window_;
    NoticeLog log_;
};

TEST_F(MouseTracking, TheSameIdArmsOnce) {
    underMouse(true);
    yov::TrackMouse(5, &window_);
    EXPECT_EQ(yov::mouseTracking().TrackedId, 5);
    yov::TrackMouse(5, &window_);
    QTest::qWait(yov::kHoverTimeMs + 150);
    EXPECT_EQ(log_.kinds, (std::vector{yov::MouseTrackEvent::Kind::Hover}));
    // Hover tracking is over; only the leave is still armed.
    QTest::qWait(yov::kHoverTimeMs + 50);
    EXPECT_EQ(log_.kinds.size(), 1u);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window_, &leave);
    QApplication::processEvents();
    EXPECT_EQ(log_.kinds, (std::vector{yov::MouseTrackEvent::Kind::Hover, yov::MouseTrackEvent::Kind::Leave}));
}

TEST_F(MouseTracking, AWindowNotUnderTheMouseGetsItsLeaveAtOnce) {
    underMouse(false);
    yov::TrackMouse(9, &window_);
    QApplication::processEvents();
    EXPECT_EQ(log_.kinds, (std::vector{yov::MouseTrackEvent::Kind::Leave}));
    QTest::qWait(yov::kHoverTimeMs + 50);
    EXPECT_EQ(log_.kinds.size(), 1u);  // the leave ended all tracking
}

TEST_F(MouseTracking, ClearingTheIdArmsAgain) {
    underMouse(false);
    yov::TrackMouse(3, &window_);
    yov::mouseTracking().TrackedId = 0;  // as a stock window does when the mouse leaves
    yov::TrackMouse(3, &window_);
    QApplication::processEvents();
    EXPECT_EQ(log_.kinds.size(), 2u);
    yov::TrackMouse(3, nullptr);  // no window: only the id is kept
    EXPECT_EQ(yov::mouseTracking().TrackedId, 3);
}

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
    int32_t command;
};

class KeyCommands : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyCommands, ShiftTimes256PlusKeyCode) {
    const KeyCase& c = GetParam();
    QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
    EXPECT_EQ(yov::keyCommandOf(e), c.command);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyCommands,
                         ::testing::Values(KeyCase{"Letter", Qt::Key_N, Qt::NoModifier, 78},
                                           KeyCase{"ShiftLetter", Qt::Key_N, Qt::ShiftModifier, 256 + 78},
                                           KeyCase{"F1", Qt::Key_F1, Qt::NoModifier, 112},
                                           KeyCase{"ShiftF1", Qt::Key_F1, Qt::ShiftModifier, 368},
                                           KeyCase{"CtrlF1", Qt::Key_F1, Qt::ControlModifier, 624},
                                           KeyCase{"AltF1", Qt::Key_F1, Qt::AltModifier, 1136},
                                           KeyCase{"AltF4", Qt::Key_F4, Qt::AltModifier, 1139},
                                           KeyCase{"CtrlF4", Qt::Key_F4, Qt::ControlModifier, 627},
                                           KeyCase{"CtrlTab", Qt::Key_Tab, Qt::ControlModifier, 521},
                                           KeyCase{"Esc", Qt::Key_Escape, Qt::NoModifier, 27},
                                           KeyCase{"Enter", Qt::Key_Return, Qt::NoModifier, 13},
                                           KeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, 13},
                                           KeyCase{"KeypadDigit", Qt::Key_5, Qt::KeypadModifier, 101},
                                           KeyCase{"Digit", Qt::Key_5, Qt::NoModifier, 53},
                                           KeyCase{"NoCode", Qt::Key_VolumeUp, Qt::NoModifier, 0}),
                         [](const ::testing::TestParamInfo<KeyCase>& i) { return std::string(i.param.name); });

struct SplashCase {
    const char* name;
    int32_t code;
    bool handled;
};

class SplashKeys : public ::testing::TestWithParam<SplashCase> {
protected:
    void SetUp() override { yov::progressDisplay().Suppress = 0; }
    void TearDown() override { yov::progressDisplay().Suppress = 0; }
};

TEST_P(SplashKeys, EnterEscAndAltF4StopTheLoadingShow) {
    const SplashCase& c = GetParam();
    yov::SplashFrm splash;
    EXPECT_EQ(splash.FCmd(c.code), c.handled);
    EXPECT_EQ(yov::programState().run.StopRequest, c.handled ? 1 : 0);
    EXPECT_EQ(yov::progressDisplay().Suppress, c.handled ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, SplashKeys,
                         ::testing::Values(SplashCase{"Enter", 13, true}, SplashCase{"Esc", 27, true},
                                           SplashCase{"AltF4", 1139, true}, SplashCase{"F4", 115, false},
                                           SplashCase{"Space", 32, false}, SplashCase{"ShiftEsc", 256 + 27, false}),
                         [](const ::testing::TestParamInfo<SplashCase>& i) { return std::string(i.param.name); });

TEST(SplashWindow, TheKeyHandlerPassesKeysToFCmd) {
    yov::SplashFrm splash;
    splash.show();
    QTest::keyClick(&splash, Qt::Key_Space);
    EXPECT_EQ(yov::programState().run.StopRequest, 0);
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    yov::progressDisplay().Suppress = 0;
}

TEST(TipWindow, TheTextFillsTheWindowButForTwoPixels) {
    yov::TipFrm tip;
    tip.resize(120, 40);
    tip.show();
    EXPECT_EQ(tip.Txt->geometry(), QRect(2, 2, 116, 36));
}

TEST(FolderChooser, PreselectsTheStartFolderAndReturnsTheChoice) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Stock folder"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::string chosen = yov::BrowseForFolder(dir.path().toStdString(), nullptr, u"Stock folder");
    EXPECT_EQ(QDir(QString::fromStdString(chosen)).absolutePath(), QDir(dir.path()).absolutePath());
}

TEST(FolderChooser, CancelGivesEmpty) {
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([&](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(yov::BrowseForFolder("", nullptr, u""), "");
}

TEST(FolderChooser, TheCallbackActsOnlyOnItsStartMessage) {
    QFileDialog dialog;
    QTemporaryDir dir;
    yov::browseStartFolder() = dir.path().toStdString();
    EXPECT_EQ(yov::OnBrowseFolder(&dialog, 2, 0, 0), 0);
    EXPECT_NE(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(yov::OnBrowseFolder(&dialog, yov::kBrowseInitialized, 0, 0), 0);
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
}

}  // namespace
