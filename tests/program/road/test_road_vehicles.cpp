// Vehicles of a show from a script's text and a stock of the test's own: a macro entry that
// stands for one vehicle is that vehicle's name in the train's captions and labels, one that
// stands for several leaves each vehicle its own; a vehicle's "<" and ">" items follow the way
// its train runs, whatever direction an earlier picture left; a composition the pattern
// engine cannot read is logged with the engine's own words for it; units coupled on a line
// keep each other by their whole picture index, also past the 255th picture.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/scene/picture_slot.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_text.h"
#include "script_show_fixture.h"

namespace {

TEST(RoadVehicles, AMacroEntryOfOneVehicleNamesItInCaptionsAndLabels) {
    if (road::RunInChild()) return;
    const std::string stock = road::WriteDemoStockWith("macros.stk",
                                                       "LOCO2;RE *YOV;M;E40\n"
                                                       "PAIR2;RE *YOV;M;E40,WAGON_BOX\n");
    road::WriteFile("macros.ttt", road::ScriptHead(5, stock) +
                                      "M=SIMPLE;C=LOCO2;V=8;D=R;TX=$(NAME)\n"
                                      "M=SIMPLE;C=PAIR2;V=8;D=R;TX=$(NAME)\n");
    struct Case {
        std::vector<std::string> names;  // the stock entries the train's vehicles are named by
        std::u16string label;
    };
    const std::map<std::string, Case> cases = {
        {"LOCO2", {{"LOCO2"}, u" LOCO2 "}},
        // Running to the right, the locomotive heads the train at its right end.
        {"PAIR2", {{"WAGON_BOX", "E40"}, u" WAGON_BOX + E40 "}},
    };
    std::map<std::string, int> seen;
    const road::Run run = road::RunScript("macros.ttt", 300, [&](const road::Frame&) {
        for (int32_t t : road::TrainsWithPictures()) {
            const std::string line = road::LineText(t);
            for (const auto& [macro, c] : cases) {
                if (line.find("C=" + macro + ";") == std::string::npos) continue;
                SCOPED_TRACE(macro);
                ASSERT_EQ(road::VehicleNames(t), c.names);
                EXPECT_EQ(yov::trains().at(t).TextWidth, yov::MeasureShowText(c.label).Width)
                    << "the label reads \"" << std::string(c.label.begin(), c.label.end()) << "\"";
                ++seen[macro];
            }
        }
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(seen["LOCO2"], 0);
    EXPECT_GT(seen["PAIR2"], 0);
}

TEST(RoadVehicles, DirectionItemsFollowTheWayTheTrainRuns) {
    if (road::RunInChild()) return;
    // A wagon with a green patch for a left-facing picture and a magenta one for a right-facing.
    const std::string stock = road::WriteDemoStockWith(
        "facing.stk", "FACING;N  *YOV;G;;wagon_box.gif;[<B:4,4,10,10,#00FF00][>B:4,4,10,10,#FF00FF]\n");
    road::WriteFile("facing.ttt", road::ScriptHead(5, stock) +
                                      "M=SIMPLE;C=FACING;V=8;D=L\n"
                                      "M=SIMPLE;C=FACING;V=8;D=R\n");
    constexpr uint32_t kGreen = 0x00FF00;  // 0x00BBGGRR
    constexpr uint32_t kMagenta = 0xFF00FF;
    // As a stock window would leave it after drawing its rows facing right.
    yov::pictureSlots().PictureDirection = 1;
    std::map<std::string, int> seen;
    const road::Run run = road::RunScript("facing.ttt", 400, [&](const road::Frame& f) {
        for (int32_t t : road::TrainsWithPictures()) {
            const yov::TrainRec& r = yov::trains().at(t);
            const yov::TrainPicture& p = yov::trainPictures()[r.Members[1]];
            if (p.PaintedX[0] == yov::kNeverPainted || p.X < 0 || p.X + p.Width > r.Width) continue;
            int green = 0, magenta = 0;
            for (int32_t y = 0; y < p.Height; ++y) {
                for (int32_t x = p.X; x < p.X + p.Width; ++x) {
                    const uint32_t c = f.Pixel(r.OriginX + x, r.OriginY - 1 - y);
                    green += c == kGreen ? 1 : 0;
                    magenta += c == kMagenta ? 1 : 0;
                }
            }
            const bool left = road::LineText(t).find("D=L") != std::string::npos;
            SCOPED_TRACE(left ? "running left" : "running right");
            EXPECT_EQ(left ? green : magenta, 100) << "the item of its side";
            EXPECT_EQ(left ? magenta : green, 0) << "and not the other";
            ++seen[left ? "L" : "R"];
        }
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(seen["L"], 0);
    EXPECT_GT(seen["R"], 0);
}

TEST(RoadVehicles, ACompositionThePatternEngineCannotReadIsLoggedWithItsText) {
    if (road::RunInChild()) return;
    road::WriteFile("broken.ttt", road::DemoHead(5) + "M=SIMPLE;C=$NOPE(E40);V=8\n");
    const road::Run run = road::RunScript("broken.ttt", 30);
    EXPECT_GT(road::CountLogLines(run.log, "Error 12427: $Command not found in $NOPE(E40)"), 0) << run.log;
    EXPECT_EQ(road::CountLogLines(run.log, "Error -12427:"), 0) << "not the code as the engine returns it";
}

TEST(RoadVehicles, CoupledUnitsKeepEachOtherPastThe255thPicture) {
    if (road::RunInChild()) return;
    // Two railcars meet on the line, couple and leave together.
    road::WriteFile("unit.ttt", road::DemoHead(5) + "M=UNIT;C1=RAILCAR;C2=RAILCAR;P=30;T1=1;T2=1;V=6;D=R\n");
    int coupled = 0;
    int32_t pair = 0;       // a train whose units coupled with pictures past 255
    bool pairLeft = false;  // and that left the line with both
    const road::Run run = road::RunScript("unit.ttt", 2500, [&](const road::Frame& f) {
        yov::TrainPictureTable& pictures = yov::trainPictures();
        if (f.number == 1) {
            // Pictures in use elsewhere, as in a long show with many trains: every later
            // picture has an index above 255.
            while (pictures.Count < 300) {
                ++pictures.Count;
                if (pictures.Count > pictures.Alloc) {
                    pictures.Alloc = pictures.Count + 10;
                    pictures.Entries.resize(static_cast<size_t>(pictures.Alloc) + 1);
                }
                pictures[pictures.Count] = yov::TrainPicture{};
            }
            for (int32_t i = 1; i <= pictures.Count; ++i)
                if (pictures[i].MotionState == yov::kPictureFree) pictures[i].MotionState = yov::kPictureBuilt;
        }
        for (int32_t t : road::TrainsWithPictures()) {
            const yov::TrainRec& r = yov::trains().at(t);
            if (r.MemberCount < 2) continue;
            const int32_t a = r.Members[1], b = r.Members[2];
            if (a <= 255 || b <= 255) continue;
            for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
                if (pictures[from].CoupledId == 0) continue;
                ASSERT_EQ(pictures[from].CoupledId, to) << "frame " << f.number;
                ++coupled;
                pair = t;
            }
            if (t == pair && pictures[a].X >= r.Width && pictures[b].X >= r.Width) pairLeft = true;
        }
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(coupled, 0) << "the units coupled";
    EXPECT_TRUE(pairLeft) << "and ran off the line together";
}

}  // namespace
