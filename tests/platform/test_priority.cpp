#include "platform/priority.h"

#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace plat;

struct Sched {
    int policy = -1;
    int nice = 99;
    bool operator==(const Sched&) const = default;
};

Sched Read(ThreadId thread) {
    Sched s;
    s.policy = ::sched_getscheduler(thread) & ~SCHED_RESET_ON_FORK;
    errno = 0;
    s.nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    return s;
}

// Runs body on a fresh thread, so whatever it does to its own priority ends with it.
void OnFreshThread(const std::function<void()>& body) {
    std::thread t(body);
    t.join();
}

// What a thread priority should look like once applied, with the process class normal.
Sched Expected(int priority) {
    if (priority >= kThreadPriorityTimeCritical) return {SCHED_FIFO, 0};
    if (priority <= kThreadPriorityIdle) return {SCHED_IDLE, 0};
    return {SCHED_OTHER, std::clamp(-priority, -20, 19)};
}

// Lowering is always permitted, so these must succeed and read back exactly.
TEST(Priority, LoweringThreadPriorityAlwaysApplies) {
    const struct {
        const char* name;
        int priority;
    } cases[] = {
        {"below normal", kThreadPriorityBelowNormal},
        {"lowest", kThreadPriorityLowest},
        {"idle", kThreadPriorityIdle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OnFreshThread([&] {
            EXPECT_TRUE(SetCurrentThreadPriority(c.priority));
            EXPECT_EQ(Read(CurrentThreadId()), Expected(c.priority));
        });
    }
}

// Raising may be refused (no privilege); either it applies exactly or nothing changes.
TEST(Priority, RaisingThreadPriorityAppliesOrLeavesThreadUnchanged) {
    const struct {
        const char* name;
        int priority;
    } cases[] = {
        {"above normal", kThreadPriorityAboveNormal},
        {"highest", kThreadPriorityHighest},
        {"show main thread", 12},
        {"time critical", kThreadPriorityTimeCritical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OnFreshThread([&] {
            const Sched before = Read(CurrentThreadId());
            if (SetCurrentThreadPriority(c.priority))
                EXPECT_EQ(Read(CurrentThreadId()), Expected(c.priority));
            else
                EXPECT_EQ(Read(CurrentThreadId()), before);
            // Back to normal is a lowering from any of these.
            EXPECT_TRUE(SetCurrentThreadPriority(kThreadPriorityNormal));
            EXPECT_EQ(Read(CurrentThreadId()), Expected(kThreadPriorityNormal));
        });
    }
}

TEST(Priority, AnotherThreadCanBeChangedByItsId) {
    std::atomic<ThreadId> id{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        id = CurrentThreadId();
        while (!done.load()) std::this_thread::yield();
    });
    while (id.load() == 0) std::this_thread::yield();
    EXPECT_TRUE(SetThreadPriority(id.load(), kThreadPriorityLowest));
    EXPECT_EQ(Read(id.load()), Expected(kThreadPriorityLowest));
    done = true;
    worker.join();
}

// Codes a child reports; 0 is success.
enum ChildResult { kOk = 0, kSkipped = 77, kWrong = 1 };

// A process class moves every ordinary thread and keeps each one's offset. Runs in a
// child so the test process keeps its own priority.
TEST(Priority, ProcessClassMovesAllThreadsKeepingOffsets) {
    const int result = testutil::RunInChild([] {
        std::atomic<ThreadId> helperId{0};
        std::atomic<bool> done{false};
        std::thread helper([&] {
            SetCurrentThreadPriority(kThreadPriorityBelowNormal);
            helperId = CurrentThreadId();
            while (!done.load()) std::this_thread::yield();
        });
        while (helperId.load() == 0) std::this_thread::yield();
        int code = kOk;
        const ThreadId self = CurrentThreadId();
        if (SetProcessPriorityClass(PriorityClass::High)) {
            if (Read(self).nice != -10 || Read(helperId).nice != -9) code = kWrong + 1;
        } else if (Read(self).nice != 0 || Read(helperId).nice != 1) {
            code = kWrong + 2;
        }
        if (!SetProcessPriorityClass(PriorityClass::Normal))
            code = kWrong + 3;
        else if (Read(self).nice != 0 || Read(helperId).nice != 1)
            code = kWrong + 4;
        done = true;
        helper.join();
        return code;
    });
    EXPECT_EQ(result, kOk);
}

// Without privilege every raise is refused: each call says so, nothing changes, and the
// way back to normal still works.
TEST(Priority, RefusedRequestsReturnFalseAndChangeNothing) {
    const int result = testutil::RunInChild([] {
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_NICE, &none) != 0 || ::setrlimit(RLIMIT_RTPRIO, &none) != 0)
            return static_cast<int>(kSkipped);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return static_cast<int>(kSkipped);
        const ThreadId self = CurrentThreadId();
        const Sched before = Read(self);
        if (SetCurrentThreadPriority(kThreadPriorityAboveNormal))
            return static_cast<int>(kSkipped);  // still privileged somehow
        if (SetCurrentThreadPriority(kThreadPriorityTimeCritical) || SetCurrentThreadPriority(12)) return kWrong + 1;
        if (SetProcessPriorityClass(PriorityClass::High) || SetProcessPriorityClass(PriorityClass::RealTime))
            return kWrong + 2;
        if (!(Read(self) == before)) return kWrong + 3;
        if (!SetProcessPriorityClass(PriorityClass::Normal) || !SetCurrentThreadPriority(kThreadPriorityNormal))
            return kWrong + 4;
        if (!SetCurrentThreadPriority(kThreadPriorityLowest) || Read(self).nice != 2) return kWrong + 5;
        return static_cast<int>(kOk);
    });
    if (result == kSkipped) GTEST_SKIP() << "cannot drop the privilege to raise priorities";
    EXPECT_EQ(result, kOk);
}

}  // namespace
