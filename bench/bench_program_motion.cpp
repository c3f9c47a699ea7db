// Object motion per frame step: MoveObject over a full table of 255 trains, each with a
// leading unit that runs at constant speed and a follower keeping its distance behind it,
// and the animation wheel turning under 2 x 255 cycling part animations.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "program/core/pictures/anim_pools.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show/object_motion.h"
#include "program/show/part_anims.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

constexpr int32_t kTrains = 255;
constexpr int32_t kStepMs = 20;

int32_t AddPicture(int32_t train, int32_t x, float speed, int16_t state) {
    yov::TrainPictureTable& tp = yov::trainPictures();
    yov::TrainRec& rec = yov::trains().at(train);
    yov::TrainPicture p;
    p.MotionState = state;
    p.X = x;
    p.Dir = 1;
    p.Width = 120;
    p.Speed = speed;
    p.TargetSpeed = 3;
    p.AccelRate = 0.05f;
    p.BrakeRate = 0.05f;
    p.MemberPos = rec.MemberCount + 1;
    tp.Entries.push_back(p);
    tp.Count = static_cast<int32_t>(tp.Entries.size()) - 1;
    rec.Members[static_cast<size_t>(++rec.MemberCount)] = tp.Count;
    return tp.Count;
}

void MakeScene() {
    yov::ResetTrainTable();
    yov::ResetTrainPictures();
    yov::ClearPicturePools();
    yov::pictureSlots() = yov::PictureSlotTable{};
    yov::animWheel() = yov::AnimWheelState{};
    yov::showState() = yov::ShowState{};
    for (int32_t i = 0; i < kTrains; ++i) {
        const int32_t t = yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kDependent));
        yov::TrainRec& rec = yov::trains().at(t);
        rec.Flags = yov::train_flag::kMoving;
        rec.Width = 1 << 30;  // the trains never leave during a run
        rec.TbgTo = rec.Width;
        yov::InsertActiveTrain(t);
        AddPicture(t, 1000, 2.0f + static_cast<float>(i % 7) / 10, yov::motion_state::kFollowing);
        AddPicture(t, 600, 3.0f, yov::motion_state::kFollowing);
    }
}

void MoveAll() {
    yov::TrainTable& t = yov::trains();
    for (int32_t r = t.ActiveHead; r != 0; r = t.at(r).NextActive) yov::MoveObject(r, kStepMs);
}

void BM_MoveObject255Trains(benchmark::State& state) {
    MakeScene();
    for (auto _ : state) {
        MoveAll();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTrains);
}
BENCHMARK(BM_MoveObject255Trains);

void BM_StepAnimations510Slots(benchmark::State& state) {
    MakeScene();
    yov::PictureSlotTable& slots = yov::pictureSlots();
    for (int32_t i = 0; i < 2 * kTrains; ++i) {
        const int32_t part = yov::AllocPicPart(0);
        slots.Slots.emplace_back();
        const int32_t s = ++slots.Count;
        slots[s].LastFrame = 3;
        slots[s].StepDelay = 3 + i % 50;
        slots[s].OwnerPart = part;
        yov::picParts()[part].FirstSlot = s;
        int32_t longest = 0;
        yov::StartPictureAnim(s, yov::kSlotCycling, longest, 0, 1, u"");
    }
    for (auto _ : state) {
        yov::StepAnimations(kStepMs);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StepAnimations510Slots);

}  // namespace

BENCHMARK_MAIN();
