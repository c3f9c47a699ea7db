// Falling snow: the band a start takes, the clamps of its script values, the thickening and
// thinning, the ring advancing by whole rows and the countdown that switches it off.
#include <gtest/gtest.h>

#include <string>

#include "program/show/snow.h"

namespace {

using namespace yov;

TrainRec Line() {
    TrainRec t;
    t.AboveBase = 120;
    t.BelowBase = 20;
    return t;
}

TEST(Snow, StartTakesItsBandAndValues) {
    struct Case {
        std::u16string_view params;
        bool on;
        int32_t base, height, speed, segment;
        float level;
    };
    const Case cases[] = {
        {u"", true, -20, 140, 60, 200, 0},
        {u"B=20;TOP=120;S=0", true, 20, 100, 60, 200, 0.05f},
        {u"H=500;S=0;I=90", true, -20, 140, 60, 200, 0.5f},
        {u"B=100;H=60;S=0;I=0", true, 60, 60, 60, 200, 0.001f},
        {u"H=0", false, 0, 0, 0, 0, 0},
        {u"V=0;AX=-5;S=0", true, -20, 140, 1, 1, 0.05f},
    };
    for (const Case& c : cases) {
        TrainRec t = Line();
        StartSnow(t, c.params);
        const std::string name(c.params.begin(), c.params.end());
        EXPECT_EQ((t.Flags & train_flag::kFallingSnow) != 0, c.on) << name;
        if (!c.on) continue;
        EXPECT_EQ(t.SnowBase, c.base) << name;
        EXPECT_EQ(t.SnowHeight, c.height) << name;
        EXPECT_EQ(t.SnowSpeed, c.speed) << name;
        EXPECT_EQ(t.SnowSegment, c.segment) << name;
        EXPECT_FLOAT_EQ(t.SnowLevel, c.level) << name;
    }
}

TEST(Snow, ThickensOverItsStartTime) {
    TrainRec t = Line();
    StartSnow(t, u"S=10;I=10");
    for (int i = 0; i < 250; ++i) AdvanceSnow(t, 20);  // 5 s
    EXPECT_NEAR(t.SnowLevel, 0.05f, 1e-4);
    for (int i = 0; i < 300; ++i) AdvanceSnow(t, 20);
    EXPECT_FLOAT_EQ(t.SnowLevel, 0.1f);
    EXPECT_EQ(t.SnowRate, 0);
}

TEST(Snow, RowsComeEveryThirdStepAtSixtyMilliseconds) {
    TrainRec t = Line();
    StartSnow(t, u"S=0");
    int32_t rows = 0;
    for (int i = 0; i < 9; ++i) rows += AdvanceSnow(t, 20);
    EXPECT_EQ(rows, 2);  // 180 ms: a row once more than 60 ms have gathered
    EXPECT_EQ(t.SnowRow, 2);
}

TEST(Snow, EndingEmptiesTheBandThenSwitchesOff) {
    for (std::u16string_view params : {u"T=0", u"T=4"}) {
        TrainRec t = Line();
        StartSnow(t, u"S=0;H=10;B=0");
        EndSnow(t, params);
        int steps = 0;
        while ((t.Flags & train_flag::kFallingSnow) != 0 && steps < 100000) {
            AdvanceSnow(t, 20);
            ++steps;
        }
        EXPECT_LT(steps, 100000) << std::string(params.begin(), params.end());
        // With T 0 no new flakes come at once; either way the band has emptied.
        EXPECT_EQ(t.SnowLevel, 0.0f);
    }
}

}  // namespace
