// The screen-saver password's dialogs under the offscreen platform: GetPwFrm refuses a wrong
// password (letter case counts) and accepts the right one, a stop request of a screen-saver
// show asks it modally, and "/a" sets the password through SetPWFrm.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "modal_driver.h"
#include "program/core/settings/settings.h"
#include "program/core/windows/window_dispatch.h"
#include "program/show/display_start.h"
#include "program/show/frame_step.h"
#include "program/show/show_window_rules.h"
#include "program/ui/password_dialog.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/show_windows.h"
#include "show_input_fixture.h"

namespace {

using yov::programState;
using yov::showInput;

class PasswordTest : public show_test::ShowInputTest {
protected:
    void SetUp() override {
        ShowInputTest::SetUp();
        core_test::defaultTexts()[u"IPW"] = u"Incorrect password";
        core_test::defaultTexts()[u"PWDIF"] = u"Passwords differ";
    }
    void TearDown() override {
        yov::laterParts() = yov::LaterParts{};
        ShowInputTest::TearDown();
    }
    // Types the texts into the dialog's boxes and presses O.K.
    static void answer(QWidget* w, const QString& first, const QString& second = {}) {
        w->findChild<QLineEdit*>(QStringLiteral("Txt1"))->setText(first);
        if (auto* t2 = w->findChild<QLineEdit*>(QStringLiteral("Txt2"))) t2->setText(second);
        w->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    }
};

TEST_F(PasswordTest, TheDialogRefusesAWrongPasswordAndAcceptsTheRightOne) {
    showInput().ShowPassword = u"Secret";
    struct Case {
        const char* name;
        QString typed;
        bool stops;
    };
    const std::vector<Case> cases = {
        {"Wrong", QStringLiteral("nothing"), false},
        {"OnlyTheCaseDiffers", QStringLiteral("secret"), false},
        {"Empty", QString(), false},
        {"Right", QStringLiteral("Secret"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.clear();
        programState().run.StopRequest = 0;
        showInput().DialogDone = 0;
        yov::GetPwFrm form;
        form.show();
        answer(&form, c.typed);
        EXPECT_EQ(programState().run.StopRequest != 0, c.stops);
        EXPECT_EQ(boxes_.size(), c.stops ? 0u : 1u);
        if (!c.stops && !boxes_.empty()) {
            EXPECT_EQ(boxes_[0].text, u"Incorrect password");
        }
        EXPECT_EQ(showInput().DialogDone, 1);  // every close unloads it
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(PasswordTest, CancelAndCtrlF4LeaveTheShowRunning) {
    showInput().ShowPassword = u"pw";
    for (int viaKey = 0; viaKey < 2; ++viaKey) {
        yov::GetPwFrm form;
        form.show();
        form.Txt1->setText(QStringLiteral("pw"));
        if (viaKey != 0)
            form.Form_KeyDown(115, 2);
        else
            form.CmdEsc->click();
        EXPECT_EQ(programState().run.StopRequest, 0);
        EXPECT_EQ(showInput().DialogDone, 1);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(PasswordTest, AScreenSaverStopAsksModallyAndEndsOnlyWithThePassword) {
    yov::programState().road.ScreenSaverMode = 1;
    yov::SaveRegString(u"ScreenSaveUsePassword", u"1");
    yov::SaveRegString(u"Pw", u"train");
    yov::WireShowWindows();  // the program's own windows ask for the password
    yov_test::whenModal([](QWidget* w) { answer(w, QStringLiteral("tram")); });
    yov::ScrKeyCommand(27, 0);
    EXPECT_EQ(programState().run.StopRequest, 0);
    ASSERT_EQ(boxes_.size(), 1u);
    yov_test::whenModal([](QWidget* w) { answer(w, QStringLiteral("train")); });
    yov::ScrKeyCommand(13, 0);
    EXPECT_EQ(programState().run.StopRequest, 1);
}

TEST_F(PasswordTest, SlashASetsThePassword) {
    yov::WireShowInputEntries();
    yov::SaveRegString(u"Pw", u"old");
    yov_test::whenModal([this](QWidget* w) {
        answer(w, QStringLiteral("New1"), QStringLiteral("new1"));
        // Differing entries: told, nothing stored, the dialog stays for a new try.
        EXPECT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_.empty() ? std::u16string() : boxes_[0].text, u"Passwords differ");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(yov::GetRegString(u"Pw"), u"old");
        answer(w, QStringLiteral("New1"), QStringLiteral("New1"));
    });
    yov::ShowSetPassword();
    EXPECT_EQ(yov::GetRegString(u"Pw"), u"New1");

    SCOPED_TRACE("two empty entries switch the password off");
    yov_test::whenModal([](QWidget* w) { answer(w, QString(), QString()); });
    yov::ShowSetPassword();
    EXPECT_EQ(yov::GetRegString(u"Pw"), u"");
    yov::programState().road.ScreenSaverMode = 1;
    yov::SaveRegString(u"ScreenSaveUsePassword", u"1");
    yov::ScrKeyCommand(27, 0);
    EXPECT_EQ(programState().run.StopRequest, 1);
}

}  // namespace
