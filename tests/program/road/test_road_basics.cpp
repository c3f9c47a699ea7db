// The road fixture itself, on the plainest script: one line of one vehicle, which the root
// block starts as one-shot trains in its free bands; the first of them appears on the scene
// and runs across it, frame by frame, with nothing in the error log.
#include <gtest/gtest.h>

#include <vector>

#include "script_show_fixture.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

TEST(Road, AOneLineScriptsTrainAppearsAndMoves) {
    if (road::RunInChild()) return;
    road::WriteFile("one.ttt", road::DemoHead(3) + "M=SIMPLE;C=E40;V=8;D=R\n");
    int32_t first = 0;        // the first train record seen with its picture
    bool done = false;        // its run is over (the record then serves the next train)
    std::vector<int32_t> xs;  // its x in each frame of its run
    int32_t lineWidth = 0;
    const road::Run run = road::RunScript("one.ttt", 500, [&](const road::Frame&) {
        const std::vector<int32_t> shown = road::TrainsWithPictures();
        for (int32_t t : shown) {
            EXPECT_EQ(road::LineText(t), "M=SIMPLE;C=E40;V=8;D=R");
            EXPECT_EQ(road::VehicleNames(t), std::vector<std::string>{"E40"});
        }
        if (first == 0 && !shown.empty()) first = shown.front();
        if (first == 0 || done) return;
        const yov::TrainRec& t = yov::trains().at(first);
        const int32_t x = t.MemberCount == 0 ? -1 : yov::trainPictures()[t.Members[1]].X;
        if (t.MemberCount == 0 || (!xs.empty() && xs.back() >= t.Width && x < xs.back())) {
            done = true;
            return;
        }
        lineWidth = t.Width;
        xs.push_back(x);
    });
    EXPECT_EQ(run.frames, 500);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.log, "");
    EXPECT_TRUE(done) << "its run ended";
    ASSERT_GT(xs.size(), 300u) << "the train is on its line from its start";
    for (size_t i = 1; i < xs.size(); ++i) ASSERT_GE(xs[i], xs[i - 1]) << "sample " << i << ": it runs to the right";
    EXPECT_LT(xs.front(), 0) << "it enters from the left";
    EXPECT_GE(xs.back(), lineWidth) << "and leaves on the right";
}

}  // namespace
