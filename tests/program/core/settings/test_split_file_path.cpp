// Names as the program spells them: split and joined keeping their case and separators, "/"
// where the program adds one unless the folder is spelled with "\".
#include <gtest/gtest.h>

#include <string>

#include "program/core/settings/split_file_path.h"

namespace {

TEST(SplitFilePath, PartsKeepTheirSpelling) {
    const struct {
        const char16_t* path;
        const char16_t* dir;
        const char16_t* name;
        const char16_t* ext;
    } cases[] = {
        {u"/srv/Scenes/Demo.TTT", u"/srv/Scenes", u"Demo", u".TTT"},
        {u"C:\\Rail\\Main.Line.ttt", u"C:\\Rail", u"Main.Line", u".ttt"},
        {u"mixed/Folder\\file", u"mixed/Folder", u"file", u""},
        {u"plain.stk", u"", u"plain", u".stk"},
    };
    for (const auto& c : cases) {
        const yov::PathSplit s = yov::splitPathText(c.path);
        EXPECT_EQ(s.dir, c.dir);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.ext, c.ext);
    }
}

TEST(SplitFilePath, JoinedWithTheFoldersOwnSeparator) {
    const struct {
        const char16_t* folder;
        const char16_t* name;
        const char16_t* joined;
    } cases[] = {
        {u"/srv/Scenes", u"coach_a.gif", u"/srv/Scenes/coach_a.gif"},
        {u"C:\\Rail", u"E40.gif", u"C:\\Rail\\E40.gif"},
        {u"/srv/", u"a.gif", u"/srv/a.gif"},
        {u"", u"a.gif", u"a.gif"},
        {u"P", u"x.BMP", u"P/x.BMP"},
        {u"P", u"sub\\x.BMP", u"P\\sub\\x.BMP"},  // a folder of one name follows the name's spelling
        {u"/srv/stock", u"PICS\\A.GIF", u"/srv/stock/PICS\\A.GIF"},
    };
    for (const auto& c : cases) EXPECT_EQ(yov::JoinFilePath(c.folder, c.name), c.joined);
    for (const char16_t* rooted : {u"/a", u"\\a", u"C:\\a", u"c:a"}) EXPECT_TRUE(yov::IsRootedPath(rooted));
    for (const char16_t* relative : {u"a/b", u"a\\b", u"", u":"}) EXPECT_FALSE(yov::IsRootedPath(relative));
}

}  // namespace
