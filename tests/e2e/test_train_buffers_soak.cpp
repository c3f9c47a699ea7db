// A soak of trains with doors through the whole program: a scene of one path whose trains
// stop, open and close their doors and leave, one after the other, for 30,000 frames of the
// stepped show (stepped_show.h). Each vehicle's doors live in engine buffers; between two
// trains the engine must hold as many buffers as before the first, and the strips the first
// train made serve every later one.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program/show/train_records.h"
#include "stepped_show.h"

namespace {

constexpr int kFrames = 30000;
const char* const kChildRole = "YOV_TEST_TRAIN_BUFFERS";

int TrainsOnScene() {
    int n = 0;
    for (int32_t t = 1; t <= yov::trains().Count; ++t) n += yov::trains().at(t).MemberCount > 0 ? 1 : 0;
    return n;
}

// Run as a copy of this program by the test below; skipped in an ordinary run. Prints
// "start B S" (buffers and strips at the first frame), then "idle F B S" at each frame F on
// which the last train has just gone.
TEST(TrainBuffersChild, DISABLED_RunsTrainsWithDoors) {
    if (std::getenv(kChildRole) == nullptr) GTEST_SKIP();
    stepped_show::RunChild([](int frame, int32_t) {
        static int lastTrains = 0;
        int32_t strips = 0, buffers = 0;
        yov::lv::GetBufferCounts(&strips, &buffers);
        const int trains = TrainsOnScene();
        if (frame == 1) std::printf("start %d %d\n", buffers, strips);
        if (trains == 0 && lastTrains > 0) std::printf("idle %d %d %d\n", frame, buffers, strips);
        lastTrains = trains;
        return frame < kFrames;
    });
}

struct Idle {
    int frame, buffers, strips;
};

TEST(TrainBuffers, EveryBufferATrainTookGoesBackWhenItLeaves) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::string script = home.filePath("doors.ttt").toStdString();
    std::ofstream(script) << "$RANDOMIZE 7\n$STOCK " YOV_DEMO_DATA "/demo.stk\n$BACKGROUND #A6CAEA\n"
                             "$DEFINE REGIO=E40,COACH_A,COACH_B,COACH_A2\n%DEF(DOORS=OPEN,W,5,CLOSE,W,1)\n"
                             "$SCENE BG=(demo_land.gif:0..100;demo_station.gif:*50,176)\n"
                             "$PATH Y=140;W=E;D=L;SEQ=F;NL\n"
                             "M=OPEN;C=REGIO;TB=PBU;P=12;T1=1;T2=6;T3=2;V=9;TX=Regional train\n"
                             "M=STOP;C=RAILCAR,RAILCAR;TB=PU;P=62;V=9;TX=Local train;T=%DOORS\n"
                             "$ENDPATH\n$ENDSCENE\n";
    const stepped_show::ChildRun run = stepped_show::RunInChild(
        home, script, YOV_DEMO_DATA "/demo.stk", kChildRole, "TrainBuffersChild.DISABLED_RunsTrainsWithDoors");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.log, "") << "no error-log line";
    std::istringstream out(run.out);
    std::string word;
    int startBuffers = -1, startStrips = -1;
    std::vector<Idle> idle;
    while (out >> word) {
        if (word == "start") {
            out >> startBuffers >> startStrips;
        } else if (word == "idle") {
            Idle i{};
            out >> i.frame >> i.buffers >> i.strips;
            idle.push_back(i);
        }
    }
    ASSERT_GE(startBuffers, 0) << run.out;
    ASSERT_GE(idle.size(), 10u) << "trains came and went: " << run.out;
    for (const Idle& i : idle) {
        EXPECT_EQ(i.buffers, startBuffers) << "buffers in use at frame " << i.frame << ", after a train left";
        EXPECT_EQ(i.strips, idle.front().strips) << "strips at frame " << i.frame << ": the first train's serve";
    }
}

}  // namespace
