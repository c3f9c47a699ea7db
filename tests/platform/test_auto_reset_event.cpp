#include "platform/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using plat::AutoResetEvent;

// Waits (yielding) until pred holds; the bound only keeps a broken build from hanging.
template <class Pred>
bool EventuallyTrue(Pred pred) {
    for (int i = 0; i < 2'000'000; ++i) {
        if (pred()) return true;
        std::this_thread::yield();
    }
    return pred();
}

struct SignalCase {
    const char* name;
    bool initial;
    int sets;
    bool resetAfter;
    int expectedTakes;  // how many TryWait calls in a row succeed
};

TEST(AutoResetEvent, SignalStateTable) {
    const SignalCase cases[] = {
        {"fresh event is clear", false, 0, false, 0},        {"initially signalled", true, 0, false, 1},
        {"one set, one take", false, 1, false, 1},           {"sets do not add up", false, 3, false, 1},
        {"signalled plus set still one", true, 1, false, 1}, {"reset clears a pending signal", false, 2, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AutoResetEvent ev(c.initial);
        for (int i = 0; i < c.sets; ++i) ev.Set();
        if (c.resetAfter) ev.Reset();
        int takes = 0;
        while (takes < 5 && ev.TryWait()) ++takes;
        EXPECT_EQ(takes, c.expectedTakes);
    }
}

TEST(AutoResetEvent, WaitTakesPendingSignalWithoutBlocking) {
    AutoResetEvent ev;
    ev.Set();
    EXPECT_TRUE(ev.Wait(plat::kInfinite));
    EXPECT_FALSE(ev.Wait(0));
}

TEST(AutoResetEvent, WaitTimesOutWhenNobodySets) {
    AutoResetEvent ev;
    EXPECT_FALSE(ev.Wait(0));
    EXPECT_FALSE(ev.Wait(5));
    EXPECT_FALSE(ev.TryWait());
}

TEST(AutoResetEvent, EachSetReleasesExactlyOneWaiter) {
    constexpr int kWaiters = 4;
    AutoResetEvent ev;
    std::atomic<int> waiting{0};
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kWaiters; ++i) {
        threads.emplace_back([&] {
            waiting.fetch_add(1);
            ev.Wait(plat::kInfinite);
            released.fetch_add(1);
        });
    }
    ASSERT_TRUE(EventuallyTrue([&] { return waiting.load() == kWaiters; }));
    for (int k = 1; k <= kWaiters; ++k) {
        ev.Set();
        ASSERT_TRUE(EventuallyTrue([&] { return released.load() >= k; }));
        EXPECT_EQ(released.load(), k);
        // The released waiter consumed the signal; nothing is left over.
        EXPECT_FALSE(ev.TryWait());
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(released.load(), kWaiters);
}

TEST(AutoResetEvent, TimedWaitIsReleasedBySetFromAnotherThread) {
    AutoResetEvent ev;
    std::atomic<bool> result{false};
    std::thread waiter([&] { result = ev.Wait(60'000); });
    ev.Set();
    waiter.join();
    EXPECT_TRUE(result.load());
}

// The loader's hand-over: a command word and plain data written before Set must be seen
// after Wait on the other side, round after round.
TEST(AutoResetEvent, PingPongHandsOverPlainData) {
    constexpr int kRounds = 5000;
    AutoResetEvent command;
    AutoResetEvent done;
    int payload = 0;
    long long sum = 0;
    std::thread worker([&] {
        for (int i = 0; i < kRounds; ++i) {
            command.Wait(plat::kInfinite);
            sum += payload;
            payload = -1;
            done.Set();
        }
    });
    long long expected = 0;
    for (int i = 1; i <= kRounds; ++i) {
        payload = i;
        expected += i;
        command.Set();
        done.Wait(plat::kInfinite);
        ASSERT_EQ(payload, -1);
    }
    worker.join();
    EXPECT_EQ(sum, expected);
}

}  // namespace
