// The scroll model over catalogues of every length: a short list uses the bar as it is, a long
// one is scaled onto 1..8192 with small steps still moving whole entries, and every position
// stays reachable.
#include <gtest/gtest.h>

#include "program/stock/stock_scroll.h"
#include "stock_window_fixture.h"

namespace {

using stock_window_test::FakeBar;
using yov::StockScroll;

constexpr int32_t kRows = 10;

// A model over a bar, set up as a window's refresh sets it for a catalogue of count entries.
struct Model {
    FakeBar bar;
    int redraws = 0;
    StockScroll scroll{bar, [this] { ++redraws; }};

    explicit Model(int32_t count) {
        bar.onChange = [this] { scroll.Change(); };
        scroll.StepLimit = kRows - 1;
        scroll.SetMaximum(count > kRows ? count - kRows + 1 : 1);
    }
};

struct CatalogueCase {
    const char* name;
    int32_t count;
    int32_t scrollMax;
    bool scaled;
};

const CatalogueCase kCatalogues[] = {
    {"Empty", 0, 1, false},
    {"OneEntry", 1, 1, false},
    {"ExactlyTheBar", 8192 + kRows - 1, 8192, false},
    {"OneBeyondTheBar", 8192 + kRows, 8193, true},
    {"LargestSignedWord", 32767, 32758, true},
    {"HundredThousand", 100000, 99991, true},
};

class ScrollCatalogue : public ::testing::TestWithParam<CatalogueCase> {};

TEST_P(ScrollCatalogue, MapsItsFirstAndLastPositionOntoTheBar) {
    const CatalogueCase& c = GetParam();
    Model m(c.count);
    EXPECT_EQ(m.scroll.ScrollMax, c.scrollMax);
    EXPECT_EQ(m.bar.maximum, c.scaled ? 8192 : c.scrollMax);
    m.scroll.SetValue(1);
    EXPECT_EQ(m.scroll.TopEntry, 1);
    EXPECT_EQ(m.bar.v, 1);
    m.scroll.SetValue(c.scrollMax);
    EXPECT_EQ(m.scroll.TopEntry, c.scrollMax);
    EXPECT_EQ(m.bar.v, c.scaled ? 8191 : c.scrollMax) << "the last position never reaches the bar's end when scaled";
}

TEST_P(ScrollCatalogue, EveryBarValueGivesAPositionInTheList) {
    const CatalogueCase& c = GetParam();
    Model m(c.count);
    for (const int32_t b : {1, 2, 4096, 8191, 8192}) {
        m.bar.userMoves(b);
        EXPECT_GE(m.scroll.TopEntry, 1) << b;
        EXPECT_LE(m.scroll.TopEntry, c.scrollMax) << b;
    }
    // Dragging to the bar's end shows the end of the list.
    m.scroll.SetValue(1);
    m.bar.userMoves(8192);
    EXPECT_EQ(m.scroll.TopEntry, c.scrollMax);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, ScrollCatalogue, ::testing::ValuesIn(kCatalogues),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StockScroll, ArrowStepsMoveOneEntryAndPageStepsARowLessThanTheWindow) {
    for (const CatalogueCase& c : kCatalogues) {
        if (c.scrollMax < kRows + 2) continue;  // too short to step through
        Model m(c.count);
        m.scroll.SetValue(3);
        m.bar.userMoves(m.bar.v + 1);
        EXPECT_EQ(m.scroll.TopEntry, 4) << c.name;
        m.bar.userMoves(m.bar.v + (kRows - 1));
        EXPECT_EQ(m.scroll.TopEntry, 4 + kRows - 1) << c.name;
        m.bar.userMoves(m.bar.v - 1);
        EXPECT_EQ(m.scroll.TopEntry, 3 + kRows - 1) << c.name;
    }
}

TEST(StockScroll, ABarStepBeyondTheStepLimitJumpsProportionally) {
    Model m(100000);
    m.scroll.SetValue(1);
    m.bar.userMoves(4097);
    EXPECT_EQ(m.scroll.TopEntry, StockScroll::PositionOf(4097, 99991));
    EXPECT_EQ(m.scroll.TopEntry, 49996);
}

TEST(StockScroll, APositionOnTheBarsCurrentValueStillRedraws) {
    Model m(100000);
    m.scroll.SetValue(50000);
    const int32_t shown = m.bar.v;
    m.redraws = 0;
    m.scroll.SetValue(50001);  // 12 entries share a bar value here
    EXPECT_EQ(m.bar.v, shown);
    EXPECT_EQ(m.scroll.TopEntry, 50001);
    EXPECT_EQ(m.redraws, 1);
}

TEST(StockScroll, BarValuesRoundHalvesToEven) {
    // (p - 1) × 8192 / 16384 + 1: position 2 gives 1.5 → 2, position 4 gives 2.5 → 2.
    EXPECT_EQ(StockScroll::BarValueOf(2, 16384), 2);
    EXPECT_EQ(StockScroll::BarValueOf(4, 16384), 2);
    EXPECT_EQ(StockScroll::BarValueOf(6, 16384), 4);
}

TEST(StockScroll, ANewMaximumKeepsThePositionInTheList) {
    Model m(100);
    m.scroll.SetValue(80);
    m.scroll.SetMaximum(20);
    EXPECT_EQ(m.scroll.TopEntry, 20);
    EXPECT_EQ(m.bar.v, 20);
    m.scroll.SetMaximum(0);
    EXPECT_EQ(m.scroll.TopEntry, 1);
}

TEST(StockScroll, BeforeAnyRangeOnlyThePositionIsKept) {
    FakeBar bar;
    StockScroll s(bar, [] {});
    s.SetValue(500);
    EXPECT_EQ(s.TopEntry, 500);
    EXPECT_EQ(bar.v, 1);
}

}  // namespace
