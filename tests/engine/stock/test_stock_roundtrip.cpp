// A stock written by SaveStock or SaveStockBin and read back fills the arrays as before,
// awkward texts included; failed saves leave the old file and say why.
#include <signal.h>
#include <sys/resource.h>

#include <string>

#include "engine/base/memory.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_format.h"
#include "stock_fixture.h"

namespace stock_test {
namespace {

using namespace lvk;
using StockRoundTrip = StockFixture;

// The sample beside the files the tests write, so that its pictures' paths are relative
// to the folder of both.
std::string SamplePath() { return WriteFile("sample.stk", ReadFile(std::string(YOV_TEST_DATA) + "/stock/sample.stk")); }

struct BinForm {
    int32_t version;
    int32_t level;
};

// Category texts came with version 4; what an older file cannot hold is left out before
// comparing.
void DropWhatVersionLacks(SharedArrays& a, const SharedState& s, int32_t version) {
    if (version >= 4) return;
    for (int32_t i = 1; i <= s.CategoryCount; ++i) a.Categories[i].Text.clear();
}
constexpr BinForm kBinForms[] = {{4, 0}, {4, 6}, {3, 0}, {3, 9}};

TEST_F(StockRoundTrip, TextToTextKeepsEveryTable) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string before = Dump();
    const std::string path = (TempDir() / "out.stk").string();
    ASSERT_EQ(SaveText(path), 0);
    ResetTables();
    ASSERT_EQ(LoadText(path), 1) << ReadFile(path);
    EXPECT_EQ(Dump(), before) << ReadFile(path);
}

TEST_F(StockRoundTrip, VersionThreeTextKeepsAuthorsPositional) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string before = Dump(false);
    const std::string path = (TempDir() / "out3.stk").string();
    ASSERT_EQ(SaveText(path, 3), 0);
    EXPECT_NE(ReadFile(path).find("$AUTH CD;Cid;Cid Dale;cid@example.org;;\r\n"), std::string::npos);
    ResetTables();
    ASSERT_EQ(LoadText(path), 1);
    EXPECT_EQ(Dump(false), before);
}

TEST_F(StockRoundTrip, TextToBinaryKeepsEveryTable) {
    for (const BinForm& f : kBinForms) {
        SCOPED_TRACE("version " + std::to_string(f.version) + " level " + std::to_string(f.level));
        ResetTables();
        ASSERT_EQ(LoadText(SamplePath()), 1);
        DropWhatVersionLacks(a_, shared_, f.version);
        const std::string before = Dump(false);
        const std::string path = (TempDir() / "out.stb").string();
        ASSERT_EQ(SaveStockBin(f.version, f.level, path.c_str(), background_), 0);
        EXPECT_EQ(ReadFile(path).substr(0, 6), std::string(f.level == 0 ? "StkB0" : "StkZ0") + char('0' + f.version));
        ASSERT_EQ(LoadBin(path), 0);
        EXPECT_EQ(Dump(false), before);
    }
}

// Texts the formats once could not carry: U+0087 and U+0001 (read back as the start of an
// escape), characters above 255, control characters, field separators and edge blanks.
void MakeAwkward(SharedArrays& a, SharedState& s) {
    a.Stock[1].Name = u" LEAD;SEMI\u0087\u0101\u0001TRAIL ";
    a.Stock[1].Text2 = u"x;y\tz\u0087 ";
    a.Stock[1].Text3 = u"  lead and trail  \u0001";
    a.Stock[1].TypeLetter = u'\u00E9';  // code characters are bytes in the binary form
    a.Stock[1].WayLetter = u';';
    a.Stock[2].Name = u"$NOT A KEY LINE";
    a.Stock[4].Text2 = u" M;\u0087\u0001 ";
    a.Languages[1].LangTR = u"tr\u0087\u0001\r\n";
    a.Authors[1].Description = u"desc\u0087\u2014";
    a.Authors[2].X = u"x\u0001";
    a.Categories[1].Text = u"T\u0101";
    a.DescValues[1].S = u"\u0087";
    a.LangTexts[1].Texts[2] = u"\u0001\u0087\u0101";
    a.DescTexts[1] = u"%POWER low\u0087\r%%\r$dollar\r\n%percent\r\n  lead\r\nx\u0087\u0001\u0101\r\n";
    (void)s;
}

TEST_F(StockRoundTrip, AwkwardTextsComeBackAsWritten) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    MakeAwkward(a_, shared_);
    const std::string before = Dump();
    const std::string path = (TempDir() / "awkward.stk").string();
    ASSERT_EQ(SaveText(path), 0);
    ResetTables();
    ASSERT_EQ(LoadText(path), 1) << ReadFile(path);
    EXPECT_EQ(Dump(), before);

    for (const BinForm& f : kBinForms) {
        SCOPED_TRACE("version " + std::to_string(f.version) + " level " + std::to_string(f.level));
        DropWhatVersionLacks(a_, shared_, f.version);
        const std::string beforeBin = Dump(false);
        const std::string bin = (TempDir() / "awkward.stb").string();
        ASSERT_EQ(SaveStockBin(f.version, f.level, bin.c_str(), background_), 0);
        ASSERT_EQ(LoadBin(bin), 0);
        EXPECT_EQ(Dump(false), beforeBin);
    }
}

TEST_F(StockRoundTrip, VersionTwoKeepsLowBytesAndLargeNumbers) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    a_.Stock[1].DescNumber = 40000;
    a_.Stock[2].DescNumber = -7;
    a_.Stock[1].Text2 = u"\u0001x";
    const std::string path = (TempDir() / "v2.stb").string();
    ASSERT_EQ(SaveStockBin(2, 0, path.c_str(), background_), 0);
    EXPECT_NE(ReadFile(path).find(std::string("\xF0\xF0\x40\x9C\x00\x00", 6)), std::string::npos);
    ASSERT_EQ(LoadBin(path), 0);
    EXPECT_EQ(P(a_.Languages[2].Names[2]), "\\u{c}eatina");  // the low bytes only
    EXPECT_EQ(P(a_.Languages[2].LangTR), "");                // no TR before version 3
    EXPECT_EQ(P(a_.Categories[1].Key), "");                  // nor K
    EXPECT_EQ(P(a_.Categories[1].Names[1]), "Dampf");
    EXPECT_EQ(a_.Stock[1].DescNumber, 40000);
    EXPECT_EQ(a_.Stock[2].DescNumber, -7);
    EXPECT_EQ(P(a_.Stock[1].Text2), "\\u{1}x");
    EXPECT_EQ(a_.Stock[4].FileIndex, 0x7FFF);
}

TEST_F(StockRoundTrip, NumbersOfEveryLength) {
    const int32_t numbers[] = {0, 127, 128, 0x3FFF, 0x4000, 0x1FFFFF, 0x200000, 0xFFFFFFF, 0x10000000, 0x7FFFFFFF, -1};
    a_.Stock.redim(11);
    shared_.StockCount = 11;
    for (int32_t i = 1; i <= 11; ++i) {
        a_.Stock[i].Name = u"N" + U(std::to_string(i));
        a_.Stock[i].DescNumber = numbers[i - 1];
        a_.Stock[i].FileIndex = kMacroFileIndex;
    }
    for (int32_t version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const std::string path = (TempDir() / "numbers.stb").string();
        ASSERT_EQ(SaveStockBin(version, 0, path.c_str(), 0), 0);
        ASSERT_EQ(LoadBin(path), 0);
        ASSERT_EQ(shared_.StockCount, 11);
        for (int32_t i = 1; i <= 11; ++i) EXPECT_EQ(a_.Stock[i].DescNumber, numbers[i - 1]) << i;
        a_.Stock.redim(11);
        shared_.StockCount = 11;
        for (int32_t i = 1; i <= 11; ++i) a_.Stock[i].DescNumber = numbers[i - 1];
    }
}

// Paths below the stock file's folder are stored from the folder on, whether spelled as the
// folder is or in capitals with "\" as older tables hold them; the rest keeps its spelling.
TEST_F(StockRoundTrip, BinaryBytesOfASmallStock) {
    const std::string path = (TempDir() / "small.stb").string();
    std::string upper = TempDir().string();
    for (char& c : upper) c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& folder : {TempDir().string(), upper}) {
        SCOPED_TRACE(folder);
        const char separator = folder == upper ? '\\' : '/';
        shared_.DescKeyCount = 0;
        shared_.PictureHeight = 58;
        a_.StockFiles.redim(4);
        shared_.StockFileCount = 4;
        a_.StockFiles[1] = StockFileEntry{};
        a_.StockFiles[1].Kind = 1;
        a_.StockFiles[1].Path = U(folder + separator + "A.gif");
        a_.StockFiles[2].Kind = 1;
        a_.StockFiles[2].Path = U(folder);
        a_.StockFiles[3].Kind = 2;
        a_.StockFiles[3].Path = u"C:\\X.GIF";
        a_.StockFiles[4].Kind = 3;
        a_.StockFiles[4].Path = U(folder + "X\\B.GIF");  // the folder is not followed by a separator
        a_.Stock.redim(1);
        shared_.StockCount = 1;
        a_.Stock[1].Name = u"E";
        a_.Stock[1].TypeLetter = u'A';
        a_.Stock[1].WayLetter = u'B';
        a_.Stock[1].UMark = 1;
        a_.Stock[1].FileIndex = 1;
        a_.Stock[1].Text2 = u"t\u0101";
        ASSERT_EQ(SaveStockBin(4, 0, path.c_str(), 0x030201), 0);
        std::string body = std::string("\x00\x00\x3A\x01\x02\x03\x00\x00\x00", 9) + "\x04";
        body += std::string(
            "\x01\x02\x05"
            "A.gif\x00",
            9);
        body += std::string("\x01\x01\x00", 3);
        body += std::string(
            "\x02\x00\x08"
            "C:\\X.GIF\x00",
            12);
        body += std::string("\x03\x00", 2) + static_cast<char>(folder.size() + 7) + folder + "X\\B.GIF" + '\0';
        body += std::string(
            "\x01\x01"
            "EAB\x01\x01\x02t\x01\x01\x01\x00\x00\x00\x00\x00\x00",
            18);
        EXPECT_EQ(ReadFile(path), "StkB04" + body + "StkB04");
    }
}

// The file at the path keeps its old contents whatever went wrong with the new one.
TEST_F(StockRoundTrip, FailedSavesLeaveTheOldFile) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string path = (TempDir() / "keep.stk").string();
    WriteFile("keep.stk", "old");

    EXPECT_EQ(SaveText((TempDir() / "missing" / "x.stk").string()), kErrStkCreate);
    EXPECT_EQ(SaveStockBin(4, 0, (TempDir() / "missing" / "x.stb").c_str(), 0), kErrStkCreate);
    EXPECT_EQ(SaveText(TempDir().string()), kErrStkCreate);  // a folder of that name

    // A disk that fills up: the writes fail, the file stays as it was.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t text = SaveText(path);
    const int32_t bin = SaveStockBin(4, 0, path.c_str(), 0);
    const int32_t zipped = SaveStockBin(4, 9, path.c_str(), 0);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(text, kErrStkWrite);
    EXPECT_EQ(bin, kErrStkWrite);
    EXPECT_EQ(zipped, kErrStkWrite);
    EXPECT_EQ(ReadFile(path), "old");

    // An entry whose file the reader could not take back: nothing is written.
    a_.StockFiles[1].Kind = 4;
    EXPECT_EQ(SaveText(path), kErrStkEntryFile);
    a_.StockFiles[1].Kind = 1;
    a_.Stock[1].FileIndex = 99;
    EXPECT_EQ(SaveText(path), kErrStkEntryFile);
    EXPECT_EQ(ReadFile(path), "old");

    EXPECT_EQ(SaveStockBin(5, 0, path.c_str(), 0), kErrStkFormat);
    EXPECT_EQ(SaveStockBin(4, 10, path.c_str(), 0), kErrStkFormat);
    EXPECT_EQ(SaveStockBin(-1, 0, path.c_str(), 0), kErrStkFormat);
    EXPECT_EQ(ReadFile(path), "old");
}

TEST_F(StockRoundTrip, SavedFilesGetOrdinaryPermissions) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string path = (TempDir() / "perm.stb").string();
    std::filesystem::remove(path);
    ASSERT_EQ(SaveStockBin(4, 0, path.c_str(), 0), 0);
    const auto perms = std::filesystem::status(path).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_read, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    ASSERT_EQ(SaveStockBin(4, 0, path.c_str(), 0), 0);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
}

// Every buffer of a load or a save is given back, whatever the result.
TEST_F(StockRoundTrip, NothingStaysAllocated) {
    // The first load makes the stock index, which lives on until the next load or CloseDLL;
    // count from there, so the test holds when it runs alone.
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const size_t before = LiveBlockCount();
    ASSERT_EQ(LoadText(SamplePath()), 1);
    EXPECT_EQ(LoadTextBytes("A;;G;f;t\r\nB;*ZZ;G;f;t\r\n"), kErrStkAuthorUnknown);
    EXPECT_EQ(LoadTextBytes("$AUTH AB;x\r\nA;*AB;G;f;t\r\n"), 1);
    ResetTables();
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string plain = (TempDir() / "alloc.stb").string(), zipped = (TempDir() / "allocz.stb").string();
    ASSERT_EQ(SaveStockBin(4, 0, plain.c_str(), 0), 0);
    ASSERT_EQ(SaveStockBin(4, 9, zipped.c_str(), 0), 0);
    ASSERT_EQ(SaveText((TempDir() / "alloc.stk").string()), 0);
    EXPECT_EQ(LoadBin(plain), 0);
    EXPECT_EQ(LoadBin(zipped), 0);
    EXPECT_LT(LoadBin(WriteFile("cut.stb", ReadFile(zipped).substr(0, 40))), 0);
    const uint8_t stream[] = {3, 0, 'a', 'b', 'c'};
    EXPECT_EQ(GetDescTxtData(stream, 5, 0, 1, nullptr), 5);
    EXPECT_EQ(LiveBlockCount(), before);
}

TEST_F(StockRoundTrip, TextWriterKeepsTheSyntax) {
    ASSERT_EQ(LoadText(SamplePath()), 1);
    const std::string path = (TempDir() / "syntax.stk").string();
    ASSERT_EQ(SaveText(path), 0);
    const std::string text = ReadFile(path);
    for (const char* line : {
             "$LANG K=DE;N=German;DE=Deutsch;TR=\xDC"
             "bersetzung;\r\n",
             "$TXTCNT 2\r\n",
             "$IMGY 58\r\n",
             "$BACKGROUND R=10;G=20;B=30;\r\n",
             "$AUTHK K=CD;S=Cid;N=Cid Dale;E=cid@example.org;X=extra;W=w;T=t;F;\r\n",
             "$LIBK K=CARS;N=Car library;A=AB;H=http://example.org/cars;D=Cars;\r\n",
             "$TXTEND\r\n$CATCNT 2\r\n$STOCKCNT 6\r\n$CAT L=1;K=STEAM;T=Steam engines;N=Steam;DE=Dampf;\r\nBR01;EP "
             "*AB;G;",
             "BR 02;EPU;G;",
             "TRAIN;   ;M;!BR01, WAGON;x ; y\r\n",
             "LOCO3;   ;L32;C:\\OTHER\\lib.dll;Lib loco;third\r\n",
             "$ENDSTOCK\r\n\r\n$DESCKEYCNT 8\r\n",
             "$DESCKEY K=POWER;N=Power;DE=Leistung;U=kW;A=P;S=Y;L=N;\r\n$DESCVALUE K=LOW;S=1;N=Low;DE=Niedrig;A=L;\r\n",
             "$DESC BR01,LOCO3\r\n%POWER low\r\n%YEAR 1920\r\nFirst line of the story\r\n",
             "$DESC TRAIN\r\nJust text\r\n\r\n$ENDDESC\r\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace stock_test
