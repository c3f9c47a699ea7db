// The picture part pool and the freeing of picture slots: free lists, the allocation
// stacks and their marks, engine handles, the animation wheel and the train's list.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "freed_handles_engine.h"
#include "program/core/startup/program_state.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/core_state.h"
#include "program/scene/picture_slot.h"
#include "program/core/pictures/anim_wheel_state.h"

namespace {

using Freed = std::vector<int32_t>;  // handles, in the order given back

class AnimPools : public ::testing::Test {
protected:
    void SetUp() override {
        trainHead = 0;
        yov::trainSlotHead() = [](uint8_t train) -> int32_t* { return train == 3 ? &trainHead : nullptr; };
        yov::programState().run.RunFlags |= 0x01;  // an animated scene
        Clear();
    }
    void TearDown() override { Clear(); }
    static void Clear() {
        yov::ClearPicturePools();
        yov::pictureSlots().Slots.assign(1, yov::PictureSlot{});
        yov::pictureSlots().Alloc = 0;
        yov::pictureSlots().SlotStack.assign(1, 0);
        yov::pictureSlots().StackAlloc = 0;
        yov::animWheel() = {};
    }

    // A slot made as the picture-slot procedures make one: on the stack, chained to its part.
    int32_t NewSlot(int32_t owner) {
        yov::PictureSlotTable& t = yov::pictureSlots();
        const int32_t i = ++t.Count;
        t.Slots.resize(std::max<size_t>(t.Slots.size(), static_cast<size_t>(i) + 1));
        t.Slots[static_cast<size_t>(i)] = yov::PictureSlot{};
        t[i].OwnerPart = owner;
        t.SlotStack.resize(static_cast<size_t>(++t.StackCount) + 1);
        t.SlotStack[static_cast<size_t>(t.StackCount)] = i;
        if (owner > 0) {
            yov::PicPart& part = yov::picParts()[owner];
            if (part.FirstSlot == 0) {
                part.FirstSlot = i;
            } else {
                t[part.LastSlot].NextSlot = i;
            }
            part.LastSlot = i;
        }
        return i;
    }

    // Puts the slot at the head of a wheel place (or the far list for -1), running.
    static void Schedule(int32_t slot, int place) {
        yov::PictureSlotTable& t = yov::pictureSlots();
        yov::AnimWheelState& w = yov::animWheel();
        int32_t& head = place < 0 ? w.AnimOverflow : w.AnimWheel[static_cast<size_t>(place)];
        t[slot].WheelNext = head;
        head = slot;
        t[slot].State = yov::kSlotCycling;
        ++w.AnimScheduled;
        if (t[slot].OwnerPart > 0) ++yov::picParts()[t[slot].OwnerPart].AnimCount;
    }

    static std::vector<int32_t> Chain(int32_t head, int32_t yov::PictureSlot::*link) {
        std::vector<int32_t> out;
        for (int guard = 0; head != 0 && guard < 100; ++guard) {
            out.push_back(head);
            head = yov::pictureSlots()[head].*link;
        }
        return out;
    }

    // The handles here are made up: the engine fake only writes their freeing down.
    engine_test::FreedHandlesEngine engine;
    Freed& surfaces = engine.surfaces;
    std::vector<int32_t>& buffers = engine.buffers;
    // Train 3's list of running animations, the only train there is.
    static inline int32_t trainHead = 0;
};

TEST_F(AnimPools, FreedPartIndexComesBack) {
    const int32_t a = yov::AllocPicPart(0);
    const int32_t b = yov::AllocPicPart(0);
    const int32_t c = yov::AllocPicPart(0);
    EXPECT_EQ(std::vector<int32_t>({a, b, c}), std::vector<int32_t>({1, 2, 3}));
    yov::FreePicPart(b);
    EXPECT_EQ(yov::AllocPicPart(5), b);
    EXPECT_EQ(yov::picParts().Count, 3);
    EXPECT_EQ(yov::picParts().StackCount, 4);
    EXPECT_EQ(yov::AllocPicPart(0), 4);
}

TEST_F(AnimPools, NewPartStartsFromTheTemplate) {
    yov::picParts().Template.Kind = 9;
    const int32_t a = yov::AllocPicPart(7);
    yov::picParts()[a].Name = u"dirty";
    yov::picParts()[a].Width = 99;
    yov::FreePicPart(a);
    const int32_t again = yov::AllocPicPart(2);
    ASSERT_EQ(again, a);
    const yov::PicPart& p = yov::picParts()[again];
    EXPECT_EQ(p.Train, 2);
    EXPECT_EQ(p.SavedWidth, yov::kPartNeverPainted);
    EXPECT_EQ(p.Kind, 9);
    EXPECT_TRUE(p.Name.empty());
    EXPECT_EQ(p.Width, 0);
    EXPECT_EQ(p.State, yov::kPartInUse);
}

TEST_F(AnimPools, TablesGrowInSteps) {
    for (int i = 0; i < 11; ++i) yov::AllocPicPart(0);
    EXPECT_EQ(yov::picParts().Alloc, 20);
    EXPECT_EQ(yov::picParts().StackAlloc, 20);
    for (int i = 0; i < 10; ++i) yov::AllocPicPart(0);
    EXPECT_EQ(yov::picParts().StackAlloc, 40);
}

TEST_F(AnimPools, FreeingReturnsTheNextPartOnce) {
    const int32_t a = yov::AllocPicPart(0);
    yov::picParts()[a].NextPart = 5;
    EXPECT_EQ(yov::FreePicPart(a), 5);
    EXPECT_EQ(yov::FreePicPart(a), 0) << "already free";
    EXPECT_EQ(yov::FreePicPart(0), 0);
    EXPECT_EQ(yov::FreePicPart(77), 0) << "never allocated";
    EXPECT_EQ(yov::FreePictureSlot(0), 0);
    EXPECT_EQ(yov::FreePictureSlot(77), 0);
}

TEST_F(AnimPools, PartReleasesItsEngineHandles) {
    const int32_t a = yov::AllocPicPart(0);
    yov::PicPart& p = yov::picParts()[a];
    p.Surface = 11;
    p.Surface2 = 12;
    p.Buffer = 21;
    p.Buffer2 = 22;
    yov::FreePicPart(a, 15008);
    EXPECT_EQ(surfaces, (Freed{11, 12}));
    EXPECT_EQ(buffers, (std::vector<int32_t>{22, 21}));
    EXPECT_EQ(yov::picParts()[a].Surface, 0) << "no stale handle stays behind";
}

TEST_F(AnimPools, BorrowedSurfaceStaysAlive) {
    const int32_t a = yov::AllocPicPart(0);
    yov::picParts()[a].Surface = 11;
    yov::picParts()[a].Surface2 = 12;
    yov::picParts()[a].State = yov::kPartBorrowedSurface;
    yov::FreePicPart(a);
    EXPECT_EQ(surfaces, (Freed{12}));
    EXPECT_EQ(yov::picParts()[a].State, yov::kPartFree);
}

TEST_F(AnimPools, PartFreesItsSlotChain) {
    const int32_t a = yov::AllocPicPart(0);
    const int32_t s1 = NewSlot(a);
    const int32_t s2 = NewSlot(a);
    yov::pictureSlots()[s1].Surface = 31;
    yov::pictureSlots()[s2].Buffer = 41;
    yov::pictureSlots()[s2].Surface2 = 32;
    yov::pictureSlots()[s2].AnimProgram = {1, 2, 255};
    yov::FreePicPart(a);
    EXPECT_EQ(yov::pictureSlots()[s1].State, yov::kSlotFree);
    EXPECT_EQ(yov::pictureSlots()[s2].State, yov::kSlotFree);
    EXPECT_TRUE(yov::pictureSlots()[s2].AnimProgram.empty());
    EXPECT_EQ(surfaces, (Freed{31, 32}));
    EXPECT_EQ(buffers, (std::vector<int32_t>{41}));
    EXPECT_EQ(yov::picParts()[a].FirstSlot, 0);
    // Freed slots head the free list, the last freed first.
    EXPECT_EQ(yov::pictureSlots().FreeHead, s2);
    EXPECT_EQ(yov::pictureSlots()[s2].NextSlot, s1);
}

TEST_F(AnimPools, SlotInTheMiddleOfAWheelPlace) {
    const int32_t part = yov::AllocPicPart(0);
    const int32_t a = NewSlot(part);
    const int32_t b = NewSlot(part);
    const int32_t c = NewSlot(part);
    Schedule(c, 7);
    Schedule(b, 7);
    Schedule(a, 7);
    ASSERT_EQ(Chain(yov::animWheel().AnimWheel[7], &yov::PictureSlot::WheelNext), (std::vector<int32_t>{a, b, c}));
    yov::FreePictureSlot(b);
    EXPECT_EQ(Chain(yov::animWheel().AnimWheel[7], &yov::PictureSlot::WheelNext), (std::vector<int32_t>{a, c}));
    EXPECT_EQ(yov::animWheel().AnimScheduled, 2);
    EXPECT_EQ(yov::picParts()[part].AnimCount, 2);
    yov::FreePictureSlot(a);
    EXPECT_EQ(Chain(yov::animWheel().AnimWheel[7], &yov::PictureSlot::WheelNext), (std::vector<int32_t>{c}));
}

TEST_F(AnimPools, FreeingAPartCountsItsScheduledSlotsOnce) {
    const int32_t other = yov::AllocPicPart(0);
    const int32_t part = yov::AllocPicPart(0);
    Schedule(NewSlot(other), 3);
    Schedule(NewSlot(part), 3);
    Schedule(NewSlot(part), 150);
    NewSlot(part);  // at rest, not on the wheel
    ASSERT_EQ(yov::animWheel().AnimScheduled, 3);
    yov::FreePicPart(part);
    EXPECT_EQ(yov::animWheel().AnimScheduled, 1);
    EXPECT_EQ(yov::picParts()[other].AnimCount, 1);
}

TEST_F(AnimPools, RunningSlotNotOnTheWheelLeavesTheCount) {
    const int32_t part = yov::AllocPicPart(0);
    const int32_t s = NewSlot(part);
    yov::pictureSlots()[s].State = yov::kSlotProgram;  // running, but taken off by the wheel's step
    yov::animWheel().AnimScheduled = 4;
    yov::FreePictureSlot(s);
    EXPECT_EQ(yov::animWheel().AnimScheduled, 4);
}

TEST_F(AnimPools, SlotOnTheFarList) {
    const int32_t part = yov::AllocPicPart(0);
    const int32_t a = NewSlot(part);
    const int32_t b = NewSlot(part);
    Schedule(b, -1);
    Schedule(a, -1);
    yov::FreePictureSlot(b);
    EXPECT_EQ(Chain(yov::animWheel().AnimOverflow, &yov::PictureSlot::WheelNext), (std::vector<int32_t>{a}));
    EXPECT_EQ(yov::animWheel().AnimScheduled, 1);
}

TEST_F(AnimPools, WithoutAnAnimatedSceneTheWheelIsNotTouched) {
    yov::programState().run.RunFlags &= ~0x01;
    const int32_t part = yov::AllocPicPart(0);
    const int32_t a = NewSlot(part);
    Schedule(a, 9);
    yov::FreePictureSlot(a);
    EXPECT_EQ(yov::animWheel().AnimWheel[9], a);
    EXPECT_EQ(yov::animWheel().AnimScheduled, 1);
}

TEST_F(AnimPools, SlotInTheMiddleOfItsTrainsList) {
    const int32_t part = yov::AllocPicPart(3);
    const int32_t a = NewSlot(part);
    const int32_t b = NewSlot(part);
    const int32_t c = NewSlot(part);
    yov::PictureSlotTable& t = yov::pictureSlots();
    trainHead = a;
    t[a].TrainNext = b;
    t[b].TrainNext = c;
    yov::FreePictureSlot(b);
    EXPECT_EQ(Chain(trainHead, &yov::PictureSlot::TrainNext), (std::vector<int32_t>{a, c}));
    yov::FreePictureSlot(a);
    EXPECT_EQ(trainHead, c) << "the head moves on";
    // A part without a train, or a train without records, leaves the list alone.
    const int32_t loose = yov::AllocPicPart(0);
    const int32_t d = NewSlot(loose);
    t[c].TrainNext = d;
    yov::FreePictureSlot(d);
    EXPECT_EQ(t[c].TrainNext, d);
}

TEST_F(AnimPools, FramesWithSurfacesOfTheirOwn) {
    const int32_t part = yov::AllocPicPart(0);
    const int32_t s = NewSlot(part);
    yov::PictureSlot& slot = yov::pictureSlots()[s];
    slot.Flags = yov::kSlotSurfacePerFrame;
    slot.LastFrame = 3;
    slot.Frames = {{51, 61, 0, 0, 0, 0}, {52, 62, 0, 0, 0, 0}};  // fewer frames than LastFrame says
    slot.Buffer = 70;
    yov::FreePictureSlot(s);
    EXPECT_EQ(surfaces, (Freed{51, 52}));
    EXPECT_EQ(buffers, (std::vector<int32_t>{61, 62, 70}));
    EXPECT_TRUE(yov::pictureSlots()[s].Frames.empty());
}

TEST_F(AnimPools, SharedFrameSurfaceIsFreedOnce) {
    const int32_t s = NewSlot(0);
    yov::PictureSlot& slot = yov::pictureSlots()[s];
    slot.LastFrame = 1;
    slot.Surface = 80;
    slot.Frames = {{80, 0, 0, 0, 0, 0}, {80, 0, 0, 0, 0, 0}};
    yov::FreePictureSlot(s);
    EXPECT_EQ(surfaces, (Freed{80}));
}

TEST_F(AnimPools, ReleaseToMarkFreesOnlyTheBuild) {
    const int32_t earlier = yov::AllocPicPart(0);
    const int32_t earlierSlot = NewSlot(earlier);
    const int32_t partMark = yov::picParts().StackCount;
    const int32_t slotMark = yov::pictureSlots().StackCount;

    const int32_t p1 = yov::AllocPicPart(0);
    const int32_t s1 = NewSlot(p1);
    const int32_t s2 = NewSlot(p1);
    const int32_t p2 = yov::AllocPicPart(0);
    const int32_t loose = NewSlot(0);
    yov::ReleaseToMark(partMark, slotMark);

    for (int32_t p : {p1, p2}) EXPECT_EQ(yov::picParts()[p].State, yov::kPartFree);
    for (int32_t s : {s1, s2, loose}) EXPECT_EQ(yov::pictureSlots()[s].State, yov::kSlotFree);
    EXPECT_EQ(yov::picParts()[earlier].State, yov::kPartInUse);
    EXPECT_EQ(yov::pictureSlots()[earlierSlot].State, yov::kSlotAtRest);
    EXPECT_EQ(yov::picParts()[earlier].FirstSlot, earlierSlot);
    EXPECT_EQ(yov::picParts().StackCount, partMark);
    EXPECT_EQ(yov::pictureSlots().StackCount, slotMark);

    // Released twice: nothing more happens.
    const size_t freedBefore = surfaces.size() + buffers.size();
    yov::ReleaseToMark(partMark, slotMark);
    yov::ReleaseToMark(-5, slotMark);
    EXPECT_EQ(yov::picParts()[earlier].State, yov::kPartFree) << "a mark below 0 releases all";
    EXPECT_EQ(surfaces.size() + buffers.size(), freedBefore);
}

TEST_F(AnimPools, ChainsEndWhateverTheirLinks) {
    const int32_t a = NewSlot(0);
    const int32_t b = NewSlot(0);
    int32_t head = a;
    yov::pictureSlots()[a].NextSlot = b;
    yov::FreePictureSlotChain(head);
    EXPECT_EQ(head, 0);
    EXPECT_EQ(yov::pictureSlots()[b].State, yov::kSlotFree);

    // A damaged wheel place that loops on itself is given up, not walked for ever.
    const int32_t c = NewSlot(0);
    const int32_t d = NewSlot(0);
    Schedule(c, 1);
    yov::pictureSlots()[c].WheelNext = c;
    Schedule(d, 2);
    yov::FreePictureSlot(d);
    EXPECT_EQ(yov::animWheel().AnimWheel[2], 0);
}

TEST_F(AnimPools, ClearingEmptiesBothPools) {
    yov::AllocPicPart(0);
    yov::FreePicPart(yov::AllocPicPart(0));
    NewSlot(0);
    yov::ClearPicturePools();
    EXPECT_EQ(yov::picParts().Count, 0);
    EXPECT_EQ(yov::picParts().FreeHead, 0);
    EXPECT_EQ(yov::picParts().StackCount, 0);
    EXPECT_EQ(yov::pictureSlots().Count, 0);
    EXPECT_EQ(yov::AllocPicPart(0), 1);
}

}  // namespace
