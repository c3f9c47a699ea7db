// The multimedia timer: a periodic callback on a thread of its own, paced by absolute
// deadlines on the monotonic clock so that the period does not drift, plus the device
// capabilities and the begin/end period calls the engine makes around it.
//
// Where the ticks come from is a TickSource: the real one sleeps until each deadline;
// tests use ManualTickSource and deliver each tick by hand, so no test depends on how
// fast the machine is.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace plat {

struct TimerCaps {
    uint32_t periodMin;  // ms
    uint32_t periodMax;  // ms
};

// 1 ms to 1,000,000 ms.
TimerCaps TimeGetDevCaps();

inline constexpr uint32_t kTimerNoError = 0;
inline constexpr uint32_t kTimerNoCanDo = 97;

// The kernel's timer resolution needs no raising on Linux, so these only keep count of
// the periods begun and not yet ended. Begin refuses a period outside the capabilities;
// End refuses a period that was not begun. Both give kTimerNoError or kTimerNoCanDo.
uint32_t TimeBeginPeriod(uint32_t periodMs);
uint32_t TimeEndPeriod(uint32_t periodMs);
int BegunPeriodCount(uint32_t periodMs);

// Delivers the ticks of one timer run. The timer's thread calls WaitForTick, runs the
// callback and then TickDone, over and over; Cancel (any thread) makes a waiting or later
// WaitForTick return false. A source serves one run: a restarted timer takes a new one.
class TickSource {
public:
    virtual ~TickSource() = default;
    // Blocks until the next tick is due; false once cancelled.
    virtual bool WaitForTick() = 0;
    // Called after the callback of each tick has returned (or was skipped by a stop).
    virtual void TickDone() {}
    virtual void Cancel() = 0;
};

// Ticks at start + k * period on CLOCK_MONOTONIC, counted from the first WaitForTick.
// A late tick does not bring a burst of make-up ticks: the next deadline is the next
// point of the grid after now.
class RealTickSource : public TickSource {
public:
    explicit RealTickSource(uint32_t periodMs);
    bool WaitForTick() override;
    void Cancel() override;

    // The first deadline of the grid through `deadline` (step `period`) that lies after
    // `now`; all in nanoseconds.
    static int64_t NextDeadline(int64_t deadline, int64_t now, int64_t period);

private:
    const int64_t periodNs_;
    int64_t nextNs_ = 0;
    bool started_ = false;
    std::atomic<bool> cancelled_{false};
};

// Ticks on demand from a test.
class ManualTickSource : public TickSource {
public:
    // Delivers one tick and returns once its callback has completed: true then; false
    // when the timer was stopped before it took the tick, or when no timer took it within
    // `limit` (a safety net against a hung test, not a timing assertion).
    bool Tick(std::chrono::milliseconds limit = std::chrono::seconds(30));
    uint64_t TicksDone() const;

    bool WaitForTick() override;
    void TickDone() override;
    void Cancel() override;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    uint64_t issued_ = 0;
    uint64_t taken_ = 0;
    uint64_t done_ = 0;
    bool cancelled_ = false;
};

using TickSourceFactory = std::function<std::shared_ptr<TickSource>(uint32_t periodMs)>;
// Sets where timers started without an explicit source get their ticks (tests of the
// engine's timer use); an empty factory restores RealTickSource.
void SetTickSourceFactory(TickSourceFactory factory);

struct TimerOptions {
    std::shared_ptr<TickSource> source;  // empty: from the factory
    bool timeCritical = true;            // try to run the thread at time-critical priority
};

// One timer run at a time. Start, Kill and the destructor are meant for one controlling
// thread (and the timer's own callback); they must not race each other from two others.
class PeriodicTimer {
public:
    using Callback = std::function<void()>;

    PeriodicTimer() = default;
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts the thread; the callback runs on it once per tick and must not throw. Returns
    // 0, EINVAL (period outside the capabilities, or no callback), EBUSY (running) or
    // EAGAIN (no thread). Returns after the thread has started.
    int Start(uint32_t periodMs, Callback callback, TimerOptions options = {});
    // Stops the ticks. From another thread it waits until a callback in progress has
    // returned and the thread has ended; no callback runs after that. From inside the
    // callback it returns at once, the thread ends when the callback returns, and the next
    // Kill, Start or the destructor on another thread waits for that end.
    void Kill();
    bool Running() const;
    // Whether the thread got time-critical priority (false when not asked for or refused).
    bool PriorityRaised() const;

private:
    struct State;
    bool OnTimerThread() const;

    std::shared_ptr<State> state_;
    std::shared_ptr<TickSource> source_;
    std::thread thread_;
};

}  // namespace plat
