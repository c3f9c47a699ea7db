// Writing text files with a backup, and failures that never cost the old file.
#include "program/core/texts/text_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QDir>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "core_fixture.h"

namespace {

using core_test::CoreTest;
using core_test::u16;
using yov::kSaveAppend;
using yov::kSaveBackup;
using yov::kSaveKeepBackup;

class TextFiles : public CoreTest {
protected:
    void write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(folder())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(TextFiles, SavingTable) {
    struct Case {
        const char* name;
        std::string before;     // contents of A.TTT first; "-" none
        std::string oldBackup;  // contents of A_bak.TTT first; "-" none
        int32_t flags;
        std::string after;
        std::string backup;  // contents of A_bak.TTT after; "-" none
    };
    const std::vector<Case> cases = {
        {"new file", "-", "-", 0, "one\r\ntwo", "-"},
        {"replaced", "old", "-", 0, "one\r\ntwo", "-"},
        {"appended", "old", "-", kSaveAppend, "oldone\r\ntwo", "-"},
        {"appended to nothing", "-", "-", kSaveAppend, "one\r\ntwo", "-"},
        {"backup not kept", "old", "-", kSaveBackup, "one\r\ntwo", "-"},
        {"backup kept", "old", "older", kSaveBackup | kSaveKeepBackup, "one\r\ntwo", "old"},
        {"no file, no backup", "-", "-", kSaveBackup | kSaveKeepBackup, "one\r\ntwo", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder() + "/A.TTT");
        std::filesystem::remove(folder() + "/A_bak.TTT");
        if (c.before != "-") write(folder() + "/A.TTT", c.before);
        if (c.oldBackup != "-") write(folder() + "/A_bak.TTT", c.oldBackup);
        EXPECT_TRUE(yov::SaveTextFile(u16(folder() + "/A.TTT"), u"one\r\n", u"two", c.flags));
        EXPECT_EQ(readFile(folder() + "/A.TTT"), c.after);
        if (c.backup == "-") {
            EXPECT_FALSE(std::filesystem::exists(folder() + "/A_bak.TTT"));
        } else {
            EXPECT_EQ(readFile(folder() + "/A_bak.TTT"), c.backup);
        }
    }
    EXPECT_TRUE(boxes_.empty());
    // No temporary file was left beside it.
    for (const std::string& n : names()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
}

TEST_F(TextFiles, TextsAreWrittenInTheProgramsCodePage) {
    ASSERT_TRUE(yov::SaveTextFile(u16(folder() + "/z.txt"), u"Z\u00FCrich \u20AC", u"", 0));
    EXPECT_EQ(readFile(folder() + "/z.txt"), "Z\xFCrich \x80");
}

TEST_F(TextFiles, AFolderSpelledInAnotherCaseIsFound) {
    QDir().mkpath(QString::fromStdString(folder() + "/Scripts"));
    ASSERT_TRUE(yov::SaveTextFile(u16(folder() + "\\SCRIPTS\\new.ttt"), u"x", u"", 0));
    EXPECT_EQ(readFile(folder() + "/Scripts/new.ttt"), "x");
}

TEST_F(TextFiles, EmptyPathGivesFalseWithoutAMessage) {
    EXPECT_FALSE(yov::SaveTextFile(u"", u"x", u"", 0));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(TextFiles, AMissingFolderIsShownAsNotCreated) {
    const std::u16string path = u16(folder() + "/missing/a.ttt");
    EXPECT_FALSE(yov::SaveTextFile(path, u"x", u"", 0));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, u"Error 2 (No such file or directory) creating " + path);
    EXPECT_EQ(boxes_[0].style, 64);
}

// A write that fails half-way (here: the file size limit) leaves the old file and its
// backup as they were.
TEST_F(TextFiles, AFailedWriteKeepsTheOldFile) {
    write(folder() + "/A.TTT", "precious");
    write(folder() + "/A_bak.TTT", "older");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved =
        yov::SaveTextFile(u16(folder() + "/A.TTT"), std::u16string(100, u'x'), u"", kSaveBackup | kSaveKeepBackup);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(folder() + "/A.TTT"), "precious");
    EXPECT_EQ(readFile(folder() + "/A_bak.TTT"), "older");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.rfind(u"Error 27 (File too large) writing ", 0), 0u) << core_test::utf8(boxes_[0].text);
    for (const std::string& n : names()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
}

TEST_F(TextFiles, BackupFileDeletesOrKeeps) {
    const std::u16string path = u16(folder() + "/Stock.STK");
    EXPECT_TRUE(yov::BackupFile(path, true));  // nothing there: nothing happens
    write(folder() + "/Stock.STK", "v1");
    EXPECT_TRUE(yov::BackupFile(path, true));
    EXPECT_FALSE(std::filesystem::exists(folder() + "/Stock.STK"));
    EXPECT_EQ(readFile(folder() + "/Stock_bak.STK"), "v1");
    write(folder() + "/Stock.STK", "v2");
    EXPECT_TRUE(yov::BackupFile(path, false));
    EXPECT_FALSE(std::filesystem::exists(folder() + "/Stock.STK"));
    EXPECT_EQ(readFile(folder() + "/Stock_bak.STK"), "v1");
}

// A backup name taken by a folder: the rename fails, and the file must not be rewritten
// as if its old text were kept.
TEST_F(TextFiles, ABackupThatCannotBeMadeKeepsTheFile) {
    const std::u16string path = u16(folder() + "/Stock.STK");
    write(folder() + "/Stock.STK", "precious");
    std::filesystem::create_directories(folder() + "/Stock_bak.STK/in-the-way");
    EXPECT_FALSE(yov::BackupFile(path, true));
    EXPECT_EQ(readFile(folder() + "/Stock.STK"), "precious");

    EXPECT_FALSE(yov::SaveTextFile(path, u"new", u"", kSaveBackup | kSaveKeepBackup));
    EXPECT_EQ(readFile(folder() + "/Stock.STK"), "precious");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].text.find(u"Stock.STK"), std::u16string::npos) << core_test::utf8(boxes_[0].text);
    for (const std::string& n : names()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
}

TEST_F(TextFiles, BackupNames) {
    // The name keeps its spelling, as every name here does.
    EXPECT_EQ(yov::backupFileName(u"C:\\Rail\\A.TTT"), u"C:\\Rail\\A_bak.TTT");
    EXPECT_EQ(yov::backupFileName(u"/Home/Rail/Main.Line.ttt"), u"/Home/Rail/Main.Line_bak.ttt");
    EXPECT_EQ(yov::backupFileName(u"noext"), u"noext_bak");
}

}  // namespace
