// The animation wheel: turning by the step time with its carry, stepping each animation
// when its place comes round, the far list re-sorted at every pass of place 0, ended
// animations counted off, and steps the frame step never grants.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show/part_anims.h"
#include "program/trains/train_records.h"
#include "show_fixture.h"

using namespace yov;

namespace {

class AnimWheel : public show_test::ShowTest {
protected:
    void SetUp() override {
        show_test::ShowTest::SetUp();
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
    }
    void TearDown() override {
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        show_test::ShowTest::TearDown();
    }

    // A part of the train with one slot of four frames, `delay` wheel places per frame.
    static int32_t Slot(int32_t delay, uint8_t train = 0, uint8_t pages = 0) {
        const int32_t part = AllocPicPart(train);
        picParts()[part].PageCount = pages;
        PictureSlotTable& slots = pictureSlots();
        slots.Slots.emplace_back();
        const int32_t s = ++slots.Count;
        slots[s].LastFrame = 3;
        slots[s].StepDelay = delay;
        slots[s].OwnerPart = part;
        picParts()[part].FirstSlot = s;
        picParts()[part].LastSlot = s;
        return s;
    }
    // Started as the part animations start it: on the place the wheel stands on.
    static void Start(int32_t slot, uint8_t mode) {
        int32_t longest = 0;
        StartPictureAnim(slot, mode, longest, 0, 1, u"");
    }
    static std::vector<int32_t> Chain(int32_t head) {
        std::vector<int32_t> out;
        for (; head != 0 && out.size() < 100; head = pictureSlots()[head].WheelNext) out.push_back(head);
        return out;
    }
    static PictureSlot& S(int32_t slot) { return pictureSlots()[slot]; }
};

TEST_F(AnimWheel, TheWheelTurnsByWholePlacesAndCarriesTheRest) {
    struct Case {
        const char* what;
        int32_t pos, carry, elapsed;
        int32_t posAfter, carryAfter;
    } cases[] = {
        {"25 ms after a carry of 7", 10, 7, 25, 13, 2},
        {"wrapping past 199", 198, 0, 45, 2, 5},
        {"less than a place", 0, 3, 6, 0, 9},
        {"a negative step turns nothing", 40, 4, -50, 40, 4},
        {"a step never granted counts as 2 s", 5, 0, 100000, 5, 0},
    };
    for (const Case& c : cases) {
        animWheel() = AnimWheelState{};
        animWheel().AnimWheelPos = c.pos;
        animWheel().AnimWheelCarry = c.carry;
        StepAnimations(c.elapsed);
        EXPECT_EQ(animWheel().AnimWheelPos, c.posAfter) << c.what;
        EXPECT_EQ(animWheel().AnimWheelCarry, c.carryAfter) << c.what;
    }
}

TEST_F(AnimWheel, ACyclingAnimationIsSteppedEachTimeItsPlaceComesRound) {
    const int32_t train = NewTrainRec(static_cast<int16_t>(train_flag::kDependent));
    const int32_t s = Slot(5, static_cast<uint8_t>(train), 2);
    Start(s, kSlotCycling);
    EXPECT_EQ(animWheel().AnimScheduled, 1);
    std::vector<int> frames;
    for (int step = 0; step < 8; ++step) {
        StepAnimations(25);  // every other step passes its place
        frames.push_back(S(s).AnimFrame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 1, 2, 2, 3, 3, 0, 0}));
    EXPECT_EQ(S(s).ShowFrame, 3) << "shows the frame it stood on before its step";
    EXPECT_EQ(picParts()[S(s).OwnerPart].RedrawMask, 0x7) << "repainted in back buffers 0 to 2";
    EXPECT_EQ(picParts()[S(s).OwnerPart].PhaseMask, 0x1) << "its one running phase takes the frame";
    EXPECT_EQ(trains().at(train).AnimSlots, s) << "on its train's list from its first pass";
    EXPECT_EQ(S(s).Linked, 1);
}

TEST_F(AnimWheel, AFarFrameWaitsOnTheOverflowListForTwoPassesOfPlaceZero) {
    animWheel().AnimWheelPos = 50;
    const int32_t s = Slot(450);
    Start(s, kSlotCycling);
    StepAnimations(10);  // the first step, at place 50: the next frame is 450 places away
    ASSERT_EQ(S(s).AnimFrame, 1);
    EXPECT_EQ(Chain(animWheel().AnimOverflow), std::vector<int32_t>{s});
    int32_t elapsed = 0;
    int zeroPassesOnFarList = 0;
    while (S(s).AnimFrame == 1 && elapsed < 10000) {
        const bool before = !Chain(animWheel().AnimOverflow).empty();
        const int32_t place = animWheel().AnimWheelPos;
        StepAnimations(10);
        elapsed += 10;
        if (place == 0 && before) ++zeroPassesOnFarList;
    }
    EXPECT_EQ(elapsed, 4500);
    EXPECT_EQ(zeroPassesOnFarList, 2);
}

TEST_F(AnimWheel, PassingPlaceZeroReSortsTheFarList) {
    struct Far {
        int32_t due;
        int32_t place;  // where it goes, or -1 back on the far list
        int32_t dueAfter;
    } far[] = {{0, 0, 0}, {137, 137, 137}, {199, 199, 199}, {200, -1, 0}, {655, -1, 455}};
    std::vector<int32_t> slots;
    AnimWheelState& w = animWheel();
    for (const Far& f : far) {
        const int32_t s = Slot(500);
        S(s).State = kSlotCycling;
        S(s).DueCount = f.due;
        S(s).WheelNext = w.AnimOverflow;
        w.AnimOverflow = s;
        ++w.AnimScheduled;
        slots.push_back(s);
    }
    w.AnimWheelPos = 199;
    StepAnimations(10);  // visits 199 only
    EXPECT_EQ(Chain(w.AnimOverflow).size(), 5u);
    StepAnimations(10);  // visits 0: the far list is sorted, place 0's slot is stepped
    for (size_t i = 0; i < slots.size(); ++i) {
        const Far& f = far[i];
        const int32_t s = slots[i];
        if (f.place < 0) {
            const std::vector<int32_t> onFar = Chain(w.AnimOverflow);
            EXPECT_NE(std::find(onFar.begin(), onFar.end(), s), onFar.end()) << f.due;
            EXPECT_EQ(S(s).DueCount, f.dueAfter) << f.due;
        } else if (f.place == 0) {
            EXPECT_EQ(S(s).AnimFrame, 1) << "due at place 0: stepped in the same pass";
        } else {
            const std::vector<int32_t> there = Chain(w.AnimWheel[static_cast<size_t>(f.place)]);
            EXPECT_EQ(there, std::vector<int32_t>{s}) << f.due;
        }
    }
}

TEST_F(AnimWheel, AnEndedAnimationIsCountedOffAndStops) {
    const int32_t s = Slot(1);
    const int32_t part = S(s).OwnerPart;
    Start(s, 2);  // forward once: frames 1 to 3, then the end
    ASSERT_EQ(picParts()[part].AnimCount, 1);
    for (int i = 0; i < 10; ++i) StepAnimations(10);
    EXPECT_EQ(S(s).AnimFrame, 3);
    EXPECT_EQ(S(s).State, kSlotAtRest);
    EXPECT_EQ(picParts()[part].AnimCount, 0);
    EXPECT_EQ(animWheel().AnimScheduled, 0);
    for (int32_t place = 0; place < kWheelPlaces; ++place)
        EXPECT_EQ(animWheel().AnimWheel[static_cast<size_t>(place)], 0) << place;
    // Counts that are already 0 stay there.
    const int32_t t = Slot(1);
    S(t).State = kSlotCycling;
    S(t).StepDelay = 0;  // ends at its first step
    animWheel().AnimWheel[static_cast<size_t>(animWheel().AnimWheelPos)] = t;
    StepAnimations(10);
    EXPECT_EQ(animWheel().AnimScheduled, 0);
    EXPECT_EQ(picParts()[S(t).OwnerPart].AnimCount, 0);
}

TEST_F(AnimWheel, AStepOfAWholeTurnStepsEveryPlaceOnce) {
    const int32_t s = Slot(5);
    Start(s, kSlotCycling);
    StepAnimations(2000);
    EXPECT_EQ(animWheel().AnimWheelPos, 0);
    // 40 steps of a four-frame cycle bring it back to frame 0.
    EXPECT_EQ(S(s).AnimFrame, 0);
    EXPECT_EQ(Chain(animWheel().AnimWheel[0]), std::vector<int32_t>{s});
}

}  // namespace
