// Trains with member pictures for the motion, wheel and scene-tick tests: a clean show (the
// show fixture) with an empty picture table, trains made moving and active, and members
// appended with the fields a test sets. One motion time unit per step: 16 ms at speed
// factor 0.1 (16 x 0.1 / 1.6 is exactly 1 in single precision).
#pragma once

#include <string>
#include <vector>

#include "program/show/object_motion.h"
#include "program/trains/show_queues.h"
#include "program/trains/train_picture.h"
#include "show_fixture.h"

namespace motion_test {

inline constexpr int32_t kUnitStepMs = 16;
inline constexpr float kUnitSpeedFactor = 0.1f;

template <class Base = ::testing::Test>
class MotionTestOn : public show_test::ShowTestOn<Base> {
protected:
    void SetUp() override {
        show_test::ShowTestOn<Base>::SetUp();
        yov::ResetTrainPictures();
        yov::showState().SpeedFactor = kUnitSpeedFactor;
    }
    void TearDown() override {
        yov::ResetTrainPictures();
        show_test::ShowTestOn<Base>::TearDown();
    }

    // A moving, active train on a line `width` pixels long.
    static int32_t MovingTrain(int32_t width = 1000) {
        const int32_t t = yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kDependent));
        yov::TrainRec& rec = yov::trains().at(t);
        rec.Flags = yov::train_flag::kMoving;
        rec.Width = width;
        rec.TbgTo = width;
        yov::InsertActiveTrain(t);
        return t;
    }
    // A picture appended to the train's members; its MemberPos is set. With reuseFree it
    // takes a freed entry first, as the picture table does, so ids stay coupling ids (a byte).
    static int32_t Member(int32_t train, yov::TrainPicture p, bool reuseFree = false) {
        yov::TrainPictureTable& tp = yov::trainPictures();
        yov::TrainRec& rec = yov::trains().at(train);
        p.MemberPos = rec.MemberCount + 1;
        p.OwnerTrain = train;
        int32_t id = 0;
        for (int32_t i = 1; reuseFree && id == 0 && i <= tp.Count; ++i) {
            if (tp[i].MotionState == yov::kPictureFree) id = i;
        }
        if (id == 0) {
            tp.Entries.push_back(p);
            tp.Count = static_cast<int32_t>(tp.Entries.size()) - 1;
            tp.Alloc = tp.Count;
            id = tp.Count;
        } else {
            tp[id] = p;
        }
        rec.Members[static_cast<size_t>(++rec.MemberCount)] = id;
        return id;
    }
    // A picture of `width` at x, moving in dir at speed in the state.
    static yov::TrainPicture Moving(int16_t state, int32_t x, int16_t dir, float speed, int32_t width = 100) {
        yov::TrainPicture p;
        p.MotionState = state;
        p.X = x;
        p.Dir = dir;
        p.Speed = speed;
        p.TargetSpeed = speed;
        p.Width = width;
        p.AccelRate = 0.1f;
        p.BrakeRate = 0.1f;
        return p;
    }
    static yov::TrainPicture& Pic(int32_t id) { return yov::trainPictures()[id]; }
    static void Steps(int32_t train, int n, int32_t ms = kUnitStepMs) {
        for (int i = 0; i < n; ++i) yov::MoveObject(train, ms);
    }
    static std::vector<int32_t> StepList() {
        std::vector<int32_t> out;
        for (int32_t t = yov::showState().Lists.StepHead; t != 0 && out.size() < 1000;
             t = yov::trains().at(t).NextQueued)
            out.push_back(t);
        return out;
    }
};

using MotionTest = MotionTestOn<>;

}  // namespace motion_test
