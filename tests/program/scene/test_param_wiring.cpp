// The program's own parameter parser and table: the engine's alias lists and bracket
// search, texts by key, the error report during a show, and pixel colours read from the
// current canvas at the current part.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "frame_step_stand_ins.h"
#include "core_fixture.h"
#include "platform/raster.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/params/param_expr.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/script_place.h"
#include "program/core/params/param_table.h"
#include "program/core/pictures/picture_build_state.h"

namespace {

using core_test::CoreTest;
using core_test::utf8;

class ParamWiring : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        core_test::defaultTexts()[u"PARMA"] = u"Parenthesis matching problem";
        core_test::defaultTexts()[u"ILCC"] = u"Illegal color code %1";
        Reset();
    }
    void TearDown() override {
        yov::FreeCanvas(1);
        Reset();
        CoreTest::TearDown();
    }
    static void Reset() {
        yov::paramTable().Base = 0;
        yov::paramTable().ClearParams();
        yov::ParamParser& p = yov::paramParser();
        p.ParamText.clear();
        p.ParamPos = 1;
        yov::ClearPicturePools();
        yov::picParts().CurPart = 0;
        yov::pictureBuildState() = {};
    }
    template <class F>
    std::pair<int32_t, std::string> errorOf(F&& f) {
        try {
            f();
        } catch (const yov::ProgramError& e) {
            return {e.number(), utf8(e.description())};
        }
        return {0, ""};
    }
};

TEST_F(ParamWiring, NamedParametersByTheEnginesAliasLists) {
    // List 3 is "X,TX,TARGETX,HORIZONTAL_POSITION": the second alias matches.
    yov::paramTable().ParseParams(u"Q=1;TX=(17)");
    EXPECT_EQ(yov::paramParser().GetNamedNumber(0, u"", 3), 17);
    EXPECT_EQ(yov::paramParser().ParamSource, 2);
    EXPECT_EQ(yov::paramTable().AliasIndex, 2);
    EXPECT_EQ(yov::paramParser().GetNamedNumber(-5, u"", 4), -5) << "list 4 names Y: absent";
    EXPECT_EQ(yov::paramParser().ParamSource, 0);
    // Positional parameters first.
    yov::paramParser().ParamText = u"7, 8";
    EXPECT_EQ(yov::paramParser().GetNamedNumber(0, u"", 3), 7);
    EXPECT_EQ(yov::paramParser().GetNamedNumber(0, u"", 3), 8);
    EXPECT_EQ(yov::paramParser().GetNamedNumber(0, u"", 3), 17);
}

TEST_F(ParamWiring, ErrorsCarryTheTextsOfTheirKeys) {
    auto e = errorOf([] { yov::paramParser().EvalString(u"(a"); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Parenthesis matching problem");
    e = errorOf([] { yov::paramParser().ParseColor(u"#12", 0); });
    EXPECT_EQ(e.second, "Illegal color code #12");
    e = errorOf([] { yov::paramTable().ParseParams(u"A=1)"); });
    EXPECT_EQ(e.first, 6002);
    EXPECT_EQ(e.second, "Parenthesis matching problem: A=1)");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ParamWiring, DuringAShowAMessageIsReportedOnce) {
    yov::programState().run.RunFlags = 0x08;
    const auto e = errorOf([] { yov::paramParser().EvalString(u"(a"); });
    EXPECT_EQ(e.first, 6016) << "reported at once, raised as already reported";
    bool logged = false;
    for (const std::string& line : logLines())
        logged = logged || line.find("Parenthesis matching problem") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(ParamWiring, AMessageThatGoesOnIsABoxOnlyWhereSomeoneCanAnswerIt) {
    // An unreadable truth value is told and read as false. Behind a full-screen or
    // screen-saver show nobody could answer a box, which would hold the show for ever.
    core_test::defaultTexts()[u"BOOLIL"] = u"Illegal boolean value";
    core_test::defaultTexts()[u"IFI"] = u"in %1 line %2";
    struct Case {
        const char* name;
        uint8_t runFlags, showMode, saver;
        bool box;
    };
    const Case cases[] = {
        {"no show", 0, 0, 0, true},
        {"a windowed show", 0x1D, 0, 0, true},
        {"a full-screen show", 0x1D, 1, 0, false},
        {"the screen saver", 0x1D, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.clear();
        std::remove(logPath().c_str());
        yov::programState().log.LogStarted = 0;
        yov::programState().run.RunFlags = c.runFlags;
        yov::programState().run.ShowMode = c.showMode;
        yov::programState().road.ScreenSaverMode = c.saver;
        const yov::ScriptPlaceScope place({u"/scripts/e.ttt", 4});
        EXPECT_EQ(yov::paramParser().ParseBoolean(u"maybe"), 0);
        const std::string said = c.box ? (boxes_.empty() ? "" : utf8(boxes_[0].text)) : readFile(logPath());
        EXPECT_EQ(boxes_.size(), c.box ? 1u : 0u);
        EXPECT_NE(said.find("Illegal boolean value: maybe"), std::string::npos) << said;
        if (c.runFlags != 0) {
            EXPECT_NE(said.find("in /scripts/e.ttt line 4"), std::string::npos) << said;
        }
    }
    yov::programState().run.RunFlags = 0;
    yov::programState().run.ShowMode = 0;
    yov::programState().road.ScreenSaverMode = 0;
}

TEST_F(ParamWiring, PixelColoursOfTheCurrentPart) {
    yov::UseCanvas(1, 0, 40, 30, 0);
    const plat::HDC dc = yov::currentCanvas().pictureDc;
    plat::SetPixel(dc, 5, 13, plat::RGB(10, 20, 30));
    plat::SetPixel(dc, 5, 14, plat::RGB(1, 2, 3));

    // No current part: an illegal colour.
    EXPECT_EQ(errorOf([] { yov::paramParser().ParseColor(u"2,1", 1); }).second, "Illegal color code 2,1");

    const int32_t part = yov::AllocPicPart(0);
    yov::picParts()[part].PartY = 5;
    yov::picParts()[part].PartHeight = 10;
    yov::picParts().CurPart = part;
    yov::pictureBuildState().PartOriginX = 3;
    // Column 2 + 3, row 5 + 10 - 1 - 1: y counts up from the part's bottom row.
    EXPECT_EQ(yov::paramParser().ParseColor(u"2,1", 1), 0x1E140A);
    EXPECT_EQ(yov::paramParser().ParseColor(u"2,0", 1), 0x030201);
    // Outside the canvas: an illegal colour, not the failed read.
    EXPECT_EQ(errorOf([] { yov::paramParser().ParseColor(u"100,1", 1); }).second, "Illegal color code 100,1");
    EXPECT_EQ(errorOf([] { yov::paramParser().ParseColor(u"2,-100", 1); }).second, "Illegal color code 2,-100");
    EXPECT_EQ(errorOf([] { yov::paramParser().ParseColor(u"2147483647,0", 1); }).second,
              "Illegal color code 2147483647,0");
}

TEST_F(ParamWiring, RepeatListsTakeFrameSteps) {
    const program_test::RecordedFrameSteps steps;
    EXPECT_EQ(utf8(yov::paramParser().EvalString(u"(2*a)")), "A,A");
    ASSERT_FALSE(steps.sites.empty());
    EXPECT_EQ(steps.sites.back(), 10101);
}

}  // namespace
