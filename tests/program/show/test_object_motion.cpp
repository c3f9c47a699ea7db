// Object motion: the integration of speed and acceleration into whole pixels against
// hand-worked figures, braking onto the stop point, the waits, the following distance, the
// leave, entering and cut states, the coupled chain with its faults, and the action points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "motion_fixture.h"
#include "program/core/texts/error_log.h"

using namespace yov;
namespace ms = yov::motion_state;

namespace {

class ObjectMotion : public motion_test::MotionTestOn<core_test::CoreTest> {};

TEST_F(ObjectMotion, MotionTimeIsStepTimesSpeedFactorOverOnePointSix) {
    EXPECT_EQ(MotionTime(16, 0.1f), 1.0f);
    EXPECT_FLOAT_EQ(MotionTime(20, 0.025f), 0.3125f);
    EXPECT_EQ(MotionTime(0, 0.1f), 0.0f);
}

struct Figure {
    int32_t x;
    float speed;
    int16_t state;
};

TEST_F(ObjectMotion, SpeedingUpFromRestFollowsTheHandWorkedFigures) {
    // A = 0.5, target 2, t = 1: the speed grows only in steps that move a whole pixel.
    const int32_t t = MovingTrain();
    TrainPicture p = Moving(ms::kSpeedUp, 0, 1, 0);
    p.TargetSpeed = 2;
    p.AccelRate = 0.5f;
    p.Accel = 0.5f;
    const int32_t id = Member(t, p);
    const Figure expected[] = {
        {0, 0, 10},     // R = 0.25
        {1, 0.5f, 10},  // R = 0.5 rounds to 1
        {1, 0.5f, 10},  // R = -0.5 + 0.5 + 0.25
        {2, 1, 10},     // R = 1.0
        {3, 1.5f, 10},  // R = 1.25
        {5, 2, 6},      // R = 2.0; the target is reached
        {7, 2, 6},      // constant speed
        {9, 2, 6},
    };
    int n = 0;
    for (const Figure& f : expected) {
        Steps(t, 1);
        ++n;
        EXPECT_EQ(Pic(id).X, f.x) << "step " << n;
        EXPECT_FLOAT_EQ(Pic(id).Speed, f.speed) << "step " << n;
        EXPECT_EQ(Pic(id).MotionState, f.state) << "step " << n;
    }
}

TEST_F(ObjectMotion, BrakingOntoTheStopPointFollowsTheHandWorkedFigures) {
    // Speed 2, B = 0.5, stop at 10: braking starts at 4 pixels (v^2 / 2B) from the stop.
    const int32_t t = MovingTrain();
    TrainPicture p = Moving(ms::kApproach, 0, 1, 2);
    p.BrakeRate = 0.5f;
    p.StopX = 10;
    const int32_t id = Member(t, p);
    const int32_t xs[] = {2, 4, 6, 8, 9, 10};
    int n = 0;
    for (int32_t x : xs) {
        EXPECT_TRUE(StepList().empty()) << "step " << n;
        Steps(t, 1);
        ++n;
        EXPECT_EQ(Pic(id).X, x) << "step " << n;
    }
    EXPECT_EQ(Pic(id).MotionState, ms::kArrived);
    EXPECT_EQ(Pic(id).Speed, 0);
    EXPECT_EQ(Pic(id).Accel, 0);
    EXPECT_EQ(Pic(id).Remainder, 0);
    EXPECT_EQ(StepList(), std::vector<int32_t>{t});
}

TEST_F(ObjectMotion, ARunFromRestToItsSpeedStopsOnItsStopPoint) {
    struct Case {
        const char* what;
        int16_t state;
        int16_t dir;
        int32_t x;
        int32_t stop;
        int32_t coupleDist;
        float target;
        float accel;
        float brake;
        int32_t stepMs;
        int32_t at;  // where it stands at the end
        int16_t endState;
    } cases[] = {
        {"rightward, speeding up", ms::kRunToStop, 1, 0, 800, 0, 3, 0.05f, 0.02f, 16, 800, ms::kArrived},
        {"leftward, speeding up", ms::kRunToStop, -1, 900, 100, 0, 3, 0.05f, 0.02f, 16, 100, ms::kArrived},
        {"short of the stop", ms::kRunToStopShort, 1, 0, 600, 25, 2, 0.1f, 0.05f, 16, 575, ms::kArrived},
        {"leftward, short of the stop", ms::kRunToStopShort, -1, 700, 100, 25, 2, 0.1f, 0.05f, 16, 125, ms::kArrived},
        {"hard braking at long steps", ms::kRunToStop, 1, 0, 300, 0, 12, 2, 3, 100, 300, ms::kArrived},
        {"a braking rate of 0", ms::kRunToStop, 1, 0, 300, 0, 2, 0.1f, 0, 16, 300, ms::kArrived},
        {"couple: waits short of the stop", ms::kRunToCouple, 1, 0, 400, 30, 2, 0.1f, 0.05f, 16, 370, ms::kWaiting},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = MovingTrain(1000);
        TrainPicture p = Moving(c.state, c.x, c.dir, 0);
        p.TargetSpeed = c.target;
        p.AccelRate = c.accel;
        p.Accel = c.accel;
        p.BrakeRate = c.brake;
        p.StopX = c.stop;
        p.CoupleDist = c.coupleDist;
        const int32_t id = Member(t, p);
        float top = 0;
        int steps = 0;
        for (; steps < 100000 && Pic(id).MotionState != c.endState; ++steps) {
            MoveObject(t, c.stepMs);
            top = std::max(top, Pic(id).Speed);
            // Never more than a pixel past the point it stops on.
            const int32_t beyond = c.dir > 0 ? Pic(id).X - c.at : c.at - Pic(id).X;
            ASSERT_LE(beyond, 1) << c.what << " step " << steps;
        }
        EXPECT_EQ(Pic(id).MotionState, c.endState) << c.what;
        EXPECT_EQ(Pic(id).X, c.at) << c.what;
        EXPECT_FLOAT_EQ(top, c.target) << c.what << ": reaches its speed on the way";
        TearDown();
    }
}

TEST_F(ObjectMotion, OvershootingInOneStepSnapsBackOntoTheStopPoint) {
    const int32_t t = MovingTrain();
    TrainPicture p = Moving(ms::kApproach, 95, 1, 19);
    p.StopX = 100;
    const int32_t id = Member(t, p);
    Steps(t, 1);
    EXPECT_EQ(Pic(id).X, 100);
    EXPECT_EQ(Pic(id).LastDelta, 5);
    EXPECT_EQ(Pic(id).MotionState, ms::kArrived);
}

TEST_F(ObjectMotion, AConstantSpeedOfTwoAndAHalfMovesTwoOrThreeFromTheEighthStep) {
    for (int16_t dir : {int16_t{1}, int16_t{-1}}) {
        SetUp();
        const int32_t t = MovingTrain(100000);
        const int32_t id = Member(t, Moving(ms::kRunOut, 50000, dir, 2.5f));
        for (int step = 1; step <= 300; ++step) {
            Steps(t, 1);
            if (step < 8) continue;
            const int moved = std::abs(Pic(id).LastDelta);
            EXPECT_TRUE(moved == 2 || moved == 3) << "dir " << dir << " step " << step << ": " << moved;
        }
        TearDown();
    }
}

TEST_F(ObjectMotion, AStepIsCutToTwentyPixelsAndTheRestMovesLater) {
    const int32_t t = MovingTrain(100000);
    const int32_t id = Member(t, Moving(ms::kRunOut, 0, 1, 25));
    Steps(t, 1);
    EXPECT_EQ(Pic(id).X, 20);
    EXPECT_FLOAT_EQ(Pic(id).Remainder, 5);
}

TEST_F(ObjectMotion, APictureAtRestInAMovingStateNeverMovesNorChangesState) {
    const int16_t states[] = {ms::kRunOut,  ms::kEntering, ms::kFollowing, ms::kPassStop,
                              ms::kSpeedUp, ms::kApproach, ms::kRunToStop, ms::kCut};
    for (int16_t state : states) {
        SetUp();
        const int32_t t = MovingTrain();
        TrainPicture p = Moving(state, 500, 1, 0);
        p.StopX = 500;
        const int32_t id = Member(t, p);
        Steps(t, 50);
        EXPECT_EQ(Pic(id).X, 500) << state;
        EXPECT_EQ(Pic(id).MotionState, state) << state;
        EXPECT_TRUE(StepList().empty()) << state;
        TearDown();
    }
}

TEST_F(ObjectMotion, AWaitCountsRealMillisecondsThenCreepsToTheStopPoint) {
    // State 14 stops CoupleDist short, waits 1000 ms whatever the speed factor, then creeps.
    for (float factor : {0.1f, 0.4f}) {
        SetUp();
        showState().SpeedFactor = factor;
        const int32_t t = MovingTrain();
        TrainPicture p = Moving(ms::kApproachCouple, 0, 1, 1);
        p.StopX = 200;
        p.CoupleDist = 20;
        p.CreepSpeed = 0.5f;
        const int32_t id = Member(t, p);
        int guard = 0;
        while (Pic(id).MotionState != ms::kWaiting && ++guard < 10000) Steps(t, 1, 20);
        ASSERT_EQ(Pic(id).MotionState, ms::kWaiting);
        EXPECT_EQ(Pic(id).X, 180);
        Steps(t, 49, 20);  // 980 ms
        EXPECT_EQ(Pic(id).MotionState, ms::kWaiting) << factor;
        Steps(t, 1, 20);
        EXPECT_EQ(Pic(id).MotionState, ms::kApproach) << factor;
        EXPECT_FLOAT_EQ(Pic(id).Speed, 0.5f);
        EXPECT_TRUE(StepList().empty());
        guard = 0;
        while (Pic(id).MotionState != ms::kArrived && ++guard < 100000) Steps(t, 1, 20);
        EXPECT_EQ(Pic(id).X, 200) << factor;
        EXPECT_EQ(StepList(), std::vector<int32_t>{t}) << factor;
        TearDown();
    }
}

TEST_F(ObjectMotion, LeavingTheSceneAtEitherEnd) {
    struct Case {
        const char* what;
        int16_t state;
        int16_t dir;
        int32_t x;
        int32_t at;
    } cases[] = {
        {"run out to the right", ms::kRunOut, 1, 995, 1000},
        {"run out to the left", ms::kRunOut, -1, -95, -100},
        {"speeding up", ms::kSpeedUp, 1, 999, 1000},
        {"following", ms::kFollowing, -1, -99, -100},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = MovingTrain(1000);
        const int32_t id = Member(t, Moving(c.state, c.x, c.dir, 10));
        Steps(t, 1);
        EXPECT_EQ(Pic(id).MotionState, ms::kLeft) << c.what;
        EXPECT_EQ(Pic(id).X, c.at) << c.what;
        TearDown();
    }
}

TEST_F(ObjectMotion, EnteringQueuesOneStepUnlessRecomposingOrQueued) {
    struct Case {
        const char* what;
        uint8_t trainState;
        int16_t dir;
        int32_t x;
        bool queued;
    } cases[] = {
        {"rightward past 160", train_state::kFirstProgramPhase, 1, 158, true},
        {"leftward inside by 160", train_state::kFirstProgramPhase, -1, 744, true},
        {"still outside", train_state::kFirstProgramPhase, 1, 100, false},
        {"recomposing", train_state::kRecomposing, 1, 158, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = MovingTrain(1000);
        trains().at(t).State = c.trainState;
        const int32_t id = Member(t, Moving(ms::kEntering, c.x, c.dir, 5));
        Steps(t, 1);
        const bool entered = c.x != 100;
        EXPECT_EQ(Pic(id).MotionState, entered ? ms::kFollowing : ms::kEntering) << c.what;
        EXPECT_EQ(StepList().size(), c.queued ? 1u : 0u) << c.what;
        TearDown();
    }
}

TEST_F(ObjectMotion, PassingTheStopPointQueuesTheTrainOnceOnTheStepList) {
    const int32_t t = MovingTrain(10000);
    TrainPicture p = Moving(ms::kPassStop, 0, 1, 3);
    p.StopX = 30;
    const int32_t id = Member(t, p);
    Steps(t, 9);
    EXPECT_TRUE(StepList().empty());
    Steps(t, 5);  // every step past the point queues it again
    EXPECT_EQ(StepList(), std::vector<int32_t>{t});
    EXPECT_EQ(Pic(id).MotionState, ms::kPassStop);
    EXPECT_EQ(TakeObjectStep(), t);
    Steps(t, 1);
    EXPECT_EQ(StepList(), std::vector<int32_t>{t});
}

TEST_F(ObjectMotion, ACutSpeedsThisPictureUpAndBrakesTheOneItCarried) {
    const int32_t t = MovingTrain(10000);
    TrainPicture front = Moving(ms::kCut, 100, 1, 2);
    front.StopX = 110;
    front.AccelRate = 0.2f;
    const int32_t a = Member(t, front);
    TrainPicture back = Moving(kPictureBuilt, 0, 1, 0);
    back.BrakeRate = 0.3f;
    const int32_t b = Member(t, back);
    Pic(a).CoupledId = static_cast<uint8_t>(b);
    Steps(t, 4);  // 108: not passed, carried along
    EXPECT_EQ(Pic(b).X, 8);
    Steps(t, 1);
    EXPECT_EQ(Pic(a).MotionState, ms::kSpeedUp);
    EXPECT_FLOAT_EQ(Pic(a).Accel, 0.2f);
    EXPECT_EQ(Pic(a).CoupledId, 0);
    // Uncoupled before the chain is carried, it moves on by itself in the same step:
    // 2 - 0.3 / 2 rounds to 2 pixels, and it brakes by 0.3.
    EXPECT_EQ(Pic(b).MotionState, ms::kSlowDown);
    EXPECT_FLOAT_EQ(Pic(b).Accel, -0.3f);
    EXPECT_FLOAT_EQ(Pic(b).Speed, 1.7f);
    EXPECT_EQ(Pic(b).X, 10);
}

TEST_F(ObjectMotion, SlowingDownStopsAtTheTargetSpeed) {
    const int32_t t = MovingTrain(100000);
    TrainPicture p = Moving(ms::kSlowDown, 0, 1, 3);
    p.TargetSpeed = 1;
    p.BrakeRate = 0.5f;
    p.Accel = -0.5f;
    const int32_t id = Member(t, p);
    Steps(t, 10);
    EXPECT_EQ(Pic(id).MotionState, ms::kRunOut);
    EXPECT_FLOAT_EQ(Pic(id).Speed, 1);
    EXPECT_EQ(Pic(id).Accel, 0);
}

// The gap between a follower and the member ahead of it, in the direction of travel.
int32_t GapOf(const TrainPicture& ahead, const TrainPicture& follower) {
    return follower.Dir > 0 ? ahead.X - follower.Width - follower.X : follower.X - ahead.X - ahead.Width;
}

TEST_F(ObjectMotion, AFollowerKeepsItsDistanceBehindASlowerMemberAhead) {
    for (int16_t dir : {int16_t{1}, int16_t{-1}}) {
        SetUp();
        const int32_t t = MovingTrain(1000000);
        const int32_t x0 = dir > 0 ? 500000 : 100000;
        const int32_t lead = Member(t, Moving(ms::kFollowing, x0, dir, 1));
        TrainPicture f = Moving(ms::kFollowing, x0 - dir * 400, dir, 1);
        f.TargetSpeed = 4;
        const int32_t follower = Member(t, f);
        int32_t least = GapOf(Pic(lead), Pic(follower));
        float fastest = 0;
        for (int step = 0; step < 3000; ++step) {
            Steps(t, 1);
            least = std::min(least, GapOf(Pic(lead), Pic(follower)));
            fastest = std::max(fastest, Pic(follower).Speed);
            ASSERT_GE(Pic(follower).Speed, 0) << "never runs backwards";
        }
        EXPECT_GT(fastest, 1.5f) << dir << ": it closes up first";
        EXPECT_GE(least, 40) << dir;
        EXPECT_LE(GapOf(Pic(lead), Pic(follower)), 111) << dir << ": and stays close";
        EXPECT_FLOAT_EQ(Pic(follower).Speed, 1) << dir;
        TearDown();
    }
}

TEST_F(ObjectMotion, FollowingControlCases) {
    // B = 0.1, A = 0.1, t = 1; the gap is the one after this step's move.
    struct Case {
        const char* what;
        int16_t aheadState;
        int32_t gap;
        float aheadSpeed;
        float speed;
        float speedAfter;
    } cases[] = {
        {"closer than 50 takes the speed ahead", ms::kFollowing, 40, 1, 3, 1},
        {"the member ahead not started: speed up", kPictureBuilt, 5, 0, 1, 1.1f},
        {"far behind: speed up", ms::kFollowing, 1000, 1, 1, 1.1f},
        {"beyond the braking distance: speed up", ms::kFollowing, 200, 1, 4, 4.1f},
        {"braking band: the braking rate", ms::kFollowing, 100, 1, 3, 2.9f},
        {"close band: braking to the gap", ms::kFollowing, 100, 1, 4, 4 - 1.3f * 15 / 20},
        {"within 90: hard braking", ms::kFollowing, 80, 1, 3, 2},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = MovingTrain(100000);
        const int32_t lead = Member(t, Moving(c.aheadState, 1000, 1, c.aheadSpeed));
        const int32_t leadAfter = 1000 + (c.aheadState > ms::kWaiting ? static_cast<int32_t>(c.aheadSpeed + 0.5f) : 0);
        // The first sample rounds: the follower moves floor(speed + 0.5) pixels.
        const int32_t moved = static_cast<int32_t>(std::floor(c.speed + 0.5f));
        TrainPicture f = Moving(ms::kFollowing, leadAfter - 100 - c.gap - moved, 1, c.speed);
        f.TargetSpeed = 5;
        const int32_t follower = Member(t, f);
        Steps(t, 1);
        ASSERT_EQ(GapOf(Pic(lead), Pic(follower)), c.gap) << c.what;
        EXPECT_NEAR(Pic(follower).Speed, c.speedAfter, 1e-5) << c.what;
        TearDown();
    }
}

TEST_F(ObjectMotion, TheCoupledChainIsCarriedAndItsEdgesBoundTheGroup) {
    const int32_t t = MovingTrain(10000);
    const int32_t a = Member(t, Moving(ms::kRunOut, 300, 1, 2));
    const int32_t b = Member(t, Moving(ms::kWaiting, 200, 1, 0));
    const int32_t c = Member(t, Moving(kPictureBuilt, 100, 1, 0));
    Pic(b).WaitMs = 100000;
    Pic(a).CoupledId = static_cast<uint8_t>(b);
    Pic(b).CoupledId = static_cast<uint8_t>(c);
    Steps(t, 5);
    EXPECT_EQ(Pic(a).X, 310);
    EXPECT_EQ(Pic(b).X, 210) << "in a waiting state, moved only by the chain";
    EXPECT_EQ(Pic(c).X, 110);
}

TEST_F(ObjectMotion, ACouplingLoopIsCutAndLoggedOnce) {
    struct Case {
        const char* what;
        bool self;
    } cases[] = {{"coupled to itself", true}, {"a loop of two", false}};
    for (const Case& k : cases) {
        SetUp();
        const int32_t t = MovingTrain(10000);
        const int32_t a = Member(t, Moving(ms::kRunOut, 300, 1, 2));
        const int32_t b = Member(t, Moving(kPictureBuilt, 200, 1, 0));
        if (k.self) {
            Pic(a).CoupledId = static_cast<uint8_t>(a);
        } else {
            Pic(a).CoupledId = static_cast<uint8_t>(b);
            Pic(b).CoupledId = static_cast<uint8_t>(a);
        }
        const auto logged = [this] {
            const std::vector<std::string> lines = logLines();
            return std::count(lines.begin(), lines.end(), "Self combine");
        };
        const auto before = logged();
        Steps(t, 3);
        EXPECT_EQ(logged(), before + 1) << k.what;
        EXPECT_EQ(Pic(a).X, 306) << k.what;
        EXPECT_EQ(Pic(b).X, k.self ? 200 : 206) << k.what << ": carried once per step";
        TearDown();
    }
}

TEST_F(ObjectMotion, ActionPointsFireOncePerCrossingOfEachEdge) {
    std::vector<std::u16string> fired;
    struct Case {
        const char* what;
        int16_t dir;
        int32_t x;
        std::vector<std::u16string> expected;
    } cases[] = {
        // The group is 100 wide; the point stands at 500.
        {"moving left: head at the left edge, tail at the right", -1, 520, {u"head left", u"tail left"}},
        {"moving right: head at the right edge, tail at the left", 1, 380, {u"head right", u"tail right"}},
    };
    for (const Case& c : cases) {
        SetUp();
        fired.clear();
        std::remove(logPath().c_str());
        // Each point text is an unclosed bracket, so the action that fired names itself in
        // the error log.
        core_test::defaultTexts()[u"MISW"] = u"Point %1";
        const int32_t t = MovingTrain(10000);
        TrainRec& rec = trains().at(t);
        rec.PointCount = 1;
        rec.Points[1].Position = 500;
        rec.Points[1].Texts[0] = u"[head left";
        rec.Points[1].Texts[1] = u"[head right";
        rec.Points[1].Texts[2] = u"[tail left";
        rec.Points[1].Texts[3] = u"[tail right";
        Member(t, Moving(ms::kRunOut, c.x, c.dir, 3));
        Steps(t, 100);
        for (const std::string& line : logLines()) {
            const size_t at = line.find("Point [");
            const size_t end = line.find(" (column");
            if (at != std::string::npos && end != std::string::npos)
                fired.push_back(core_test::u16(line.substr(at + 7, end - at - 7)));
        }
        EXPECT_EQ(fired, c.expected) << c.what;
        TearDown();
    }
}

TEST_F(ObjectMotion, TheTemporaryBackgroundSpanFollowsThePicturesEdges) {
    const int32_t t = MovingTrain(1000);
    trains().at(t).TbgFrom = 0;
    trains().at(t).TbgTo = 1000;
    trains().at(t).TbgOverlap = 10;
    Member(t, Moving(ms::kRunOut, 200, 1, 5));
    Steps(t, 1);
    EXPECT_EQ(trains().at(t).TbgFrom, 205 + 100 - 10);
    const int32_t u = MovingTrain(1000);
    trains().at(u).TbgTo = 1000;
    trains().at(u).TbgOverlap = 10;
    Member(u, Moving(ms::kRunOut, 600, -1, 5));
    Steps(u, 1);
    EXPECT_EQ(trains().at(u).TbgTo, 595 + 10);
}

TEST_F(ObjectMotion, OnlyAMovingTrainMovesAndEmptyMembersAreSkipped) {
    const int32_t t = MovingTrain();
    const int32_t id = Member(t, Moving(ms::kRunOut, 0, 1, 2));
    trains().at(t).Members[2] = 0;
    trains().at(t).Members[3] = 999;  // no such picture
    trains().at(t).MemberCount = 3;
    trains().at(t).Flags = 0;
    Steps(t, 1);
    EXPECT_EQ(Pic(id).X, 0);
    trains().at(t).Flags = train_flag::kMoving;
    Steps(t, 1);
    EXPECT_EQ(Pic(id).X, 2);
}

TEST_F(ObjectMotion, RepaintMarkingCarriesTheLayerBitsOfStartedTrains) {
    const int32_t started = MovingTrain();
    const int32_t waiting = MovingTrain();
    trains().at(started).Flags |= train_flag::kStarted;
    trains().at(started).LayerFlags = 0xFF;
    trains().at(waiting).LayerFlags = 0xFF;
    showState().FlipCount = 2;
    showState().PagesToRepaint = 0x5;
    MarkObjectsForRepaint();
    EXPECT_EQ(trains().at(started).BufferRedraw, (std::array<int32_t, 3>{0xB7, 0, 0xB7}));
    EXPECT_EQ(trains().at(waiting).BufferRedraw, (std::array<int32_t, 3>{0, 0, 0}));
}

}  // namespace
