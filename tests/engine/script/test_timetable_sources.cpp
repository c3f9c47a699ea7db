// Sources of the timetable reader: file bytes, nested files and texts opened between
// lines, closing, and the positions GetTtPosition reports at each level.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "tt_fixture.h"

using namespace tt_test;

namespace {

class TimetableSources : public ReaderTest<> {
protected:
    static size_t OpenDescriptors() {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
        return n;
    }
};

struct ByteCase {
    const char* name;
    std::string bytes;
    std::u16string line;
};

TEST_F(TimetableSources, FileBytes) {
    const ByteCase cases[] = {
        {"CarriageReturnDropped", "ab\r\n", u"ab"},
        {"ControlCodesDropped", std::string("a\x01\x1F") + "b\n", u"ab"},
        {"Escape",
         "a\x87"
         "00E9b\n",
         u"a\u00E9b"},
        {"EscapeLowerCase",
         "\x87"
         "20ac\n",
         u"\u20AC"},
        {"EscapeBelowBlankDropped",
         "a\x87"
         "0009b\n",
         u"ab"},
        {"Escape8BAnd9BDropped",
         "a\x8B\x9B"
         "b\n",
         u"ab"},
        {"HighBytesKept", "\xE9\xA0\n", u"\u00E9\u00A0"},
        {"TabToBlank", "a\tb\n", u"a b"},
    };
    for (const ByteCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteFile("bytes.ttt", c.bytes);
        ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
        LvText buffer = LvText::Buffer(64);
        int32_t value, line;
        const int32_t n = GetTtLine(buffer.get(), &value, &line);
        ASSERT_GE(n, 0);
        EXPECT_EQ(std::u16string(buffer.get(), static_cast<size_t>(n)), c.line);
        EXPECT_EQ(GetTtLine(buffer.get(), &value, &line), -1);
    }
}

TEST_F(TimetableSources, TabMovesColumnToNextMultipleOfEight) {
    const std::string path = WriteFile("tab.ttt", "ab\t{@}\n");
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadAll().code, -11607);
    const Position p = PositionAt(0);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.line, 1);
    EXPECT_EQ(p.column, 10);  // TAB at 3 moves to 8; "{" 9, "@" 10
}

TEST_F(TimetableSources, BadEscapeInFile) {
    const std::string path = WriteFile("escape.ttt",
                                       "ok\nab\x87"
                                       "12G4\n");
    ASSERT_EQ(OpenTtFile(path.c_str(), 5, nullptr), 0);
    const ReadResult r = ReadAll();
    EXPECT_EQ(r.lines, std::vector<std::string>{"ok"});
    EXPECT_EQ(r.code, -11603);
    const Position p = PositionAt(0);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.name, path);
    EXPECT_EQ(p.line, 2);
    EXPECT_EQ(p.column, 5);  // "a" 1, "b" 2, escape 3, "1" 4, "2" 5: "G" is refused
}

TEST_F(TimetableSources, EscapeCutByEndOfFile) {
    const std::string path = WriteFile("cut.ttt",
                                       "a\x87"
                                       "12");
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadAll().code, -11603);
}

TEST_F(TimetableSources, MissingFile) {
    EXPECT_EQ(OpenTtFile("/nonexistent/yov/none.ttt", 0, nullptr), -1);
    EXPECT_EQ(OpenTtFile(nullptr, 0, nullptr), -1);
    // A folder would read as an empty script.
    EXPECT_EQ(OpenTtFile(std::filesystem::temp_directory_path().c_str(), 0, nullptr), -1);
    // Devices, pipes and the kernel's files are refused unread: they never end, wait for a
    // writer, or fault when read.
    const std::string pipe = (std::filesystem::path(WriteFile("x.ttt", "")).parent_path() / "pipe").string();
    std::filesystem::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const char* name : {"/dev/zero", "\\dev\\zero", "/proc/self/mem", pipe.c_str()})
        EXPECT_EQ(OpenTtFile(name, 0, nullptr), -1) << name;
    EXPECT_EQ(shared_.OpenSources, 0);
    EXPECT_EQ(PositionAt(0).result, -1);
}

TEST_F(TimetableSources, FileFoundWhateverTheCase) {
    const std::string path = WriteFile("MixedCase.TTT", "x\n");
    std::string asked = path;
    asked.replace(asked.size() - 13, 13, "mixedcase.ttt");
    ASSERT_EQ(OpenTtFile(asked.c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadAll().lines, std::vector<std::string>{"x"});
}

TEST_F(TimetableSources, NestedSourcesBetweenLines) {
    // The script asks for an include after its first line; the program opens it between
    // lines and reading goes on inside it, then back in the script.
    const std::string main = WriteFile("main.ttt", "one\n$INCLUDE x\nthree\n");
    const std::string inc = WriteFile("inc.ttt", "inc1\ninc2");
    ASSERT_EQ(OpenTtFile(main.c_str(), 1, nullptr), 0);
    EXPECT_EQ(shared_.OpenSources, 1);
    LvText buffer = LvText::Buffer(64);
    struct Seen {
        std::string text;
        int32_t value, line;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    auto next = [&] {
        int32_t value = 0, line = 0;
        const int32_t n = GetTtLine(buffer.get(), &value, &line);
        if (n >= 0) seen.push_back({A(std::u16string(buffer.get(), static_cast<size_t>(n))), value, line});
        return n;
    };
    next();
    next();
    ASSERT_EQ(OpenTtFile(inc.c_str(), 2, nullptr), 0);
    EXPECT_EQ(shared_.OpenSources, 2);
    EXPECT_EQ(PositionAt(0).name, inc);
    EXPECT_EQ(PositionAt(1).name, main);
    EXPECT_EQ(PositionAt(1).line, 3);
    while (next() >= 0) {}
    const std::vector<Seen> expected = {
        {"one", 1, 1}, {"$INCLUDE x", 1, 2}, {"inc1", 2, 1}, {"inc2", 2, 2}, {"three", 1, 3}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(shared_.OpenSources, 0);
}

TEST_F(TimetableSources, TextSourceNamedForPositions) {
    LvText text(u"{@}\n");
    ASSERT_EQ(OpenTtFile("options text", 9, text.get()), 0);
    EXPECT_EQ(ReadAll().code, -11607);
    const Position p = PositionAt(0);
    EXPECT_EQ(p.kind, 2);
    EXPECT_EQ(p.name, "options text");
    EXPECT_EQ(p.column, 2);
}

TEST_F(TimetableSources, TtFileCloseTakesMacrosAboveIt) {
    const std::string path = WriteFile("close.ttt", "%*DEF(M=ab\ncd)%M\nlast\n");
    LvText outer(u"outer\n");
    ASSERT_EQ(OpenTtFile("outer", 0, outer.get()), 0);
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    LvText buffer = LvText::Buffer(64);
    int32_t value, line;
    ASSERT_EQ(GetTtLine(buffer.get(), &value, &line), 2);  // "ab", inside the macro body
    EXPECT_EQ(PositionAt(0).kind, 3);
    EXPECT_EQ(TtFileClose(), 0);
    EXPECT_EQ(shared_.OpenSources, 1);
    EXPECT_EQ(PositionAt(0).name, "outer");
    EXPECT_EQ(ReadAll().lines, std::vector<std::string>{"outer"});
    EXPECT_EQ(TtFileClose(), -1);
}

TEST_F(TimetableSources, PositionsInsideMacros) {
    const std::string path = WriteFile("pos.ttt", "%*DEF(M(a,b)=<%b>)\nxy%M(1,{@})\n");
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadAll().code, -11607);
    const Position arg = PositionAt(0);
    EXPECT_EQ(arg.kind, 4);
    EXPECT_EQ(arg.name, "M");
    EXPECT_EQ(arg.param, 1);
    EXPECT_EQ(arg.line, 1);
    EXPECT_EQ(arg.column, 2);
    const Position body = PositionAt(1);
    EXPECT_EQ(body.kind, 3);
    EXPECT_EQ(body.name, "M");
    EXPECT_EQ(body.line, 0);
    EXPECT_EQ(body.column, 3);  // "<", "%", "b"; the ">" that ended the name went back
    const Position file = PositionAt(2);
    EXPECT_EQ(file.kind, 1);
    EXPECT_EQ(file.name, path);
    EXPECT_EQ(file.line, 2);
    EXPECT_EQ(file.column, 11);  // the ")" that closed the arguments
    EXPECT_EQ(PositionAt(3).result, -1);
    EXPECT_EQ(PositionAt(-1).result, -1);
}

TEST_F(TimetableSources, PositionNameFitsTheBuffer) {
    LvText text(u"x");
    ASSERT_EQ(OpenTtFile("a-rather-long-name", 0, text.get()), 0);
    char16_t name[5] = {u'?', u'?', u'?', u'?', u'?'};
    int32_t kind = 0, line = 0, column = 0, param = 0;
    EXPECT_EQ(GetTtPosition(0, &kind, name, 4, &line, &column, &param), 3);
    EXPECT_EQ(std::u16string(name, 3), u"a-r");
    EXPECT_EQ(name[3], 0);
    EXPECT_EQ(name[4], u'?');
    EXPECT_EQ(GetTtPosition(0, nullptr, nullptr, 0, nullptr, nullptr, nullptr), 0);
}

TEST_F(TimetableSources, InitAndFinishCloseFiles) {
    const size_t before = OpenDescriptors();
    const std::string path = WriteFile("fd.ttt", "a\nb\n");
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    EXPECT_EQ(OpenDescriptors(), before + 2);
    InitTtRead();
    EXPECT_EQ(OpenDescriptors(), before);
    ASSERT_EQ(OpenTtFile(path.c_str(), 0, nullptr), 0);
    FinishTtRead();
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(ReadAll().code, -1);
}

TEST_F(TimetableSources, LongMacroBodiesCrossChunks) {
    // A body longer than a chunk is stored as a linked stream and read back whole.
    std::string body;
    for (int i = 0; i < 50000; ++i) body += static_cast<char>('a' + i % 26);
    LvText text(U("%*DEF(LONG=" + body + ")\n%LONG;\n%LONG;\n"));
    ASSERT_EQ(OpenTtFile("long", 0, text.get()), 0);
    const ReadResult r = ReadAll(60000);
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[1], body);
    EXPECT_EQ(r.lines[2], body);
}

}  // namespace
