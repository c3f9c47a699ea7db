// The scene tick: its 200 ms ticks driven by an injected scene clock (the step times the
// frame step adds), the stages of a tick, the trains' and sections' waits, the cursor, the
// yield, and the start rules with their spacing, limits and credits.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "motion_fixture.h"
#include "quiet_show_view.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "stepped_clock.h"
#include "program/show/timed_object_events.h"

using namespace yov;

namespace {

// The show window, only as far as the tick hides the cursor over it.
class CursorView final : public show_test::QuietShowView {
public:
    explicit CursorView(int& hidden) : hidden_(hidden) {}
    bool hideCursor() override { return ++hidden_ == 1; }

private:
    int& hidden_;
};

class TimedObjectEvents : public motion_test::MotionTestOn<core_test::CoreTest> {
protected:
    void SetUp() override {
        motion_test::MotionTestOn<core_test::CoreTest>::SetUp();
        programState().settings.Show = ShowSettings{};
        StartTimedEvents();
        ResetTrainStarts();
        displayState().ShowForm = std::make_unique<CursorView>(hidden);
    }
    void TearDown() override {
        displayState().ShowForm.reset();
        displayState().CursorHidden = 0;
        programState().settings.Show = ShowSettings{};
        motion_test::MotionTestOn<core_test::CoreTest>::TearDown();
    }

    // One frame step's share: the step time goes on the scene clock, then the tick runs
    // stage by stage while it answers non-zero. The answers, in order.
    std::vector<int32_t> Frame(int32_t stepMs = 20) {
        ShowState& ss = showState();
        ss.TickAccumulator += static_cast<float>(stepMs);
        ss.UnyieldedMs += stepMs;
        ss.YieldedThisStep = 0;
        std::vector<int32_t> answers;
        for (int guard = 0; guard < 100; ++guard) {
            answers.push_back(DoTimedEvents());
            if (answers.back() == 0) break;
        }
        return answers;
    }
    void Frames(int n, int32_t stepMs = 20) {
        for (int i = 0; i < n; ++i) Frame(stepMs);
    }
    // A train waiting in the start queue, `length` pixels long.
    static int32_t QueuedTrain(int32_t length) {
        const int32_t t = MovingTrain();
        trains().at(t).TotalLength = length;
        trains().at(t).StartText = u"[BS:start]";
        QueueTrainStart(t);
        return t;
    }
    static std::vector<int32_t> StartList() {
        std::vector<int32_t> out;
        for (int32_t t = showState().Lists.StartHead; t != 0 && out.size() < 1000; t = trains().at(t).NextQueued)
            out.push_back(t);
        return out;
    }

    int hidden = 0;
    // The show's sleeps, noted.
    struct NotedSleeps : program_test::SteppedClock {
        std::vector<int32_t> sleeps;
        void sleep(int32_t wait) override {
            sleeps.push_back(wait);
            SteppedClock::sleep(wait);
        }
    };
    NotedSleeps clock;
    std::vector<int32_t>& sleeps = clock.sleeps;
};

TEST_F(TimedObjectEvents, ATickFallsDueEvery200MsAndRunsItsStagesInTheNextFrame) {
    std::vector<std::vector<int32_t>> answers;
    for (int i = 0; i < 12; ++i) answers.push_back(Frame(20));
    const std::vector<int32_t> idle{0};
    const std::vector<int32_t> tick{100, 100, 100, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(answers[static_cast<size_t>(i)], i == 11 ? tick : idle) << "frame " << i;
    EXPECT_FLOAT_EQ(showState().TickAccumulator, 40);
    EXPECT_EQ(showState().TickDue, 0);
}

TEST_F(TimedObjectEvents, ABacklogOverTwoSecondsIsDropped) {
    showState().TickAccumulator = 5000;
    Frame(0);
    EXPECT_EQ(showState().TickAccumulator, 0);
    EXPECT_EQ(showState().TickDue, 1);
    showState().TickAccumulator = 1500;
    showState().TickDue = 0;
    Frame(0);
    EXPECT_FLOAT_EQ(showState().TickAccumulator, 1300) << "a backlog within 2 s is worked off tick by tick";
}

TEST_F(TimedObjectEvents, TrainWaitsCountDownTicksThenQueueTheirNextStep) {
    struct Case {
        const char* what;
        int32_t flags;
        bool step;
        bool start;
    } cases[] = {
        {"a plain wait queues a step", 0, true, false},
        {"a restart wait queues a start", train_flag::kRestartA, false, true},
        {"a held restart queues nothing", train_flag::kRestartA | train_flag::kRestartB, false, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = MovingTrain();
        trains().at(t).Flags |= c.flags;
        trains().at(t).WaitTicks = 3;
        showState().StartDelay = 1000;  // no start gets in the way
        Frames(31);                     // two ticks
        EXPECT_EQ(trains().at(t).WaitTicks, 1) << c.what;
        EXPECT_TRUE(StepList().empty() && StartList().empty()) << c.what;
        Frames(10);
        EXPECT_EQ(trains().at(t).WaitTicks, 0) << c.what;
        EXPECT_EQ(!StepList().empty(), c.step) << c.what;
        EXPECT_EQ(!StartList().empty(), c.start) << c.what;
        EXPECT_EQ(trains().at(t).Flags & train_flag::kRestartA, 0) << c.what;
        TearDown();
    }
}

TEST_F(TimedObjectEvents, ASectionsWaitRunsOutAndWakesItsBands) {
    const int32_t root = Root();
    Sect(2).WaitTicks = 2;
    Section(2, root, 0, 100);
    Frames(21);
    EXPECT_EQ(Sect(2).WaitTicks, 1);
    EXPECT_EQ(Sect(2).Flags & sect_flag::kFinishing, 0);
    Frames(10);
    EXPECT_EQ(Sect(2).WaitTicks, 0);
    EXPECT_NE(Sect(2).Flags & sect_flag::kFinishing, 0);
}

TEST_F(TimedObjectEvents, TheCursorIsHiddenAgain25TicksAfterTheMouseMoved) {
    showState().CursorState = 2;
    showState().CursorHideCountdown = 5 * showState().TicksPerSecond;
    Frames(10 * 24 + 2);  // 24 ticks: tick k runs its stages in frame 10k + 1
    EXPECT_EQ(hidden, 0);
    Frames(10);
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(displayState().CursorHidden, 1) << "the show hid it, so the show shows it at its end";
    EXPECT_EQ(showState().CursorState, 1);
    Frames(100);
    EXPECT_EQ(hidden, 1);
}

TEST_F(TimedObjectEvents, TheTickYieldsWhenNothingYieldedForOver100Ms) {
    showState().TickAccumulator = 250;
    showState().UnyieldedMs = 150;
    Frame(0);
    Frame(0);
    EXPECT_EQ(sleeps, std::vector<int32_t>{1});
    EXPECT_EQ(showState().UnyieldedMs, 0);
    sleeps.clear();
    showState().TickAccumulator = 250;
    showState().UnyieldedMs = 150;
    showState().YieldedThisStep = 1;
    Frame(0);
    showState().YieldedThisStep = 1;
    DoTimedEvents();
    DoTimedEvents();
    DoTimedEvents();
    EXPECT_TRUE(sleeps.empty()) << "a step yields once";
}

TEST_F(TimedObjectEvents, StepModeStopsCountdownsAndStarts) {
    const int32_t t = MovingTrain();
    trains().at(t).WaitTicks = 2;
    const int32_t q = QueuedTrain(100);
    const int32_t root = Root();
    Sect(2).WaitTicks = 2;
    Section(2, root, 0, 100);
    showState().StepMode = 1;
    Frames(100);
    EXPECT_EQ(trains().at(t).WaitTicks, 2);
    EXPECT_EQ(Sect(2).WaitTicks, 2);
    EXPECT_EQ(StartList(), std::vector<int32_t>{q});
    EXPECT_EQ(showState().StartedTrains, 0);
}

TEST_F(TimedObjectEvents, AQueuedStartWorksOffItsStartActionsOrWaitsForThePainting) {
    struct Case {
        const char* what;
        int32_t redraw;
        int32_t flags;
        bool deferred;
    } cases[] = {
        {"painting caught up", 0x08, 0, false},
        {"layers still to paint", 0x11, 0, true},
        {"a linked line is not held back", 0x11, train_flag::kDependent, false},
    };
    for (const Case& c : cases) {
        SetUp();
        showState().FlipCount = 1;
        const int32_t t = QueuedTrain(300);
        trains().at(t).BufferRedraw = {c.redraw, 0, 0};
        trains().at(t).Flags |= c.flags | train_flag::kQueued;
        EXPECT_EQ(Frame(), (std::vector<int32_t>{200, 0})) << c.what;
        const TrainRec& rec = trains().at(t);
        EXPECT_EQ(rec.WaitText, u"[BS:start]") << c.what;
        EXPECT_EQ(showState().StartedTrains, 1) << c.what;
        EXPECT_EQ(showState().StartedLength, 300) << c.what;
        EXPECT_EQ(showState().StartDelay, 10) << c.what;
        EXPECT_TRUE(StartList().empty()) << c.what;
        if (c.deferred) {
            EXPECT_EQ(rec.Flags & (train_flag::kStartDeferred | train_flag::kQueued), train_flag::kStartDeferred)
                << c.what;
            EXPECT_EQ(rec.BufferRedraw[0] & 0x100, 0x100) << c.what;
            EXPECT_EQ(rec.BufferRedraw[1] & 0x100, 0x100) << c.what;
            EXPECT_TRUE(StepList().empty()) << c.what;
        } else {
            EXPECT_EQ(rec.Flags & 0x29, 0x29) << c.what << ": started, waiting, queued for its step";
            EXPECT_EQ(StepList(), std::vector<int32_t>{t}) << c.what;
        }
        TearDown();
    }
}

TEST_F(TimedObjectEvents, QueuedStartsAreSpacedTwoSecondsApart) {
    const int32_t a = QueuedTrain(10);
    const int32_t b = QueuedTrain(10);
    Frame();
    EXPECT_EQ(StartList(), std::vector<int32_t>{b});
    (void)a;
    int frames = 0;
    while (!StartList().empty() && frames < 1000) {
        Frame();
        ++frames;
    }
    // Ten ticks of 200 ms; the tenth runs its stages in frame 101, the start follows.
    EXPECT_EQ(frames, 102);
}

TEST_F(TimedObjectEvents, TheLimitsOnTrainsAndLengthPostponeAStart) {
    struct Case {
        const char* what;
        uint8_t linB;
        int32_t linV;
        uint8_t lenB;
        int32_t started;
        int32_t startedLength;
        int32_t length;
        bool starts;
    } cases[] = {
        {"no limits", 0, 0, 0, 5, 100000, 200, true},
        {"below the train limit", 1, 3, 0, 2, 0, 200, true},
        {"at the train limit", 1, 3, 0, 3, 0, 200, false},
        {"over the length limit", 0, 0, 1, 2, 3900, 200, false},
        {"at the length limit", 0, 0, 1, 2, 3800, 200, true},
        {"no train running: any length starts", 0, 0, 1, 0, 3900, 5000, true},
    };
    for (const Case& c : cases) {
        SetUp();
        ShowSettings& limits = programState().settings.Show;
        programState().run.ShowMode = 1;
        limits.LimLinB[1] = c.linB;
        limits.LimLinV[1] = c.linV;
        limits.LimLenB[1] = c.lenB;
        limits.LimLenV[1] = 4000;
        showState().StartedTrains = c.started;
        showState().StartedLength = c.startedLength;
        const int32_t t = QueuedTrain(c.length);
        Frame();
        EXPECT_EQ(StartList().empty(), c.starts) << c.what;
        if (!c.starts) {
            EXPECT_EQ(StartList(), std::vector<int32_t>{t}) << c.what << ": stays at the head";
        }
        TearDown();
    }
}

TEST_F(TimedObjectEvents, StartCreditsGateStartsAndAreKeptWhileAStartWaits) {
    struct Case {
        const char* what;
        int32_t mode;
        int32_t credits;
        bool priority;
        bool lengthWait;
        bool starts;
        int32_t creditsAfter;
    } cases[] = {
        {"free starts take no credit", 0, 0, false, false, true, 0},
        {"mode 1 takes one", 1, 2, false, false, true, 1},
        {"mode 1 without credit waits", 1, 0, false, false, false, 0},
        {"a priority train in mode 2 takes two", 2, 3, true, false, true, 1},
        {"a priority train in mode 2 with one credit waits", 2, 1, true, false, false, 1},
        {"a start held by the length limit keeps its credits", 2, 2, true, true, false, 2},
    };
    for (const Case& c : cases) {
        SetUp();
        showState().StartMode = c.mode;
        showState().StartCredits = c.credits;
        if (c.lengthWait) {
            programState().settings.Show.LimLenB[0] = 1;
            programState().settings.Show.LimLenV[0] = 100;
            showState().StartedTrains = 1;
        }
        int32_t t = 0;
        int32_t last = 0;
        if (c.priority) {
            t = MovingTrain();
            Member(t, Moving(kPictureBuilt, 0, 1, 0, 300));
            last = Member(t, Moving(kPictureBuilt, 0, 1, 0, 400));
            showState().CurTrain = t;
            QueueCurrentTrain();
        } else {
            t = QueuedTrain(50);
        }
        Frame();
        EXPECT_EQ(showState().StartCredits, c.creditsAfter) << c.what;
        if (c.priority) {
            EXPECT_EQ(Pic(last).MotionState, c.starts ? motion_state::kEntering : kPictureBuilt) << c.what;
            EXPECT_EQ(showState().Lists.PriorityHead, c.starts ? 0 : t) << c.what;
            if (c.starts) {
                EXPECT_EQ(showState().StartedLength, 400) << c.what << ": the last unit's length";
            }
        } else {
            EXPECT_EQ(StartList().empty(), c.starts) << c.what;
        }
        TearDown();
    }
}

TEST_F(TimedObjectEvents, NothingStartsWhileTheSplashShows) {
    QueuedTrain(10);
    showState().SplashMs = 500;
    Frames(20);
    EXPECT_EQ(StartList().size(), 1u);
    showState().SplashMs = 0;
    Frame();
    EXPECT_TRUE(StartList().empty());
}

}  // namespace
