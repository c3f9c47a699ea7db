#include "platform/mmtimer.h"

#include "platform/auto_reset_event.h"
#include "platform/priority.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <system_error>
#include <time.h>

namespace plat {

namespace {

constexpr TimerCaps kCaps{1, 1'000'000};
constexpr int64_t kNsPerMs = 1'000'000;
// A sleeping timer thread looks at its cancel flag at least this often, so that stopping
// a timer with a long period still returns promptly. Longer than the engine's 20 ms
// period, so that one never wakes in between.
constexpr int64_t kCancelCheckNs = 25 * kNsPerMs;

bool InCaps(uint32_t periodMs) { return periodMs >= kCaps.periodMin && periodMs <= kCaps.periodMax; }

int64_t MonotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::mutex g_periodsMutex;
std::map<uint32_t, int> g_periods;

std::mutex g_factoryMutex;
TickSourceFactory g_factory;

std::shared_ptr<TickSource> MakeSource(uint32_t periodMs) {
    TickSourceFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_factory;
    }
    if (factory) {
        if (auto source = factory(periodMs)) return source;
    }
    return std::make_shared<RealTickSource>(periodMs);
}

}  // namespace

TimerCaps TimeGetDevCaps() { return kCaps; }

uint32_t TimeBeginPeriod(uint32_t periodMs) {
    if (!InCaps(periodMs)) return kTimerNoCanDo;
    std::lock_guard lock(g_periodsMutex);
    ++g_periods[periodMs];
    return kTimerNoError;
}

uint32_t TimeEndPeriod(uint32_t periodMs) {
    std::lock_guard lock(g_periodsMutex);
    const auto it = g_periods.find(periodMs);
    if (it == g_periods.end()) return kTimerNoCanDo;
    if (--it->second == 0) g_periods.erase(it);
    return kTimerNoError;
}

int BegunPeriodCount(uint32_t periodMs) {
    std::lock_guard lock(g_periodsMutex);
    const auto it = g_periods.find(periodMs);
    return it == g_periods.end() ? 0 : it->second;
}

// ---- RealTickSource

RealTickSource::RealTickSource(uint32_t periodMs)
    : periodNs_(static_cast<int64_t>(std::max(periodMs, 1u)) * kNsPerMs) {}

int64_t RealTickSource::NextDeadline(int64_t deadline, int64_t now, int64_t period) {
    if (now < deadline) return deadline + period;
    return deadline + ((now - deadline) / period + 1) * period;
}

bool RealTickSource::WaitForTick() {
    if (!started_) {
        nextNs_ = MonotonicNs() + periodNs_;
        started_ = true;
    }
    while (!cancelled_.load(std::memory_order_acquire)) {
        const int64_t now = MonotonicNs();
        if (now >= nextNs_) {
            nextNs_ = NextDeadline(nextNs_, now, periodNs_);
            return true;
        }
        const int64_t wake = std::min(nextNs_, now + kCancelCheckNs);
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(wake / 1'000'000'000);
        ts.tv_nsec = static_cast<long>(wake % 1'000'000'000);
        // An interruption or an early return only sends us round the loop again.
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    }
    return false;
}

void RealTickSource::Cancel() { cancelled_.store(true, std::memory_order_release); }

// ---- ManualTickSource

bool ManualTickSource::Tick(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    if (cancelled_) return false;
    const uint64_t mine = ++issued_;
    cv_.notify_all();
    cv_.wait_for(lock, limit, [&] { return done_ >= mine || (cancelled_ && taken_ < mine); });
    return done_ >= mine;
}

uint64_t ManualTickSource::TicksDone() const {
    std::lock_guard lock(mutex_);
    return done_;
}

bool ManualTickSource::WaitForTick() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return cancelled_ || issued_ > taken_; });
    if (cancelled_) return false;
    ++taken_;
    return true;
}

void ManualTickSource::TickDone() {
    std::lock_guard lock(mutex_);
    ++done_;
    cv_.notify_all();
}

void ManualTickSource::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    cv_.notify_all();
}

void SetTickSourceFactory(TickSourceFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    g_factory = std::move(factory);
}

// ---- PeriodicTimer

// Shared by the timer object and its thread, so that a thread left to end on its own
// (stopped from inside its callback) never touches a timer that is gone.
struct PeriodicTimer::State {
    std::atomic<bool> stop{false};
    std::atomic<bool> priorityRaised{false};
    AutoResetEvent started;
};

PeriodicTimer::~PeriodicTimer() {
    Kill();
    // Destroyed from inside its own callback: the thread ends by itself, holding its own
    // references to everything it still uses.
    if (thread_.joinable()) thread_.detach();
}

bool PeriodicTimer::OnTimerThread() const { return thread_.get_id() == std::this_thread::get_id(); }

int PeriodicTimer::Start(uint32_t periodMs, Callback callback, TimerOptions options) {
    if (!InCaps(periodMs) || !callback) return EINVAL;
    if (Running()) return EBUSY;
    if (thread_.joinable()) {
        // A run stopped from inside its callback; restarted from that same callback, the
        // old thread is left to finish on its own.
        if (OnTimerThread())
            thread_.detach();
        else
            thread_.join();
    }

    auto state = std::make_shared<State>();
    std::shared_ptr<TickSource> source = options.source ? std::move(options.source) : MakeSource(periodMs);
    const bool timeCritical = options.timeCritical;
    try {
        thread_ = std::thread([state, source, callback = std::move(callback), timeCritical] {
            if (timeCritical) state->priorityRaised.store(SetCurrentThreadPriority(kThreadPriorityTimeCritical));
            state->started.Set();
            while (source->WaitForTick()) {
                if (!state->stop.load(std::memory_order_acquire)) callback();
                source->TickDone();
                if (state->stop.load(std::memory_order_acquire)) break;
            }
        });
    } catch (const std::system_error&) {
        return EAGAIN;
    }
    state->started.Wait(kInfinite);
    state_ = std::move(state);
    source_ = std::move(source);
    return 0;
}

void PeriodicTimer::Kill() {
    if (state_) {
        state_->stop.store(true, std::memory_order_release);
        source_->Cancel();
    }
    if (thread_.joinable() && !OnTimerThread()) {
        thread_.join();
        state_.reset();
        source_.reset();
    }
}

bool PeriodicTimer::Running() const { return state_ && !state_->stop.load(std::memory_order_acquire); }

bool PeriodicTimer::PriorityRaised() const { return state_ && state_->priorityRaised.load(); }

}  // namespace plat
