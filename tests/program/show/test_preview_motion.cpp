// The preview's animation ticks: the first tick's layout (rail, wire or none), the runs of
// both pictures from fully outside one edge to fully outside the other, the pauses.
#include <gtest/gtest.h>

#include <string>

#include "program/show/preview_motion.h"

namespace {

using yov::PreviewState;
using yov::PreviewStep;
using yov::PreviewTick;

struct LayoutCase {
    const char* name;
    yov::PreviewSizes sizes;
    int32_t base;
    bool wire;
};

const LayoutCase kLayouts[] = {
    {"BuiltInPicturesCarryTheWire", {152, 112, 150, 58, 180, 58}, 85, true},
    {"OnePictureTallEnoughIsEnough", {152, 112, 40, 30, 60, 56}, 85, true},
    {"LowReplacementsLeaveTheWireHidden", {152, 112, 40, 55, 60, 55}, 85, false},
    {"OddHeightRoundsTowardZero", {100, 61, 10, 10, 10, 10}, 59, false},
    {"WindowLowerThanAPicture", {100, 40, 10, 58, 10, 58}, 49, true},
};

class PreviewLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PreviewLayout, FirstTickPlacesRailAndWire) {
    const LayoutCase& c = GetParam();
    PreviewState s;
    const PreviewStep step = PreviewTick(s, c.sizes);
    EXPECT_TRUE(step.layout);
    EXPECT_EQ(step.railY, c.base);
    EXPECT_EQ(s.Base, c.base);
    EXPECT_EQ(step.wireShown, c.wire);
    EXPECT_EQ(step.wireY, c.base - 59);
    EXPECT_EQ(step.picture, 0) << "the first tick only lays out";
    EXPECT_EQ(s.Phase, 1);
    EXPECT_EQ(s.X, -c.sizes.pic1Width);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<LayoutCase>& i) { return std::string(i.param.name); });

// Ticks until the given picture is asked to move, at most limit ticks; the step that did.
PreviewStep untilMoves(PreviewState& s, const yov::PreviewSizes& sizes, int picture, int& ticks, int limit) {
    for (ticks = 1; ticks <= limit; ++ticks) {
        const PreviewStep step = PreviewTick(s, sizes);
        if (step.picture == picture) return step;
    }
    return {};
}

TEST(PreviewRuns, EachPictureCrossesWhollyWithAPauseBetween) {
    const yov::PreviewSizes sizes{100, 80, 30, 58, 20, 40};
    PreviewState s;
    PreviewTick(s, sizes);
    int ticks = 0;
    PreviewStep step = untilMoves(s, sizes, 1, ticks, 1);
    EXPECT_EQ(step.x, -29) << "the first picture enters from fully outside the left edge";
    EXPECT_EQ(step.y, s.Base - 58) << "standing on the rail";
    int lastX = step.x;
    int moves = 1;
    while (s.Phase == 1 && moves < 1000) {
        step = PreviewTick(s, sizes);
        ASSERT_EQ(step.picture, 1);
        EXPECT_EQ(step.x, lastX + 1) << "one pixel a tick";
        lastX = step.x;
        ++moves;
    }
    EXPECT_EQ(lastX, 100) << "it runs until wholly past the right edge";
    EXPECT_EQ(s.Pause, yov::kPreviewPauseTicks);

    step = untilMoves(s, sizes, 2, ticks, 1000);
    EXPECT_EQ(ticks, yov::kPreviewPauseTicks + 1) << "a second's pause, then the second picture";
    EXPECT_EQ(step.x, 99);
    EXPECT_EQ(step.y, s.Base - 40);
    while (s.Phase == 2 && moves < 2000) {
        step = PreviewTick(s, sizes);
        lastX = step.x;
        ++moves;
    }
    EXPECT_EQ(lastX, -20) << "the second leaves fully past the left edge";
    step = untilMoves(s, sizes, 1, ticks, 1000);
    EXPECT_EQ(ticks, yov::kPreviewPauseTicks + 1);
    EXPECT_EQ(step.x, -29) << "before the first starts again from outside";
}

TEST(PreviewRuns, EmptyPicturesStillEndTheirRuns) {
    // Pictures that could not be loaded have no size; the runs stay bounded by the window.
    const yov::PreviewSizes sizes{50, 80, 0, 0, 0, 0};
    PreviewState s;
    int ticks = 0;
    untilMoves(s, sizes, 2, ticks, 200);
    EXPECT_EQ(ticks, 1 + 50 + yov::kPreviewPauseTicks + 1);
}

}  // namespace
