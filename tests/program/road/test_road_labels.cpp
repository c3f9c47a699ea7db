// A line's label from a script's text: its row above the line's foot ("TXY") is the nearest
// whole row, halves to even as every number of a script.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "program/show/train_records.h"
#include "script_show_fixture.h"

namespace {

TEST(RoadLabels, TheLabelsRowRoundsHalvesToEven) {
    if (road::RunInChild()) return;
    const std::map<std::string, int32_t> rows = {{"1.5", 2}, {"2.5", 2}, {"3.5", 4}, {"4.5", 4}, {"3.49", 3}};
    std::string script = road::DemoHead(5);
    for (const auto& [txy, row] : rows) script += "M=SIMPLE;C=E40;V=8;D=R;TX=Label;TXY=" + txy + "\n";
    road::WriteFile("rows.ttt", script);
    std::map<std::string, int> seen;
    const road::Run run = road::RunScript("rows.ttt", 600, [&](const road::Frame&) {
        for (int32_t t : road::TrainsWithPictures()) {
            const std::string line = road::LineText(t);
            const std::string txy = line.substr(line.find("TXY=") + 4);
            ASSERT_EQ(rows.count(txy), 1u) << line;
            const yov::TrainRec& r = yov::trains().at(t);
            ASSERT_GT(r.TextHeight, 0) << "the label fits below the line";
            EXPECT_EQ(r.TextY, rows.at(txy)) << "TXY=" << txy;
            ++seen[txy];
        }
    });
    EXPECT_EQ(run.log, "");
    for (const auto& [txy, row] : rows) EXPECT_GT(seen[txy], 0) << txy;
}

}  // namespace
