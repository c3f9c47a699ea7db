// A termination request (what SIGTERM and SIGINT turn into on the main thread) reaching code
// that waits in a modal loop: the loop it arrives in and every loop below it return to their
// callers, with the answer of a window closed unanswered, the show is asked to stop and the
// shutdown is posted; afterwards no window waits for an answer any more. The whole program
// under the signals is tests/e2e/test_stop_signals_xvfb.cpp.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "modal_driver.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/windows/input_box.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/msgbox.h"
#include "startup_fixture.h"

namespace {

constexpr uint8_t kShowRunning = 0x01;

// The window on top: a modal window or an open popup menu.
QWidget* shownOnTop() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal->isVisible() ? modal : nullptr;
}

// Asks the program to end once a window other than `below` is on top. Should that window
// still be there a few seconds later (its loop did not end), or nothing be shown at all, the
// test fails and the window is closed, so that the loop returns instead of hanging.
class TerminateWhenShown {
public:
    explicit TerminateWhenShown(QWidget* below = nullptr) : below_(below) {
        clock_.start();
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start(2);
    }

private:
    void look() {
        QWidget* top = shownOnTop();
        if (!asked_ && top != nullptr && top != below_.data()) {
            asked_ = true;
            clock_.restart();
            yov::OnTerminateRequest();
            return;
        }
        if (clock_.elapsed() < 3000) return;
        poll_.stop();
        ADD_FAILURE() << (asked_ ? "the loop did not end" : "nothing was shown to end");
        for (int i = 0; i < 16 && shownOnTop() != nullptr && shownOnTop() != below_.data(); ++i) shownOnTop()->hide();
    }

    QTimer poll_;
    QPointer<QWidget> below_;
    QElapsedTimer clock_;
    bool asked_ = false;
};

class TerminateRequest : public startup_test::StartupTest {
protected:
    void SetUp() override { StartupTest::SetUp(); }
    void TearDown() override {
        for (int i = 0; i < 16 && QApplication::activePopupWidget() != nullptr; ++i)
            QApplication::activePopupWidget()->close();
        StartupTest::TearDown();
    }
    yov_test::ModalWatchdog watchdog_;
    yov::FreshInstall<yov::MsgBox> realBoxes_;  // the request must reach the box's own loop
};

TEST_F(TerminateRequest, EndsTheLoopItArrivesInAndEveryLoopBelowIt) {
    struct Case {
        const char* name;
        std::function<std::string()> wait;  // waits in its loop; what the caller got back
        std::string got;
    };
    const Case cases[] = {
        {"a window shown modally",
         [] {
             QWidget w;
             const TerminateWhenShown ending;
             yov::ShowModal(&w);
             return std::string(w.isVisible() ? "still shown" : "hidden");
         },
         "hidden"},
        {"the message box",
         [] {
             const TerminateWhenShown ending;
             return std::to_string(yov::ShowMsgBox(u"File not found", yov::msgbox::kOk | yov::msgbox::kCancel));
         },
         "0"},
        {"a message box over a modal window",
         [] {
             QWidget outer;
             std::string inner = "not asked";
             yov_test::whenModal([&](QWidget* shown) {
                 const TerminateWhenShown ending(shown);
                 inner = std::to_string(yov::ShowMsgBox(u"Error in the Timetable file", 0xC4));
             });
             yov::ShowModal(&outer);
             return inner + (outer.isVisible() ? " outer shown" : " outer hidden");
         },
         "0 outer hidden"},
        {"the input box",
         [] {
             const TerminateWhenShown ending;
             return "[" + core_test::utf8(yov::ShowInputBox(u"Name:", u"", u"default")) + "]";
         },
         "[]"},
        {"a popup menu",
         [] {
             QMenu menu;
             menu.addAction(QStringLiteral("Speed"));
             const TerminateWhenShown ending;
             const QAction* chosen = menu.exec(QPoint(20, 20));
             return std::string(chosen == nullptr ? "nothing chosen" : "chosen");
         },
         "nothing chosen"},
        {"a dialog run by exec",
         [] {
             QDialog dialog;
             const TerminateWhenShown ending;
             return std::string(dialog.exec() == QDialog::Rejected ? "rejected" : "accepted");
         },
         "rejected"},
    };
    for (const Case& c : cases) {
        yov::ProgramState& st = yov::programState();
        st.run.EndRequest = 0;
        st.run.StopRequest = 0;
        st.Shared.CancelLoad = 0;
        // A show runs behind the window, so the shutdown waits for its end.
        st.run.RunFlags = kShowRunning;
        EXPECT_EQ(c.wait(), c.got) << c.name;
        EXPECT_EQ(shownOnTop(), nullptr) << c.name;
        EXPECT_EQ(yov::modalState().ModalDepth, 0) << c.name;
        EXPECT_EQ(st.run.StopRequest, 1) << c.name;
        EXPECT_EQ(st.Shared.CancelLoad, 1) << c.name << ": a long load stops too";
        EXPECT_EQ(yov::serviceState().DeferredAction, yov::deferred::kShutdown) << c.name;
        EXPECT_TRUE(yov::LoadServiceWindow().Timer1.isActive()) << c.name << ": the shutdown is posted";
        EXPECT_TRUE(exitCodes_.empty()) << c.name << ": the show ends first";
        yov::LoadServiceWindow().Timer1.stop();
    }
}

TEST_F(TerminateRequest, AfterItNoWindowWaitsForAnAnswer) {
    yov::programState().run.RunFlags = kShowRunning;
    yov::OnTerminateRequest();
    yov::LoadServiceWindow().Timer1.stop();
    QWidget w;
    yov::ShowModal(&w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(yov::ShowMsgBox(u"Script files included too deeply", yov::msgbox::kOk), 0);
    EXPECT_EQ(yov::ShowInputBox(u"Name:", u"", u"default"), u"");
    EXPECT_EQ(shownOnTop(), nullptr);
    EXPECT_EQ(yov::modalState().ModalDepth, 0);
}

TEST_F(TerminateRequest, WithoutAShowTheShutdownEndsTheProcessWithStatusZero) {
    // The settings dialog with a question of its own open; the shutdown unloads both.
    QPointer<QWidget> settings(new QWidget);
    yov::programState().WindowTable[yov::kSettingsSlot] = {settings.data(), -1};
    settings->show();
    QPointer<QWidget> question(new QWidget);
    const TerminateWhenShown ending(settings);
    yov::ShowModal(question);
    EXPECT_TRUE(runUntilEnded());
    EXPECT_EQ(exitCodes_, std::vector<int32_t>{0});
    EXPECT_TRUE(settings.isNull()) << "the shutdown unloaded the settings dialog";
    delete settings.data();
    delete question.data();
}

}  // namespace
