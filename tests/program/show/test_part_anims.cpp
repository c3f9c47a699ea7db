// Part animations on the wheel: doors and pantographs of composed pictures found by their
// tags, the members an address picks, delays, and rescheduling a train's running animations.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/show/part_anims.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace {

using namespace yov;

class PartAnims : public ::testing::Test {
protected:
    TrainRec train;

    void SetUp() override {
        picParts() = PicPartPool{};
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
        ResetTrainPictures();
        train.Width = 800;
    }
    void TearDown() override {
        ResetTrainPictures();
        picParts() = PicPartPool{};
        pictureSlots() = PictureSlotTable{};
        animWheel() = AnimWheelState{};
    }

    // A vehicle part with slots of the given names, each of four frames at 5 wheel ticks.
    int32_t Vehicle(std::u16string name, const std::vector<std::u16string>& slotNames) {
        PicPartPool& parts = picParts();
        parts.Parts.emplace_back();
        const int32_t part = ++parts.Count;
        parts[part].Name = std::move(name);
        PictureSlotTable& slots = pictureSlots();
        int32_t prev = 0;
        for (const std::u16string& n : slotNames) {
            slots.Slots.emplace_back();
            const int32_t s = ++slots.Count;
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
        return part;
    }
    // A member picture of the vehicles, moving in dir at x.
    int32_t Member(std::u16string name, const std::vector<int32_t>& parts, int16_t dir, int32_t x) {
        for (size_t i = 0; i + 1 < parts.size(); ++i) picParts()[parts[i]].NextPart = parts[i + 1];
        TrainPictureTable& pictures = trainPictures();
        TrainPicture p;
        p.FirstPart = parts.front();
        p.Dir = dir;
        p.X = x;
        p.Width = 200;
        p.MotionState = 4;
        p.SourceName = std::move(name);
        pictures.Entries.push_back(p);
        const int32_t picture = ++pictures.Count;
        train.Members[++train.MemberCount] = picture;
        return picture;
    }
    uint8_t Mode(int32_t slot) { return pictureSlots()[slot].State; }
};

TEST_F(PartAnims, DoorsOpenOnTheAddressedMembers) {
    struct Case {
        std::u16string_view action;
        std::vector<uint8_t> modes;  // of the door slots 1 (left member) to 4 (right member)
    };
    const Case cases[] = {
        {u"OPEN", {2, 2, 2, 2}},
        {u"CL.OPEN", {2, 2, 0, 0}},
        {u"CR.OPEN", {0, 0, 2, 2}},
        {u"<OPEN", {2, 2, 0, 0}},
        {u"2.OPEN", {0, 2, 0, 2}},
        {u"B.OPEN", {0, 2, 0, 2}},
        {u"RIGHT.1.OPEN", {0, 0, 2, 0}},
        {u"NOBODY.OPEN", {0, 0, 0, 0}},
        {u"[RANDOM_ANIMATION:A=OPEN;P=100]", {2, 2, 2, 2}},
        {u"[OPEN", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        train = TrainRec{};
        train.Width = 800;
        const int32_t a = Vehicle(u"A", {u"x|DOOR:"});
        const int32_t b = Vehicle(u"B", {u"x|DOOR:"});
        const int32_t a2 = Vehicle(u"A", {u"x|DOOR:"});
        const int32_t b2 = Vehicle(u"B", {u"x|DOOR:"});
        Member(u"LEFT", {a, b}, -1, 10);
        Member(u"RIGHT", {a2, b2}, 1, 300);
        DoActionList(train, c.action);
        std::vector<uint8_t> got;
        for (int32_t s = 1; s <= 4; ++s) got.push_back(Mode(s));
        EXPECT_EQ(got, c.modes) << std::string(c.action.begin(), c.action.end());
    }
}

TEST_F(PartAnims, PantographsByWordAndDirection) {
    struct Case {
        std::u16string_view action;
        int16_t dir;
        std::vector<uint8_t> modes;  // pantographs 1, 2 of vehicle 1, then 1, 2 of vehicle 2
    };
    const Case cases[] = {
        {u"PU", 1, {2, 2, 2, 2}},    {u"PFU", 1, {0, 2, 0, 2}},    {u"PFU", -1, {2, 0, 2, 0}},
        {u"@1.PU", 1, {0, 0, 2, 2}}, {u"@1.PU", -1, {2, 2, 0, 0}}, {u"PHU", 1, {0, 0, 0, 2}},
        {u"PTU", 1, {2, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        train = TrainRec{};
        train.Width = 800;
        const int32_t v1 = Vehicle(u"E1", {u"a|PAN:", u"b|PAN:"});
        const int32_t v2 = Vehicle(u"E2", {u"a|PAN:", u"b|PAN:"});
        Member(u"LOCO", {v1, v2}, c.dir, 100);
        DoAction(train, c.action);
        std::vector<uint8_t> got;
        for (int32_t s = 1; s <= 4; ++s) got.push_back(Mode(s));
        EXPECT_EQ(got, c.modes) << std::string(c.action.begin(), c.action.end()) << " dir " << c.dir;
    }
}

TEST_F(PartAnims, FramesToRunAndTheLongestTime) {
    struct Case {
        uint8_t mode;
        uint8_t frame;
        bool starts;
        uint8_t frames;
    };
    const Case cases[] = {
        {2, 0, true, 3}, {2, 2, true, 2}, {2, 3, false, 0},  {3, 0, false, 0},
        {3, 3, true, 3}, {3, 1, true, 2}, {4, 1, true, 100}, {9, 2, true, 4},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t part = Vehicle(u"V", {u"|DOOR:"});
        PictureSlot& s = pictureSlots()[1];
        s.AnimFrame = c.frame;
        int32_t longest = 0;
        StartPictureAnim(1, c.mode, longest, 0, 1, u"");
        EXPECT_EQ(s.State != 0, c.starts) << int(c.mode) << "/" << int(c.frame);
        if (!c.starts) continue;
        EXPECT_EQ(s.FrameCount, c.frames);
        EXPECT_EQ(longest, 5 * c.frames);
        EXPECT_EQ(picParts()[part].AnimCount, 1);
        EXPECT_EQ(animWheel().AnimScheduled, 1);
    }
}

TEST_F(PartAnims, DelaysPlaceTheSlotOnTheWheelOrTheFarList) {
    struct Case {
        std::u16string_view delay;
        int32_t place;  // -1 far list
        int32_t dueCount;
    };
    const Case cases[] = {{u"", 50, 0}, {u"1", 150, 0}, {u"1.6", 10, 0}, {u"20", -1, 1350}, {u"x", 50, 0}};
    for (const Case& c : cases) {
        SetUp();
        Vehicle(u"V", {u"|DOOR:"});
        animWheel().AnimWheelPos = 50;
        int32_t longest = 0;
        StartPictureAnim(1, 2, longest, 0, 1, c.delay);
        const std::string name(c.delay.begin(), c.delay.end());
        if (c.place < 0) {
            EXPECT_EQ(animWheel().AnimOverflow, 1) << name;
            EXPECT_EQ(pictureSlots()[1].DueCount, c.dueCount) << name;
        } else {
            EXPECT_EQ(animWheel().AnimWheel[static_cast<size_t>(c.place)], 1) << name;
        }
    }
}

TEST_F(PartAnims, AnimationTimeIsRoundedUpToSeconds) {
    const int32_t v = Vehicle(u"V", {u"|DOOR:", u"|DOOR:"});
    pictureSlots()[2].StepDelay = 40;  // 3 frames x 40 ticks = 1.2 s
    const int32_t picture = Member(u"M", {v}, 1, 0);
    EXPECT_EQ(AnimateParts(picture, u"OPEN", u"", 0, 0, 0, 1, u""), 2);
    EXPECT_EQ(AnimateParts(picture, u"LAMP:SIDEWAYS", u"", 0, 0, 0, 1, u""), 0);
}

TEST_F(PartAnims, RescheduleSkipsTheTrainPartsOfATrainOnTheScene) {
    const int32_t v = Vehicle(u"V", {u"|DOOR:"});
    const int32_t fg = Vehicle(u"FG", {u"|LAMP:"});
    Member(u"M", {v}, 1, 0);
    train.FgPart = fg;
    pictureSlots()[1].State = 2;
    pictureSlots()[2].State = 4;
    train.Flags = train_flag::kStarted;
    ScheduleObjectAnims(train);
    EXPECT_EQ(animWheel().AnimScheduled, 1);
    EXPECT_EQ(animWheel().AnimWheel[1], 1);
    train.Flags = 0;
    animWheel() = AnimWheelState{};
    ScheduleObjectAnims(train);
    EXPECT_EQ(animWheel().AnimScheduled, 2);
}

TEST_F(PartAnims, TemporaryBackgroundOrderResetsItsSpan) {
    train.TgPieces.resize(3);
    train.TgPieceCount = 2;
    train.TgPieces[1].Left = 40;
    train.TgPieces[2].Right = 400;
    DoAction(train, u"[TGA]");
    EXPECT_NE(train.Flags & train_flag::kTbgAfterTrains, 0);
    EXPECT_EQ(train.TbgFrom, 40);
    EXPECT_EQ(train.TbgTo, 400);
    EXPECT_EQ(train.TbgBufferTo[0], 400);
    EXPECT_EQ(train.BufferRedraw[0] & 0x50, 0x50);
    DoAction(train, u"TGB");
    EXPECT_EQ(train.Flags & train_flag::kTbgAfterTrains, 0);
}

}  // namespace
