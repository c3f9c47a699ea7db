// A soak of trains with doors along the whole road: one path whose trains stop, open and
// close their doors and leave, one after the other, for 30,000 frames. Each vehicle's doors
// live in engine buffers; whenever the last train has left, the engine holds as many buffers
// as before the first, and the strips the first train made serve every later one (a strip
// as wide as its class stays for the next train, by design).
#include <gtest/gtest.h>

#include <vector>

#include "program/core/binding/engine_binding.h"
#include "script_show_fixture.h"

namespace {

struct Idle {
    int frame, buffers, strips;
};

TEST(Road, EveryBufferATrainWithDoorsTookGoesBackWhenItLeaves) {
    if (road::RunInChild()) return;
    road::WriteFile("doors.ttt", road::DemoHead(7) +
                                     "$BACKGROUND #A6CAEA\n"
                                     "$DEFINE REGIO=E40,COACH_A,COACH_B,COACH_A2\n%DEF(DOORS=OPEN,W,5,CLOSE,W,1)\n"
                                     "$SCENE BG=(demo_land.gif:0..100;demo_station.gif:*50,176)\n"
                                     "$PATH Y=140;W=E;D=L;SEQ=F;NL\n"
                                     "M=OPEN;C=REGIO;TB=PBU;P=12;T1=1;T2=6;T3=2;V=9;TX=Regional train\n"
                                     "M=STOP;C=RAILCAR,RAILCAR;TB=PU;P=62;V=9;TX=Local train;T=%DOORS\n"
                                     "$ENDPATH\n$ENDSCENE\n");
    int startBuffers = -1;
    size_t lastTrains = 0;
    std::vector<Idle> idle;  // each frame on which the last train has just left
    const road::Run run = road::RunScript("doors.ttt", 30000, [&](const road::Frame& f) {
        int32_t strips = 0, buffers = 0;
        yov::lv::GetBufferCounts(&strips, &buffers);
        const size_t trains = road::TrainsWithPictures().size();
        if (f.number == 1) startBuffers = buffers;
        if (trains == 0 && lastTrains > 0) idle.push_back({f.number, buffers, strips});
        lastTrains = trains;
    });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.log, "");
    ASSERT_GE(startBuffers, 0);
    ASSERT_GE(idle.size(), 10u) << "trains came and went";
    for (const Idle& i : idle) {
        EXPECT_EQ(i.buffers, startBuffers) << "buffers in use at frame " << i.frame << ", after a train left";
        EXPECT_EQ(i.strips, idle.front().strips) << "strips at frame " << i.frame << ": the first train's serve";
    }
}

}  // namespace
