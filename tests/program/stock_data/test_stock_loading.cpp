// Loading a stock into the program's tables: the catalogue fixture and the demo stock field
// by field, the same tables back from binary files, the refusals of damaged files, and the
// loader's own rules (loaded once per name, growth, event pumps, cancelling).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/startup/startup_parts.h"
#include "program/stock_data/stock_key_lines.h"
#include "program/stock_data/stock_tables.h"
#include "program/ui/program_parts.h"
#include "recording_engine.h"
#include "stock_loading_fixture.h"

namespace stock_load_test {
namespace {

using StockLoading = StockLoadTest;

std::string names(const LvString (&n)[kLanguageSlots], int count) {
    std::string s;
    for (int i = 0; i <= count; ++i) s += (i ? "|" : "") + utf8(n[i]);
    return s;
}

// Every field the binary form carries, one line per record, to compare two loads.
std::vector<std::string> Snapshot() {
    const yov::ProgramState& st = yov::programState();
    const SharedState& sh = st.Shared;
    const SharedArrays& a = st.Arrays;
    const int l = sh.LanguageCount;
    std::vector<std::string> out;
    auto add = [&](std::string s) { out.push_back(std::move(s)); };
    add("counts " + std::to_string(sh.StockCount) + " " + std::to_string(sh.StockFileCount) + " " +
        std::to_string(sh.AuthorCount) + " " + std::to_string(sh.LibInfoCount) + " " +
        std::to_string(sh.CategoryCount) + " " + std::to_string(l) + " " + std::to_string(sh.LangTextCount) + " " +
        std::to_string(sh.DescKeyCount) + " " + std::to_string(sh.DescValueCount) + " " +
        std::to_string(sh.DescTextCount) + " h" + std::to_string(sh.PictureHeight) + " bg" +
        std::to_string(yov::stockState().Background));
    for (int i = 1; i <= l; ++i)
        add("lang " + utf8(a.Languages[i].Code) + " " + names(a.Languages[i].Names, l) + " " +
            utf8(a.Languages[i].LangTR));
    for (int i = 1; i <= sh.LangTextCount; ++i)
        add("text " + utf8(a.LangTexts[i].Key) + " " + names(a.LangTexts[i].Texts, l));
    for (int i = 1; i <= sh.AuthorCount; ++i) {
        const AuthorEntry& e = a.Authors[i];
        add("auth " + utf8(e.Key + u"|" + e.ShortName + u"|" + e.Name + u"|" + e.Mail + u"|" + e.HomePage + u"|" +
                           e.Description));
    }
    for (int i = 1; i <= sh.LibInfoCount; ++i) {
        const LibInfoEntry& e = a.LibInfos[i];
        add("lib " + utf8(e.Key + u"|" + e.Name + u"|" + e.Author + u"|" + e.HomePage + u"|" + e.Description));
    }
    for (int i = 1; i <= sh.CategoryCount; ++i) {
        const CategoryEntry& e = a.Categories[i];
        add("cat " + utf8(e.Key) + " " + utf8(e.Text) + " L" + std::to_string(e.Level) + " first " +
            std::to_string(e.FirstEntry) + " no " + std::to_string(e.Number) + " " + names(e.Names, l));
    }
    for (int i = 1; i <= sh.StockFileCount; ++i) {
        const StockFileEntry& e = a.StockFiles[i];
        add("file " + std::to_string(e.Kind) + " " + utf8(e.Path) + " " + utf8(e.Name) + " lib " +
            std::to_string(e.LibInfo));
    }
    for (int i = 1; i <= sh.StockCount; ++i) {
        const StockEntry& e = a.Stock[i];
        add("entry " + utf8(e.Name) + "|" + utf8(std::u16string{e.TypeLetter, e.WayLetter}) + "|" +
            std::to_string(e.UMark) + "|" + std::to_string(e.FileIndex) + "|" + utf8(e.Text2) + "|" + utf8(e.Text3) +
            "|d" + std::to_string(e.DescNumber) + "|a" + std::to_string(e.Author));
    }
    for (int i = 1; i <= sh.DescKeyCount; ++i) {
        const DescKeyEntry& e = a.DescKeys[i];
        add("key " + utf8(e.Key) + " " + names(e.Names, l) + " U" + utf8(e.Unit) + " A" + utf8(e.Abbrev) + " " +
            std::to_string(e.FirstValue) + "-" + std::to_string(e.LastValue) + " f" + std::to_string(e.Flags));
    }
    for (int i = 1; i <= sh.DescValueCount; ++i) {
        const DescValueEntry& e = a.DescValues[i];
        add("value " + utf8(e.Key) + " " + utf8(e.S) + " " + names(e.Names, l) + " A" + utf8(e.Abbrev));
    }
    for (int i = 1; i <= sh.DescTextCount; ++i) add("desc " + utf8(a.DescTexts[i]));
    return out;
}

TEST_F(StockLoading, TheCatalogueFillsEveryTable) {
    const std::string path = fixture("catalogue.stk");
    Load(path);
    const std::u16string folder = engineFolder(path);
    const std::vector<std::string> expected = {
        "counts 4 3 3 2 2 2 2 9 3 3 h64 bg" + std::to_string(0xFF0201),
        "lang EN English|English|Englisch Ours",
        "lang DE German|German|Deutsch Unsere",
        "auth AB|Abe|Abe Brown|abe@example.org|http://example.org/abe|Draws {steam; smoke}",
        "auth CD|Cid|Cid Dale|cid@example.org|http://example.org/cid|Drew wagons",
        "auth EF|Eve|Eve Fox|||",
        "lib CARLIB.DLL|Car library|AB|http://example.org/cars|Cars in one file",
        "lib BUSLIB.DLL|Bus library|CD||",
        "cat STEAM Steam engines L1 first 1 no 1 Steam|Steam|Dampf",
        "cat LIBS From libraries L2 first 3 no 2 Library||Bibliothek",
        // Names as the stock file writes them; the library's key meets its file in any case.
        "file 1 " + utf8(folder) + "/pics/br01.gif " + utf8(folder) + "/pics/br01.gif lib 0",
        "file 2 " + utf8(folder) + "/wagons/wagon.bmp " + utf8(folder) + "/wagons/wagon.bmp lib 0",
        "file 6 " + utf8(folder) + "/carlib.dll carlib.dll lib 1",
        "entry BR01|EP|0|1|Steam loco|[FLIP]|d1|a1",
        "entry WAGON|RE|0|2|Wagon||d2|a2",
        "entry CAR|GA|1|3|CAR1||d1|a3",
        "entry TRAIN|  |0|32767|BR01,WAGON||d3|a0",
        "key AUTHNICK || U A 1-0 f8",
        "key AUTHFULL || U A 1-0 f8",
        "key NAME Name||Name U A 2-0 f9",
        "key FNAME || U A 1-0 f8",
        "key MACRO || U A 1-0 f8",
        "key LENGTH || U A 1-0 f8",
        "key BASED || U A 1-1 f8",
        "key POWER Power||Leistung UkW AP 2-3 f27",
        "key YEAR Year|| U A 4-0 f26",
        "value X early Early|| A",
        "value LOW small Low||Niedrig AL",
        "value HIGH big High|| AH",
        "desc %POWER low\r%YEAR 1920\r%NAME Old one\r%%\rA fast engine.\r\n",
        "desc %POWER high\r%%\r",
        "desc ",
    };
    std::vector<std::string> got = Snapshot();
    // The text table is sorted by the first look-up: its records are checked by key below.
    got.erase(std::remove_if(got.begin(), got.end(), [](const std::string& s) { return s.rfind("text ", 0) == 0; }),
              got.end());
    EXPECT_EQ(got, expected);

    const SharedArrays& a = Arrays();
    const LangTextEntry& hello = a.LangTexts[yov::FindLangText(u"HELLO")];
    EXPECT_EQ(names(hello.Texts, 2), "Hello|Hello there|Hallo");
    EXPECT_EQ(a.LangTexts[yov::FindLangText(u"BYE")].Texts[2], u"Tsch\u00fc\u00df");
    EXPECT_EQ(a.Languages[1].LangParams, u"K=en;N=English;EN=English;DE=Englisch;TR=Ours");
    const AuthorEntry& cid = a.Authors[2];
    EXPECT_EQ(cid.X, u"extra");
    EXPECT_EQ(cid.W, u'w');
    EXPECT_EQ(cid.T, u't');
    EXPECT_EQ(cid.FLength, 4);
    EXPECT_EQ(Shared().StockAlloc, 4) << "shrunk to its count";
    EXPECT_EQ(Shared().StockFileAlloc, 3);
    EXPECT_GE(a.Categories.upperBound(), Shared().CategoryCount + 2) << "room for the browser's closing category";
    EXPECT_EQ(Shared().CurrentLanguage, 1);
    EXPECT_TRUE(yov::programState().scene.StockOk);
    EXPECT_TRUE(yov::stockState().DescriptionsPresent);
    EXPECT_FALSE(yov::stockState().BinaryStock);
    const yov::DescriptionState& ds = yov::descriptionState();
    ASSERT_EQ(ds.DescKeyPosition.size(), 10u);
    EXPECT_EQ(ds.DescKeyPosition[8], 1);
    EXPECT_EQ(ds.DescKeyPosition[9], 2);
    EXPECT_EQ(ds.DescKeyPosition[7], 0);
    EXPECT_TRUE(boxes_.empty()) << utf8(boxes_.empty() ? u"" : boxes_[0].text);
}

TEST_F(StockLoading, TheDemoStockLoads) {
    Load(std::string(YOV_DEMO_DATA) + "/demo.stk");
    const SharedArrays& a = Arrays();
    EXPECT_EQ(Shared().StockCount, 15);
    EXPECT_EQ(Shared().CategoryCount, 5);
    EXPECT_EQ(Shared().AuthorCount, 1);
    EXPECT_EQ(Shared().PictureHeight, 60);
    EXPECT_EQ(yov::stockState().Background, 166 | 202 << 8 | 234 << 16);
    EXPECT_EQ(a.Authors[1].Key, u"YOV");
    EXPECT_EQ(a.Authors[1].Description, u"Our own artwork, drawn by tools/make_demo.py");
    EXPECT_EQ(a.Stock[1].Name, u"E40");
    EXPECT_EQ(a.Stock[1].Author, 1);
    EXPECT_EQ(a.Stock[1].Text2, u"e40.gif");
    EXPECT_EQ(a.Stock[1].Text3, u"[ET:PANTO,21,0][ET:PANTO,101,0][T:A=PLATEFONT;X=34;Y=39;T=\"140 012\"]");
    EXPECT_EQ(a.Stock[1].DescNumber, 1);
    EXPECT_EQ(a.Categories[2].Key, u"UNITS");
    EXPECT_EQ(a.Categories[2].FirstEntry, 3);
    EXPECT_EQ(Shared().DescKeyCount, 12);
    EXPECT_EQ(a.DescKeys[8].Key, u"TRACTION");
    EXPECT_EQ(a.DescKeys[8].LastValue - a.DescKeys[8].FirstValue, 2);
    EXPECT_EQ(a.DescValues[1].S, u"electric");
    EXPECT_NE(yov::GetKeyedLine(a.DescTexts[1], u"POWER"), u"");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(StockLoading, BinaryFilesGiveTheSameTables) {
    Load(fixture("catalogue.stk"));
    const std::vector<std::string> text = Snapshot();
    const std::string plainHeader("StkB0", 5), zHeader("StkZ0", 5);
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        const std::string bin = folder() + "/catalogue" + std::to_string(level) + ".stb";
        ASSERT_EQ(yov::lv::SaveStockBin(4, level, bin.c_str(), yov::stockState().Background), 0);
        std::ifstream in(bin, std::ios::binary);
        std::string head(5, '\0');
        in.read(head.data(), 5);
        EXPECT_EQ(head, level == 0 ? plainHeader : zHeader);
        Load(bin);
        EXPECT_TRUE(yov::stockState().BinaryStock);
        EXPECT_TRUE(yov::programState().scene.StockOk);
        EXPECT_EQ(Snapshot(), text);
        EXPECT_EQ(Arrays().StockFiles[3].Name, u"carlib.dll");
        EXPECT_EQ(Arrays().DescKeys[0].Key, u"OTHER");
        EXPECT_EQ(yov::descriptionState().DescKeyPosition.size(), 10u);
        // Back to the text stock for the next round.
        Load(fixture("catalogue.stk"));
    }
    EXPECT_TRUE(boxes_.empty());
}

// A refused stock says why in one box, and leaves nothing behind.
struct Refusal {
    const char* name;
    const char* file;
    std::string bytes;
    const char* message;  // the start of the box's text, after the stock name is put in
};

TEST_F(StockLoading, DamagedFilesAreRefusedAndLeaveEmptyTables) {
    std::string saved;
    {
        Load(fixture("catalogue.stk"));
        const std::string bin = folder() + "/whole.stb";
        ASSERT_EQ(yov::lv::SaveStockBin(4, 0, bin.c_str(), 0), 0);
        std::ifstream in(bin, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        saved = s.str();
    }
    const Refusal cases[] = {
        {"EntryWithoutLineEnd", "cut.stk", "$IMGY 60\r\nBR01;;G;;a.gif", "Format error in %s: error -11217 in line 2"},
        {"UnknownFileKind", "kind.stk", "BR01;;Q;;a.gif\r\n", "Format error in %s: error -11214 in line 1"},
        {"UnregisteredAuthor", "auth.stk", "BR01;*ZZ;G;;a.gif\r\n", "Format error in %s: error -11212 in line 1"},
        {"HeaderNamingNoEntry", "desc.stk", "$ENDSTOCK\r\n$DESC NOSUCH\r\n",
         "Format error in %s: error -11218 in line 2"},
        {"KeyLineTooLong", "long.stk", "$TXT K=A;N=" + std::string(20000, 'x') + "\r\n",
         "Format error in %s: error -11224 in line 1"},
        {"ZlibBodyOfJunk", "junk.stb", "StkZ04" + std::string(64, '\x5a') + "StkZ04", "Stock list %s cannot be used"},
        {"TruncatedBinary", "cut.stb", saved.substr(0, saved.size() / 2), "Stock list %s cannot be used"},
        {"DamagedBinaryVersion", "version.stb", saved.substr(0, 5) + "9" + saved.substr(6),
         "Stock list %s cannot be used"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        Load(fixture("catalogue.stk"));
        boxes_.clear();
        yov::programState().run.StopRequest = 0;
        const std::string path = WriteBytes(c.file, c.bytes);
        Load(path);
        ASSERT_EQ(boxes_.size(), 1u);
        char expected[512];
        std::snprintf(expected, sizeof expected, c.message, path.c_str());
        EXPECT_EQ(utf8(boxes_[0].text), expected);
        ASSERT_FALSE(logLines().empty());
        EXPECT_EQ(logLines().back(), expected) << "the error log keeps it too";
        EXPECT_EQ(Shared().StockCount, 0);
        EXPECT_EQ(Shared().AuthorCount, 0);
        EXPECT_EQ(Shared().DescTextCount, 0);
        EXPECT_EQ(Shared().LangTextCount, 0);
        EXPECT_FALSE(yov::programState().scene.StockOk);
        EXPECT_EQ(yov::programState().run.StopRequest, 1);
    }
}

TEST_F(StockLoading, MissingFiles) {
    Load(folder() + "/none.stb");
    EXPECT_TRUE(boxes_.empty()) << "no binary stock: nothing to read";
    EXPECT_EQ(Shared().StockCount, 0);
    Load(folder() + "/none.stk");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(utf8(boxes_[0].text).find("error -11201"), std::string::npos) << utf8(boxes_[0].text);
}

TEST_F(StockLoading, NamesThatAreNoPlainFilesAreRefusedUnread) {
    // A device never ends, a pipe waits for a writer, the kernel's files fault or lie about
    // their size: each is refused at once, named as it was written, in the box and the log.
    const std::string pipe = folder() + "/pipe.stk";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& name : {std::string("/proc/self/mem"), std::string("/dev/zero"), pipe, folder()}) {
        SCOPED_TRACE(name);
        Load(fixture("catalogue.stk"));
        boxes_.clear();
        yov::programState().run.StopRequest = 0;
        Load(name);
        const std::string expected = "Stock file " + name + " is not a regular file";
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(utf8(boxes_[0].text), expected);
        ASSERT_FALSE(logLines().empty());
        EXPECT_EQ(logLines().back(), expected);
        EXPECT_EQ(Shared().StockCount, 0);
        EXPECT_FALSE(yov::programState().scene.StockOk);
        EXPECT_EQ(yov::programState().run.StopRequest, 1);
    }
}

TEST_F(StockLoading, ATextFileUnderAnotherNameIsReadAsText) {
    const std::string path = Write("plain.lst", {"$IMGY 70", "ONE;;G;;one.gif"});
    Load(path);
    EXPECT_EQ(Shared().StockCount, 1);
    EXPECT_EQ(Shared().PictureHeight, 70);
    EXPECT_FALSE(yov::stockState().BinaryStock);
    // Any letter case counts as ".STK".
    Load(Write("lower.stk", {"TWO;;G;;two.gif", "THREE;;G;;three.gif"}));
    EXPECT_EQ(Shared().StockCount, 2);
}

TEST_F(StockLoading, AStockIsLoadedOncePerName) {
    engine_test::RecordingEngine engine;
    engine.passOn = {"*"};
    const auto cacheClosed = [&engine] { return engine.callsOf("CloseCache").size(); };
    const std::string first = Write("first.stk", {"ONE;;G;;one.gif"});
    Load(first);
    Arrays().Stock[1].Text2 = u"kept";
    yov::LoadStock(0);
    EXPECT_EQ(Arrays().Stock[1].Text2, u"kept") << "a second load of the same stock does nothing";
    EXPECT_EQ(cacheClosed(), 0u);
    // A stock renamed meanwhile is read afresh, its predecessor's cache closed.
    Load(Write("second.stk", {"TWO;;G;;two.gif", "THREE;;G;;three.gif"}));
    EXPECT_EQ(Shared().StockCount, 2);
    EXPECT_EQ(Arrays().Stock[1].Name, u"TWO");
    EXPECT_EQ(cacheClosed(), 1u);
}

TEST_F(StockLoading, ALoadAskedForDuringALoadWaitsForItsEnd) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 600; ++i) lines.push_back("E" + std::to_string(i) + ";;G;;e.gif");
    const std::string path = Write("long.stk", lines);
    const std::string other = Write("other.stk", {"X;;G;;x.gif"});
    loadPumps_.onPump = [&] {
        yov::SetStockName(u16(other));
        yov::LoadStock(0);
        yov::SetStockName(u16(path));
    };
    Load(path);
    EXPECT_EQ(pumps_, 1);
    EXPECT_EQ(Shared().StockCount, 600);
    EXPECT_EQ(Arrays().Stock[600].Name, u"E600");
}

TEST_F(StockLoading, SixteenBitNumbersAreNotOverrun) {
    yov::SetStockName(u"T.STK");
    yov::InitStockSections();
    Shared().StockFileCount = yov::kMax16BitIndex;
    StockFileEntry file;
    file.Kind = 1;
    file.Path = u"\\A.GIF";
    EXPECT_EQ(yov::OnStockFile(file), 0);
    EXPECT_NE(utf8(yov::stockState().Fault), "");
    Shared().AuthorCount = yov::kMax16BitIndex;
    Shared().AuthorAlloc = 0;
    EXPECT_EQ(yov::OnStockKeyLine(u"$AUTH ZZ;Zed", 9), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(utf8(boxes_[0].text).rfind("Too many authors", 0), 0u) << utf8(boxes_[0].text);
    EXPECT_EQ(Shared().AuthorCount, yov::kMax16BitIndex);
}

TEST_F(StockLoading, TextsOnlyStopsAtTxtEnd) {
    const std::string path = Write("texts.stk", {"$TXT K=HI;N=Hi", "$TXTEND", "ONE;;G;;one.gif", "$TXT K=LATE;N=Late"});
    Load(path, -1);
    EXPECT_EQ(Shared().StockCount, 0);
    EXPECT_EQ(Shared().LangTextCount, 1);
    EXPECT_TRUE(yov::programState().scene.StockOk);
    Load(path, 0);
    EXPECT_EQ(Shared().StockCount, 1);
    EXPECT_EQ(Shared().LangTextCount, 2);
}

TEST_F(StockLoading, EntriesGrowTheTableAndPumpEvents) {
    yov::InitStockSections();
    StockEntry e;
    e.Name = u"X";
    e.DescNumber = 99;
    e.PictureRef = 5;
    EXPECT_EQ(yov::OnStockEntry(5000, e), 0);
    EXPECT_EQ(Shared().StockAlloc, 6000);
    EXPECT_EQ(Shared().StockCount, 5000);
    EXPECT_EQ(Arrays().Stock[5000].Name, u"X");
    EXPECT_EQ(Arrays().Stock[5000].DescNumber, 0) << "set by the description part only";
    EXPECT_EQ(Arrays().Stock[5000].PictureRef, 0);
    EXPECT_EQ(yov::OnStockEntry(3, e), 0);
    EXPECT_EQ(Shared().StockCount, 5000);
    EXPECT_EQ(pumps_, 0);
    EXPECT_EQ(yov::OnStockEntry(1024, e), 0);
    EXPECT_EQ(pumps_, 1);
    Shared().CancelLoad = 1;
    EXPECT_EQ(yov::OnStockEntry(1025, e), 0) << "looked at every 512th entry only";
    EXPECT_EQ(yov::OnStockEntry(1536, e), 1);

    Shared().CancelLoad = 0;
    EXPECT_EQ(yov::OnDescText(300, u"text"), 0);
    EXPECT_EQ(Shared().DescTextAlloc, 400);
    EXPECT_EQ(Shared().DescTextCount, 300);
    Shared().CancelLoad = 1;
    EXPECT_EQ(yov::OnDescText(512, u"t"), 1);
    EXPECT_EQ(pumps_, 3);
}

TEST_F(StockLoading, ACancelledLoadEmptiesTheTables) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 600; ++i) lines.push_back("E" + std::to_string(i) + ";;G;;e.gif");
    const std::string path = Write("long.stk", lines);
    loadPumps_.onPump = [this] {
        Shared().CancelLoad = 1;  // Esc in the progress window
    };
    Load(path);
    EXPECT_EQ(pumps_, 1);
    EXPECT_EQ(Shared().StockCount, 0);
    EXPECT_EQ(yov::stockState().LoadMode, yov::kLoadCancelled);
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    EXPECT_FALSE(yov::programState().scene.StockOk);
}

TEST_F(StockLoading, StockNameAndWhatItGives) {
    struct Case {
        const char16_t* path;
        const char16_t* name;
        const char16_t* dir;
        const char16_t* cache;
        const char16_t* key;
    };
    const Case cases[] = {
        // As written; the cache beside it joined with the folder's own separator.
        {u"C:\\Trains\\My.stk", u"C:\\Trains\\My.stk", u"C:\\Trains", u"C:\\Trains\\My.tca",
         u"\\Stock\\C:|Trains|My.stk\\"},
        {u"/srv/yov/Demo.stb", u"/srv/yov/Demo.stb", u"/srv/yov", u"/srv/yov/Demo.tca",
         u"\\Stock\\/srv/yov/Demo.stb\\"},
        {u"plain.stk", u"plain.stk", u"", u"plain.tca", u"\\Stock\\plain.stk\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.path));
        yov::SetStockName(c.path);
        EXPECT_EQ(yov::stockState().StockName, c.name);
        EXPECT_EQ(yov::programState().scene.StockDir, c.dir);
        EXPECT_EQ(yov::programState().scene.CacheFile, c.cache);
        EXPECT_EQ(yov::stockState().StockKey, c.key);
    }
}

TEST_F(StockLoading, StartUpReachesTheLoader) {
    yov::UseProgramParts();
    const std::string path = Write("start.stk", {"$TXT K=HI;N=Hi", "$TXTEND", "ONE;;G;;one.gif"});
    yov::startupParts().setStockName(u16(path));
    yov::startupParts().loadStock();
    EXPECT_EQ(yov::stockState().StockName, u16(path));
    EXPECT_EQ(Shared().LangTextCount, 1) << "start-up reads the texts only";
    EXPECT_EQ(Shared().StockCount, 0);
}

}  // namespace
}  // namespace stock_load_test
