// The stock name index and the "$" macro table.
#include <gtest/gtest.h>

#include "engine/stock/attrib_keywords.h"
#include "engine/script/macros.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_index.h"
#include "expand_fixture.h"

using namespace expand_test;

namespace {

class StockIndexTest : public ExpandFixture {
protected:
    int32_t Look(const std::u16string& name) {
        LvText t(name);
        return LookStockIdx(t.get());
    }
};

TEST_F(StockIndexTest, FindsNames) {
    struct Case {
        std::u16string name;
        int32_t entry;
    };
    const Case cases[] = {
        {u"BR101", 1}, {u"br101", 1}, {u"Wagon", 2},  {u"TANK", 3}, {u"tank~x", 3}, {u"TANK~X", 3},
        {u"TANKX", 0}, {u"BR10", 0},  {u"BR1011", 0}, {u"", 0},     {u"MIXED", 4},  {std::u16string(129, u'A'), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(A(c.name));
        EXPECT_EQ(Look(c.name), c.entry);
    }
}

TEST_F(StockIndexTest, LowestEntryWinsForEqualNames) {
    std::vector<Vehicle> v(9, Vehicle{"X", u' ', 0});
    v[3].name = "AB";  // entry 4
    v[8].name = "AB";  // entry 9
    SetStock(v);
    EXPECT_EQ(Look(u"AB"), 4);
    EXPECT_EQ(GetStockSortIdx(-1), 2);  // "AB" and "X"
}

TEST_F(StockIndexTest, WholeUnitsCompared) {
    // Names that differ only above the low byte of a character are different vehicles.
    SetStock({{"x", u' ', 0}, {"x", u' ', 0}});
    stock_[1].Name = u"\u0141OK";  // Ł
    stock_[2].Name = u"AOK";       // 0x41, the low byte of Ł
    PrepareLookStock(stock_.desc(), 2);
    EXPECT_EQ(Look(u"\u0141OK"), 1);
    EXPECT_EQ(Look(u"AOK"), 2);
    EXPECT_EQ(Look(u"\u0241OK"), 0);
}

TEST_F(StockIndexTest, SortedPositions) {
    SetStock({{"C", u' ', 0}, {"A~2", u' ', 0}, {"B", u' ', 0}});
    // Keys: "A", "A\x1f" "2", "B", "C".
    ASSERT_EQ(GetStockSortIdx(-1), 4);
    const int32_t expected[] = {2, 2, 3, 1};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(GetStockSortIdx(i), expected[i]) << i;
    EXPECT_EQ(GetStockSortIdx(4), -1);
    EXPECT_EQ(GetStockSortIdx(-2), -1);
    EXPECT_EQ(Look(u"b"), 3);
    EXPECT_EQ(GetLastFoundIdx(), 2);
    EXPECT_EQ(Look(u"Q"), 0);
    EXPECT_EQ(GetLastFoundIdx(), -1);
}

TEST_F(StockIndexTest, EveryTildeOfTheWholeName) {
    SetStock({{"A~B~C", u' ', 0}});
    EXPECT_EQ(Look(u"A"), 1);
    EXPECT_EQ(Look(u"a~b~c"), 1);
}

TEST_F(StockIndexTest, EmptyAndOversizedCounts) {
    PrepareLookStock(stock_.desc(), 0);
    EXPECT_EQ(GetStockSortIdx(-1), 0);
    EXPECT_EQ(Look(u"BR101"), 0);
    PrepareLookStock(stock_.desc(), 1000);  // more than the array holds: only what is there
    EXPECT_EQ(Look(u"HAULER"), 6);
    PrepareLookStock(nullptr, 5);
    EXPECT_EQ(GetStockSortIdx(-1), 0);
}

TEST_F(StockIndexTest, LookStockRaisesForLongNames) {
    const int32_t code = lvk::RecoveryPoint(-1, [] { return lvk::LookStock(std::u16string(129, u'A')); });
    EXPECT_EQ(code, -12425);
}

TEST_F(StockIndexTest, SelectFromText) {
    LvText text(u"BR101, wagon 12BR101 UNKNOWN _X tank~x " + std::u16string(130, u'W'));
    EXPECT_EQ(SelectFromText(text.get(), 0x0004), 3);  // "BR101", "wagon", "tank" ("x" is not found)
    EXPECT_EQ(stock_[1].SelectMask, 0x0004);
    EXPECT_EQ(stock_[2].SelectMask, 0x0004);
    EXPECT_EQ(stock_[3].SelectMask, 0x0004);
    EXPECT_EQ(stock_[4].SelectMask, 0);
    LvText again(u"BR101");
    EXPECT_EQ(SelectFromText(again.get(), 0x4000), 1);
    EXPECT_EQ(stock_[1].SelectMask, 0x4004);
    EXPECT_EQ(SelectFromText(nullptr, 1), 0);
}

class MacroTableTest : public ExpandFixture {};

TEST_F(MacroTableTest, SortAndLookUpUnderBound) {
    Define("A", "first");
    Define("BB", "bb");
    Define("A", "third");
    EXPECT_EQ(shared_.MacroCount, 3);
    EXPECT_EQ(SortMac(), 3);
    struct Case {
        std::u16string name;
        int32_t bound;
        int32_t number;  // 0 = not found
    };
    const Case cases[] = {
        {u"A", 3, 1},  {u"A", 4, 3},  {u"a", 4, 3},  {u"A", 1, 1}, {u"A", 0, 0},
        {u"BB", 2, 2}, {u"BB", 3, 2}, {u"BB", 1, 0}, {u"C", 9, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(A(c.name) + " " + std::to_string(c.bound));
        const lvk::MacroDefinition* m = lvk::LookMacro(c.name, c.bound);
        EXPECT_EQ(m == nullptr ? 0 : m->number, c.number);
    }
}

TEST_F(MacroTableTest, SortedOrderAndDuplicateFlags) {
    Define("A", "1");
    Define("BB", "2");
    Define("A", "3");
    Define("A", "4");
    SortMac();
    // After sorting: A(1), A(3), A(4), BB(2); flags mark earlier and later twins.
    const lvk::MacroDefinition* a1 = lvk::LookMacro(u"A", 2);
    const lvk::MacroDefinition* a3 = lvk::LookMacro(u"A", 4);
    const lvk::MacroDefinition* a4 = lvk::LookMacro(u"A", 5);
    const lvk::MacroDefinition* bb = lvk::LookMacro(u"BB", 5);
    ASSERT_TRUE(a1 && a3 && a4 && bb);
    EXPECT_EQ(a1->number, 1);
    EXPECT_EQ(a1->flags, 2);
    EXPECT_EQ(a3->flags, 3);
    EXPECT_EQ(a4->flags, 1);
    EXPECT_EQ(bb->flags, 0);
}

TEST_F(MacroTableTest, GetMac) {
    LvText name, value;
    EXPECT_EQ(GetMac(0, name.variable(), value.variable()), -2);
    Define("ONE", "1");
    Define("TWO", "2,2");
    Define("THREE", "3");
    SortMac();
    EXPECT_EQ(GetMac(5, name.variable(), value.variable()), -1);
    EXPECT_EQ(GetMac(0, name.variable(), value.variable()), -2);
    ASSERT_EQ(GetMac(2, name.variable(), value.variable()), 0);
    EXPECT_EQ(name.str(), u"TWO");
    EXPECT_EQ(value.str(), u"2,2");
}

TEST_F(MacroTableTest, DefMacLimitsAndReaderPosition) {
    LvText longest(std::u16string(128, u'N')), tooLong(std::u16string(129, u'N')), v(u"x");
    EXPECT_EQ(DefMac(longest.get(), v.get()), 0);
    EXPECT_EQ(DefMac(tooLong.get(), v.get()), -12301);
    EXPECT_EQ(shared_.MacroCount, 1);
    // Each definition keeps the reader's caller value and line of the last GetTtLine.
    InitTtRead();
    LvText script(u"a\nb\n");
    ASSERT_EQ(OpenTtFile("s", 17, script.get()), 0);
    LvText buffer = LvText::Buffer(16);
    int32_t value, line;
    GetTtLine(buffer.get(), &value, &line);
    GetTtLine(buffer.get(), &value, &line);
    Define("M", "y");
    FinishTtRead();
    SortMac();
    const lvk::MacroDefinition* m = lvk::LookMacro(u"M", 3);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->sourceValue, 17);
    EXPECT_EQ(m->sourceLine, 2);
}

TEST_F(MacroTableTest, ManyDefinitionsGrowTheTable) {
    for (int i = 0; i < 1000; ++i) Define(("M" + std::to_string(i)).c_str(), std::to_string(i).c_str());
    EXPECT_EQ(SortMac(), 1000);
    const lvk::MacroDefinition* m = lvk::LookMacro(u"M777", 1001);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Value(), u"777");
    EXPECT_EQ(MacFree(), 0);
    EXPECT_EQ(shared_.MacroCount, 0);
    EXPECT_EQ(lvk::LookMacro(u"M777", 1001), nullptr);
}

TEST_F(MacroTableTest, LookUpWithoutSortSeesEveryDefinition) {
    Define("A", "1");
    SortMac();
    Define("B", "2");
    const lvk::MacroDefinition* m = lvk::LookMacro(u"B", 3);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->number, 2);
}

TEST_F(MacroTableTest, FindAttrib) {
    lvk::ClearAttribKeywords();
    LvText word(u"  length ");
    EXPECT_EQ(FindAttrib(word.get()), 0);
    lvk::AddAttribKeyword(u"LENGTH", 7);
    lvk::AddAttribKeyword(u"Name", 3);
    EXPECT_EQ(FindAttrib(word.get()), 7);
    LvText name(u"NAME");
    EXPECT_EQ(FindAttrib(name.get()), 3);
    LvText other(u"LENGTHS");
    EXPECT_EQ(FindAttrib(other.get()), 0);
    EXPECT_EQ(FindAttrib(nullptr), 0);
    lvk::ClearAttribKeywords();
}

}  // namespace
