// Sixty-four trains on the scene at once, most of them with doors: eight tracks of eight paths,
// slow enough that every path's train is still on its way when the last one starts (queued
// starts come one every two seconds). They all come on and run together for minutes of show
// time, in both windowed drawing methods, with nothing in the error log.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>

#include "program/trains/train_records.h"
#include "script_show_fixture.h"

namespace {

struct Method {
    const char* name;
    const char16_t* drawAlg;
};
void PrintTo(const Method& m, std::ostream* os) { *os << m.name; }

class RoadManyTrains : public ::testing::TestWithParam<Method> {};

std::string sixtyFourPaths() {
    const char* const compositions[] = {"E40,COACH_A,COACH_B", "RAILCAR,RAILCAR", "DIESEL,WAGON_BOX,WAGON_TANK",
                                        "E40,COACH_A2,COACH_A"};
    std::string s = road::DemoHead(5) + "$BACKGROUND #A6CAEA\n$SCENE BG=(demo_land.gif:0..100)\n";
    for (int track = 0; track < 8; ++track) {
        for (int k = 0; k < 8; ++k) {
            s += "$PATH Y=" + std::to_string(10 + track * 70) + ";W=E;D=" + ((track + k) % 2 != 0 ? "L" : "R") +
                 ";SEQ=F;NL\nM=SIMPLE;C=" + compositions[(track + k) % 4] + ";V=" + std::to_string(1 + k % 2) +
                 "\n$ENDPATH\n";
        }
    }
    return s + "$ENDSCENE\n";
}

TEST_P(RoadManyTrains, SixtyFourTrainsRunTogetherWithNothingInTheLog) {
    if (road::RunInChild()) return;
    road::WriteFile("many.ttt", sixtyFourPaths());
    road::RunOptions options;
    options.settings = {{u"DrawAlgW", GetParam().drawAlg}, {u"SpeedW", u"5"}};
    size_t most = 0;          // trains running on their lines in one frame
    int framesWithAll = 0;    // frames in which all 64 were there
    std::set<int32_t> lines;  // the script lines whose trains came on
    const road::Run run = road::RunScript(
        "many.ttt", 12000,
        [&](const road::Frame&) {
            // Composed trains wait in the start queue with their pictures: count those that run.
            size_t running = 0;
            for (int32_t t : road::TrainsWithPictures()) {
                if ((yov::trains().at(t).Flags & yov::train_flag::kMoving) == 0) continue;
                ++running;
                lines.insert(yov::trains().at(t).Line);
            }
            most = std::max(most, running);
            if (running >= 64) ++framesWithAll;
        },
        options);
    EXPECT_EQ(run.frames, 12000);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.log, "");
    EXPECT_EQ(lines.size(), 64u) << "every path's train came on";
    EXPECT_EQ(most, 64u);
    EXPECT_GT(framesWithAll, 2000) << "all of them together, for more than 40 s of show time";
}

INSTANTIATE_TEST_SUITE_P(Road, RoadManyTrains,
                         ::testing::Values(Method{"ByVehicles", u"0"}, Method{"ByWholeTrains", u"1"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
