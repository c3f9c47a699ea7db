#include "frame_step_stand_ins.h"
#include "program/core/windows/input_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <stdexcept>
#include <string>

#include "modal_driver.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/text_drop.h"
#include "program/core/startup/program_state.h"

namespace {

using yov::InBoxFrm;
using yov_test::whenModal;

class InputBox : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(yov::modalState().ModalDepth, 0); }
    static InBoxFrm* form(QWidget* w) { return qobject_cast<InBoxFrm*>(w); }
    yov_test::ModalWatchdog watchdog_;
};

TEST_F(InputBox, OkReturnsTheTypedText) {
    whenModal([&](QWidget* w) {
        InBoxFrm* f = form(w);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Label1->text(), QStringLiteral("Name:"));
        EXPECT_EQ(f->windowTitle(), QStringLiteral("New picture"));
        EXPECT_EQ(f->Text1->selectedText(), QStringLiteral("old"));  // the default, all selected
        QTest::keyClicks(f->Text1, "fresh");                         // typing replaces it
        f->Command2->click();
    });
    EXPECT_EQ(yov::ShowInputBox(u"Name:", u"New picture", u"old"), u"fresh");
    EXPECT_EQ(yov::modalState().DialogResult, 1);
}

TEST_F(InputBox, CancelReturnsEmptyEvenWithADefault) {
    whenModal([&](QWidget* w) { form(w)->Command1->click(); });
    EXPECT_EQ(yov::ShowInputBox(u"Name:", u"", u"kept"), u"");
    EXPECT_EQ(yov::modalState().DialogResult, 0);
}

TEST_F(InputBox, ClosingTheWindowIsCancel) {
    whenModal([&](QWidget* w) { w->close(); });
    EXPECT_EQ(yov::ShowInputBox(u"Name:", u"", u"kept"), u"");
}

TEST_F(InputBox, EnterIsOkAndEscIsCancel) {
    whenModal([&](QWidget* w) { QTest::keyClick(form(w)->Text1, Qt::Key_Return); });
    EXPECT_EQ(yov::ShowInputBox(u"p", u"", u"typed"), u"typed");
    whenModal([&](QWidget* w) { QTest::keyClick(form(w)->Text1, Qt::Key_Escape); });
    EXPECT_EQ(yov::ShowInputBox(u"p", u"", u"typed"), u"");
}

TEST_F(InputBox, EachCallFillsTheKeptBoxAfresh) {
    whenModal([&](QWidget* w) { form(w)->Command2->click(); });
    EXPECT_EQ(yov::ShowInputBox(u"p", u"", u"first"), u"first");
    whenModal([&](QWidget* w) {
        EXPECT_EQ(form(w)->Text1->text(), QString());
        form(w)->Command2->click();
    });
    EXPECT_EQ(yov::ShowInputBox(u"p", u"", u""), u"");
}

TEST_F(InputBox, TheTimerStepsARunningShowOnEveryShowing) {
    int steps = 0;
    yov::programState().run.RunFlags = 0x20;  // the show takes frame steps
    program_test::RecordedFrameSteps frameSteps;
    frameSteps.onStep = [&](int32_t site) {
        EXPECT_EQ(site, 11901);
        ++steps;
    };
    for (int round = 0; round < 2; ++round) {
        steps = 0;
        whenModal([&](QWidget* w) {
            EXPECT_TRUE(form(w)->Timer1->isActive());
            QTimer::singleShot(5 * yov::kInputBoxStepMs, w, [w] { form(w)->Command2->click(); });
        });
        yov::ShowInputBox(u"p");
        EXPECT_GT(steps, 0) << "round " << round;
        EXPECT_FALSE(yov::inputBoxForm()->Timer1->isActive());
    }
}

TEST_F(InputBox, AFailingStepStopsTheTimerAndKeepsTheBox) {
    yov::programState().run.RunFlags = 0x20;
    program_test::RecordedFrameSteps frameSteps;
    frameSteps.onStep = [](int32_t) { throw std::runtime_error("stopped"); };
    whenModal([&](QWidget* w) {
        form(w)->Timer1_Timer();
        EXPECT_FALSE(form(w)->Timer1->isActive());
        EXPECT_TRUE(w->isVisible());
        form(w)->Command2->click();
    });
    EXPECT_EQ(yov::ShowInputBox(u"p", u"", u"x"), u"x");
}

TEST_F(InputBox, NoShowNoTimer) {
    whenModal([&](QWidget* w) {
        EXPECT_FALSE(form(w)->Timer1->isActive());
        form(w)->Command1->click();
    });
    yov::ShowInputBox(u"p");
}

// ---------------------------------------------------------------------------------------
// Drops onto a text box.

std::unique_ptr<QMimeData> textData(const QString& text) {
    auto d = std::make_unique<QMimeData>();
    d->setText(text);
    return d;
}

std::unique_ptr<QMimeData> fileData(const QStringList& files, bool withText) {
    auto d = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    d->setUrls(urls);
    if (withText) d->setText(files.join(QLatin1Char('\n')));
    return d;
}

struct DragCase {
    const char* name;
    std::function<std::unique_ptr<QMimeData>()> data;
    bool accepted;
};

class DragOver : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragOver, AcceptsTextOrExactlyOneFile) {
    auto data = GetParam().data();
    int effect = 1;
    yov::IsOneFileDragged(data.get(), effect);
    EXPECT_EQ(effect, GetParam().accepted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Data, DragOver,
    ::testing::Values(DragCase{"Text", [] { return textData(QStringLiteral("abc")); }, true},
                      DragCase{"OneFile", [] { return fileData({QStringLiteral("/tmp/a.ttt")}, false); }, true},
                      DragCase{"OneFileWithText", [] { return fileData({QStringLiteral("/tmp/a.ttt")}, true); }, true},
                      DragCase{"TwoFiles",
                               [] {
                                   return fileData({QStringLiteral("/a"), QStringLiteral("/b")}, false);
                               },
                               false},
                      DragCase{"TwoFilesWithText",
                               [] {
                                   return fileData({QStringLiteral("/a"), QStringLiteral("/b")}, true);
                               },
                               false},
                      DragCase{"WebAddressOnly",
                               [] {
                                   auto d = std::make_unique<QMimeData>();
                                   d->setUrls({QUrl(QStringLiteral("https://example.org/"))});
                                   return d;
                               },
                               false},
                      DragCase{"Nothing", [] { return std::make_unique<QMimeData>(); }, false}),
    [](const ::testing::TestParamInfo<DragCase>& i) { return std::string(i.param.name); });

TEST(DropFileName, ShiftReplacesTheSelectionOtherwiseTheWholeText) {
    QLineEdit box;
    box.setText(QStringLiteral("one two three"));
    box.setSelection(4, 3);  // "two"
    int effect = 1;
    auto drop = textData(QStringLiteral("2"));
    yov::DropFileName(&box, drop.get(), effect, /*shift=*/1);
    EXPECT_EQ(box.text(), QStringLiteral("one 2 three"));
    EXPECT_EQ(effect, 1);

    auto file = fileData({QStringLiteral("/data/scene.ttt")}, true);
    yov::DropFileName(&box, file.get(), effect, 0);
    EXPECT_EQ(box.text(), QStringLiteral("/data/scene.ttt"));

    auto two = fileData({QStringLiteral("/a"), QStringLiteral("/b")}, true);
    yov::DropFileName(&box, two.get(), effect, 0);
    EXPECT_EQ(effect, 0);
    EXPECT_EQ(box.text(), QStringLiteral("/data/scene.ttt"));
}

}  // namespace
