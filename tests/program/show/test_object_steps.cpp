// The step program's pieces on one train: wait texts and their kinds, the time part
// animations still need, the animations at a joint chosen by side and label, coupling, and
// the steps a train takes or leaves alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "modes_fixture.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show/object_steps.h"
#include "program/trains/show_queues.h"

namespace {

using namespace yov;
namespace tf = train_flag;

class ObjectSteps : public modes_test::ModeLine {
protected:
    void SetUp() override {
        ModeLine::SetUp();
        animWheel() = AnimWheelState{};
    }
    void TearDown() override {
        animWheel() = AnimWheelState{};
        ModeLine::TearDown();
    }

    // A unit of one vehicle whose slots have the given names, four frames at 5 places each.
    int32_t UnitWith(int32_t member, int32_t x, int16_t dir, const std::vector<std::u16string>& slotNames) {
        ClearParams();
        AddParam(u"K", u"100");
        const int32_t picture = NewUnit(u"K", dir, member);
        PicPartPool& parts = picParts();
        const int32_t part = ++parts.Count;
        parts.Parts.resize(std::max<size_t>(parts.Parts.size(), static_cast<size_t>(part) + 1));
        parts[part] = PicPart{};
        trainPictures()[picture].FirstPart = part;
        trainPictures()[picture].X = x;
        PictureSlotTable& slots = pictureSlots();
        int32_t prev = 0;
        for (const std::u16string& n : slotNames) {
            const int32_t s = ++slots.Count;
            slots.Slots.resize(std::max<size_t>(slots.Slots.size(), static_cast<size_t>(s) + 1));
            slots[s] = PictureSlot{};
            slots[s].Name = n;
            slots[s].LastFrame = 3;
            slots[s].StepDelay = 5;
            slots[s].OwnerPart = part;
            if (prev == 0)
                parts[part].FirstSlot = s;
            else
                slots[prev].NextSlot = s;
            prev = s;
        }
        return picture;
    }
    // Steps the train as the scene tick would: a running wait ends, the queued step is taken.
    void StepUntilIdle() {
        for (int i = 0; i < 50; ++i) {
            if (TakeObjectStep() == train) {
                StepObjectAnim(train);
                continue;
            }
            if (rec().WaitTicks <= 0) return;
            ticks.push_back(rec().WaitTicks);
            rec().WaitTicks = 0;
            QueueObjectStep(train);
        }
    }
    bool Queued() { return (rec().Flags & tf::kQueued) != 0; }

    std::vector<std::u16string> actions;
    std::vector<int32_t> ticks;
};

TEST_F(ObjectSteps, WaitTexts) {
    struct Case {
        const char* name;
        std::u16string text;
        bool partsRun;
        std::vector<int32_t> ticks;  // the waits, in order
        std::vector<std::u16string> actions;
        uint8_t waitKind;
    };
    const Case cases[] = {
        {"parts, then 2 s, then an action", u"W,2,[X", true, {2, 10}, {u"X"}, 0},
        {"an action alone, in one step", u"[A", false, {}, {u"A"}, 0},
        {"no part runs: W does not wait", u"WAIT,[A", false, {}, {u"A"}, 0},
        {"a snow wait is kept and not waited on", u"WAIT_SNOW", false, {}, {}, 2},
        {"grow waits too", u"wg", false, {}, {}, 2},
        {"a minute or more is 5 s", u"75", false, {25}, {}, 0},
        {"no time does not stall", u"0,[A", false, {}, {u"A"}, 0},
        {"tenths of a second", u"0.4", false, {2}, {}, 0},
        {"an unreadable text is dropped", u"(1,[A", false, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ticks.clear();
        ranActions.clear();
        UnitWith(1, 100, 1, {u"|DOOR:"});
        if (c.partsRun) pictureSlots()[1].State = 2;
        rec().State = 18;
        rec().Flags |= tf::kWaiting;
        rec().WaitText = c.text;
        CheckWait(train);
        // Those parts end before the wait for them is over.
        if (c.partsRun) pictureSlots()[1].State = 0;
        StepUntilIdle();
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(ranActions, c.actions);
        EXPECT_EQ(rec().WaitKind, c.waitKind);
        EXPECT_EQ(rec().State, 20) << "the wait moved on and the next step ran";
        EXPECT_EQ(rec().Flags & tf::kWaiting, 0);
        TearDown();
    }
}

TEST_F(ObjectSteps, AnEarlyStepDoesNotCutARunningWaitShort) {
    rec().State = 18;
    rec().Flags |= tf::kWaiting;
    rec().WaitText = u"2";
    CheckWait(train);
    EXPECT_EQ(rec().WaitTicks, 10);
    StepObjectAnim(train);
    EXPECT_EQ(rec().State, 18);
    EXPECT_EQ(rec().WaitTicks, 10);
}

TEST_F(ObjectSteps, WaitForPartsTakesTheLongestAnimationInThirtyTwoBits) {
    const int32_t u = UnitWith(1, 100, 1, {u"a", u"b", u"c", u"d"});
    PictureSlotTable& s = pictureSlots();
    EXPECT_EQ(WaitForParts(train), 0);
    s[1].State = 2;  // forward from frame 1 of 3: 2 frames of 5 places
    s[1].AnimFrame = 1;
    EXPECT_EQ(WaitForParts(train), 10 / 30 + 2);
    s[2].State = 3;  // backward from frame 3: 3 frames
    s[2].AnimFrame = 3;
    s[2].StepDelay = 40;
    EXPECT_EQ(WaitForParts(train), 120 / 30 + 2);
    s[3].State = kSlotCycling;  // a cycle never ends: not waited for
    s[3].StepDelay = 1000;
    EXPECT_EQ(WaitForParts(train), 120 / 30 + 2);
    // Beyond 16 bits: 255 frames of 300 places.
    s[4].State = 1;
    s[4].LastFrame = 255;
    s[4].StepDelay = 300;
    EXPECT_EQ(WaitForParts(train), 255 * 300 / 30 + 2);
    trainPictures()[u].MotionState = 0;
    EXPECT_EQ(WaitForParts(train), 0);
}

TEST_F(ObjectSteps, JointAnimationsBySideAndLabel) {
    struct Case {
        const char* name;
        uint8_t mode;
        std::u16string label;
        std::vector<uint8_t> modes;  // left unit's slots 1..3, then the right unit's 4..6
        bool waits;
    };
    const Case cases[] = {
        {"every slot of the facing ends", 2, u"", {0, 2, 2, 2, 0, 0}, true},
        {"labelled C", 2, u"C", {0, 0, 2, 0, 0, 0}, true},
        {"all but C", 3, u"#C", {0, 3, 0, 3, 0, 0}, true},
        {"a label no slot has", 2, u"X", {0, 0, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        // The left unit's right end faces the right unit's left end.
        UnitWith(2, 400, 1, {u"|<: ", u"|>: ", u"|C>:F"});
        UnitWith(1, 100, 1, {u"|<: ", u"|>: ", u"|C>:F"});
        // Positions by X: member 1 at 100 is the left one; its slots are 4..6.
        for (int32_t s = 1; s <= 6; ++s) pictureSlots()[s].AnimFrame = c.mode == 3 ? 3 : 0;
        rec().WaitText.clear();
        AnimateJoint(train, 2, 1, c.mode, c.label);
        std::vector<uint8_t> got;
        for (int32_t s : {4, 5, 6, 1, 2, 3}) got.push_back(pictureSlots()[s].State);
        EXPECT_EQ(got, c.modes);
        EXPECT_EQ(rec().WaitText, c.waits ? u"W,1" : u"");
        TearDown();
    }
}

TEST_F(ObjectSteps, ARunningSlotIsNotStartedAgain) {
    UnitWith(1, 100, 1, {u"|>: "});
    pictureSlots()[1].State = 4;
    EXPECT_EQ(StartSideAnims(trainPictures()[id(1)].FirstPart, u">", 2, u""), 0);
    EXPECT_EQ(pictureSlots()[1].State, 4);
}

TEST_F(ObjectSteps, CouplingTheLeftUnitCarriesWhenRunningRight) {
    struct Case {
        int16_t dir;
        int32_t carrier;  // member position
    };
    for (const Case c : {Case{1, 2}, Case{-1, 1}}) {
        SetUp();
        UnitWith(1, 500, c.dir, {});
        UnitWith(2, 380, c.dir, {});
        CoupleMembers(train, 1, 2);
        const int32_t other = c.carrier == 1 ? 2 : 1;
        EXPECT_EQ(unit(c.carrier).CoupledId, id(other)) << c.dir;
        EXPECT_EQ(unit(other).CoupledId, 0);
        EXPECT_EQ(unit(other).Dir, unit(c.carrier).Dir);
        TearDown();
    }
}

TEST_F(ObjectSteps, WhatAStepLeavesAlone) {
    struct Case {
        const char* name;
        uint8_t state;
        uint8_t after;
    };
    const Case cases[] = {
        {"the train start's own states", 5, 5},
        {"a recomposition that runs", 12, 12},
        {"a phase the table does not name ends the program", 200, 4},
        {"Go", 13, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        rec().State = c.state;
        rec().Flags |= tf::kQueued;
        StepObjectAnim(train);
        EXPECT_EQ(rec().State, c.after);
        EXPECT_EQ(rec().Flags & tf::kQueued, c.after == 4 ? tf::kQueued : 0) << "queued once more to end the run";
        TearDown();
    }
}

TEST_F(ObjectSteps, DoorsWithoutAnyTimeGoOnAtOnce) {
    // OPEN's waits of 0 s with no doors to wait for: each phase queues the next itself.
    SetUpLine(u"M=OPEN;C=300;T1=0;T2=0;T3=0");
    rec().State = 56;
    StepObjectAnim(train);
    EXPECT_EQ(rec().State, 58);
    EXPECT_TRUE(Queued());
    TakeObjectStep();
    StepObjectAnim(train);
    EXPECT_EQ(rec().State, 59);
    EXPECT_TRUE(Queued());
}

TEST_F(ObjectSteps, EveryPhaseCodeIsNamedOnceAndTheTableIsInOrder) {
    uint8_t last = 0;
    for (const PhaseRow& row : PhaseTable()) {
        EXPECT_GT(row.Code, last);
        last = row.Code;
        EXPECT_EQ(FindPhase(row.Code).Op, row.Op);
    }
    EXPECT_EQ(FindPhase(31).Op, PhaseOp::End);
    EXPECT_EQ(FindPhase(33).Op, PhaseOp::PartWays);
}

}  // namespace
