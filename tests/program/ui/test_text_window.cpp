// Text windows on the offscreen platform: the demo script highlighted, edited and saved,
// lines sorted, the error log taking new lines, modes, and two windows sharing slot 42.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include "core_fixture.h"
#include "modal_driver.h"
#include "platform/registry.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/error_log.h"
#include "program/core/windows/file_dialog.h"
#include "program/stock/editor_language.h"
#include "program/scene/script_lexer.h"
#include "program/ui/text_window.h"
#include "program/ui/program_parts.h"
#include "screenshot.h"
#include "stock_loading_fixture.h"
#include "desktop_fakes.h"

namespace {

std::u16string demoScript() {
    std::ifstream in(std::string(YOV_DEMO_DATA) + "/demo.ttt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return QString::fromUtf8(s.str()).toStdU16String();
}

class TextWindowTest : public stock_load_test::StockLoadTest {
protected:
    void SetUp() override {
        StockLoadTest::SetUp();
        yov::UseProgramParts();
        dialogs_.answer = [this](const yov::FileDialogRequest&) {
            return QStringList{QString::fromStdString(savePath_)};
        };
    }
    void TearDown() override {
        for (yov::TextFrm* w : std::vector<yov::TextFrm*>(yov::openTextWindows())) delete w;
        StockLoadTest::TearDown();
    }
    yov::TextFrm* Open(const std::u16string& text, uint8_t mode = 0) {
        yov::programState().run.RunMode = mode;
        yov::ShowTextWindowFor({0, 0, 6000, 4500, text, u"Text", mode});
        return yov::openTextWindows().empty() ? nullptr : yov::openTextWindows().back();
    }
    int styleAt(yov::TextFrm* w, int position) {
        return static_cast<int>(
            w->DTxt.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, static_cast<unsigned long>(position)));
    }

    std::string savePath_;
    desktop_test::AnsweringFileDialogs dialogs_;
};

TEST_F(TextWindowTest, TheDemoScriptOpensHighlightedAndSavesThroughARename) {
    const std::u16string script = demoScript();
    ASSERT_FALSE(script.empty());
    yov::TextFrm* w = Open(script);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->DTxt.usesTimetableLexer());
    EXPECT_EQ(yov::programState().WindowTable[yov::kTextWindowSlot].window, w);
    // Styles in the editor agree with the lexer at every position of the first lines.
    w->DTxt.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
    const std::vector<yov::ScriptStyle> expected = yov::StyleScript(script);
    const QByteArray utf8 = QString::fromStdU16String(script).toUtf8();
    int checked = 0;
    for (int i = 0; i < std::min<int>(utf8.size(), 2000); ++i) {
        if (static_cast<unsigned char>(utf8[i]) >= 0x80) break;  // positions equal while the text is ASCII
        if (utf8[i] == '\r' || utf8[i] == '\n') continue;
        ASSERT_EQ(styleAt(w, i), static_cast<int>(expected[static_cast<size_t>(i)])) << "position " << i;
        ++checked;
    }
    EXPECT_GT(checked, 100);
    w->resize(900, 640);
    yov_test::keepScreen(w, "text_window_demo.png");

    w->DTxt.setCursorPosition(0, 0);
    QTest::keyClicks(&w->DTxt, QStringLiteral("; edited"));
    QTest::keyClick(&w->DTxt, Qt::Key_Return);
    savePath_ = folder() + "/saved.ttt";
    std::ofstream(savePath_) << "old";
    struct stat before {};
    ASSERT_EQ(::stat(savePath_.c_str(), &before), 0);
    QTest::keyClick(&w->DTxt, Qt::Key_S, Qt::ControlModifier);
    const std::string saved = readFile(savePath_);
    EXPECT_EQ(saved.rfind("; edited", 0), 0u) << saved.substr(0, 40);
    EXPECT_GT(saved.size(), script.size() / 2);
    // Written beside the old file and renamed over it: a new file, nothing left behind.
    struct stat after {};
    ASSERT_EQ(::stat(savePath_.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder()))
        files += e.path().filename().string().rfind("saved.ttt", 0) == 0 ? 1 : 0;
    EXPECT_EQ(files, 1) << "no temporary file stays";
}

TEST_F(TextWindowTest, SortingAndOtherTextsUnhighlighted) {
    yov::TextFrm* w = Open(u"banana\r\nApple\r\ncherry");
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->DTxt.usesTimetableLexer());
    EXPECT_TRUE(w->FCmd(1107));  // Alt+S
    EXPECT_EQ(w->DTxt.text(), QStringLiteral("Apple\nbanana\ncherry"));
    int line = -1, index = -1;
    w->DTxt.getCursorPosition(&line, &index);
    EXPECT_EQ(line, 0);
    w->DTxt.setText(QStringLiteral("one line"));
    EXPECT_TRUE(w->FCmd(4479));
    EXPECT_EQ(w->DTxt.text(), QStringLiteral("one line"));
    EXPECT_FALSE(w->FCmd(283));  // Shift+Esc is not the close key
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->FCmd(27));
    EXPECT_TRUE(yov::openTextWindows().empty());
    EXPECT_EQ(yov::programState().run.RunMode, 0);
}

TEST_F(TextWindowTest, ClosingOneOfTwoKeepsTheOtherRegistered) {
    yov::TextFrm* first = Open(u"first");
    yov::TextFrm* second = Open(u"second");
    ASSERT_EQ(yov::openTextWindows().size(), 2u);
    EXPECT_EQ(yov::programState().WindowTable[yov::kTextWindowSlot].window, second);
    second->close();
    ASSERT_EQ(yov::openTextWindows().size(), 1u);
    EXPECT_EQ(yov::programState().WindowTable[yov::kTextWindowSlot].window, first);
    EXPECT_TRUE(first->isVisible());
    first->close();
    EXPECT_EQ(yov::programState().WindowTable[yov::kTextWindowSlot].window, nullptr);
}

TEST_F(TextWindowTest, TheErrorLogTakesTheLinesLoggedWhileItIsOpen) {
    yov::TextFrm* w = Open(u"line one\r\nline two", 14);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->DTxt.isReadOnly());
    yov::WriteErrorLog(u"a new line");
    EXPECT_TRUE(w->DTxt.text().endsWith(QStringLiteral("a new line\n"))) << w->DTxt.text().toStdString();
    int line = -1, index = -1;
    w->DTxt.getCursorPosition(&line, &index);
    EXPECT_EQ(line, w->DTxt.lines() - 1);
}

TEST_F(TextWindowTest, ModalOverTheShowIsTopmostAndEndsTheMode) {
    yov_test::ModalWatchdog watchdog;
    bool topmost = false;
    yov_test::whenModal([&](QWidget* window) {
        topmost = (window->windowFlags() & Qt::WindowStaysOnTopHint) != 0;
        QTest::keyClick(static_cast<yov::TextFrm*>(window)->DTxt.viewport(), Qt::Key_Escape);
    });
    yov::programState().run.RunMode = 3;
    yov::ShowTextWindowFor({0, 0, 6000, 4500, u"over the show", u"Text", 3});
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(yov::openTextWindows().empty());
    EXPECT_EQ(yov::programState().run.RunMode, 0);
}

TEST_F(TextWindowTest, CtrlF4ClosesAModalTextWindow) {
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([](QWidget* window) {
        QTest::keyClick(static_cast<yov::TextFrm*>(window)->DTxt.viewport(), Qt::Key_F4, Qt::ControlModifier);
    });
    yov::programState().run.RunMode = 2;
    yov::ShowTextWindowFor({0, 0, 6000, 4500, u"modal", u"Text", 2});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(yov::openTextWindows().empty());
    EXPECT_EQ(yov::programState().run.RunMode, 0);
    EXPECT_EQ(yov::programState().WindowTable[yov::kTextWindowSlot].inUse, 0);
}

// Our layout of the editor's settings: "EdHotKeys" records of 8 bytes (a Scintilla command
// and a Qt key, little-endian), "EdSettings" 11 option bytes.
TEST_F(TextWindowTest, HotKeysAndOptionsFromTheSettingsReachTheEditor) {
    auto binary = [](const char* name, std::vector<uint8_t> bytes) {
        yov::settingsRegistry().setValue(plat::utf16ToUtf8(yov::settingsKey({})), name, plat::RegValue::binary(bytes));
    };
    auto le = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const int ctrlD = (Qt::CTRL | Qt::Key_D).toCombined();
    std::vector<uint8_t> keys;
    le(keys, QsciCommand::LineDelete);
    le(keys, static_cast<uint32_t>(ctrlD));
    le(keys, 1);  // no such command: passed over
    le(keys, static_cast<uint32_t>((Qt::CTRL | Qt::Key_E).toCombined()));
    keys.push_back(7);  // a short tail: ignored
    binary("EdHotKeys", keys);
    // Font 12 points, line numbers, auto-indent, no blanks shown, wrapping, the caret's line.
    binary("EdSettings", {12, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0});

    yov::TextFrm* w = Open(u"some text");
    ASSERT_NE(w, nullptr);
    QsciCommand* lineDelete = w->DTxt.standardCommands()->find(QsciCommand::LineDelete);
    ASSERT_NE(lineDelete, nullptr);
    EXPECT_EQ(lineDelete->key(), ctrlD);
    EXPECT_EQ(w->DTxt.font().pointSize(), 12);
    EXPECT_TRUE(w->DTxt.marginLineNumbers(0));
    EXPECT_TRUE(w->DTxt.autoIndent());
    EXPECT_EQ(w->DTxt.wrapMode(), QsciScintilla::WrapWord);
    EXPECT_EQ(w->DTxt.whitespaceVisibility(), QsciScintilla::WsInvisible);
    EXPECT_EQ(w->DTxt.tabWidth(), 8) << "the fixed properties";
    yov::scriptEditGlobal().hotKeys.clear();  // the component keeps them for the process
}

}  // namespace
