// The recent-file lists: loading with repeats skipped, adding to the top, removing a file
// that cannot be opened, saving with the end marked, value names and the instance's key.
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "program/core/settings/settings.h"
#include "program/stock/recent_files.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

class RecentFiles : public startup_test::StartupTest {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        list_.prefix = u"Conf";
    }
    // Entries 1..count.
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (int32_t i = 1; i <= list_.count; ++i) out.push_back(utf8(list_.items[static_cast<size_t>(i)]));
        return out;
    }
    // Files named f1.ttt ... fn.ttt, listed under their upper-cased full names, first on top.
    std::vector<std::string> listOfFiles(int n) {
        std::vector<std::string> names;
        for (int i = 1; i <= n; ++i) {
            const std::string name = utf8(plat::ucase(u16(makeFile("f" + std::to_string(i) + ".ttt"))));
            yov::SaveRegString(u"Conf0" + u16(std::to_string(i)), u16(name));
            names.push_back(name);
        }
        yov::LoadRecentList(list_);
        return names;
    }

    yov::RecentList list_;
};

TEST_F(RecentFiles, LoadingKeepsTheNamesAndSkipsRepeatsInAnyCase) {
    yov::SaveRegString(u"Conf01", u"a");
    yov::SaveRegString(u"Conf02", u"A");
    yov::SaveRegString(u"Conf03", u"b");
    yov::SaveRegString(u"Conf05", u"after the gap");
    EXPECT_TRUE(yov::LoadRecentList(list_));
    EXPECT_EQ(entries(), (std::vector<std::string>{"a", "b"}));
    list_.prefix = u"Stock";
    EXPECT_FALSE(yov::LoadRecentList(list_));
    EXPECT_EQ(list_.count, 0);
}

TEST_F(RecentFiles, AListedFileMovesToTheTop) {
    const std::vector<std::string> f = listOfFiles(5);
    EXPECT_EQ(yov::AddRecentFile(u16(f[2]), list_), yov::kRecentAdded);
    EXPECT_EQ(entries(), (std::vector<std::string>{f[2], f[0], f[1], f[3], f[4]}));
    EXPECT_EQ(list_.lastAddFound, 1);
}

// A name goes on top as written and is found in any case; the same file spelled otherwise is
// the same entry, which takes the newer spelling (an upper-cased one from an earlier version
// gives way to the name as the user writes it).
TEST_F(RecentFiles, ANewFileGoesOnTopAsWrittenFoundInAnyCase) {
    const std::vector<std::string> f = listOfFiles(1);
    const std::string path = makeFile("Scenes/Winter.ttt");
    std::string spelled = path;
    spelled.replace(spelled.size() - 10, 10, "winter.TTT");
    EXPECT_EQ(yov::AddRecentFile(u16(spelled), list_), yov::kRecentAdded);
    EXPECT_EQ(entries(), (std::vector<std::string>{spelled, f[0]}));
    EXPECT_EQ(yov::AddRecentFile(u16(path), list_), yov::kRecentAdded);
    EXPECT_EQ(entries(), (std::vector<std::string>{path, f[0]}));
    std::string lower = f[0];
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, f[0]) << "the listed name is upper-cased";
    yov::AddRecentFile(u16(lower), list_);
    EXPECT_EQ(entries(), (std::vector<std::string>{lower, path}));
}

TEST_F(RecentFiles, AFileThatCannotBeOpenedIsRemovedAndTheEndIsMarked) {
    const std::vector<std::string> f = listOfFiles(3);
    std::filesystem::remove(folder() + "/f2.ttt");
    EXPECT_EQ(yov::AddRecentFile(u16(f[1]), list_), yov::kRecentRemoved);
    EXPECT_EQ(list_.lastAddFound, 0);
    EXPECT_EQ(entries(), (std::vector<std::string>{f[0], f[2]}));
    yov::SaveRecentList(list_);
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf01")), f[0]);
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf02")), f[2]);
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf03", u"none")), "") << "emptied, so loading stops there";
    yov::LoadRecentList(list_);
    EXPECT_EQ(list_.count, 2);

    EXPECT_EQ(yov::AddRecentFile(u16(folder() + "/missing.ttt"), list_), yov::kRecentNotFound);
    EXPECT_EQ(yov::AddRecentFile(u16(folder()), list_), yov::kRecentNotFound) << "a folder is no file";
    EXPECT_EQ(list_.count, 2);
}

TEST_F(RecentFiles, TheEleventhEntryGrowsTheCapacityByTen) {
    list_.capacity = 10;
    list_.items.resize(11);
    for (int i = 1; i <= 10; ++i) yov::AddRecentFile(u16(makeFile("g" + std::to_string(i) + ".ttt")), list_);
    EXPECT_EQ(list_.count, 10);
    EXPECT_EQ(list_.capacity, 10);
    yov::AddRecentFile(u16(makeFile("g11.ttt")), list_);
    EXPECT_EQ(list_.count, 11);
    EXPECT_EQ(list_.capacity, 21);
}

TEST_F(RecentFiles, ValueNamesHaveTwoDigitsAtLeast) {
    EXPECT_EQ(utf8(yov::RecentValueName(list_, 1)), "Conf01");
    EXPECT_EQ(utf8(yov::RecentValueName(list_, 10)), "Conf10");
    EXPECT_EQ(utf8(yov::RecentValueName(list_, 100)), "Conf100");
}

TEST_F(RecentFiles, EachInstanceKeepsItsOwnLists) {
    yov::programState().road.InstanceLetter = u"C";
    const std::string f = utf8(plat::ucase(u16(makeFile("c.ttt"))));
    yov::AddRecentFile(u16(f), list_);
    yov::SaveRecentList(list_);
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf01", u"", u"C")), f);
    EXPECT_EQ(utf8(yov::GetRegString(u"Conf01", u"none")), "none");
}

}  // namespace
