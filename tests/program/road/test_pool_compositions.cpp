// A pool line extends the composition of the line that picked it: "C+=" appends vehicles,
// "C-=" puts them in front, "C#=" gives a composition only where the line has none, and a
// plain "C=" leaves the line's own (the line's values come first). Shown on a path whose one
// line takes its pool's lines in order, train after train.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_show_fixture.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

using Names = std::vector<std::string>;

std::string Text(const std::vector<Names>& runs) {
    std::string s;
    for (const Names& r : runs) {
        s += "[";
        for (const std::string& n : r) s += n + " ";
        s += "] ";
    }
    return s;
}

TEST(RoadPoolCompositions, PoolLinesExtendTheLinesComposition) {
    if (road::RunInChild()) return;
    struct PoolLine {
        const char* line;
        Names train;
    };
    const std::vector<PoolLine> pool = {
        {"C+=,COACH_A,COACH_B", {"E40", "COACH_A", "COACH_B"}},
        {"C-=DIESEL,", {"DIESEL", "E40"}},
        {"C-=DIESEL,;C+=,WAGON_BOX", {"DIESEL", "E40", "WAGON_BOX"}},
        {"C#=RAILCAR", {"E40"}},
        {"C=RAILCAR", {"E40"}},
    };
    std::string script =
        road::DemoHead(2) + "$SCENE\n$PATH Y=50;SEQ=F;NL\nM=SIMPLE;C=E40;V=40;D=R;POOL=P\n$POOL N=P;SEQ=F\n";
    for (const PoolLine& p : pool) script += std::string(p.line) + "\n";
    road::WriteFile("pool.ttt", script + "$ENDPOOL\n$ENDPATH\n$ENDSCENE\n");
    std::vector<Names> runs;
    bool before = false;  // a train waited at the line's start in the frame before
    const road::Run run = road::RunScript("pool.ttt", 2500, [&](const road::Frame&) {
        const std::vector<int32_t> trains = road::TrainsWithPictures();
        // A new train stands left of the line's start; the last one left it on the right.
        const bool waiting = !trains.empty() && yov::trainPictures()[yov::trains().at(trains.front()).Members[1]].X < 0;
        if (waiting && !before) {
            // Left to right along the line: a train running right shows its front last.
            Names names = road::VehicleNames(trains.front());
            runs.emplace_back(names.rbegin(), names.rend());
        }
        before = waiting;
    });
    EXPECT_EQ(run.log, "");
    ASSERT_GE(runs.size(), pool.size() + 1) << Text(runs);
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i], pool[i % pool.size()].train) << "train " << i << " of " << Text(runs);
    }
}

}  // namespace
