#include "program/core/windows/msgbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <QScreen>

#include <string>
#include <thread>
#include <vector>

#include "answering_msgbox.h"
#include "modal_driver.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/msgbox_frm.h"
#include "program/core/windows/msgbox_layout.h"
#include "program/core/startup/upper_calls.h"

namespace {

using yov::MsgBoxLayout;
using yov::MsgBoxMeasures;
using yov::MsgBxFrm;
using yov_test::whenModal;

// ---------------------------------------------------------------------------------------
// Layout, without a window.

struct LayoutCase {
    const char* name;
    int32_t style;
    int captionWidth;  // the same for every caption
    int textWidth;
    std::vector<int> buttonX;  // left edges of the shown buttons, in index order
    int buttonWidth;
    int innerWidth;
};

class MsgBoxLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MsgBoxLayoutTest, ButtonsShareTheInnerWidth) {
    const LayoutCase& c = GetParam();
    MsgBoxMeasures m;
    m.style = c.style;
    m.captionWidths.fill(c.captionWidth);
    m.textWidth = c.textWidth;
    m.labelHeight = 13;
    m.buttonHeight = 21;
    const MsgBoxLayout l = yov::layoutMsgBox(m);

    EXPECT_EQ(l.buttonWidth, c.buttonWidth);
    EXPECT_EQ(l.innerWidth, c.innerWidth);
    EXPECT_EQ(l.innerHeight, 13 + 20 + 21 + 10);
    EXPECT_EQ(l.label.x, 10);
    EXPECT_EQ(l.label.y, 10);
    std::vector<int> xs;
    for (int i = 0; i < yov::msgbox::kButtonCount; ++i) {
        if (!l.shown[i]) continue;
        xs.push_back(l.buttons[i].x);
        EXPECT_EQ(l.buttons[i].y, 33) << "button " << i;
        EXPECT_EQ(l.buttons[i].height, 21) << "button " << i;
    }
    EXPECT_EQ(xs, c.buttonX);
    EXPECT_EQ(l.count, static_cast<int>(c.buttonX.size()));
}

INSTANTIATE_TEST_SUITE_P(Styles, MsgBoxLayoutTest,
                         ::testing::Values(
                             // A short text gives the 240-pixel minimum; a lone button sits in the middle.
                             LayoutCase{"OkOnly", 64, 30, 50, {90}, 61, 240},
                             LayoutCase{"YesNo", 3, 30, 50, {39, 140}, 61, 240},
                             // Eight wide buttons set the width: gaps of 10.
                             LayoutCase{"AllEight", 255, 70, 50, {10, 100, 190, 280, 370, 460, 550, 640}, 80, 730},
                             LayoutCase{"LongText", 64, 30, 500, {230}, 61, 520},
                             LayoutCase{"NoButtons", 0, 30, 50, {}, 61, 240},
                             // Only the low eight bits name buttons.
                             LayoutCase{"HighBitsIgnored", 0x140, 30, 50, {90}, 61, 240},
                             LayoutCase{"RetryIgnoreCancel", 16 | 32 | 128, 60, 50, {10, 90, 170}, 70, 250}),
                         [](const ::testing::TestParamInfo<LayoutCase>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------------------
// The window.

class MsgBoxWindow : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(yov::modalState().ModalDepth, 0); }

    static MsgBxFrm* box(QWidget* w) { return qobject_cast<MsgBxFrm*>(w); }
    static void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = w->focusWidget() != nullptr ? w->focusWidget() : w;
        QTest::keyClick(target, key, mods);
    }
    yov_test::ModalWatchdog watchdog_;
    yov::FreshInstall<yov::MsgBox> realBoxes_;
};

struct KeyAnswerCase {
    const char* name;
    int32_t style;
    Qt::Key key;
    int32_t answer;
};

class MsgBoxKeys : public MsgBoxWindow, public ::testing::WithParamInterface<KeyAnswerCase> {};

TEST_P(MsgBoxKeys, LetterPressesItsButton) {
    const KeyAnswerCase& c = GetParam();
    whenModal([&](QWidget* w) { press(w, c.key); });
    EXPECT_EQ(yov::ShowMsgBox(u"Go on?", c.style, u"Question"), c.answer);
    EXPECT_EQ(yov::modalState().DialogResult, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, MsgBoxKeys,
    ::testing::Values(KeyAnswerCase{"OkOnly", 64, Qt::Key_O, 64}, KeyAnswerCase{"YesNoPressN", 3, Qt::Key_N, 2},
                      KeyAnswerCase{"YesNoPressY", 3, Qt::Key_Y, 1}, KeyAnswerCase{"YesToAll", 1 | 4, Qt::Key_A, 4},
                      KeyAnswerCase{"Retry", 16 | 128, Qt::Key_R, 16}, KeyAnswerCase{"Ignore", 32 | 128, Qt::Key_I, 32},
                      KeyAnswerCase{"Cancel", 64 | 128, Qt::Key_C, 128},
                      KeyAnswerCase{"EscIsCancel", 64 | 128, Qt::Key_Escape, 128}),
    [](const ::testing::TestParamInfo<KeyAnswerCase>& i) { return std::string(i.param.name); });

TEST_F(MsgBoxWindow, OnlyTheButtonsOfTheStyleAreShown) {
    whenModal([&](QWidget* w) {
        MsgBxFrm* b = box(w);
        ASSERT_NE(b, nullptr);
        std::vector<int> shown;
        for (int i = 0; i < 8; ++i)
            if (b->Cmd[i]->isVisible()) shown.push_back(i);
        EXPECT_EQ(shown, (std::vector<int>{0, 1}));
        EXPECT_EQ(b->windowTitle(), QStringLiteral("Title"));
        EXPECT_EQ(b->Lab1->text(), QStringLiteral("Line one\nLine two"));
        EXPECT_EQ(b->width(), b->layout().innerWidth);
        b->Cmd[1]->click();
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Line one\r\nLine two", 3, u"Title"), 2);
}

TEST_F(MsgBoxWindow, AShortTextIs240PixelsWideInside) {
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w->width(), 240);
        box(w)->Cmd[6]->click();
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Done.", 64), 64);
}

TEST_F(MsgBoxWindow, ALongMessageWrapsInsideTheScreen) {
    std::u16string words;
    for (int i = 0; i < 400; ++i) words += u"locomotive ";
    whenModal([&](QWidget* w) {
        EXPECT_LE(w->width(), w->screen()->availableGeometry().width());
        EXPECT_TRUE(box(w)->Lab1->wordWrap());
        EXPECT_GT(box(w)->Lab1->height(), box(w)->Lab1->fontMetrics().lineSpacing());
        press(w, Qt::Key_O);
    });
    EXPECT_EQ(yov::ShowMsgBox(words, 64), 64);
}

TEST_F(MsgBoxWindow, OffTheMainThreadNoWindowIsMade) {
    int32_t answer = -1;
    std::thread worker([&] { answer = yov::ShowMsgBox(u"from a worker", 64); });
    worker.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MsgBoxWindow, TheLetterOfAHiddenButtonIsSwallowed) {
    whenModal([&](QWidget* w) {
        press(w, Qt::Key_O);  // O.K. is not part of style 3
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(box(w)->answer(), 0);
        press(w, Qt::Key_Y);
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Sure?", 3), 1);
}

TEST_F(MsgBoxWindow, EnterPressesTheFocusedButton) {
    whenModal([&](QWidget* w) { press(w, Qt::Key_Return); });
    EXPECT_EQ(yov::ShowMsgBox(u"Sure?", 3), 1);
}

TEST_F(MsgBoxWindow, ClosingTheWindowAnswersZero) {
    whenModal([&](QWidget* w) {
        press(w, Qt::Key_Escape);  // no Cancel button: Esc does nothing
        EXPECT_TRUE(w->isVisible());
        w->close();
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Note", 64), 0);
}

TEST_F(MsgBoxWindow, ABoxOverAnOpenBoxHasItsOwnWindowAndAnswer) {
    QWidget* outer = nullptr;
    int32_t innerAnswer = -1;
    whenModal([&](QWidget* w) {
        outer = w;
        whenModal(
            [&](QWidget* inner) {
                EXPECT_NE(inner, outer);
                EXPECT_EQ(yov::modalState().ModalDepth, 2);
                press(inner, Qt::Key_O);
            },
            outer);
        innerAnswer = yov::ShowMsgBox(u"Inner", 64);
        EXPECT_EQ(yov::modalState().ModalDepth, 1);
        EXPECT_TRUE(outer->isVisible());
        outer->close();  // the outer box is closed without a button
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Outer", 3), 0);
    EXPECT_EQ(innerAnswer, 64);
}

TEST_F(MsgBoxWindow, AnInstalledBoxAnswersWithoutAWindowUntilItGoes) {
    {
        const program_test::AnsweringMsgBox answering(yov::msgbox::kRetry);
        EXPECT_EQ(yov::ShowMsgBox(u"Disk full", 16 | 128, u"Saving", 7), 16);
        ASSERT_EQ(answering.requests.size(), 1u);
        const program_test::MsgBoxRequest& seen = answering.requests[0];
        EXPECT_EQ(seen.text, u"Disk full");
        EXPECT_EQ(seen.title, u"Saving");
        EXPECT_EQ(seen.style, 16 | 128);
        EXPECT_EQ(seen.helpId, 7);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    whenModal([&](QWidget* w) { press(w, Qt::Key_O); });
    EXPECT_EQ(yov::ShowMsgBox(u"Shown again", 64), 64) << "the real box is back once the stand-in goes";
}

TEST_F(MsgBoxWindow, HelpIdIsKeptOnTheWindow) {
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w->property("WhatsThisHelpID").toInt(), 4321);
        press(w, Qt::Key_O);
    });
    EXPECT_EQ(yov::ShowMsgBox(u"Topic", 64, u"", 4321), 64);
}

}  // namespace
