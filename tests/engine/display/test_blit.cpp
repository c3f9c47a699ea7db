// DoBlt: each kind of record drawn on small pictures, pixel by pixel.
#include <gtest/gtest.h>

#include <cctype>

#include "blit_fixture.h"
#include "lumvatek/blit.h"

namespace {

using blittest::Mask;
using blittest::Op;
using blittest::Picture;

const std::vector<std::string> kSource = {"rgby", "cmbo"};
const std::vector<std::string> kMask = {"#..#", ".##."};

struct DoBltCase {
    const char* name;
    bool explicitDest;  // else DestDC 0, and the destination is the default DC
    bool back;
    bool source;
    int mask;  // 0, 1, or 2 for the mask DC
    int x, y, w, h, sx, sy;
    std::vector<std::string> expected;      // the destination, which started all "g"
    std::vector<std::string> expectedBack;  // the back mask, which started clear
};

const DoBltCase kDoBltCases[] = {
    {"copy into the given DC", true, false, true, 0, 0, 0, 4, 2, 0, 0, {"rgby", "cmbo"}, {"....", "...."}},
    {"copy into the default DC", false, false, true, 0, 0, 0, 4, 2, 0, 0, {"rgby", "cmbo"}, {"....", "...."}},
    {"copy with offsets", true, false, true, 0, 2, 0, 2, 1, 1, 1, {"ggmb", "gggg"}, {"....", "...."}},
    {"mask 1 ORs the source in", true, false, true, 1, 0, 0, 4, 2, 0, 0, {"ygcy", "cwcy"}, {"....", "...."}},
    {"mask DC clears then ORs", true, false, true, 2, 0, 0, 4, 2, 0, 0, {"rgcy", "cmby"}, {"....", "...."}},
    {"masked copy never falls back to the default DC",
     false,
     false,
     true,
     2,
     0,
     0,
     4,
     2,
     0,
     0,
     {"gggg", "gggg"},
     {"....", "...."}},
    {"OR never falls back to the default DC",
     false,
     false,
     true,
     1,
     0,
     0,
     4,
     2,
     0,
     0,
     {"gggg", "gggg"},
     {"....", "...."}},
    {"no source fills the given DC", true, false, false, 0, 1, 0, 2, 2, 0, 0, {"goog", "goog"}, {"....", "...."}},
    {"no source fills the default DC", false, false, false, 0, 0, 1, 4, 1, 0, 0, {"gggg", "oooo"}, {"....", "...."}},
    {"back DC takes the mask", true, true, true, 2, 0, 0, 4, 2, 0, 0, {"rgby", "cmbo"}, {"#..#", ".##."}},
    {"back DC turns white without a mask", true, true, true, 0, 0, 0, 4, 2, 0, 0, {"rgby", "cmbo"}, {"####", "####"}},
    {"back DC untouched with mask 1", true, true, true, 1, 0, 0, 4, 2, 0, 0, {"rgby", "cmbo"}, {"....", "...."}},
};

class DoBltTable : public ::testing::TestWithParam<DoBltCase> {};

TEST_P(DoBltTable, DrawsTheExpectedPixels) {
    const DoBltCase& c = GetParam();
    Picture source(kSource);
    Mask mask(kMask);
    Picture dest(4, 2);
    dest.Fill('g');
    Mask back(4, 2);
    const plat::HBRUSH brush = plat::CreateSolidBrush(plat::RGB(0xFF, 0x80, 0x00));
    const plat::HBRUSH oldBrush = plat::SelectObject(dest.dc, brush);

    const BlitOp op = Op(c.explicitDest ? dest.Value() : 0, c.back ? back.Value() : 0, c.x, c.y, c.w, c.h,
                         c.source ? source.Value() : 0, c.mask == 2 ? mask.Value() : c.mask, c.sx, c.sy);
    EXPECT_EQ(DoBlt(1, &op, dest.dc.id), 0);
    EXPECT_EQ(dest.Rows(), c.expected);
    EXPECT_EQ(back.Rows(), c.expectedBack);
    EXPECT_EQ(source.Rows(), kSource) << "the source is never written";

    plat::SelectObject(dest.dc, oldBrush);
    plat::DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(Records, DoBltTable, ::testing::ValuesIn(kDoBltCases), [](const auto& info) {
    std::string name;
    for (char ch : std::string(info.param.name)) name += std::isalnum(ch) ? ch : '_';
    return name;
});

TEST(DoBlt, RecordsRunInOrderAndTheResultCountsWhatWasNotDrawn) {
    Picture source(kSource);
    Picture dest(4, 2);
    dest.Fill('g');
    const BlitOp ops[] = {
        Op(0, 0, 0, 0, 4, 2, source.Value(), 0, 0, 0),  // copy everything
        Op(0, 0, 0, 0, 2, 1, source.Value(), 0, 2, 1),  // then "bo" over the first two
    };
    EXPECT_EQ(DoBlt(0, ops, dest.dc.id), 0);
    EXPECT_EQ(dest.Rows(), (std::vector<std::string>{"gggg", "gggg"})) << "count 0 draws nothing";
    EXPECT_EQ(DoBlt(2, nullptr, dest.dc.id), 2) << "no records: the count comes back";
    EXPECT_EQ(DoBlt(-3, ops, dest.dc.id), 0);
    EXPECT_EQ(dest.Rows(), (std::vector<std::string>{"gggg", "gggg"}));
    EXPECT_EQ(DoBlt(2, ops, dest.dc.id), 0);
    EXPECT_EQ(dest.Rows(), (std::vector<std::string>{"boby", "cmbo"}));
}

TEST(DoBlt, StaleDeviceContextsDrawNothingAndTheNextRecordStillRuns) {
    Picture source(kSource);
    Picture dest(4, 2);
    dest.Fill('g');
    const BlitOp ops[] = {
        Op(0x7123, 0, 0, 0, 4, 2, source.Value(), 0, 0, 0),
        Op(0, 0, 0, 0, 1, 1, 0x7456, 0x7789, 0, 0),
        Op(dest.Value(), 0, 3, 1, 1, 1, source.Value(), 0, 0, 0),
    };
    EXPECT_EQ(DoBlt(3, ops, dest.dc.id), 0);
    EXPECT_EQ(dest.Rows(), (std::vector<std::string>{"gggg", "gggr"}));
}

TEST(ExecuteBlits, CollectsTheRectanglesDrawnIntoTheDefaultDc) {
    Picture source(kSource);
    Mask mask(kMask);
    Picture screen(8, 4);
    Picture other(8, 4);
    const BlitOp ops[] = {
        Op(0, 0, 1, 1, 2, 2, source.Value(), 0, 0, 0),                          // default DC
        Op(other.Value(), 0, 0, 0, 2, 2, source.Value(), 0, 0, 0),              // elsewhere
        Op(screen.Value(), 0, 4, 0, 4, 2, source.Value(), mask.Value(), 0, 0),  // the same DC named
        Op(0, 0, 0, 3, 5, 1, 0, 0, 0, 0),                                       // a fill of the default DC
        Op(0, 0, 0, 0, 0, 4, source.Value(), 0, 0, 0),                          // empty
    };
    std::vector<LvRect> changed;
    EXPECT_EQ(lvk::ExecuteBlits(5, ops, screen.dc, &changed), 0);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_EQ((std::vector<int>{changed[0].x, changed[0].y, changed[0].width, changed[0].height}),
              (std::vector<int>{1, 1, 2, 2}));
    EXPECT_EQ((std::vector<int>{changed[1].x, changed[1].y, changed[1].width, changed[1].height}),
              (std::vector<int>{4, 0, 4, 2}));
    EXPECT_EQ((std::vector<int>{changed[2].x, changed[2].y, changed[2].width, changed[2].height}),
              (std::vector<int>{0, 3, 5, 1}));
}

}  // namespace
