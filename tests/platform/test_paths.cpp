#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/scratch_dir.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

TEST(Paths, SplitFilePathTable) {
    const struct {
        const char* name;
        const char* path;
        const char* dir;
        const char* base;
        const char* ext;
    } cases[] = {
        {"Windows path", "C:\\Rolvane\\Pics\\Loco.gif", "C:\\Rolvane\\Pics", "Loco", ".gif"},
        {"POSIX path", "/home/u/demo.ttt", "/home/u", "demo", ".ttt"},
        {"mixed separators", "/home/u\\Stock/a.stk", "/home/u\\Stock", "a", ".stk"},
        {"last dot only", "a\\pic.old.bmp", "a", "pic.old", ".bmp"},
        {"dot in the folder only", "a.b\\pic", "a.b", "pic", ""},
        {"no folder", "pic.gif", "", "pic", ".gif"},
        {"rooted", "\\pic.gif", "", "pic", ".gif"},
        {"trailing separator", "a\\b\\", "a\\b", "", ""},
        {"dot file", "a/.hidden", "a", "", ".hidden"},
        {"trailing dot", "a.", "", "a", "."},
        {"empty", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const plat::PathParts p = plat::splitFilePath(c.path);
        EXPECT_EQ(p.dir, c.dir);
        EXPECT_EQ(p.name, c.base);
        EXPECT_EQ(p.ext, c.ext);
        EXPECT_EQ(plat::folderOf(c.path), c.dir);
        EXPECT_EQ(plat::baseNameOf(c.path), c.base);
        EXPECT_EQ(plat::extensionOf(c.path), c.ext);
        EXPECT_EQ(plat::fileNameOf(c.path), std::string(c.base) + c.ext);
    }
}

TEST(Paths, JoinPathTable) {
    const struct {
        const char* name;
        const char* folder;
        const char* file;
        const char* joined;
    } cases[] = {
        {"POSIX folder", "/tmp", "Rolvane.err", "/tmp/Rolvane.err"},
        {"Windows folder keeps its spelling", "C:\\Stock", "a.tca", "C:\\Stock\\a.tca"},
        {"mixed folder takes /", "/home\\u", "x", "/home\\u/x"},
        {"folder ending in a separator", "C:\\", "x", "C:\\x"},
        {"empty folder", "", "x", "x"},
        {"relative folder without separator", "pics", "x", "pics/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::joinPath(c.folder, c.file), c.joined);
    }
}

// A tree with mixed-case names, case variants and a file where a folder is
// wanted, built fresh for each test.
class PathsTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::canonical(scratch_.Path()).string();
        for (const char* dir : {"Scenes", "Pics", "Stock/Wagons", "DATA", "Data", "mixed",
                                "\xC4\x8C"
                                "esko"}) {
            fs::create_directories(root_ + "/" + dir);
        }
        for (const char* file : {"Scenes/Demo.TTT", "Pics/Loco.GIF", "Pics/LOCO.gif", "Pics/Tender.gif",
                                 "Stock/Wagons/Car.bmp", "Data/a.gif", "MIXED", "mixed/inner.gif", "readme.txt",
                                 "\xC4\x8C"
                                 "esko/\xC5\xA0kodovka.gif",
                                 "bad\xE9.gif"}) {
            std::ofstream(root_ + "/" + file) << "x";
        }
    }

    // "{root}" is the tree's folder; "{ROOT\\}" the same spelled upper case with
    // backslashes, as a name stored on Windows would be.
    std::string expand(const std::string& s) const {
        std::string out = s;
        const std::string winRoot = [&] {
            std::string w = plat::asciiUpper(root_);
            for (char& c : w) {
                if (c == '/') c = '\\';
            }
            return w;
        }();
        for (auto [key, value] : {std::pair<std::string, std::string>{"{root}", root_},
                                  std::pair<std::string, std::string>{"{ROOT\\}", winRoot}}) {
            for (std::size_t at; (at = out.find(key)) != std::string::npos;) out.replace(at, key.size(), value);
        }
        return out;
    }

    testutil::ScratchDir scratch_;
    std::string root_;
};

struct ResolveCase {
    const char* name;
    const char* input;
    const char* base;      // "{root}" etc. expanded
    const char* expected;  // "" = not found
};

TEST_F(PathsTree, ResolveTable) {
    const ResolveCase cases[] = {
        {"exact relative", "Scenes/Demo.TTT", "{root}", "{root}/Scenes/Demo.TTT"},
        {"backslashes and other case", "scenes\\demo.ttt", "{root}", "{root}/Scenes/Demo.TTT"},
        {"exact case preferred", "PICS\\Loco.GIF", "{root}", "{root}/Pics/Loco.GIF"},
        {"variants: first in byte order", "pics\\loco.gif", "{root}", "{root}/Pics/LOCO.gif"},
        {"deeper path", "STOCK\\wagons\\CAR.BMP", "{root}", "{root}/Stock/Wagons/Car.bmp"},
        {"relative to the referring folder", "demo.ttt", "{root}/Scenes", "{root}/Scenes/Demo.TTT"},
        {"parent folder", "..\\Pics\\Tender.gif", "{root}/Scenes", "{root}/Scenes/../Pics/Tender.gif"},
        {"drive letter dropped", "C:\\Scenes\\DEMO.ttt", "{root}", "{root}/Scenes/Demo.TTT"},
        {"drive-relative", "c:pics\\tender.GIF", "{root}", "{root}/Pics/Tender.gif"},
        {"drive: tail of a foreign tree", "D:\\Games\\Rolvane\\Pics\\Tender.gif", "{root}", "{root}/Pics/Tender.gif"},
        {"drive: bare name in the base", "C:\\elsewhere\\Demo.ttt", "{root}/Scenes", "{root}/Scenes/Demo.TTT"},
        {"drive alone is the base", "C:\\", "{root}/Pics", "{root}/Pics"},
        {"UNC drops server and share", "\\\\server\\share\\Pics\\Tender.gif", "{root}", "{root}/Pics/Tender.gif"},
        {"long-name prefix", "\\\\?\\C:\\Pics\\Tender.gif", "{root}", "{root}/Pics/Tender.gif"},
        {"long-name UNC prefix", "\\\\?\\UNC\\srv\\sh\\Pics\\Tender.gif", "{root}", "{root}/Pics/Tender.gif"},
        {"absolute, exact", "{root}/Pics/Tender.gif", "", "{root}/Pics/Tender.gif"},
        {"absolute, stored upper case", "{ROOT\\}\\PICS\\TENDER.GIF", "", "{root}/Pics/Tender.gif"},
        {"rooted, not below root: base", "\\Scenes\\Demo.ttt", "{root}", "{root}/Scenes/Demo.TTT"},
        {"POSIX absolute never falls back", "/no-such-root/Pics/Tender.gif", "{root}", ""},
        {"relative has no tail fallback", "elsewhere\\Demo.ttt", "{root}/Scenes", ""},
        {"loosely spelled base", "demo.ttt", "{ROOT\\}\\SCENES", "{root}/Scenes/Demo.TTT"},
        {"folder itself", "stock\\WAGONS", "{root}", "{root}/Stock/Wagons"},
        {"backtrack to the variant holding the file", "data\\A.GIF", "{root}", "{root}/Data/a.gif"},
        {"skip a file standing for a folder", "Mixed\\inner.gif", "{root}", "{root}/mixed/inner.gif"},
        {"file cannot be a folder", "Scenes\\Demo.TTT\\x", "{root}", ""},
        {"trailing dot ignored", "README.TXT.", "{root}", "{root}/readme.txt"},
        {"trailing blanks ignored", "readme.txt  ", "{root}", "{root}/readme.txt"},
        {"Latin Extended-A folded",
         "\xC4\x8D"
         "ESKO\\\xC5\xA1KODOVKA.GIF",
         "{root}",
         "{root}/\xC4\x8C"
         "esko/\xC5\xA0kodovka.gif"},
        {"invalid UTF-8 matches exactly", "bad\xE9.gif", "{root}", "{root}/bad\xE9.gif"},
        {"invalid UTF-8 has no case variant", "BAD\xE9.GIF", "{root}", ""},
        {"missing file", "Pics\\Nothing.gif", "{root}", ""},
        {"missing folder", "Nope\\Tender.gif", "{root}", ""},
        {"empty name", "", "{root}", ""},
        {"UNC root alone is the base", "\\\\", "{root}", "{root}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::resolvePath(expand(c.input), expand(c.base)), expand(c.expected));
    }
}

TEST_F(PathsTree, NameWithNulIsRefused) {
    using namespace std::string_literals;
    EXPECT_EQ(plat::resolvePath("readme.txt\0.gif"s, root_), "");
    EXPECT_EQ(plat::resolveForCreate("readme.txt\0.gif"s, root_), "");
}

TEST_F(PathsTree, ResolveRelativeToTheCurrentFolder) {
    const fs::path saved = fs::current_path();
    fs::current_path(root_);
    EXPECT_EQ(plat::resolvePath("pics\\TENDER.GIF"), "Pics/Tender.gif");
    EXPECT_EQ(plat::resolvePath("C:"), ".");
    // A referring folder that is not there is not the current one.
    EXPECT_EQ(plat::resolvePath("readme.txt", root_ + "/NoSuchFolder"), "");
    EXPECT_EQ(plat::resolvePath("readme.txt", "no-such-folder"), "");
    fs::current_path(saved);
}

TEST_F(PathsTree, ResolveForCreateTable) {
    const ResolveCase cases[] = {
        {"new file in a folder found by case", "scenes\\New.ttt", "{root}", "{root}/Scenes/New.ttt"},
        {"existing file keeps its spelling", "SCENES\\DEMO.TTT", "{root}", "{root}/Scenes/Demo.TTT"},
        {"trailing dots and blanks dropped", "scenes\\new.ttt. ", "{root}", "{root}/Scenes/new.ttt"},
        {"drive: folder tail found", "C:\\Else\\Pics\\new.gif", "{root}", "{root}/Pics/new.gif"},
        {"drive: base when no folder fits", "C:\\Any\\new.gif", "{root}", "{root}/new.gif"},
        {"absolute", "{ROOT\\}\\STOCK\\a_bak.stk", "", "{root}/Stock/a_bak.stk"},
        {"missing folder", "nofolder\\x.ttt", "{root}", ""},
        {"folder is a file", "readme.txt\\x", "{root}", ""},
        {"name of dots only", "scenes\\..", "{root}", "{root}/Scenes/.."},
        {"empty", "", "{root}", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::resolveForCreate(expand(c.input), expand(c.base)), expand(c.expected));
    }
}

}  // namespace
