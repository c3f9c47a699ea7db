// GetStockData and GetDescTxtData over record streams in memory, and LookUse over the
// stock's compositions.
#include <string>
#include <vector>

#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_format.h"
#include "stock_fixture.h"

namespace stock_test {
namespace {

using namespace lvk;

struct Stream {
    std::vector<uint8_t> bytes;
    Stream& Byte(uint8_t b) {
        bytes.push_back(b);
        return *this;
    }
    Stream& Word(uint16_t w) { return Byte(static_cast<uint8_t>(w)).Byte(static_cast<uint8_t>(w >> 8)); }
    Stream& Text(const std::string& s) {
        Word(static_cast<uint16_t>(s.size()));
        for (char c : s) Byte(static_cast<uint8_t>(c));
        return *this;
    }
    Stream& Number(int32_t v) {
        if (v >= 0 && v < 0x8000 && v != 0xF0F0) return Word(static_cast<uint16_t>(v));
        Word(0xF0F0);
        return Word(static_cast<uint16_t>(v)).Word(static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16));
    }
    Stream& Entry(const std::string& name, const char codes[3], uint16_t file, const std::string& t2,
                  const std::string& t3, int32_t desc, int32_t author) {
        Text(name).Byte(static_cast<uint8_t>(codes[0])).Byte(static_cast<uint8_t>(codes[1]));
        Byte(static_cast<uint8_t>(codes[2])).Word(file);
        return Text(t2).Text(t3).Number(desc).Number(author);
    }
    int32_t Size() const { return static_cast<int32_t>(bytes.size()); }
};

std::vector<std::string>& Seen() {
    static std::vector<std::string> seen;
    return seen;
}
int32_t& StopAt() {
    static int32_t stopAt = 0;
    return stopAt;
}
int32_t OnEntry(int32_t n, const StockEntry* e) noexcept {
    Seen().push_back(std::to_string(n) + " " + P(e->Name) + "|" + P(std::u16string{e->TypeLetter, e->WayLetter}) +
                     "|U" + std::to_string(e->UMark) + "|file " + std::to_string(e->FileIndex) + "|" + P(e->Text2) +
                     "|" + P(e->Text3) + "|desc " + std::to_string(e->DescNumber) + "|author " +
                     std::to_string(e->Author));
    return n == StopAt() ? 1 : 0;
}
int32_t OnText(int32_t n, const char16_t* text) noexcept {
    Seen().push_back(std::to_string(n) + " " + P(LvTextString(text)));
    return n == StopAt() ? 1 : 0;
}

class StockStream : public ::testing::Test {
protected:
    void SetUp() override {
        Seen().clear();
        StopAt() = 0;
    }
};

TEST_F(StockStream, EntriesFromARecordStream) {
    Stream s;
    s.Byte(0xAA);  // the stream may start anywhere in the block
    s.Entry("BR01", "EPU", 3, "text 2", "text 3", 7, 2);
    s.Entry("BIG", "  \0", 0x7FFF, "", "", 100000, 300);
    const std::vector<std::string> expected = {
        "1 BR01|EP|U85|file 3|text 2|text 3|desc 7|author 2",
        "2 BIG|  |U0|file 32767|||desc 100000|author 300",
    };
    EXPECT_EQ(GetStockData(s.bytes.data(), s.Size(), 1, 2, &OnEntry, 0), s.Size());
    EXPECT_EQ(Seen(), expected);

    // Flag 1: the file index is its second byte alone, 126 and up marking a macro.
    Seen().clear();
    Stream one;
    one.Entry("A", "  \0", 0x0500, "", "", 0, 0).Entry("B", "  \0", 0x7E00, "", "", 0, 0);
    EXPECT_EQ(GetStockData(one.bytes.data(), one.Size(), 0, 2, &OnEntry, 1), one.Size());
    ASSERT_EQ(Seen().size(), 2u);
    EXPECT_NE(Seen()[0].find("|file 5|"), std::string::npos);
    EXPECT_NE(Seen()[1].find("|file 32766|"), std::string::npos);
}

TEST_F(StockStream, StopsWhereTheProcedureOrTheBlockSays) {
    Stream s;
    s.Entry("A", "  \0", 1, "", "", 0, 0).Entry("B", "  \0", 1, "", "", 0, 0);
    StopAt() = 1;
    EXPECT_EQ(GetStockData(s.bytes.data(), s.Size(), 0, 2, &OnEntry, 0), -1);
    EXPECT_EQ(Seen().size(), 1u);
    StopAt() = 0;
    EXPECT_EQ(GetStockData(s.bytes.data(), s.Size(), 0, 0, &OnEntry, 0), 0);
    // Every cut inside a record is refused, never read past.
    for (int32_t size = 0; size < s.Size(); ++size) {
        const int32_t r = GetStockData(s.bytes.data(), size, 0, 2, &OnEntry, 0);
        EXPECT_EQ(r, kErrStkStreamCut) << size;
    }
    EXPECT_EQ(GetStockData(s.bytes.data(), s.Size(), s.Size() + 1, 1, &OnEntry, 0), kErrStkStreamCut);
    EXPECT_EQ(GetStockData(s.bytes.data(), s.Size(), -1, 1, &OnEntry, 0), kErrStkStreamCut);
    EXPECT_EQ(GetStockData(nullptr, 0, 0, 1, &OnEntry, 0), kErrStkStreamCut);
}

TEST_F(StockStream, DescriptionTexts) {
    Stream s;
    s.Text("%%\rfirst\r\n").Text("").Text(std::string(300, 'x'));
    EXPECT_EQ(GetDescTxtData(s.bytes.data(), s.Size(), 0, 3, &OnText), s.Size());
    ASSERT_EQ(Seen().size(), 3u);
    EXPECT_EQ(Seen()[0], "1 %%\\u{d}first\\u{d}\\u{a}");
    EXPECT_EQ(Seen()[1], "2 ");
    EXPECT_EQ(Seen()[2], "3 " + std::string(300, 'x'));
    StopAt() = 2;
    EXPECT_EQ(GetDescTxtData(s.bytes.data(), s.Size(), 0, 3, &OnText), -1);
    StopAt() = 0;
    EXPECT_EQ(GetDescTxtData(s.bytes.data(), s.Size() - 1, 0, 3, &OnText), kErrStkStreamCut);
}

class StockLookUse : public StockFixture {};

TEST_F(StockLookUse, FindsCompositionsNamingAVehicle) {
    struct Vehicle {
        const char* name;
        int16_t file;
        const char* text2;
        const char* text3;
    } stock[] = {
        {"A", 1, "BR01 is not a composition", ""},
        {"B", kMacroFileIndex, "!br01,WAGON", ""},
        {"C", 1, "", "[FLIP]BR01*2"},
        {"D", 1, "", "BR012,XBR01,BR01X"},
        {"E", kMacroFileIndex, "x BR01 y", ""},
        {"F", 1, "", "(BR01)"},
    };
    a_.Stock.redim(6);
    shared_.StockCount = 6;
    for (int32_t i = 1; i <= 6; ++i) {
        a_.Stock[i].Name = U(stock[i - 1].name);
        a_.Stock[i].FileIndex = stock[i - 1].file;
        a_.Stock[i].Text2 = U(stock[i - 1].text2);
        a_.Stock[i].Text3 = U(stock[i - 1].text3);
    }
    const LvString name = u"BR01";
    char16_t* text = LvTextAlloc(name);
    EXPECT_EQ(LookUse(text, 0), 2);  // letters match either case; text 2 of a macro entry
    EXPECT_EQ(LookUse(text, 2), 3);  // text 3 otherwise, between delimiters
    EXPECT_EQ(LookUse(text, 3), 6);  // not inside a longer name, blanks do not delimit
    EXPECT_EQ(LookUse(text, 6), 0);
    EXPECT_EQ(LookUse(text, -5), 2);
    LvTextFree(text);
    shared_.StockCount = 0;
    text = LvTextAlloc(name);
    EXPECT_EQ(LookUse(text, 0), 0);
    LvTextFree(text);
}

}  // namespace
}  // namespace stock_test
