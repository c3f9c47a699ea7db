// Vehicles of a show from a script's text and a stock of the test's own: a macro entry that
// stands for one vehicle is that vehicle's name in the train's captions and labels, one that
// stands for several leaves each vehicle its own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/show/train_records.h"
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

}  // namespace
