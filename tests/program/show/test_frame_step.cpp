// The frame step: its entry guards, the step-time controller with an injected counter,
// single-step mode, presentation by rectangles and by page flip, and the failure lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "frame_step_stand_ins.h"
#include "stepped_clock.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_paint.h"
#include "program/show/frame_step.h"
#include "program/show/object_steps.h"
#include "program/trains/show_queues.h"
#include "core_fixture.h"
#include "engine_fake.h"
#include "show_fixture.h"

using ShowTest = show_test::ShowTestOn<core_test::CoreTest>;
using namespace yov;

namespace {

class FrameStep : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        programState().run.RunFlags = run_flag::kFramesDrawn;
        programState().run.StopRequest = 0;
        programState().run.BatchMode = 0;
        programState().machine.MsPerCounterTick = 1.0f;  // one counter tick is a millisecond here
        programState().settings.Music = 0;
        showState().BgRepaintCountdown = {kFullRepaintSteps, kFullRepaintSteps, kFullRepaintSteps};
        displayState().Frame = Compositor{};
        displayState().Frame.MakeBlitLists(false);
        movers.onMove = [this](int32_t train, int32_t ms) {
            calls.push_back("move " + std::to_string(train) + " " + std::to_string(ms));
        };
        movers.onTick = [] { return 0; };
    }
    int32_t movingTrain() {
        const int32_t t = NewTrainRec(0);
        trains().at(t).Flags = train_flag::kMoving;
        trains().at(t).Width = 100;
        InsertActiveTrain(t);
        return t;
    }
    // The engine's presentation, faked: answers from the test, calls written down.
    struct PresentEngine final : engine_test::EngineFake {
        explicit PresentEngine(FrameStep& test) : test_(test) {}
        LvResult CanBlt() override { return test_.canBltAnswer; }
        LvResult CanFlip() override { return test_.canFlip ? test_.canFlip() : test_.canFlipAnswer; }
        LvResult Flip() override {
            test_.calls.push_back("flip");
            return test_.flipAnswer;
        }
        LvResult CheckBlt(int32_t*) override { return test_.checkBlt ? test_.checkBlt() : 0; }
        LvResult WaitBlt(int32_t*) override {
            test_.calls.push_back("wait");
            return 0;
        }
        LvResult BatchBlt(int32_t count, const BlitOp* records, LvHandle) override {
            test_.calls.push_back("batch " + std::to_string(count));
            test_.batches.emplace_back(records, records + count);
            return 0;
        }
        LvResult DoBlt(int32_t count, const BlitOp*, LvHandle) override {
            test_.calls.push_back("do " + std::to_string(count));
            return 0;
        }
        FrameStep& test_;
    };

    // The step's counter: one tick a millisecond, moved by the test and by the step's sleeps,
    // which are noted among the calls.
    struct StepClock : program_test::SteppedClock {
        explicit StepClock(std::vector<std::string>& noted) : calls(noted) {}
        void sleep(int32_t wait) override {
            calls.push_back("sleep " + std::to_string(wait));
            SteppedClock::sleep(wait);
        }
        std::vector<std::string>& calls;
    };

    std::vector<std::string> calls;
    StepClock clock{calls};
    int64_t& now = clock.ms;
    std::function<int32_t()> canFlip;   // CanFlip's answers, when not canFlipAnswer
    std::function<int32_t()> checkBlt;  // CheckBlt's answers, when not 0
    int32_t canBltAnswer = 0;
    int32_t canFlipAnswer = 0;
    int32_t flipAnswer = 0;
    program_test::TestMovers movers;
    std::vector<std::vector<BlitOp>> batches;
    PresentEngine engine_{*this};
};

struct GrantCase {
    const char* what;
    float mean;
    int32_t samples;
    int32_t debt;
    int32_t e;
    int32_t clock;
    int32_t debtAfter;
};

TEST_F(FrameStep, GrantedStepTimeFollowsTheMeanAndPaysTheDebtBack) {
    const GrantCase cases[] = {
        {"an early step is its own time", 0, 0, 0, 33, 33, 0},
        {"an early short step is granted 10", 20, 3, 0, 2, 10, 0},
        {"an early long step counts as the mean", 40, 5, 0, 300, 40, 0},
        {"debt at most -m", 20, 100, -45, 20, 15, -40},
        {"debt above -m, at most 0", 20, 100, -20, 20, 19, -19},
        {"debt below m", 20, 100, -10, 20, 20, -10},
        {"debt m to 2m", 20, 100, 5, 20, 21, 4},
        {"debt 2m to 3m", 20, 100, 25, 20, 22, 23},
        {"debt 3m to 4m", 20, 100, 45, 20, 25, 40},
        {"a backlog of 4m is dropped", 20, 100, 70, 20, 20, 0},
        {"a pause counts as the mean", 20, 100, -10, 5000, 20, -10},
        {"a mean under 5 ms still grants time", 2, 100, -30, 2, 1, -29},
    };
    for (const GrantCase& c : cases) {
        ShowState ss;
        ss.MeanStepMs = c.mean;
        ss.StepSamples = c.samples;
        ss.StepDebt = c.debt;
        GrantStepTime(ss, c.e);
        EXPECT_EQ(ss.StepClock, c.clock) << c.what;
        EXPECT_EQ(ss.StepDebt, c.debtAfter) << c.what;
    }
}

TEST_F(FrameStep, TheSixteenthStepIsTheFirstUnderTheDebtRules) {
    ShowState ss;
    for (int i = 0; i < 15; ++i) GrantStepTime(ss, 30);
    EXPECT_EQ(ss.StepSamples, 15);
    EXPECT_EQ(ss.StepDebt, 0);
    GrantStepTime(ss, 30);
    EXPECT_EQ(ss.StepSamples, 16);
    EXPECT_EQ(ss.StepClock, 31);  // the debt of one whole mean step is paid back slowly
    EXPECT_EQ(ss.StepDebt, -1);
}

TEST_F(FrameStep, EntryGuards) {
    movingTrain();
    struct Case {
        const char* what;
        uint8_t runFlags;
        uint8_t stepState;
        int32_t active;
        int32_t site;
        bool moves;
    } cases[] = {
        {"no display", 0, 0, 1, kFullStep, false},
        {"a step already running", run_flag::kFramesDrawn, step_state::kRunning, 1, kFullStep, false},
        {"long work with nothing active", run_flag::kFramesDrawn, 0, 0, 10201, false},
        {"long work with something active", run_flag::kFramesDrawn, 0, 1, 10201, true},
        {"a full step with nothing active", run_flag::kFramesDrawn, 0, 0, kFullStep, true},
    };
    for (const Case& c : cases) {
        calls.clear();
        programState().run.RunFlags = c.runFlags;
        showState().StepState = c.stepState;
        showState().ActiveCount = c.active;
        showState().StepPhase = 0;
        CheckStep(c.site);
        const bool moved = !calls.empty() && calls.front().rfind("move", 0) == 0;
        EXPECT_EQ(moved, c.moves) << c.what;
        EXPECT_EQ(showState().StepState, c.stepState) << c.what;
    }
}

TEST_F(FrameStep, AStepDuringAStopRequestRaisesTheReportedError) {
    programState().run.StopRequest = 1;
    try {
        CheckStep(10201);
        FAIL() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), error_number::kReported);
    }
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(showState().StepState, 0);
}

TEST_F(FrameStep, AFullStepMovesPaintsAndPresentsTheBatch) {
    const int32_t t = movingTrain();
    trains().at(t).VehicleHeight = 20;
    trains().at(t).AboveBase = 20;
    trains().at(t).BufferRedraw[0] = 0x10;  // its vehicle band is to be drawn on page 0
    showState().StepClock = 25;
    now = 1020;
    showState().LastStepStamp = 1000;
    CheckStep(kFullStep);
    EXPECT_EQ(calls, (std::vector<std::string>{"move " + std::to_string(t) + " 25", "wait", "batch 1"}));
    EXPECT_EQ(trains().at(t).BufferRedraw[0], 0) << "drawn on this page";
    EXPECT_EQ(displayState().Frame.batchIndex, 1) << "the handed-over list is left alone";
    EXPECT_EQ(showState().StepPhase, 0);
    EXPECT_EQ(showState().StepClock, 20);
    EXPECT_EQ(showState().LastStepStamp, 1020);
}

TEST_F(FrameStep, ElapsedTimeIsRightAcrossTheCounterWrap) {
    movingTrain();
    showState().LastStepStamp = 0x7FFFFFF0;
    now = 0x80000000LL + 14;  // 30 ticks later, past the low 31 bits' wrap
    CheckStep(kFullStep);
    EXPECT_EQ(showState().StepClock, 30);
}

TEST_F(FrameStep, SingleStepModeMovesExactlyTwentyMillisecondsAStep) {
    const int32_t t = movingTrain();
    showState().StepMode = 1;
    showState().StepCountdown = 1;
    showState().StepClock = 37;
    CheckStep(kFullStep);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "move " + std::to_string(t) + " 20");
    calls.clear();
    // No steps left: nothing moves, while the frame is still painted and presented.
    CheckStep(kFullStep);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "sleep " + std::to_string(kSingleStepPauseMs));
    for (const std::string& c : calls) EXPECT_NE(c.rfind("move", 0), 0u) << c;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "batch 0"), calls.end());
}

TEST_F(FrameStep, APendingObjectStepAndATickResultMakeMorePasses) {
    const int32_t t = movingTrain();
    // A train at a phase that sets it going: the step program's step shows in its state.
    trains().at(t).State = 13;
    int ticks = 0;
    movers.onTick = [&] { return ++ticks == 1 ? 7 : 0; };
    QueueObjectStep(t);
    CheckStep(kFullStep);
    EXPECT_EQ(trains().at(t).State, 14);
    // One pass for the step program, one for the tick's result, and the first.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "wait"), 3);
}

TEST_F(FrameStep, PageFlipping) {
    movingTrain();
    programState().run.BatchMode = 1;
    showState().FlipCount = 1;
    struct Case {
        const char* what;
        int32_t canBlt, canFlip, flip;
        const char* logged;
        uint8_t stop;
        uint8_t page;
    } cases[] = {
        {"a flip", 0, 0, 0, nullptr, 0, 1},
        {"a CanBlt error", -5, 0, 0, "Exit by CanBlt error 65531", 1, 0},
        {"a CanFlip error", 0, -7, 0, "Exit by CanFlip Error 65529", 1, 0},
        {"a Flip error", 0, 0, -9, "Exit by Flip error 65527", 1, 0},
        {"a busy flip is tried again later", 0, 0, 1, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        calls.clear();
        programState().run.StopRequest = 0;
        showState().StepPhase = 0;
        showState().StepState = 0;
        showState().PageIndex = 0;
        canBltAnswer = c.canBlt;
        canFlipAnswer = c.canFlip;
        flipAnswer = c.flip;
        const std::vector<std::string> before = logLines();
        CheckStep(kFullStep);
        const std::vector<std::string> after = logLines();
        if (c.logged != nullptr) {
            ASSERT_GT(after.size(), before.size()) << c.what;
            EXPECT_EQ(after.back(), c.logged) << c.what;
        } else {
            EXPECT_EQ(after.size(), before.size()) << c.what;
        }
        EXPECT_EQ(programState().run.StopRequest, c.stop) << c.what;
        EXPECT_EQ(showState().PageIndex, c.page) << c.what;
        EXPECT_EQ(showState().StepState, 0) << c.what;
    }
}

// A flip is pending until its period is over. Long work that steps the show ends the step
// there and goes on with its work (the flip comes with a later call); the main loop's step
// waits for it, sleeping rather than asking again and again.
TEST_F(FrameStep, APendingFlipEndsAStepOfLongWorkAndTheMainLoopSleepsUntilItCanFlip) {
    const int32_t t = movingTrain();
    programState().run.BatchMode = 1;
    showState().FlipCount = 1;
    constexpr int32_t kLongWork = 16015;
    int questions = 0;
    int64_t flipsAt = 0;  // the counter value from which the flip can be done
    canFlip = [&] {
        // A step that asks on and on without sleeping ends by the hang rule.
        if (++questions > 1000) now += kHangMs;
        return now < flipsAt ? 1 : 0;
    };
    CheckStep(kFullStep);
    ASSERT_EQ(std::count(calls.begin(), calls.end(), "flip"), 1);

    now += 150;  // past the wait for a changed frame, so long work would present now
    flipsAt = now + 20;
    calls.clear();
    CheckStep(kLongWork);
    EXPECT_EQ(calls.front(), "move " + std::to_string(t) + " " + std::to_string(showState().StepClock));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "flip"), 0) << "no flip while it is pending";
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("sleep", 0) == 0; }),
              0)
        << "long work does not wait";
    EXPECT_EQ(showState().StepPhase, 2) << "painted, to be presented by a later call";
    calls.clear();
    CheckStep(kLongWork);
    EXPECT_TRUE(calls.empty()) << "still pending: nothing moved or painted again";
    now = flipsAt;
    CheckStep(kLongWork);
    EXPECT_EQ(calls, (std::vector<std::string>{"flip"}));
    EXPECT_EQ(showState().StepPhase, 0);

    // The main loop's next step finds the flip pending for its whole period.
    flipsAt = now + 20;
    questions = 0;
    calls.clear();
    CheckStep(kFullStep);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "flip"), 1);
    EXPECT_GE(now, flipsAt);
    EXPECT_LE(questions, 5) << "asked a few times over 20 ms, not at once again and again";
    EXPECT_EQ(programState().run.StopRequest, 0);
    EXPECT_TRUE(logLines().empty());
}

TEST_F(FrameStep, GdiPageFlippingMovesThePageOnceForAPresentationThatWasDeferred) {
    // A full-screen show whose DirectDraw did not start draws GDI on its pages.
    const int32_t t = movingTrain();
    trains().at(t).VehicleHeight = 20;
    trains().at(t).AboveBase = 20;
    showState().FlipCount = 1;
    showState().MinFrameMs = 20;
    int32_t pending = 1;  // the batch handed over last is still being drawn
    checkBlt = [&pending] { return pending; };
    for (uint8_t start : {uint8_t{0}, uint8_t{1}}) {
        SCOPED_TRACE(start);
        calls.clear();
        showState().PageIndex = start;
        showState().StepPhase = 0;
        showState().LastStepStamp = static_cast<int32_t>(now);
        trains().at(t).BufferRedraw = {0x10, 0x10, 0};
        showState().ActiveCount = 1;  // as an earlier step found
        pending = 1;
        CheckStep(10000);  // from long work, before the frame is due
        EXPECT_EQ(showState().StepPhase, 2) << "the presentation waits";
        EXPECT_EQ(showState().PageIndex, start) << "and so does the page";
        CheckStep(10000);
        EXPECT_EQ(showState().PageIndex, start);
        pending = 0;
        CheckStep(kFullStep);
        EXPECT_EQ(showState().PageIndex, (start + 1) % 2) << "one page on for one presentation";
        EXPECT_EQ(
            std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("batch", 0) == 0; }),
            1);
    }
}

TEST_F(FrameStep, AHangingFlipStopsTheShowAfterTwoHundredMilliseconds) {
    movingTrain();
    programState().run.BatchMode = 1;
    showState().FlipCount = 1;
    // Busy on every question, one millisecond apart; the wait gives up once 200 have passed.
    canFlip = [this] {
        ++now;
        return 1;
    };
    CheckStep(kFullStep);
    EXPECT_EQ(programState().run.StopRequest, 1);
    ASSERT_FALSE(logLines().empty());
    EXPECT_EQ(logLines().back(), "Hanging on CanFlip");
}

TEST_F(FrameStep, ABusyBackPageIsWaitedForUntilItHangsTwoHundredMilliseconds) {
    const int32_t t = movingTrain();
    programState().run.BatchMode = 1;
    showState().FlipCount = 1;
    // "Surface busy" (430 in the low 16 bits) is no error: the step yields once and ends, and
    // later calls try the paint phase again, until the page has been busy over 200 ms.
    canBltAnswer = static_cast<int32_t>(0x887601AEu);
    CheckStep(kFullStep);
    EXPECT_EQ(calls, (std::vector<std::string>{"move " + std::to_string(t) + " 0", "sleep 1"}))
        << "moved, then one yield; nothing painted or presented";
    for (int i = 0; i < 3; ++i) {
        now += 50;
        calls.clear();
        CheckStep(kFullStep);
        EXPECT_TRUE(calls.empty()) << "not moved again, no second yield";
        EXPECT_EQ(showState().StepPhase, 1);
        EXPECT_EQ(programState().run.StopRequest, 0);
    }
    now += 50;  // 201 ms after the first busy answer: the yield took one
    CheckStep(kFullStep);
    EXPECT_EQ(programState().run.StopRequest, 1);
    ASSERT_FALSE(logLines().empty());
    EXPECT_EQ(logLines().back(), "Hanging on CanBlt");
}

TEST_F(FrameStep, AnErrorInsideTheStepIsReportedOnceAndStopsTheShow) {
    movingTrain();
    movers.onMove = [](int32_t, int32_t) { throw ProgramError(error_number::kInvalidCall, u"bad move"); };
    CheckStep(kFullStep);
    EXPECT_EQ(programState().run.StopRequest, 1);
    EXPECT_EQ(showState().StepState, 0);
}

TEST_F(FrameStep, TheBackgroundIsRepaintedEveryHundredStepsUnlessALineHoldsIt) {
    displayState().SceneWidth = 320;
    displayState().SceneHeight = 200;
    showState().BgRepaintCountdown = {1, 1, 1};
    CheckStep(kFullStep);
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_FALSE(batches[0].empty());
    const BlitOp& fill = batches[0].front();  // first, so the lines are drawn over it
    EXPECT_EQ(fill.SourceDC, 0);
    EXPECT_EQ(fill.Width, 320);
    EXPECT_EQ(fill.Height, 200);
    EXPECT_EQ(showState().BgRepaintCountdown[0], kFullRepaintSteps);
    const int32_t t = movingTrain();
    trains().at(t).Flags |= train_flag::kStarted;
    showState().BgRepaintCountdown[0] = 1;
    batches.clear();
    CheckStep(kFullStep);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_TRUE(batches[0].empty());
}

}  // namespace
