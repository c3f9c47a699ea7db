// The batch hand-over between the main thread, the timer and the blit thread, on ticks
// delivered by hand, with an in-memory screen behind the presenter.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "blit_fixture.h"
#include "lumvatek/blit.h"
#include "lumvatek/shared.h"
#include "platform/perf_counter.h"

namespace {

using blittest::MemoryScreen;
using blittest::Op;
using blittest::Picture;

class BlitThread : public blittest::ManualTickTest {
protected:
    void SetUp() override {
        ManualTickTest::SetUp();
        screen_.Fill('.');
        ASSERT_GE(StartMMTimer(20), 0);
        presenter_ = memory_.Table();
        ASSERT_EQ(SetPresenter(&presenter_), 0);
    }

    // A batch that copies the whole source to (x, 0) of the screen.
    BlitOp CopyTo(int x) { return Op(0, 0, x, 0, 2, 2, source_.Value(), 0, 0, 0); }
    LvHandle Screen() const { return screen_.dc.id; }

    Picture source_{{"rg", "by"}};
    Picture screen_{6, 2};
    MemoryScreen memory_{6, 2};
    LvPresenter presenter_{};
};

bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

TEST_F(BlitThread, ABatchWaitsForTheNextTickAndIsShownThen) {
    const BlitOp op = CopyTo(0);
    EXPECT_EQ(BatchBlt(1, &op, Screen()), 0) << "no tick was missed: deferred";
    EXPECT_EQ(CheckBlt(nullptr), 1);
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"......", "......"}));

    ASSERT_TRUE(Tick());
    int32_t stamp = -1;
    EXPECT_EQ(WaitBlt(&stamp), 0);
    EXPECT_GT(stamp, 0);
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg....", "by...."}));
    EXPECT_EQ(memory_.Rows(), screen_.Rows()) << "the presenter was shown the batch";
    ASSERT_EQ(memory_.LastRects().size(), 1u);
    EXPECT_EQ(memory_.LastRects()[0].width, 2);
    int32_t again = -1;
    EXPECT_EQ(CheckBlt(&again), 0);
    EXPECT_EQ(again, 0) << "WaitBlt took the stamp";
}

TEST_F(BlitThread, MissedTicksDrawAtOnceThenTheNextBatchDefers) {
    ASSERT_TRUE(Tick());
    ASSERT_TRUE(Tick());
    ASSERT_TRUE(Tick());
    const BlitOp first = CopyTo(0);
    EXPECT_EQ(BatchBlt(1, &first, Screen()), 3);
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg....", "by...."})) << "drawn before returning";
    EXPECT_EQ(memory_.Presents(), 1);
    EXPECT_EQ(CheckBlt(nullptr), 0);

    const BlitOp second = CopyTo(4);
    EXPECT_EQ(BatchBlt(1, &second, Screen()), 0) << "no tick since the last batch";
    EXPECT_EQ(CheckBlt(nullptr), 1);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg..rg", "by..by"}));
    EXPECT_EQ(memory_.Presents(), 2);

    ASSERT_TRUE(Tick());  // a tick with nothing pending counts once more
    EXPECT_EQ(BatchBlt(0, &second, Screen()), 1);
}

TEST_F(BlitThread, TheStampIsTakenOnceAndANullPointerLeavesIt) {
    ASSERT_TRUE(Tick());
    EXPECT_EQ(CheckBlt(nullptr), 0);
    int32_t first = 0;
    EXPECT_EQ(CheckBlt(&first), 0);
    EXPECT_GT(first, 0);
    EXPECT_EQ(first & 0x80000000, 0);
    int32_t second = -1;
    EXPECT_EQ(CheckBlt(&second), 0);
    EXPECT_EQ(second, 0);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
    int32_t third = 0;
    EXPECT_EQ(WaitBlt(&third), 0);
    EXPECT_GT(third, 0);
}

TEST_F(BlitThread, EachTickWritesTheLastTickTime) {
    SharedState shared;
    lvk::SetTickRecord(&shared);
    const uint32_t before = plat::TimeGetTime();
    ASSERT_TRUE(Tick());
    const uint32_t after = plat::TimeGetTime();
    const uint32_t written = static_cast<uint32_t>(shared.LastTickMs.load());
    EXPECT_LE(written - before, after - before);
    lvk::SetTickRecord(nullptr);
}

TEST_F(BlitThread, OnlyRectanglesOfTheDefaultDcArePresented) {
    Picture other(4, 4);
    const BlitOp ops[] = {Op(other.Value(), 0, 0, 0, 2, 2, source_.Value(), 0, 0, 0), CopyTo(2)};
    EXPECT_EQ(BatchBlt(2, ops, Screen()), 0);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
    ASSERT_EQ(memory_.LastRects().size(), 1u);
    EXPECT_EQ(memory_.LastRects()[0].x, 2);
    EXPECT_EQ(memory_.Rows(), (std::vector<std::string>{"..rg..", "..by.."}));
}

// A tick that arrives while the blit thread is still busy leaves a wake-up behind. It must
// not retire the next batch without drawing it.
TEST_F(BlitThread, AStaleTickNeverDropsTheNextBatch) {
    for (int round = 0; round < 20; ++round) {
        BatchBlt(0, nullptr, Screen());  // forgets ticks missed in the round before
        screen_.Fill('.');
        memory_.CloseGate();
        const BlitOp a = CopyTo(0);
        ASSERT_EQ(BatchBlt(1, &a, Screen()), 0);
        ASSERT_TRUE(Tick());
        ASSERT_TRUE(memory_.WaitHeld()) << "the blit thread is presenting batch A";
        ASSERT_TRUE(Tick()) << "this tick finds A still pending";
        memory_.OpenGate();
        ASSERT_EQ(WaitBlt(nullptr), 0);

        // The stale wake-up may draw B at once or find nothing; either way the next tick
        // leaves B drawn.
        const BlitOp b = CopyTo(4);
        ASSERT_EQ(BatchBlt(1, &b, Screen()), 0);
        ASSERT_TRUE(Tick());
        ASSERT_EQ(WaitBlt(nullptr), 0);
        EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg..rg", "by..by"})) << "round " << round;
    }
}

// The program is to wait for a batch before handing over the next; one that does not is
// held until the blit thread has finished with the pending one.
TEST_F(BlitThread, ABatchHandedOverTooEarlyWaitsForThePendingOne) {
    const BlitOp a = CopyTo(0);
    const BlitOp b = CopyTo(4);
    ASSERT_EQ(BatchBlt(1, &a, Screen()), 0);
    std::thread ticker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Tick();
    });
    EXPECT_EQ(BatchBlt(1, &b, Screen()), 0);
    ticker.join();
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg....", "by...."})) << "A was drawn, B waits";
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg..rg", "by..by"}));
}

// A stop gives up on a blit thread that does not end within 100 ms; the one ending late
// must leave the next start's events alone.
TEST_F(BlitThread, AThreadEndingLateLeavesTheRestartedOneAlone) {
    memory_.CloseGate();
    const BlitOp a = CopyTo(0);
    ASSERT_EQ(BatchBlt(1, &a, Screen()), 0);
    ASSERT_TRUE(Tick());
    ASSERT_TRUE(memory_.WaitHeld());
    EXPECT_EQ(StopMMTimer(), 1);
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1) << "still held by the presenter";
    ASSERT_GE(StartMMTimer(20), 0);
    EXPECT_EQ(lvk::BlitThreadsAlive(), 2);
    memory_.OpenGate();
    ASSERT_TRUE(WaitFor([] { return lvk::BlitThreadsAlive() == 1; }));
    EXPECT_EQ(CheckBlt(nullptr), 0) << "the old thread finished batch A";

    const BlitOp b = CopyTo(4);
    ASSERT_EQ(BatchBlt(1, &b, Screen()), 0);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0) << "the new run's done event still works";
    EXPECT_EQ(screen_.Rows(), (std::vector<std::string>{"rg..rg", "by..by"}));
}

TEST_F(BlitThread, RestartsManyTimes) {
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(StopMMTimer(), 1);
        ASSERT_GE(StartMMTimer(20), 0);
        const BlitOp op = CopyTo(i % 2 == 0 ? 0 : 4);
        ASSERT_EQ(BatchBlt(1, &op, Screen()), 0);
        ASSERT_TRUE(Tick());
        ASSERT_EQ(WaitBlt(nullptr), 0) << "start " << i;
    }
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
}

TEST_F(BlitThread, AfterAStopWaitBltReturnsAtOnceAndTheBatchStaysPending) {
    EXPECT_EQ(StopMMTimer(), 1);
    EXPECT_EQ(StopMMTimer(), 0) << "nothing left to stop";
    EXPECT_FALSE(lvk::BlitTimerRunning());
    const BlitOp op = CopyTo(0);
    EXPECT_EQ(BatchBlt(1, &op, Screen()), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitBlt(nullptr), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(CheckBlt(nullptr), 1) << "without a blit thread a batch is never drawn";
    lvk::StopBlitWorkers();
    EXPECT_EQ(CheckBlt(nullptr), 0) << "the library's stop forgets it";
}

TEST_F(BlitThread, TheReplacedPresenterIsNotCalledAgain) {
    MemoryScreen second(6, 2);
    LvPresenter table = second.Table();
    ASSERT_EQ(SetPresenter(&table), 0);
    const BlitOp op = CopyTo(0);
    ASSERT_EQ(BatchBlt(1, &op, Screen()), 0);
    ASSERT_TRUE(Tick());
    ASSERT_EQ(WaitBlt(nullptr), 0);
    EXPECT_EQ(memory_.Presents(), 0);
    EXPECT_EQ(second.Presents(), 1);
    ASSERT_EQ(SetPresenter(nullptr), 0);
    ASSERT_TRUE(Tick());
    const BlitOp again = CopyTo(2);
    EXPECT_EQ(BatchBlt(1, &again, Screen()), 1) << "drawn at once, shown to nobody";
    EXPECT_EQ(second.Presents(), 1);
}

TEST(Presenter, ATableOfAnotherSizeOrWithoutPresentIsRefused) {
    LvPresenter small{sizeof(LvPresenter) - 1, nullptr, [](void*, LvHandle, const LvRect*, int32_t) noexcept {}};
    EXPECT_EQ(SetPresenter(&small), -11305);
    LvPresenter empty{sizeof(LvPresenter), nullptr, nullptr};
    EXPECT_EQ(SetPresenter(&empty), -11305);
    EXPECT_EQ(SetPresenter(nullptr), 0);
}

struct PeriodCase {
    const char* name;
    int32_t period;
    int32_t expected;
};

class TimerPeriods : public blittest::ManualTickTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(TimerPeriods, OutsideTheCapabilitiesNothingStarts) {
    const int before = plat::BegunPeriodCount(static_cast<uint32_t>(GetParam().period));
    EXPECT_EQ(StartMMTimer(GetParam().period), GetParam().expected);
    EXPECT_FALSE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 0);
    EXPECT_EQ(plat::BegunPeriodCount(static_cast<uint32_t>(GetParam().period)), before);
    EXPECT_EQ(WaitBlt(nullptr), 1);
}

INSTANTIATE_TEST_SUITE_P(Blit, TimerPeriods,
                         ::testing::Values(PeriodCase{"zero", 0, -11301}, PeriodCase{"negative", -5, -11301},
                                           PeriodCase{"too_long", 1'000'001, -11302}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BlitThread, ASecondStartReplacesTheFirst) {
    ASSERT_GE(StartMMTimer(20), 0);
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
    EXPECT_EQ(plat::BegunPeriodCount(20), 1);
    EXPECT_EQ(StopMMTimer(), 1);
    EXPECT_EQ(plat::BegunPeriodCount(20), 0);
}

}  // namespace
