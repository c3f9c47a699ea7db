// The layers of a line's area from a script's text, on the screen: a background element
// placed over a range whose ends are named positions, offsets and direction-relative
// percentages, as the line readers read them; the waypoints of a line, a path and a
// section's lines, whose actions run where the train passes them; a lamp inside a
// background strip, which flashes once the line's start action turns it on; a wire below
// its lowest height, logged with the line that asks for it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"
#include "script_show_fixture.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kYellow = 0x00FFFF;

// The first train record seen with its picture, and whether the picture keeps clear of
// columns [from, to) of its line.
struct FirstTrain {
    int32_t train = 0;
    // Its picture is on the screen, and so its area.
    bool painted() const {
        const yov::TrainRec& r = yov::trains().at(train);
        return r.MemberCount > 0 && yov::trainPictures()[r.Members[1]].PaintedX[0] != yov::kNeverPainted;
    }
    bool clearOf(int32_t from, int32_t to) const {
        const yov::TrainRec& r = yov::trains().at(train);
        for (int m = 1; m <= r.MemberCount; ++m) {
            const yov::TrainPicture& p = yov::trainPictures()[r.Members[static_cast<size_t>(m)]];
            if (p.X < to && p.X + p.Width > from) return false;
        }
        return true;
    }
};

TEST(RoadLayers, RangeEndsAreNamedPositionsOffsetsAndPercentagesOfTheWayTheTrainRuns) {
    if (road::RunInChild()) return;
    const std::string red = road::PictureName(road::WriteSolidBmp("red.bmp", 20, 30, kRed));
    const std::string blue = road::PictureName(road::WriteSolidBmp("blue.bmp", 16, 30, kBlue));
    // "10=A" centres the red strip at 10 % and names that place A; the blue range runs from
    // 20 pixels right of A to 30 % of the line counted from the end the train runs to.
    struct Case {
        const char* direction;
        int32_t blueFrom, blueTo;  // on a line 800 wide
    };
    const std::vector<Case> cases = {{"R", 100, 240}, {"L", 100, 560}};
    std::string script = road::DemoHead(5);
    for (const Case& c : cases) {
        script +=
            "M=SIMPLE;C=E40;V=8;D=" + std::string(c.direction) + ";BG=(" + red + ":10=A;" + blue + ":A+20..@+30)\n";
    }
    road::WriteFile("ranges.ttt", script);
    std::vector<bool> seen(cases.size(), false);
    const road::Run run = road::RunScript("ranges.ttt", 400, [&](const road::Frame& f) {
        for (int32_t t : road::TrainsWithPictures()) {
            const yov::TrainRec& r = yov::trains().at(t);
            const std::string line = road::LineText(t);
            for (size_t i = 0; i < cases.size(); ++i) {
                const Case& c = cases[i];
                if (seen[i] || line.find("D=" + std::string(c.direction) + ";") == std::string::npos) continue;
                ASSERT_EQ(r.Width, 800);
                if (!FirstTrain{t}.painted() || !FirstTrain{t}.clearOf(60, 570)) continue;
                seen[i] = true;
                SCOPED_TRACE(line);
                const auto at = [&](int32_t x) { return f.Pixel(r.OriginX + x, r.OriginY - 10); };
                EXPECT_EQ(at(72), kRed);
                EXPECT_EQ(at(88), kRed);
                EXPECT_NE(at(c.blueFrom - 1), kBlue) << "the range starts at A + 20";
                for (int32_t x = c.blueFrom; x < c.blueTo; x += 7) ASSERT_EQ(at(x), kBlue) << x;
                EXPECT_EQ(at(c.blueTo - 1), kBlue);
                EXPECT_NE(at(c.blueTo), kBlue) << "and ends at 30 % from the end the train runs to";
            }
        }
    });
    EXPECT_EQ(run.log, "");
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_TRUE(seen[i]) << cases[i].direction;
}

// Where the waypoints are given: on a plain line, on a path's header, on a section's line
// block, whose lines are painted when the section lays them out.
struct PointCase {
    const char* name;
    const char* script;
};
void PrintTo(const PointCase& c, std::ostream* os) { *os << c.name; }

const PointCase kPointCases[] = {
    {"Line", "M=SIMPLE;C=E40;V=8;D=R;WP=(HALF=50,B:[SNOW])\n"},
    {"PathHeader", "$SCENE\n$PATH Y=60;D=R;WP=(HALF=50,B:[SNOW])\nM=SIMPLE;C=E40;V=8\n$ENDPATH\n$ENDSCENE\n"},
    {"SectionLines",
     "$SECTION Y=0;N=2;AB=10;VH=60;BL=10;MS=20\n"
     "$LINE WP=(HALF=50,B:[SNOW])\nM=SIMPLE;C=E40;V=8;D=R\n$ENDLINE\n$ENDSECTION\n"},
};

class RoadWaypoints : public ::testing::TestWithParam<PointCase> {};

TEST_P(RoadWaypoints, RunTheirActionsWhereTheTrainPasses) {
    if (road::RunInChild()) return;
    // Falling snow starts where the train's front passes 50 % of its line.
    road::WriteFile("points.ttt", road::DemoHead(5) + GetParam().script);
    int before = 0, after = 0;
    const road::Run run = road::RunScript("points.ttt", 800, [&](const road::Frame&) {
        for (int32_t t : road::TrainsWithPictures()) {
            const yov::TrainRec& r = yov::trains().at(t);
            ASSERT_EQ(r.PointCount, 1);
            EXPECT_EQ(r.Points[1].Position, r.Width / 2);
            const yov::TrainPicture& p = yov::trainPictures()[r.Members[1]];
            const bool snowing = (r.Flags & yov::train_flag::kFallingSnow) != 0;
            if (p.X + p.Width < r.Width / 2) {
                EXPECT_FALSE(snowing) << "before the point";
                ++before;
            } else if (p.X + p.Width > r.Width / 2 + 10) {
                EXPECT_TRUE(snowing) << "after the point";
                ++after;
            }
        }
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(before, 0);
    EXPECT_GT(after, 0);
}

INSTANTIATE_TEST_SUITE_P(Road, RoadWaypoints, ::testing::ValuesIn(kPointCases),
                         [](const ::testing::TestParamInfo<PointCase>& i) { return std::string(i.param.name); });

TEST(RoadLayers, ALampInsideABackgroundStripFlashesOnceTheLineTurnsItOn) {
    if (road::RunInChild()) return;
    const std::string red = road::PictureName(road::WriteSolidBmp("red.bmp", 40, 30, kRed));
    road::WriteFile("lamp.ttt", road::DemoHead(5) + "M=SIMPLE;C=E40;V=3;D=L;TB=ON;BG=(" + red +
                                    "[FL:X=10;Y=10;W=6;H=6;C=#FFFF00;T=10]:50)\n");
    int32_t train = 0;
    int lit = 0, dark = 0;
    const road::Run run = road::RunScript("lamp.ttt", 300, [&](const road::Frame& f) {
        if (train == 0 && !road::TrainsWithPictures().empty()) train = road::TrainsWithPictures().front();
        if (train == 0 || !FirstTrain{train}.painted() || !FirstTrain{train}.clearOf(370, 430)) return;
        const yov::TrainRec& r = yov::trains().at(train);
        bool yellow = false;
        for (int32_t x = 380; x < 420; ++x)
            for (int32_t y = 1; y <= 30; ++y) yellow = yellow || f.Pixel(r.OriginX + x, r.OriginY - y) == kYellow;
        EXPECT_EQ(f.Pixel(r.OriginX + 381, r.OriginY - 2), kRed) << "the strip stands where it was placed";
        ++(yellow ? lit : dark);
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(lit, 0) << "the lamp shows";
    EXPECT_GT(dark, 0) << "and goes out in turn";
}

TEST(RoadLayers, AWireOutsideItsLimitsIsLoggedWithItsScriptLine) {
    if (road::RunInChild()) return;
    // Line 4 asks for a wire 25 pixels high, below the lowest one.
    road::WriteFile("wire.ttt", road::DemoHead(5) + "; a wire too low\nM=SIMPLE;C=E40;V=8;W=RL25\n");
    const road::Run run = road::RunScript("wire.ttt", 60);
    const int errors = road::CountLogLines(run.log, "Illegal catenary position");
    EXPECT_GT(errors, 0) << run.log;
    EXPECT_EQ(road::CountLogLines(run.log, "Illegal catenary position /"), errors) << "the script file follows";
    EXPECT_EQ(road::CountLogLines(run.log, "/wire.ttt 4 "), errors) << "and the line" << run.log;
}

}  // namespace
