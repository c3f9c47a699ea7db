#include "platform/mmtimer.h"

#include "platform/auto_reset_event.h"
#include "platform/perf_counter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace plat;

TimerOptions Manual(const std::shared_ptr<ManualTickSource>& source) {
    TimerOptions o;
    o.source = source;
    o.timeCritical = false;
    return o;
}

TEST(TimerCaps, RangeAndPeriodBookkeeping) {
    const TimerCaps caps = TimeGetDevCaps();
    EXPECT_EQ(caps.periodMin, 1u);
    EXPECT_EQ(caps.periodMax, 1'000'000u);

    const struct {
        const char* name;
        uint32_t period;
        uint32_t expected;
    } begins[] = {
        {"zero is below the minimum", 0, kTimerNoCanDo},
        {"minimum", 1, kTimerNoError},
        {"engine period", 20, kTimerNoError},
        {"maximum", 1'000'000, kTimerNoError},
        {"above the maximum", 1'000'001, kTimerNoCanDo},
    };
    for (const auto& b : begins) {
        SCOPED_TRACE(b.name);
        const int before = BegunPeriodCount(b.period);
        EXPECT_EQ(TimeBeginPeriod(b.period), b.expected);
        const bool begun = b.expected == kTimerNoError;
        EXPECT_EQ(BegunPeriodCount(b.period), before + (begun ? 1 : 0));
        EXPECT_EQ(TimeEndPeriod(b.period), b.expected);
        EXPECT_EQ(BegunPeriodCount(b.period), before);
    }
    // Ending more often than begun is refused and keeps the count at zero.
    EXPECT_EQ(TimeBeginPeriod(33), kTimerNoError);
    EXPECT_EQ(TimeBeginPeriod(33), kTimerNoError);
    EXPECT_EQ(TimeEndPeriod(33), kTimerNoError);
    EXPECT_EQ(TimeEndPeriod(33), kTimerNoError);
    EXPECT_EQ(TimeEndPeriod(33), kTimerNoCanDo);
    EXPECT_EQ(BegunPeriodCount(33), 0);
}

TEST(RealTickSource, NextDeadlineStaysOnTheGridWithoutBursts) {
    constexpr int64_t P = 20;
    const struct {
        const char* name;
        int64_t deadline, now, expected;
    } cases[] = {
        {"exactly on time", 100, 100, 120},
        {"slightly late", 100, 105, 120},
        {"just before the next", 100, 119, 120},
        {"on the next deadline", 100, 120, 140},
        {"several periods late skips them", 100, 175, 180},
        {"early wake keeps the grid", 100, 90, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RealTickSource::NextDeadline(c.deadline, c.now, P), c.expected);
    }
}

TEST(PeriodicTimer, EachManualTickRunsTheCallbackOnce) {
    auto source = std::make_shared<ManualTickSource>();
    PeriodicTimer timer;
    int calls = 0;  // plain int: Tick orders the callback before the check
    ASSERT_EQ(timer.Start(
                  20, [&] { ++calls; }, Manual(source)),
              0);
    EXPECT_TRUE(timer.Running());
    EXPECT_EQ(calls, 0);
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(source->Tick());
        EXPECT_EQ(calls, i);
    }
    EXPECT_EQ(source->TicksDone(), 5u);
    timer.Kill();
    EXPECT_FALSE(timer.Running());
    EXPECT_FALSE(source->Tick());
    EXPECT_EQ(calls, 5);
}

TEST(PeriodicTimer, StartRefusesBadRequests) {
    const TimerCaps caps = TimeGetDevCaps();
    const struct {
        const char* name;
        uint32_t period;
        bool withCallback;
        int expected;
    } cases[] = {
        {"period 0", 0, true, EINVAL},
        {"above the maximum", caps.periodMax + 1, true, EINVAL},
        {"no callback", 20, false, EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeriodicTimer timer;
        PeriodicTimer::Callback cb;
        if (c.withCallback) cb = [] {};
        EXPECT_EQ(timer.Start(c.period, cb, Manual(std::make_shared<ManualTickSource>())), c.expected);
        EXPECT_FALSE(timer.Running());
    }

    PeriodicTimer timer;
    ASSERT_EQ(timer.Start(
                  20, [] {}, Manual(std::make_shared<ManualTickSource>())),
              0);
    EXPECT_EQ(timer.Start(
                  20, [] {}, Manual(std::make_shared<ManualTickSource>())),
              EBUSY);
}

TEST(PeriodicTimer, KillWaitsForTheCallbackInProgress) {
    auto source = std::make_shared<ManualTickSource>();
    PeriodicTimer timer;
    AutoResetEvent entered;
    AutoResetEvent release;
    std::atomic<bool> finished{false};
    ASSERT_EQ(timer.Start(
                  20,
                  [&] {
                      entered.Set();
                      release.Wait(kInfinite);
                      finished = true;
                  },
                  Manual(source)),
              0);
    std::thread ticker([&] { source->Tick(); });
    ASSERT_TRUE(entered.Wait(kInfinite));

    std::atomic<bool> killCalled{false};
    std::atomic<bool> finishedWhenKillReturned{false};
    std::thread killer([&] {
        killCalled = true;
        timer.Kill();
        finishedWhenKillReturned = finished.load();
    });
    while (!killCalled.load()) std::this_thread::yield();
    release.Set();
    killer.join();
    ticker.join();
    EXPECT_TRUE(finishedWhenKillReturned.load());
    EXPECT_FALSE(timer.Running());
}

TEST(PeriodicTimer, KillFromInsideTheCallbackDoesNotDeadlock) {
    auto source = std::make_shared<ManualTickSource>();
    PeriodicTimer timer;
    int calls = 0;
    ASSERT_EQ(timer.Start(
                  20,
                  [&] {
                      if (++calls == 2) timer.Kill();
                  },
                  Manual(source)),
              0);
    EXPECT_TRUE(source->Tick());
    EXPECT_TRUE(source->Tick());  // completes although the callback stopped the timer
    EXPECT_FALSE(timer.Running());
    EXPECT_FALSE(source->Tick());
    EXPECT_EQ(calls, 2);
    timer.Kill();  // waits for the thread's end from outside
}

TEST(PeriodicTimer, RestartFromInsideTheCallback) {
    auto first = std::make_shared<ManualTickSource>();
    auto second = std::make_shared<ManualTickSource>();
    PeriodicTimer timer;
    std::atomic<int> secondCalls{0};
    ASSERT_EQ(timer.Start(
                  20,
                  [&] {
                      timer.Kill();
                      timer.Start(
                          20, [&] { ++secondCalls; }, Manual(second));
                  },
                  Manual(first)),
              0);
    EXPECT_TRUE(first->Tick());
    EXPECT_TRUE(timer.Running());
    EXPECT_TRUE(second->Tick());
    EXPECT_EQ(secondCalls.load(), 1);
    EXPECT_FALSE(first->Tick());
}

TEST(PeriodicTimer, DestroyedFromInsideItsCallback) {
    auto source = std::make_shared<ManualTickSource>();
    auto timer = std::make_unique<PeriodicTimer>();
    std::atomic<bool> destroyed{false};
    ASSERT_EQ(timer->Start(
                  20,
                  [&] {
                      timer.reset();
                      destroyed = true;
                  },
                  Manual(source)),
              0);
    EXPECT_TRUE(source->Tick());
    EXPECT_TRUE(destroyed.load());
    EXPECT_FALSE(source->Tick());
}

TEST(PeriodicTimer, RestartsWithAFreshSourceAfterKill) {
    PeriodicTimer timer;
    int calls = 0;
    for (int run = 0; run < 3; ++run) {
        auto source = std::make_shared<ManualTickSource>();
        ASSERT_EQ(timer.Start(
                      20, [&] { ++calls; }, Manual(source)),
                  0);
        ASSERT_TRUE(source->Tick());
        timer.Kill();
    }
    EXPECT_EQ(calls, 3);
}

TEST(PeriodicTimer, FactorySuppliesTheSourceWhenNoneIsGiven) {
    std::shared_ptr<ManualTickSource> made;
    uint32_t askedPeriod = 0;
    SetTickSourceFactory([&](uint32_t period) {
        askedPeriod = period;
        made = std::make_shared<ManualTickSource>();
        return made;
    });
    PeriodicTimer timer;
    int calls = 0;
    TimerOptions options;
    options.timeCritical = false;
    const int started = timer.Start(
        20, [&] { ++calls; }, options);
    SetTickSourceFactory({});
    ASSERT_EQ(started, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(askedPeriod, 20u);
    EXPECT_TRUE(made->Tick());
    EXPECT_EQ(calls, 1);
}

// Callback state written on the timer thread is handed over to the ticking thread by
// Tick alone; under ThreadSanitizer this checks that ordering.
TEST(PeriodicTimer, TickOrdersCallbackWritesBeforeItReturns) {
    auto source = std::make_shared<ManualTickSource>();
    PeriodicTimer timer;
    std::vector<int> seen;
    int next = 0;
    ASSERT_EQ(timer.Start(
                  20, [&] { seen.push_back(next); }, Manual(source)),
              0);
    for (int i = 0; i < 200; ++i) {
        next = i;
        ASSERT_TRUE(source->Tick());
        ASSERT_EQ(seen.back(), i);
    }
}

// The real clock: it ticks at all and stops. No statement about its speed.
TEST(PeriodicTimer, RealClockTicksAndStops) {
    PeriodicTimer timer;
    AutoResetEvent ticked;
    std::atomic<int> calls{0};
    ASSERT_EQ(timer.Start(5,
                          [&] {
                              ++calls;
                              ticked.Set();
                          }),
              0);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ticked.Wait(30'000));
    timer.Kill();
    const int atKill = calls.load();
    EXPECT_GE(atKill, 3);
    ticked.Reset();  // a tick between the last Wait and Kill may have left it set
    EXPECT_FALSE(ticked.Wait(50));
    EXPECT_EQ(calls.load(), atKill);
}

// A timer with a long period still stops promptly; the bound is generous and only
// catches a stop that waits for the next tick.
TEST(PeriodicTimer, RealClockWithLongPeriodStopsWithoutWaitingForATick) {
    PeriodicTimer timer;
    ASSERT_EQ(timer.Start(600'000, [] {}), 0);
    const uint32_t before = TimeGetTime();
    timer.Kill();
    EXPECT_LT(TimeGetTime() - before, 60'000u);
}

}  // namespace
