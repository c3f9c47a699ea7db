// LoadStockBin: files of versions 2 to 4 encoded from the format's description, and
// damaged files, each refused with the code that names the damage and with nothing of
// it left counted in the tables.
#include <zlib.h>

#include <string>
#include <vector>

#include "engine/base/events.h"
#include "engine/stock/stock_codes.h"
#include "stock_fixture.h"

namespace stock_test {
namespace {

using namespace lvk;
using StockBin = StockFixture;

std::string DataPath(const char* name) { return std::string(YOV_TEST_DATA) + "/stock/" + name; }

// The binary reader's folder of a file: as the file is named, up to its last separator.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// A body encoder for hand-made files.
class Body {
public:
    explicit Body(int version = 4) : version_(version) {}
    Body& N(int64_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        if (version_ < 3) {
            if (v >= 0 && v < 0x8000) return Raw({static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)});
            Raw({0xF0, 0xF0});
            return Raw({static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)});
        }
        if (v >= 0 && v < 0x80) return Raw({static_cast<uint8_t>(u)});
        return Raw({0xF0, static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 8),
                    static_cast<uint8_t>(u)});
    }
    Body& T(const std::string& s) {
        N(static_cast<int64_t>(s.size()));
        bytes += s;
        return *this;
    }
    Body& Raw(std::initializer_list<uint8_t> b) {
        for (uint8_t c : b) bytes += static_cast<char>(c);
        return *this;
    }
    std::string bytes;

private:
    int version_;
};

// Languages 0, no texts, height 58, black, no authors, libraries or categories.
Body Head(int version = 4) { return std::move(Body(version).N(0).N(0).N(58).Raw({0, 0, 0}).N(0).N(0).N(0)); }
// After the stock files: one macro entry, no keys, values or descriptions.
Body& Entries(Body& b) { return b.N(1).T("E").Raw({'A', 'B', 0}).N(0x7FFF).T("x").T("").N(0).N(0).N(0).N(0).N(0); }
// No stock files, then the entries.
Body& Tail(Body& b) { return Entries(b.N(0)); }

std::string Plain(const std::string& body, int version = 4) {
    const std::string header = std::string("StkB0") + char('0' + version);
    return header + body + header;
}
std::string Zipped(const std::string& body, int version = 4) {
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(body.data()),
              static_cast<uLong>(body.size()), 9);
    z.resize(size);
    const std::string header = std::string("StkZ0") + char('0' + version);
    return header + z + header;
}

// The counts a failed load may leave: none of its own.
void ExpectNothingCounted(const SharedState& s) {
    EXPECT_EQ(s.LanguageCount, 0);
    EXPECT_EQ(s.LangTextCount, 0);
    EXPECT_EQ(s.AuthorCount, 0);
    EXPECT_EQ(s.LibInfoCount, 0);
    EXPECT_EQ(s.CategoryCount, 0);
    EXPECT_EQ(s.StockFileCount, 0);
    EXPECT_EQ(s.StockCount, 0);
    EXPECT_EQ(s.DescValueCount, 0);
    EXPECT_EQ(s.DescTextCount, 0);
    EXPECT_TRUE(s.DescKeyCount == 0 || s.DescKeyCount == 7) << s.DescKeyCount;
    EXPECT_EQ(s.PictureHeight, 58);
}

std::string Expected(int version, const std::string& folder) {
    const bool v3 = version >= 3, v4 = version >= 4;
    std::string d;
    d += "height 58 background 1971210\nlanguages 1\n DE/German/Deutsch TR=";
    d += v3 ? "\\u{dc}bersetzung\n" : "\n";
    d += "texts 1\n HELLO/Hello/Hallo\nauthors 1\n AB|Abe|";
    d += v3 ? "\\u{100}be \\u{1}Brown" : "Abe Brown";
    d += "|||\nlibraries 1\n CARS|Cars|AB||\ncategories 1\n L300 first 1 ";
    d += std::string(v3 ? "STEAM" : "") + "|" + (v4 ? "Steam engines" : "") + "/Steam/Dampf\n";
    // A rest stored with "\" keeps it after the folder's own "/".
    d += "files 3\n kind 1 " + folder + "/PICS\\A.GIF lib 0\n kind 6 " + folder + " lib 1\n";
    d += " kind 2 C:\\X\\B.BMP lib 0\n";
    d += "entries 2\n BR01|EP|U0|file 1|Steam||desc 1|author 1\n";
    d += " BIG|  |U1|file 32767|!BR01||desc 40000|author 0\n";
    d += "keys 1\n POWER/Power/Leistung U=kW A=" + std::string(v3 ? "P" : "") + " values 1-1 flags 27\n";
    d += "values 1\n LOW S=1/Low/Niedrig A=" + std::string(v3 ? "L" : "") + "\n";
    d += "descriptions 1\n %%\\u{d}A text\\u{d}\\u{a}\n";
    return d;
}

TEST_F(StockBin, ReadsFilesMadeFromTheFormat) {
    struct Case {
        const char* file;
        int version;
    } cases[] = {{"v2.stb", 2}, {"v3.stb", 3}, {"v4z.stb", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(LoadBin(DataPath(c.file)), 0);
        EXPECT_EQ(Dump(false), Expected(c.version, FolderOf(DataPath(c.file))));
    }
}

TEST_F(StockBin, StopFlagEndsAfterTheLibraries) {
    ASSERT_EQ(LoadBin(DataPath("v3.stb"), 1), 0);
    EXPECT_EQ(background_, 10 | 20 << 8 | 30 << 16);
    EXPECT_EQ(shared_.AuthorCount, 1);
    EXPECT_EQ(shared_.LibInfoCount, 1);
    EXPECT_EQ(shared_.CategoryCount, 0);
    EXPECT_EQ(shared_.StockCount, 0);
}

TEST_F(StockBin, DamageIsNamed) {
    Body valid = Head();
    Tail(valid);
    Body badForm = Head();
    badForm.N(1).Raw({1, 3}).T("x").N(0);  // one stock file of path form 3
    Entries(badForm);
    Body v2Form = Head(2);
    v2Form.N(1).Raw({1, 1}).N(5).N(0);  // form 1 carries a number that must be 0
    Body fine2 = Head(2);
    std::string zipped = Zipped(valid.bytes);
    std::string badCheck = zipped;
    badCheck[badCheck.size() - 7] ^= 0x55;  // the stream's check value
    std::string cut = Zipped(valid.bytes);
    cut = cut.substr(0, cut.size() / 2);

    struct Case {
        const char* name;
        std::string file;
        int32_t code;
    } cases[] = {
        {"valid plain", Plain(valid.bytes), 0},
        {"valid compressed", zipped, 0},
        {"compressed with a damaged trailer", zipped.substr(0, zipped.size() - 6) + "StkQ04", 0},
        {"compressed without a trailer", zipped.substr(0, zipped.size() - 6), 0},
        {"empty file", "", kErrBinShort},
        {"short but like a header", "Stk", kErrBinShort},
        {"short and no header", "hello", kErrBinHeader},
        {"other magic", "StkX04" + valid.bytes, kErrBinHeader},
        {"fifth byte not 0", "StkB14" + valid.bytes, kErrBinHeader},
        {"no version digit", "StkB0x" + valid.bytes, kErrBinHeader},
        {"version 5", "StkB05" + valid.bytes + "StkB05", kErrBinVersion},
        {"eleven languages", Plain(Body().N(11).bytes), kErrBinLanguages},
        {"a huge count", Plain(Body().N(0).Raw({0xE0, 0xFF, 0xFF, 0xFF}).bytes), kErrBinCount},
        {"a negative count", Plain(Body().N(0).N(-1).bytes), kErrBinCount},
        {"a huge text length", Plain(Body().N(0).N(1).Raw({0xE0, 0xFF, 0xFF, 0xFF}).bytes), kErrBinCount},
        {"a number starting with 0xF7", Plain(Body().N(0).Raw({0xF7, 0, 0, 0, 0}).bytes), kErrBinNumber},
        {"path form 3", Plain(badForm.bytes), kErrBinPathForm},
        {"version 2 form 1 with a number", Plain(v2Form.bytes, 2), kErrBinPathForm},
        {"damaged plain trailer", Plain(valid.bytes).substr(0, 6 + valid.bytes.size()) + "StkB03", kErrBinTrailer},
        {"plain without a trailer", "StkB04" + valid.bytes, kErrBinShort},
        {"plain with half a trailer", "StkB04" + valid.bytes + "Stk", kErrBinShort},
        {"version 2 cut inside a number", Plain(fine2.bytes + "\x01", 2).substr(0, 6 + fine2.bytes.size() + 1),
         kErrBinShort},
        {"compressed check value wrong", badCheck, kErrBinZData},
        {"compressed body longer than its fields", Zipped(valid.bytes + "more"), kErrBinBodyEnd},
        {"compressed stream cut", cut, kErrBinShort},
        {"compressed body not zlib", "StkZ04" + valid.bytes + "StkZ04", kErrBinZData},
        {"compressed count its data cannot back", Zipped(Body().N(0).N(5000).bytes), kErrBinShort},
        {"compressed count beyond any inflation", Zipped(Body().N(0).Raw({0xE0, 0xFF, 0xFF, 0xFF}).bytes),
         kErrBinCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t r = LoadBin(WriteFile("damaged.stb", c.file));
        EXPECT_EQ(r, c.code);
        if (r != 0) ExpectNothingCounted(shared_);
    }
    EXPECT_EQ(LoadBin((TempDir() / "missing.stb").string()), kErrBinOpen);
    EXPECT_EQ(LoadBin(TempDir().string()), kErrBinOpen);
}

// Every cut of a whole stock is refused, and what was read of it is not counted; a
// compressed file needs no trailer.
TEST_F(StockBin, EveryTruncationIsRefused) {
    ASSERT_EQ(LoadText(std::string(YOV_TEST_DATA) + "/stock/sample.stk"), 1);
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        const std::string whole = (TempDir() / "whole.stb").string();
        ASSERT_EQ(SaveStockBin(4, level, whole.c_str(), 0), 0);
        const std::string bytes = ReadFile(whole);
        const size_t needed = level == 0 ? bytes.size() : bytes.size() - 6;
        for (size_t n = 0; n < needed; ++n) {
            const int32_t r = LoadBin(WriteFile("cut.stb", bytes.substr(0, n)));
            ASSERT_LT(r, 0) << n;
            ExpectNothingCounted(shared_);
        }
        ASSERT_EQ(LoadBin(whole), 0);
        // Reloaded, the text load's tables are what the next level saves.
        ResetTables();
        ASSERT_EQ(LoadText(std::string(YOV_TEST_DATA) + "/stock/sample.stk"), 1);
    }
}

struct Messages {
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static int32_t OnEvent(DllEventRec* rec) {
        if (rec->Code == 206) {
            std::string s;
            for (char16_t c : LvTextString(rec->Text1)) s += static_cast<char>(c);
            Lines().push_back(s);
        }
        return 0;
    }
};

TEST_F(StockBin, PictureHeightOutsideItsRangeIsClamped) {
    SetEventCallback(&Messages::OnEvent);
    for (const auto& [height, taken] : std::vector<std::pair<int, int>>{{5, 30}, {400, 300}, {30, 30}, {300, 300}}) {
        SCOPED_TRACE(height);
        Messages::Lines().clear();
        Body b = Body().N(0).N(0).N(height).Raw({0, 0, 0}).N(0).N(0).N(0);
        Tail(b);
        ASSERT_EQ(LoadBin(WriteFile("height.stb", Plain(b.bytes))), 0);
        EXPECT_EQ(shared_.PictureHeight, taken);
        EXPECT_EQ(Messages::Lines().size(), height == taken ? 0u : 1u);
    }
    SetEventCallback(nullptr);
}

TEST_F(StockBin, TablesGrowWithTheRecordsRead) {
    // More records than the first sizing step, into a table the program left larger.
    a_.Stock.redim(5000);
    Body b = Head();
    b.N(0).N(3000);
    for (int i = 1; i <= 3000; ++i) b.T("E" + std::to_string(i)).Raw({'A', 'B', 0}).N(0x7FFF).T("x").T("").N(i).N(0);
    b.N(0).N(0).N(0);
    ASSERT_EQ(LoadStockBin(WriteFile("grow.stb", Zipped(b.bytes)).c_str(), 0, &background_), 0);
    EXPECT_EQ(shared_.StockCount, 3000);
    EXPECT_EQ(a_.Stock.upperBound(), 3000);
    EXPECT_EQ(a_.Stock[2999].DescNumber, 2999);
    EXPECT_EQ(a_.Categories.upperBound(), 2);  // room for the closing category
}

}  // namespace
}  // namespace stock_test
