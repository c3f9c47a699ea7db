// The file dialog: its filter, its variants and start folders, the path it returns.
#include "program/core/windows/file_dialog.h"

#include <gtest/gtest.h>

#include <optional>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <fstream>

#include "core_fixture.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/program_resources.h"
#include "program/core/settings/split_file_path.h"
#include "desktop_fakes.h"

namespace {

using core_test::CoreTest;
using core_test::u16;

class FileDialog : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        dialogs_.emplace([this](const yov::FileDialogRequest&) { return answer_; });
    }
    void TearDown() override {
        dialogs_.reset();
        CoreTest::TearDown();
    }
    std::optional<desktop_test::AnsweringFileDialogs> dialogs_;
    QStringList answer_;
};

TEST_F(FileDialog, FilterTable) {
    struct Case {
        const char* name;
        uint32_t flags;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"none", 0, u""},
        {"scene scripts", 0x40000000, u"Timetable files (*.ttt)|*.ttt"},
        {"help files, other bits ignored", 0x8030, u"Help files (*.hlp)|*.hlp"},
        {"one bit, three kinds in order", 0x10000,
         u"Picture DLLs (*.dll)|*.dll|Screen savers (*.scr)|*.scr|Programs (*.exe)|*.exe"},
        {"binary stock without a blank", 0x00100000, u"Binary stock files(*.stb)|*.stb"},
        {"table order, not bit order", 0x40000800u | 0x00400000u,
         u"Timetable files (*.ttt)|*.ttt|Pictures (*.gif;*.bmp;*.dib)|*.gif;*.bmp;*.dib|All files (*.*)|*.*"},
        {"a kind without a text", 0x20000000, u" (*.ini)|*.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::BuildFileFilter(static_cast<int32_t>(c.flags)), c.expected);
    }
}

TEST_F(FileDialog, QtFiltersSeparatePatternsWithBlanks) {
    const QStringList filters = yov::qtNameFilters(
        u"Timetable files (*.ttt)|*.ttt|Pictures (*.gif;*.bmp;*.dib)|*.gif;*.bmp;*.dib|Binary stock files(*.stb)|*.stb|"
        u" (*.ini)|*.ini");
    EXPECT_EQ(filters,
              (QStringList{QStringLiteral("Timetable files (*.ttt)"), QStringLiteral("Pictures (*.gif *.bmp *.dib)"),
                           QStringLiteral("Binary stock files (*.stb)"), QStringLiteral("(*.ini)")}));
}

TEST_F(FileDialog, VariantsTitlesAndStartFolders) {
    auto& st = yov::programState();
    st.scene.StockDir = u16(folder() + "/stock");
    st.scene.ConfigDir = u16(folder() + "/scripts");
    struct Case {
        const char* name;
        uint32_t flags;
        bool save, multiple, confirm;
        QString title;
        QString directory;
        QString suffix;
    };
    const QString program = QString::fromStdString(yov::programFolder());
    const QString stock = QString::fromStdString(folder() + "/stock");
    const QString scripts = QString::fromStdString(folder() + "/scripts");
    const std::vector<Case> cases = {
        {"help files from the program folder", 0x8030, false, false, false, QStringLiteral("Open ..."), program, {}},
        {"save with the stock folder", 0x40000011, true, false, false, QStringLiteral("Open ..."), stock,
         QStringLiteral("ttt")},
        {"open again in the same folder", 0x40000002, false, false, false, QStringLiteral("Open ..."), stock, {}},
        {"save asking to overwrite", 0x40000023, true, false, true, QStringLiteral("Open ..."), scripts,
         QStringLiteral("ttt")},
        {"open several", 0x00400004, false, true, false, QStringLiteral("Open ..."), scripts, {}},
        {"save with several names", 0x00400005, true, true, false, QStringLiteral("Open ..."), scripts,
         QStringLiteral("gif")},
        {"title as given", 0x40000080, false, false, false, QStringLiteral("OPEN"), scripts, {}},
        {"no variant 7", 0x40000007, false, false, false, QStringLiteral("Open ..."), scripts, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const yov::FileDialogRequest r = yov::fileDialogRequest(u"OPEN", static_cast<int32_t>(c.flags));
        EXPECT_EQ(r.save, c.save);
        EXPECT_EQ(r.multiple, c.multiple);
        EXPECT_EQ(r.confirmOverwrite, c.confirm);
        EXPECT_EQ(r.title, c.title);
        EXPECT_EQ(r.directory, c.directory);
        EXPECT_EQ(r.defaultSuffix, c.suffix);
        EXPECT_TRUE(r.fileName.isEmpty());
    }
}

TEST_F(FileDialog, StartsAtTheLastFileWhenAsked) {
    { std::ofstream(folder() + "/Last.ttt") << "x"; }
    yov::SplitFilePath(u16(folder() + "/LAST.TTT"));
    const yov::FileDialogRequest r = yov::fileDialogRequest(u"OPEN", 0x40000040);
    EXPECT_EQ(r.fileName, QString::fromStdString(folder() + "/Last.ttt"));
    EXPECT_EQ(r.directory, QString::fromStdString(folder()));
}

// The chosen path as the file system spells it, with or without the case flag: a lower- or
// upper-cased path would name another file here.
TEST_F(FileDialog, ChosenPathKeepsItsSpellingAndBecomesTheLastFile) {
    auto& st = yov::programState();
    answer_ = {QStringLiteral("/Home/Rail/Scripts/Main.Line.TTT")};
    std::u16string path;
    ASSERT_TRUE(yov::GetFileFilter(u"OPEN", 0x40000000, path));
    EXPECT_EQ(path, u"/Home/Rail/Scripts/Main.Line.TTT");
    EXPECT_EQ(st.split.SplitDir, u"/Home/Rail/Scripts");
    EXPECT_EQ(st.split.SplitName, u"Main.Line");
    EXPECT_EQ(st.split.SplitExt, u".TTT");

    answer_ = {QStringLiteral("/x/Other.stk")};
    ASSERT_TRUE(yov::GetFileFilter(u"OPEN", 0x00200000 | 0x100 | 0x04, path));
    EXPECT_EQ(path, u"/x/Other.stk");
    EXPECT_EQ(st.split.SplitName, u"Main.Line");  // 0x04 leaves the last file alone

    answer_ = {QStringLiteral("/p/a.gif"), QStringLiteral("/p/B.gif")};
    ASSERT_TRUE(yov::GetFileFilter(u"OPEN", 0x00400004, path));
    EXPECT_EQ(path, std::u16string(u"/p\0a.gif\0B.gif", 14));
}

TEST_F(FileDialog, CancelGivesFalseOrRaisesTheCancelledError) {
    auto& st = yov::programState();
    yov::SplitFilePath(u"\\keep\\this.ttt");
    answer_ = {};
    std::u16string path = u"old";
    EXPECT_FALSE(yov::GetFileFilter(u"OPEN", 0x40000000, path));
    EXPECT_EQ(path, u"");
    try {
        yov::GetFileFilter(u"OPEN", 0x40000008, path);
        FAIL() << "expected error 6009";
    } catch (const yov::ProgramError& e) {
        EXPECT_EQ(e.number(), 6009);
    }
    EXPECT_EQ(st.split.SplitName, u"this");
}

TEST_F(FileDialog, TheRealDialogReturnsTheChosenFile) {
    dialogs_.reset();
    const std::string chosen = folder() + "/Pick Me.ttt";
    { std::ofstream(chosen) << "x"; }
    // The path is typed into the dialog's name field, as a user would: a file picked from the
    // list is refused while the dialog has not read its folder yet. A dialog that never takes
    // it is closed, so that the test fails instead of waiting for ever.
    int tries = 0;
    QTimer timer;
    // The dialog is looked for among the windows, not taken as the active modal one: on the
    // offscreen platform a window an earlier test opened may still be the active one.
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QFileDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<QFileDialog*>(w); d != nullptr && d->isVisible()) dialog = d;
        }
        auto* name = dialog == nullptr ? nullptr : dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (++tries > 500) {
            // Given up: whatever is open closes, so that the test ends and says so.
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
            if (dialog != nullptr) dialog->reject();
        } else if (name != nullptr) {
            name->setText(QString::fromStdString(chosen));
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    timer.start(10);
    yov::programState().split.SplitPath.clear();
    std::u16string path;
    ASSERT_TRUE(yov::GetFileFilter(u"OPEN", 0x40000000, path));
    EXPECT_EQ(path, u16(chosen));
}

// The dialog belongs to the active window, which can go while the dialog is open (a window of
// the show closing itself, or one deleted late): the dialog goes with it, and what the user
// chose is a cancel, never a crash of the program.
TEST_F(FileDialog, AWindowGoingWhileItsDialogIsOpenCancelsTheChoice) {
    dialogs_.reset();
    QPointer<QWidget> owner = new QWidget;
    owner->show();
    owner->activateWindow();
    for (int i = 0; i < 100 && QApplication::activeWindow() != owner; ++i) QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), owner.data());
    bool seen = false;
    int tries = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QFileDialog* dialog = owner.isNull() ? nullptr : owner->findChild<QFileDialog*>();
        if (dialog != nullptr && dialog->isVisible()) {
            seen = true;
            delete owner.data();
        } else if (++tries > 500) {
            // Given up: whatever is open closes, so that the test ends and says so.
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        }
    });
    timer.start(10);
    std::u16string path = u"old";
    EXPECT_FALSE(yov::GetFileFilter(u"OPEN", 0x40000000, path));
    EXPECT_TRUE(seen) << "the dialog was never shown over its window";
    EXPECT_TRUE(owner.isNull());
    delete owner.data();
}

}  // namespace
