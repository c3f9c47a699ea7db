// A soak of the moving scene: 10,000 frames of 20 ms in which trains of two coupled units
// are queued, started by the scene tick, moved onto a stop point, held by a wait, cut apart
// and run out, with a part animation on each unit's wheel, then removed. The train start
// and the step program are stood in for by a small driver; after every frame a checker walks
// the step, priority and start lists, the active and free lists, the wheel with its far
// list, and the pictures, and at the end nothing is left over.
#include <gtest/gtest.h>

#include <string>

#include "program/show/show_wiring.h"
#include "core_fixture.h"
#include "motion_fixture.h"
#include "show_lists_check.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show/part_anims.h"
#include "stepped_clock.h"
#include "program/show/timed_object_events.h"

using namespace yov;
namespace ms = yov::motion_state;

namespace {

constexpr int32_t kFrameMs = 20;
constexpr int32_t kLineWidth = 2000;
constexpr int32_t kTrainLength = 300;
// The stand-in step program's phases.
constexpr uint8_t kToStop = 20;
constexpr uint8_t kHeld = 21;
constexpr uint8_t kCutting = 22;

class MotionSoak : public motion_test::MotionTestOn<core_test::CoreTest> {
protected:
    void SetUp() override {
        motion_test::MotionTestOn<core_test::CoreTest>::SetUp();
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        programState().settings.Show = ShowSettings{};
        programState().settings.Show.LimLinB[0] = 1;
        programState().settings.Show.LimLinV[0] = 6;
        programState().run.RunFlags = 0x01;  // the scene is animated: freed slots leave the wheel
        trainSlotHead() = kTrainSlotHead;    // the show's, as the program wires it
        StartTimedEvents();
        ResetTrainStarts();
    }
    void TearDown() override {
        programState().settings.Show = ShowSettings{};
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        motion_test::MotionTestOn<core_test::CoreTest>::TearDown();
    }

    uint32_t seed = 7;
    int32_t removedTrains = 0;
    int32_t Next(int32_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 16) % static_cast<uint32_t>(n));
    }

    // A unit with one part of its own and a cycling animation on that part.
    int32_t Unit(int32_t train, int32_t x, int16_t dir) {
        TrainPicture p = Moving(kPictureBuilt, x, dir, 0, 100);
        const int32_t part = AllocPicPart(static_cast<uint8_t>(train));
        p.FirstPart = part;
        const int32_t id = Member(train, p, true);
        EXPECT_LE(id, 255) << "a coupling id is a byte";
        picParts()[part].OwnerPicture = id;
        PictureSlotTable& table = pictureSlots();
        table.Slots.emplace_back();
        const int32_t s = ++table.Count;
        table[s].LastFrame = 3;
        table[s].StepDelay = 3 + Next(400);  // some wait on the far list
        table[s].OwnerPart = part;
        picParts()[part].FirstSlot = s;
        picParts()[part].LastSlot = s;
        return id;
    }

    void NewTrain() {
        const int32_t t = NewTrainRec(0);
        TrainRec& rec = trains().at(t);
        rec.Width = kLineWidth;
        rec.TotalLength = kTrainLength;
        rec.TbgTo = kLineWidth;
        rec.PointCount = 1;
        rec.Points[1].Position = 700;
        rec.Points[1].Texts = {u"[TGA]", u"[TGA]", u"[TGB]", u"[TGB]"};
        const int16_t dir = Next(2) == 0 ? 1 : -1;
        const int32_t x = dir > 0 ? -100 : kLineWidth;
        const int32_t lead = Unit(t, x, dir);
        const int32_t tail = Unit(t, x - dir * 100, dir);
        Pic(lead).CoupledId = static_cast<uint8_t>(tail);
        InsertActiveTrain(t);
        QueueTrainStart(t);
    }

    // The step program's stand-in: run to the stop point, hold, cut and run out.
    void Step(int32_t t) {
        TrainRec& rec = trains().at(t);
        rec.Flags &= ~train_flag::kQueued;
        TrainPicture& lead = Pic(rec.Members[1]);
        if ((rec.Flags & train_flag::kWaiting) != 0) {
            rec.Flags = (rec.Flags & ~train_flag::kWaiting) | train_flag::kMoving;
            lead.MotionState = ms::kRunToStop;
            lead.StopX = lead.Dir > 0 ? 1000 : 900;
            lead.TargetSpeed = 1.5f + static_cast<float>(Next(20)) / 10;
            lead.Accel = lead.AccelRate;
            rec.State = kToStop;
            for (int32_t i = 1; i <= rec.MemberCount; ++i) {
                int32_t longest = 0;
                StartPictureAnim(picParts()[Pic(rec.Members[static_cast<size_t>(i)]).FirstPart].FirstSlot, kSlotCycling,
                                 longest, 0, 1, u"");
            }
        } else if (rec.State == kToStop && lead.MotionState == ms::kArrived) {
            rec.WaitTicks = 1 + Next(6);
            rec.State = kHeld;
        } else if (rec.State == kHeld) {
            lead.MotionState = ms::kCut;
            lead.StopX = lead.X + lead.Dir * 40;
            lead.Speed = 0.5f;
            lead.Accel = lead.AccelRate;
            lead.TargetSpeed = 3;
            Pic(rec.Members[2]).TargetSpeed = 1;
            rec.State = kCutting;
        }
    }

    void RemoveLeftTrains() {
        TrainTable& t = trains();
        for (int32_t r = t.ActiveHead; r != 0;) {
            const int32_t next = t.at(r).NextActive;
            bool left = t.at(r).MemberCount > 0;
            for (int32_t i = 1; i <= t.at(r).MemberCount; ++i)
                left = left && Pic(t.at(r).Members[static_cast<size_t>(i)]).MotionState == ms::kLeft;
            if (left) {
                RemoveTrain(r);
                ++removedTrains;
                --showState().StartedTrains;
                showState().StartedLength -= kTrainLength;
            }
            r = next;
        }
    }

    void Frame(int frame) {
        ShowState& ss = showState();
        if (frame % 29 == 0 && ss.ActiveCount < 10) NewTrain();
        ss.ActiveCount = 0;
        TrainTable& t = trains();
        for (int32_t r = t.ActiveHead; r != 0; r = t.at(r).NextActive) {
            ++ss.ActiveCount;
            MoveObject(r, kFrameMs);
        }
        StepAnimations(kFrameMs);
        ss.TickAccumulator += kFrameMs;
        ss.UnyieldedMs += kFrameMs;
        ss.YieldedThisStep = 0;
        for (int pass = 0; pass < 1024; ++pass) {
            if (const int32_t s = TakeObjectStep()) {
                Step(s);
                continue;
            }
            if (DoTimedEvents() == 0) break;
        }
        RemoveLeftTrains();
    }

    // Every list sound after the frame.
    void Check(int frame) { ASSERT_EQ(show_test::ShowListsFault(), "") << "frame " << frame; }

    program_test::SteppedClock clock_;  // the show's waits take no time
};

TEST_F(MotionSoak, TenThousandFramesKeepEveryListSoundAndLeakNothing) {
    for (int frame = 0; frame < 10000; ++frame) {
        Frame(frame);
        Check(frame);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(removedTrains, 20) << "trains ran through the scene";
    EXPECT_LE(showState().StartedTrains, 6) << "the train limit held";
    // Take everything down: no train, picture, part or animation is left.
    for (int32_t r = trains().ActiveHead; r != 0; r = trains().ActiveHead) RemoveTrain(r);
    Check(10000);
    EXPECT_EQ(trains().ActiveHead, 0);
    EXPECT_EQ(animWheel().AnimScheduled, 0);
    for (int32_t p = 1; p <= picParts().Count; ++p) EXPECT_EQ(picParts()[p].State, kPartFree) << p;
}

}  // namespace
