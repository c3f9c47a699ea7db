// LoadStockAscii: the six procedures called in file order with the values the format
// gives, entry lines field by field, the description part, and the refusals.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/stock/stock_codes.h"
#include "stock_fixture.h"

namespace stock_test {
namespace {

using namespace lvk;
using StockText = StockFixture;

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

std::string SamplePath() { return std::string(YOV_TEST_DATA) + "/stock/sample.stk"; }

// The text reader's folder of a file: as the file is named, up to its last separator.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

TEST_F(StockText, ReadsTheSampleCallingTheProceduresInFileOrder) {
    int32_t line = 0;
    ASSERT_EQ(LoadText(SamplePath(), &line), 1);
    EXPECT_EQ(line, 44);
    const std::string folder = FolderOf(SamplePath());
    const std::vector<std::string> expected = {
        "key 2 $LANG K=DE;N=German;DE=Deutsch;TR=\\u{dc}bersetzung",
        "key 3 $LANG K=CS;N=Czech;DE=Tschechisch;CS=\\u{10c}e\\u{161}tina;TR=P\\u{159}eklad",
        "key 4 $TXTCNT 2",
        "key 5 $TXT K=HELLO;N=Hello;DE=Hallo;CS=Ahoj;",
        "key 6 $TXT K=BYE;N=Bye;",
        "key 7 $IMGY 58",
        "key 8 $BACKGROUND R=10;G=20;B=30",
        "key 9 $AUTHCNT 2",
        "key 10 $AUTH AB;Abe;Abe Brown;abe@example.org;http://example.org/abe;Draws steam",
        "key 11 $AUTHK K=CD;S=Cid;N=Cid Dale;E=cid@example.org;X=extra;W=w;T=t;F;",
        "key 12 $LIBK K=CARS;N=Car library;A=AB;H=http://example.org/cars;D=Cars",
        "key 13 $TXTEND",
        "key 14 $CATCNT 2",
        "key 15 $STOCKCNT 6",
        "key 16 $CAT L=1;K=STEAM;T=Steam engines;N=Steam;DE=Dampf;",
        "file 1 " + folder + "/pics/br01.gif -> 1",
        "entry 1 BR01|EP|0|1|1|Steam loco|[FLIP]",
        "entry 2 BR 02|EP|1|0|1|Second|",
        "file 2 " + folder + "/wagons/wagon.bmp -> 2",
        "entry 3 WAGON|ec|0|2|2|Wagon|",
        "key 21 $CAT L=2;K=MIX;T=Compositions;N=Mixed;",
        "entry 4 TRAIN|  |0|0|32767|!BR01, WAGON;x ; y|",
        "file 6 C:\\OTHER\\lib.dll -> 3",
        "entry 5 LOCO3|  |0|0|3|Lib loco|third",
        "file 9 \\signals\\s.gif -> 4",
        "entry 6 SIGNAL|  |0|0|4|Signal|",
        "key 25 $ENDSTOCK",
        "desckey 27 $DESCKEYCNT 1",
        "desckey 28 $DESCVALCNT 2",
        "desckey 29 $DESCCNT 3",
        "desckey 30 $DESCKEY K=POWER;N=Power;DE=Leistung;U=kW;A=P;S=Y;L=N;",
        "desckey 31 $DESCVALUE K=low;S=1;N=Low;DE=Niedrig;A=L",
        "desckey 32 $DESCVALUE K=high;S=2;N=High;A=H",
        "link 1 1",
        "link 5 1",
        "desc 1 %POWER low\\u{d}%YEAR 1920\\u{d}%%\\u{d}First line of the story\\u{d}\\u{a}"
        "Indented  line with trailing blanks  \\u{d}\\u{a}Escaped \\u{11f} here\\u{d}\\u{a}",
        "link 3 2",
        "desc 2 %COLOUR red\\u{d}%%\\u{d}",
        "link 4 3",
        "desc 3 %%\\u{d}Just text\\u{d}\\u{a}",
        "desckey 44 $ENDDESC",
    };
    EXPECT_EQ(log_, expected);
}

TEST_F(StockText, TheSampleFillsEveryTable) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    EXPECT_EQ(shared_.LanguageCount, 2);
    EXPECT_EQ(P(a_.Languages[2].Names[2]), "\\u{10c}e\\u{161}tina");
    EXPECT_EQ(P(a_.Languages[1].LangTR), "\\u{dc}bersetzung");
    EXPECT_EQ(P(a_.LangTexts[1].Texts[2]), "Ahoj");
    EXPECT_EQ(background_, 10 | 20 << 8 | 30 << 16);
    EXPECT_EQ(a_.Authors[2].W, u'w');
    EXPECT_EQ(a_.Authors[2].FLength, 1);
    EXPECT_EQ(a_.Categories[2].FirstEntry, 4);
    EXPECT_EQ(a_.Stock[5].DescNumber, 1);
    EXPECT_EQ(a_.DescKeys[8].Flags, 0x18 | 1);
    EXPECT_EQ(a_.DescKeys[8].LastValue, 2);
}

// Entry lines after an author "AB" is registered; the log line of the entry, or the code.
struct EntryCase {
    const char* name;
    std::string line;
    std::string entry;
    int32_t code = 1;
};

TEST_F(StockText, EntryLinesFieldByField) {
    const EntryCase cases[] = {
        {"two codes then ; as the U position shift the fields", "A;EP;junk;G;f.gif;t2", "A|EP|0|0|1|t2|"},
        {"U mark", "A;EPU;G;f.gif;t2", "A|EP|1|0|1|t2|"},
        {"U position is consumed whatever it is", "A;EP*AB;G;f;t", "A|EP|0|0|1|t|"},
        {"author after the U position", "A;EP *AB;G;f;t", "A|EP|0|1|1|t|"},
        {"author alone, letters upper-cased", "A;*ab;G;f;t", "A|  |0|1|1|t|"},
        {"empty code field, kind G and one more field", "A;;G;f.gif;t2", "A|  |0|0|1|t2|"},
        {"one code character", "A;E;G;f;t", "A|E |0|0|1|t|"},
        {"kind M takes the rest of the line", "A;;M;  x;y ; z  ", "A|  |0|0|32767|x;y ; z|"},
        {"blanks inside a name kept, at its ends dropped", "  a  b  ;;G;f;t", "A  B|  |0|0|1|t|"},
        {"text 3 keeps its semicolons", "A;;G;f;t2; t3;more ", "A|  |0|0|1|t2|t3;more"},
        {"kind letters in lower case", "A;;l32;f;t", "A|  |0|0|1|t|"},
        {"a raw 0x87 in an entry stands for itself", "A\x87Z;;G;f;t\x87", "A\\u{87}Z|  |0|0|1|t\\u{87}|"},
        {"an escape with four hex digits is decoded",
         "A\x87"
         "0101;;G;f;t\x87"
         "0009x",
         "A\\u{101}|  |0|0|1|t\\u{9}x|"},
        {"name with a tab", "A\tB;;G;f;t", "", kErrStkNameControl},
        {"name without its semicolon", "ABC", "", kErrStkNameControl},
        {"a control character starts the line",
         "\x01"
         "A;;G;f;t",
         "", kErrStkNameControl},
        {"code field cut by the line end", "A;E", "", kErrStkCodeField},
        {"U position cut by the line end", "A;EP", "", kErrStkCodeField},
        {"author of five characters", "A;*ABCDE;G;f;t", "", kErrStkAuthorLong},
        {"author not followed by a semicolon", "A;*AB x;G;f;t", "", kErrStkAuthorEnd},
        {"author not registered", "A;*ZZ;G;f;t", "", kErrStkAuthorUnknown},
        {"kind of five characters", "A;;ABCDE;f;t", "", kErrStkKindLong},
        {"unknown kind", "A;;Q;f;t", "", kErrStkKindUnknown},
        {"no kind at all", "A;;;f;t", "", kErrStkKindUnknown},
        {"kind not followed by a semicolon", "A;;G x;f;t", "", kErrStkKindEnd},
        {"file name not followed by a semicolon", "A;;G;f", "", kErrStkFileEnd},
        {"a tab inside text 2", "A;;G;f;t\tx", "", kErrStkLineEnd},
        {"a tab inside text 3", "A;;G;f;t;u\tx", "", kErrStkLineEnd},
        {"name of 1,024 characters", std::string(1024, 'N') + ";;G;f;t", "", kErrStkNameLong},
        {"text 2 of 1,024 characters", "A;;G;f;" + std::string(1024, 'x'), "", kErrStkFieldLong},
        {"file name of 1,024 characters", "A;;G;" + std::string(1024, 'f') + ";t", "", kErrStkFieldLong},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTables();
        int32_t line = 0;
        const int32_t r = LoadTextBytes("$AUTH AB;Abe\r\n" + c.line + "\r\n", &line);
        EXPECT_EQ(r, c.code);
        if (c.code == 1) {
            ASSERT_FALSE(log_.empty());
            EXPECT_EQ(log_.back(), "entry 1 " + c.entry);
        } else {
            EXPECT_EQ(line, 2);
        }
    }
}

TEST_F(StockText, LongestNamesAndFieldsAreTaken) {
    const std::string name(1023, 'N'), text(1023, 't');
    ASSERT_EQ(LoadTextBytes(name + ";;G;f;" + text + ";" + text + "\r\n"), 1);
    EXPECT_EQ(a_.Stock[1].Name.size(), 1023u);
    EXPECT_EQ(a_.Stock[1].Text3.size(), 1023u);
}

TEST_F(StockText, PathFormsOfFileFields) {
    const std::string text =
        "A;;G;sub/a.gif;t\r\n"
        "B;;G;\\rooted\\b.gif;t\r\n"
        "C;;G;C:\\elsewhere\\c.gif;t\r\n"
        "D;;G;sub\\A.GIF;t\r\n"
        "E;;B;sub\\A.GIF;t\r\n";
    const std::string path = WriteFile("forms.stk", text);
    const std::string folder = FolderOf(path);
    ASSERT_EQ(LoadText(path), 1);
    // Names as written, joined to the folder with "/"; "sub\A.GIF" of D is the record of A's
    // "sub/a.gif" (one file in any letter case and separator, as upper-cased names were).
    const std::vector<std::string> files = {
        "file 1 " + folder + "/sub/a.gif -> 1",
        "file 1 \\rooted\\b.gif -> 2",
        "file 1 C:\\elsewhere\\c.gif -> 3",
        "file 2 " + folder + "/sub\\A.GIF -> 4",
    };
    std::vector<std::string> seen;
    for (const std::string& l : log_)
        if (l.rfind("file ", 0) == 0) seen.push_back(l);
    EXPECT_EQ(seen, files);
    EXPECT_EQ(a_.Stock[4].FileIndex, 1);  // the same kind, form and name: the same record
}

TEST_F(StockText, DriveNamesBelowTheStockFolderAreRelative) {
    // A stock file named with a drive, as the program names it on Windows: the drive is
    // dropped when the file is opened, but its folder is what the entries' names meet.
    std::filesystem::create_directories(TempDir() / "STOCK");
    std::ofstream(TempDir() / "STOCK" / "drive.stk", std::ios::binary)
        << "A;;G;Q:\\STOCK\\pics\\a.gif;t\r\nB;;G;Q:\\STOCK;t\r\nC;;G;Q:\\STOCKS\\c.gif;t\r\n";
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(TempDir());
    const int32_t r = LoadText("Q:\\STOCK\\drive.stk");
    std::filesystem::current_path(cwd);
    ASSERT_EQ(r, 1);
    std::vector<std::string> files;
    for (const std::string& l : log_)
        if (l.rfind("file ", 0) == 0) files.push_back(l);
    const std::vector<std::string> expected = {
        "file 1 Q:\\STOCK\\pics\\a.gif -> 1",
        "file 1 Q:\\STOCK -> 2",
        "file 1 Q:\\STOCKS\\c.gif -> 3",
    };
    EXPECT_EQ(files, expected);
}

TEST_F(StockText, DescriptionPart) {
    const std::string stock = "A;;G;f;t\r\nB;;G;f;t\r\n$ENDSTOCK\r\n";
    struct Case {
        const char* name;
        std::string desc;
        std::vector<std::string> tail;  // the log after "$ENDSTOCK"
        int32_t code = 1;
        int32_t line = 0;
    } cases[] = {
        {"only attribute lines", "$DESC A\r\n%k v\r\n", {"link 1 1", "desc 1 %K v\\u{d}%%\\u{d}"}},
        {"no lines at all", "$DESC A\r\n", {"link 1 1", "desc 1 %%\\u{d}"}},
        {"several names, blanks after a comma",
         "$DESC a,  B\r\nx\r\n",
         {"link 1 1", "link 2 1", "desc 1 %%\\u{d}x\\u{d}\\u{a}"}},
        {"blank lines dropped, trailing blanks kept",
         "$DESC A\r\n\r\n  x  \r\n   \r\n",
         {"link 1 1", "desc 1 %%\\u{d}x  \\u{d}\\u{a}"}},
        {"percent word upper-cased, one blank",
         "$DESC A\r\n%kEy\tv  w\r\n",
         {"link 1 1", "desc 1 %KEY v  w\\u{d}%%\\u{d}"}},
        {"$DESC without a blank goes to the key lines", "$DESCX\r\n$DESC\r\n", {"desckey 4 $DESCX", "desckey 5 $DESC"}},
        {"a key line closes the description",
         "$DESC A\r\nx\r\n$K\r\n",
         {"link 1 1", "desc 1 %%\\u{d}x\\u{d}\\u{a}", "desckey 6 $K"}},
        {"ENDDESC ends the load at once", "$ENDDESC\r\nnot read\r\n", {"desckey 4 $ENDDESC"}},
        {"the last line without a line end", "$DESC A\r\nlast", {"link 1 1", "desc 1 %%\\u{d}last\\u{d}\\u{a}"}},
        {"unknown name", "$DESC Z\r\n", {}, kErrStkDescName, 4},
        {"empty name", "$DESC \r\n", {}, kErrStkDescName, 4},
        {"two names without a comma", "$DESC A B\r\n", {}, kErrStkDescSyntax, 4},
        {"name over 128 characters", "$DESC " + std::string(129, 'A') + "\r\n", {}, kErrStkNameTooLong, 4},
        {"percent line after a text line", "$DESC A\r\nx\r\n%k v\r\n", {}, kErrStkPercentLine, 6},
        {"percent line outside a description", "%k v\r\n", {}, kErrStkPercentLine, 4},
        {"text line outside a description", "text\r\n", {}, kErrStkTextLine, 4},
        {"text line after a key line", "$DESC A\r\n$K\r\ntext\r\n", {}, kErrStkTextLine, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTables();
        int32_t line = 0;
        EXPECT_EQ(LoadTextBytes(stock + c.desc, &line), c.code);
        if (c.code != 1) {
            EXPECT_EQ(line, c.line);
            continue;
        }
        const auto end = std::find(log_.begin(), log_.end(), "key 3 $ENDSTOCK");
        ASSERT_NE(end, log_.end());
        EXPECT_EQ(std::vector<std::string>(end + 1, log_.end()), c.tail);
    }
}

// Older files hold raw 0x87 bytes where the reader once took bytes as they are: entry
// names, "$DESC" names and the key of a "%" line keep them; escaped, they are decoded.
TEST_F(StockText, RawEscapeBytesInNamesStayReadable) {
    const std::string text =
        "A\x87Z;;G;f;t\r\nB\x87"
        "0101;;G;f;t\r\n$ENDSTOCK\r\n"
        "$DESC A\x87Z,B\x87"
        "0101\r\n%k\x87y v\r\n";
    ASSERT_EQ(LoadTextBytes(text), 1);
    const std::vector<std::string> tail = {"link 1 1", "link 2 1", "desc 1 %K\\u{87}Y v\\u{d}%%\\u{d}"};
    EXPECT_EQ(std::vector<std::string>(log_.end() - 3, log_.end()), tail);
}

TEST_F(StockText, EscapesInKeyLines) {
    struct Case {
        const char* name;
        std::string line;
        std::string seen;
        int32_t code = 1;
    } cases[] = {
        {"upper and lower hex digits",
         "$T \x87"
         "00e9\x87"
         "20AC",
         "key 1 $T \\u{e9}\\u{20ac}"},
        {"U+0087 itself",
         "$T \x87"
         "0087",
         "key 1 $T \\u{87}"},
        {"a bad digit",
         "$T \x87"
         "00G9",
         "", kErrStkEscape},
        {"cut by the line end",
         "$T \x87"
         "00\r\n",
         "", kErrStkEscape},
        {"cut by the end of the data",
         "$T \x87"
         "0",
         "", kErrStkEscape},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTables();
        EXPECT_EQ(LoadTextBytes(c.line), c.code);
        if (c.code == 1) {
            ASSERT_EQ(log_.size(), 1u);
            EXPECT_EQ(log_[0], c.seen);
        }
    }
}

TEST_F(StockText, EndsOfTheData) {
    struct Case {
        const char* name;
        std::string text;
        int32_t code;
        int32_t line;
        size_t calls;
    } cases[] = {
        {"empty file", "", 1, 1, 0},
        {"last line a key line without a line end", "$A\r\n$B", 1, 2, 2},
        {"last line a comment without a line end", "$A\r\n# c", 1, 2, 1},
        // The file record is made before the line is found unfinished.
        {"last entry line without a line end", "A;;G;f;t", kErrStkLineEnd, 1, 1},
        {"a NUL ends the data", std::string("$A\r\n$B\0$C\r\n$D\r\n", 15), 1, 2, 2},
        {"an entry line ended by a NUL", std::string("A;;G;f;t\0\r\n", 11), kErrStkLineEnd, 1, 1},
        {"a line end after the last line", "$A\r\n", 1, 2, 1},
        {"the stock part ends with the data", "A;;G;f;t\r\n$ENDSTOCK", 1, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTables();
        int32_t line = 0;
        EXPECT_EQ(LoadTextBytes(c.text, &line), c.code);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(log_.size(), c.calls);
    }
}

TEST_F(StockText, LinesAcrossReadBlocks) {
    // Entries whose lines fall across the 128 KiB read steps, in a file that is an exact
    // multiple of the step.
    std::string text;
    int entries = 0;
    const size_t target = 2 * 128 * 1024;
    while (text.size() < target - 300) {
        ++entries;
        text += "E" + std::to_string(entries) + ";;G;pics/e.gif;" +
                std::string(static_cast<size_t>(entries % 97), 'x') + "\r\n";
    }
    std::string last = "LAST;;G;f;";
    last += std::string(target - text.size() - last.size() - 2, 'y') + "\r\n";
    text += last;
    ++entries;
    ASSERT_EQ(text.size(), target);
    int32_t line = 0;
    ASSERT_EQ(LoadTextBytes(text, &line), 1);
    EXPECT_EQ(shared_.StockCount, entries);
    EXPECT_EQ(line, entries + 1);
    EXPECT_EQ(P(a_.Stock[entries].Name), "LAST");
    EXPECT_EQ(P(a_.Stock[entries - 1].Text2), std::string(static_cast<size_t>((entries - 1) % 97), 'x'));
}

TEST_F(StockText, OverlongLinesAreRefused) {
    struct Case {
        const char* name;
        std::string text;
        int32_t code;
    } cases[] = {
        {"a line longer than the read block", std::string(200000, ' ') + "A;;G;f;t\r\n", kErrStkLineLong},
        {"a key line over 16,385 characters", "$" + std::string(16385, 'k') + "\r\n", kErrStkTextLong},
        {"a description over 16,385 characters",
         "A;;G;f;t\r\n$ENDSTOCK\r\n$DESC A\r\n" + Repeat(std::string(1000, 'd') + "\r\n", 20), kErrStkTextLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTables();
        EXPECT_EQ(LoadTextBytes(c.text), c.code);
    }
    ResetTables();
    EXPECT_EQ(LoadTextBytes("$" + std::string(16384, 'k') + "\r\n"), 1);
    EXPECT_EQ(LoadTextBytes(std::string(100000, ' ') + "A;;G;f;t\r\n"), 1);
}

TEST_F(StockText, WhatTheProceduresAnswer) {
    const std::string text = "$TXTEND\r\nA;;G;f;t\r\nB;;G;f;t\r\n$ENDSTOCK\r\n$DESC A\r\nx\r\n$DESC B\r\ny\r\n";
    textsOnly_ = true;
    EXPECT_EQ(LoadTextBytes(text), 1);
    EXPECT_EQ(shared_.StockCount, 0);
    textsOnly_ = false;

    ResetTables();
    stopAtEntry_ = 1;
    int32_t line = 0;
    EXPECT_EQ(LoadTextBytes(text, &line), -1);
    EXPECT_EQ(line, 2);
    stopAtEntry_ = -1;

    ResetTables();
    stopAtDesc_ = 1;
    EXPECT_EQ(LoadTextBytes(text), -1);
    ResetTables();
    stopAtDesc_ = 2;  // the last description's answer is not heard
    EXPECT_EQ(LoadTextBytes(text), 1);
    stopAtDesc_ = -1;

    ResetTables();
    int32_t untouched = -99;
    // Without procedures nothing answers "$ENDSTOCK", so the rest reads as the stock part.
    EXPECT_EQ(LoadStockAscii(WriteFile("null.stk", "$X\r\nA;;G;f;t\r\n").c_str(), nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, &untouched),
              1);
}

TEST_F(StockText, FailuresToStart) {
    int32_t line = -99;
    EXPECT_EQ(LoadText("/nonexistent/stock.stk", &line), kErrStkOpen);
    EXPECT_EQ(line, -99);
    EXPECT_EQ(LoadText(TempDir().string(), &line), kErrStkOpen);
    for (const char* unread : {"/dev/zero", "/proc/self/mem"})
        EXPECT_EQ(LoadText(unread, &line), kErrStkOpen) << unread;
    // One load at a time: a procedure that starts another one is refused.
    EXPECT_EQ(LoadTextBytes("$NEST\r\n"), 1);
    EXPECT_EQ(nestedResult_, kErrStkWorkBlock);
}

TEST_F(StockText, AuthorsRegisteredDuringTheLoad) {
    EXPECT_EQ(LSetAuth("AB", 1), -1);  // no load runs
    // The first of two authors with one code is found; of a longer code the last four count.
    const std::string text =
        "$AUTH AB;first\r\nA;*AB;G;f;t\r\n$AUTH AB;second\r\n$AUTH ABCDEF;long\r\n"
        "B;*AB;G;f;t\r\nC;*CDEF;G;f;t\r\n";
    ASSERT_EQ(LoadTextBytes(text), 1);
    EXPECT_EQ(a_.Stock[1].Author, 1);
    EXPECT_EQ(a_.Stock[2].Author, 1);
    EXPECT_EQ(a_.Stock[3].Author, 3);
}

}  // namespace
}  // namespace stock_test
