// The step of an animated picture slot: the counter modes and the byte program, with the
// faults of a broken program ending the animation instead of reading or looping on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/pictures/sprite_program.h"
#include "program/scene/picture_slot.h"

namespace {

using core_test::CoreTest;

class SpriteProgram : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        core_test::defaultTexts()[u"ACYC"] = u"Too many nested animation cycles";
        yov::PictureSlotTable& t = yov::pictureSlots();
        t.Slots.assign(3, yov::PictureSlot{});
        t.Count = 2;
        slot().StepDelay = 5;
    }
    static yov::PictureSlot& slot() { return yov::pictureSlots()[1]; }

    // Steps until the animation ends (at most `limit` steps): the frames shown after each
    // step, and the delays.
    struct Run {
        std::vector<int> frames;
        std::vector<int32_t> delays;
    };
    static Run RunSteps(int limit = 50) {
        Run r;
        for (int i = 0; i < limit; ++i) {
            const int32_t d = yov::AnimStep(1);
            if (d == 0) break;
            r.frames.push_back(slot().AnimFrame);
            r.delays.push_back(d);
        }
        return r;
    }
    bool logged(const std::string& text) const {
        for (const std::string& line : logLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

struct ModeCase {
    const char* name;
    uint8_t mode;
    uint8_t lastFrame;
    uint8_t start;
    std::vector<int> frames;  // shown before the animation ends
};

TEST_F(SpriteProgram, CounterModes) {
    const ModeCase cases[] = {
        {"forward_single_frame_ends_at_once", 1, 0, 0, {}},
        {"forward", 1, 3, 0, {1, 2, 3}},
        {"forward_mode_2", 2, 2, 1, {2}},
        {"backward", 3, 3, 3, {2, 1, 0}},
        {"backward_at_zero_ends", 3, 3, 0, {}},
        {"one_cycle_from_zero_ends_at_once", 5, 3, 0, {}},
        {"one_cycle_from_one", 5, 3, 1, {2, 3, 0}},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        slot().State = c.mode;
        slot().LastFrame = c.lastFrame;
        slot().AnimFrame = c.start;
        const Run r = RunSteps();
        EXPECT_EQ(r.frames, c.frames);
        for (int32_t d : r.delays) EXPECT_EQ(d, 5);
    }
}

TEST_F(SpriteProgram, CyclicModeNeverEnds) {
    slot().State = 4;
    slot().LastFrame = 2;
    const Run r = RunSteps(7);
    EXPECT_EQ(r.frames, (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
}

TEST_F(SpriteProgram, UnknownModeShowsAMessage) {
    slot().State = 9;
    EXPECT_EQ(yov::AnimStep(1), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(core_test::utf8(boxes_[0].text), "AnimStep Type Else");
    EXPECT_EQ(boxes_[0].style, 64);
    EXPECT_EQ(yov::AnimStep(0), 0) << "slot 0 is no slot";
    EXPECT_EQ(yov::AnimStep(9), 0);
}

struct ProgramCase {
    const char* name;
    std::vector<uint8_t> program;
    uint8_t lastFrame;
    std::vector<int> frames;
    std::vector<int32_t> delays;
};

TEST_F(SpriteProgram, StepPrograms) {
    const ProgramCase cases[] = {
        {"frames_then_end", {1, 2, 3, 255}, 3, {1, 2, 3}, {5, 5, 5}},
        {"move_to_frame", {252, 4, 255}, 4, {0, 1, 2, 3, 4}, {5, 5, 5, 5, 5}},
        {"loop_three_times", {253, 3, 0, 1, 2, 254, 255}, 2, {1, 2, 1, 2, 1, 2}, {5, 5, 5, 5, 5, 5}},
        {"short_wait", {1, 250, 40, 2, 255}, 2, {1, 1, 2}, {5, 40, 5}},
        {"long_wait", {251, 0x10, 0x01, 255}, 0, {0}, {272}},
        {"long_wait_high_byte_unsigned", {251, 0xFF, 0xFF, 255}, 0, {0}, {65535}},
        {"nested_loops", {253, 2, 0, 253, 2, 0, 1, 254, 2, 254, 255}, 2, {1, 1, 2, 1, 1, 2}, {5, 5, 5, 5, 5, 5}},
        {"loop_end_without_loop", {1, 254, 2}, 2, {1}, {5}},
        {"count_of_32768_and_more", {253, 0x00, 0x80, 1, 254}, 1, {1, 1, 1}, {5, 5, 5}},
    };
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.name);
        yov::PictureSlot& s = slot();
        s = yov::PictureSlot{};
        s.StepDelay = 5;
        s.State = 6;
        s.LastFrame = c.lastFrame;
        s.AnimProgram = c.program;
        const Run r = RunSteps(static_cast<int>(c.frames.size()));
        EXPECT_EQ(r.frames, c.frames);
        EXPECT_EQ(r.delays, c.delays);
    }
}

TEST_F(SpriteProgram, EndlessLoopRunsForEver) {
    slot().State = 6;
    slot().LastFrame = 2;
    slot().AnimProgram = {253, 0, 0, 1, 2, 254};
    const Run r = RunSteps(9);
    EXPECT_EQ(r.frames, (std::vector<int>{1, 2, 1, 2, 1, 2, 1, 2, 1}));
}

TEST_F(SpriteProgram, SeventhLoopEndsTheAnimation) {
    slot().State = 6;
    slot().LastFrame = 1;
    for (int i = 0; i < 7; ++i) slot().AnimProgram.insert(slot().AnimProgram.end(), {253, 2, 0});
    slot().AnimProgram.push_back(1);
    EXPECT_EQ(yov::AnimStep(1), 0);
    EXPECT_EQ(slot().LoopDepth, 6);
    EXPECT_TRUE(logged("Too many nested animation cycles"));
}

struct FaultCase {
    const char* name;
    std::vector<uint8_t> program;
    int16_t pc;
    int goodSteps;  // steps that still show a frame
    std::string logText;
};

TEST_F(SpriteProgram, BrokenProgramsEndTheAnimation) {
    const FaultCase cases[] = {
        {"no_end_mark", {1}, 0, 1, "a read past the end"},
        {"operand_missing", {250}, 0, 0, "a read past the end"},
        {"wait_operand_missing", {251, 1}, 0, 0, "a read past the end"},
        {"loop_operands_missing", {253, 1}, 0, 0, "a read past the end"},
        {"empty_program", {}, 0, 0, "a read past the end"},
        {"counter_below_zero", {1, 255}, -3, 0, "a read past the end"},
        {"jump_beyond_last_frame", {9, 255}, 0, 0, "a jump beyond the last frame"},
        {"move_beyond_last_frame", {252, 9, 255}, 0, 0, "a move beyond the last frame"},
        {"empty_endless_loop", {253, 0, 0, 254}, 0, 0, "no frame, wait or end within 10000 instructions"},
        {"nested_empty_loops", {253, 255, 255, 253, 255, 255, 254, 254, 1}, 0, 0, "no frame, wait or end"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        yov::PictureSlot& s = slot();
        s = yov::PictureSlot{};
        s.Name = u"door";
        s.StepDelay = 5;
        s.State = 6;
        s.LastFrame = 2;
        s.AnimProgram = c.program;
        s.AnimPC = c.pc;
        const Run r = RunSteps(10);
        EXPECT_EQ(static_cast<int>(r.frames.size()), c.goodSteps);
        EXPECT_LE(s.AnimFrame, s.LastFrame);
        EXPECT_TRUE(logged(c.logText));
        EXPECT_TRUE(logged("picture slot 1 \"door\""));
    }
}

}  // namespace
