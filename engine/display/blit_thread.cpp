// The hand-over of batches to the blit thread under the multimedia timer, and the exports
// around it: BatchBlt, CheckBlt, WaitBlt, StartMMTimer, StopMMTimer, SetPresenter.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/display/blit.h"
#include "lumvatek/shared.h"
#include "platform/auto_reset_event.h"
#include "platform/mmtimer.h"
#include "platform/perf_counter.h"
#include "platform/priority.h"

namespace lvk {
namespace {

constexpr int32_t kErrPeriodBelowMinimum = -11301;
constexpr int32_t kErrPeriodAboveMaximum = -11302;
constexpr int32_t kErrBeginPeriod = -11303;
constexpr int32_t kErrTimerStart = -11304;
constexpr int32_t kErrPresenterTable = -11305;

// A wait for the blit thread looks at the batch again at least this often, so a done
// signal taken by someone else costs no more than this.
constexpr uint32_t kWaitStepMs = 50;
// How long a stop waits for the blit thread to end.
constexpr uint32_t kStopWaitMs = 100;

// The words the three threads share. The records address is the pending flag: count and
// default DC are stored before it is published and read after it is seen.
struct HandOver {
    std::atomic<const BlitOp*> records{nullptr};
    std::atomic<int32_t> count{0};
    std::atomic<uint32_t> defaultDc{0};
    std::atomic<uint32_t> missedTicks{0};
    std::atomic<int32_t> tickStamp{0};
    std::atomic<SharedState*> tickRecord{nullptr};
};
HandOver g_hand;

// One start of the timer and the blit thread. The timer's callback and the thread hold
// their own references, so whatever of an earlier run is still ending works on its own.
struct BlitRun {
    plat::AutoResetEvent wake;  // a tick found a batch pending
    plat::AutoResetEvent done;  // a batch was retired, or the thread ended
    plat::AutoResetEvent started;
    plat::AutoResetEvent ended;
    std::atomic<bool> quit{false};
    std::atomic<bool> alive{true};
    int priorityError = 0;  // written before started is set
};

// Drawing and presenting a batch, on whichever thread: one batch at a time.
std::mutex g_drawMutex;
LvPresenter g_presenter{};
std::vector<LvRect> g_changed;

// The current run, for the waits of the main thread; the ending blit thread forgets it.
std::mutex g_runMutex;
std::shared_ptr<BlitRun> g_run;

std::atomic<int> g_threadsAlive{0};

// Main thread only.
plat::PeriodicTimer g_timer;
uint32_t g_periodBegun = 0;
std::thread g_thread;
std::shared_ptr<BlitRun> g_threadRun;

std::shared_ptr<BlitRun> CurrentRun() {
    std::lock_guard lock(g_runMutex);
    return g_run;
}

// Caller holds g_drawMutex.
void DrawAndPresent(int32_t count, const BlitOp* records, plat::HDC defaultDc) {
    const bool presenting = g_presenter.present != nullptr;
    g_changed.clear();
    ExecuteBlits(count, records, defaultDc, presenting ? &g_changed : nullptr);
    if (presenting && !g_changed.empty()) {
        g_presenter.present(g_presenter.context, defaultDc.id, g_changed.data(),
                            static_cast<int32_t>(g_changed.size()));
    }
}

// The blit thread's work for a tick. A wake that finds no batch does nothing: the batch
// the program publishes meanwhile stays pending for the next tick.
void DrawPendingBatch() {
    std::lock_guard lock(g_drawMutex);
    const BlitOp* records = g_hand.records.load(std::memory_order_acquire);
    if (records == nullptr) {
        return;
    }
    DrawAndPresent(g_hand.count.load(std::memory_order_relaxed), records,
                   plat::HDC(g_hand.defaultDc.load(std::memory_order_relaxed)));
    g_hand.missedTicks.store(0, std::memory_order_relaxed);
    g_hand.records.compare_exchange_strong(records, nullptr, std::memory_order_release, std::memory_order_relaxed);
}

void OnTick(BlitRun& run) {
    g_hand.tickStamp.store(static_cast<int32_t>(plat::QueryPerfCounter() & 0x7FFFFFFF), std::memory_order_relaxed);
    if (SharedState* shared = g_hand.tickRecord.load(std::memory_order_acquire)) {
        shared->LastTickMs.store(static_cast<int32_t>(plat::TimeGetTime()), std::memory_order_relaxed);
    }
    if (g_hand.records.load(std::memory_order_acquire) != nullptr) {
        run.wake.Set();
    } else {
        g_hand.missedTicks.fetch_add(1, std::memory_order_relaxed);
    }
}

void BlitThreadMain(std::shared_ptr<BlitRun> run) {
    if (!plat::SetCurrentThreadPriority(plat::kThreadPriorityTimeCritical)) {
        run->priorityError = errno != 0 ? errno : EPERM;
    }
    run->started.Set();
    for (;;) {
        run->wake.Wait();
        if (run->quit.load(std::memory_order_acquire)) {
            break;
        }
        DrawPendingBatch();
        run->done.Set();
    }
    {
        std::lock_guard lock(g_runMutex);
        if (g_run == run) {
            g_run.reset();
        }
    }
    run->alive.store(false, std::memory_order_release);
    run->done.Set();
    g_threadsAlive.fetch_sub(1, std::memory_order_acq_rel);
    run->ended.Set();
}

// A batch still pending is not overwritten while a blit thread may be reading it.
void WaitWhilePending() {
    if (g_hand.records.load(std::memory_order_acquire) == nullptr) {
        return;
    }
    const std::shared_ptr<BlitRun> run = CurrentRun();
    while (run && run->alive.load(std::memory_order_acquire) &&
           g_hand.records.load(std::memory_order_acquire) != nullptr) {
        run->done.Wait(kWaitStepMs);
    }
}

void TakeStamp(int32_t* stampOut) {
    if (stampOut != nullptr) {
        *stampOut = g_hand.tickStamp.exchange(0, std::memory_order_relaxed);
    }
}

int32_t StopTimerAndThread() {
    g_timer.Kill();
    if (g_periodBegun != 0) {
        plat::TimeEndPeriod(g_periodBegun);
        g_periodBegun = 0;
    }
    {
        std::lock_guard lock(g_runMutex);
        g_run.reset();
    }
    const std::shared_ptr<BlitRun> run = std::move(g_threadRun);
    if (!g_thread.joinable()) {
        return 0;
    }
    run->quit.store(true, std::memory_order_release);
    run->wake.Set();
    if (run->ended.Wait(kStopWaitMs)) {
        g_thread.join();
    } else {
        // Still busy (a presenter that does not return): it ends on its own, with its run.
        g_thread.detach();
    }
    return 1;
}

// Stops the workers when the library goes away without CloseDLL.
struct StopAtUnload {
    ~StopAtUnload() { StopTimerAndThread(); }
} g_stopAtUnload;

}  // namespace

bool PresentRects(plat::HDC dc, const LvRect* rects, int32_t count) {
    std::lock_guard lock(g_drawMutex);
    if (g_presenter.present == nullptr) {
        return false;
    }
    if (count > 0) {
        g_presenter.present(g_presenter.context, dc.id, rects, count);
    }
    return true;
}

void SetTickRecord(SharedState* shared) { g_hand.tickRecord.store(shared, std::memory_order_release); }

void StopBlitWorkers() {
    StopTimerAndThread();
    std::lock_guard lock(g_drawMutex);
    g_hand.records.store(nullptr, std::memory_order_release);
    g_hand.missedTicks.store(0, std::memory_order_relaxed);
    g_hand.tickStamp.store(0, std::memory_order_relaxed);
}

int BlitThreadsAlive() { return g_threadsAlive.load(std::memory_order_acquire); }
bool BlitTimerRunning() { return g_timer.Running(); }

}  // namespace lvk

using lvk::g_hand;

LvResult BatchBlt(int32_t count, const BlitOp* records, LvHandle defaultDc) noexcept {
    lvk::WaitWhilePending();
    const uint32_t missed = g_hand.missedTicks.exchange(0, std::memory_order_acq_rel);
    if (missed > 0) {
        std::lock_guard lock(lvk::g_drawMutex);
        lvk::DrawAndPresent(count, records, plat::HDC(defaultDc));
        return static_cast<LvResult>(std::min<uint32_t>(missed, INT32_MAX));
    }
    if (const std::shared_ptr<lvk::BlitRun> run = lvk::CurrentRun()) {
        run->done.Reset();
    }
    g_hand.count.store(count, std::memory_order_relaxed);
    g_hand.defaultDc.store(defaultDc, std::memory_order_relaxed);
    g_hand.records.store(records, std::memory_order_release);
    return 0;
}

LvResult CheckBlt(int32_t* stampOut) noexcept {
    if (g_hand.records.load(std::memory_order_acquire) != nullptr) {
        return 1;
    }
    lvk::TakeStamp(stampOut);
    return 0;
}

LvResult WaitBlt(int32_t* stampOut) noexcept {
    const std::shared_ptr<lvk::BlitRun> run = lvk::CurrentRun();
    if (!run) {
        return 1;
    }
    while (g_hand.records.load(std::memory_order_acquire) != nullptr) {
        if (!run->alive.load(std::memory_order_acquire)) {
            return 1;
        }
        run->done.Wait(lvk::kWaitStepMs);
    }
    lvk::TakeStamp(stampOut);
    return 0;
}

LvResult StartMMTimer(int32_t periodMs) noexcept {
    using namespace lvk;
    // A second start replaces the first rather than leaving a timer no stop can reach.
    StopTimerAndThread();
    const plat::TimerCaps caps = plat::TimeGetDevCaps();
    if (periodMs < 0 || static_cast<uint32_t>(periodMs) < caps.periodMin) {
        return kErrPeriodBelowMinimum;
    }
    const uint32_t period = static_cast<uint32_t>(periodMs);
    if (period > caps.periodMax) {
        return kErrPeriodAboveMaximum;
    }
    if (plat::TimeBeginPeriod(period) != plat::kTimerNoError) {
        return kErrBeginPeriod;
    }
    std::shared_ptr<BlitRun> run;
    try {
        run = std::make_shared<BlitRun>();
    } catch (const std::bad_alloc&) {
        plat::TimeEndPeriod(period);
        return kErrTimerStart;
    }
    g_hand.missedTicks.store(0, std::memory_order_relaxed);
    if (g_timer.Start(period, [run] { OnTick(*run); }) != 0) {
        plat::TimeEndPeriod(period);
        return kErrTimerStart;
    }
    g_periodBegun = period;
    {
        std::lock_guard lock(g_runMutex);
        g_run = run;
    }
    g_threadsAlive.fetch_add(1, std::memory_order_acq_rel);
    try {
        g_thread = std::thread(BlitThreadMain, run);
    } catch (const std::system_error& e) {
        // Without a blit thread the timer still counts missed ticks, so BatchBlt draws at once.
        g_threadsAlive.fetch_sub(1, std::memory_order_acq_rel);
        std::lock_guard lock(g_runMutex);
        g_run.reset();
        return e.code().value() > 0 ? e.code().value() : EAGAIN;
    }
    g_threadRun = run;
    run->started.Wait();
    return run->priorityError;
}

LvResult StopMMTimer() noexcept { return lvk::StopTimerAndThread(); }

LvResult SetPresenter(const LvPresenter* presenter) noexcept {
    if (presenter != nullptr && (presenter->size < sizeof(LvPresenter) || presenter->present == nullptr)) {
        return lvk::kErrPresenterTable;
    }
    std::lock_guard lock(lvk::g_drawMutex);
    lvk::g_presenter = presenter != nullptr ? *presenter : LvPresenter{};
    try {
        lvk::g_changed.reserve(256);
    } catch (const std::bad_alloc&) {
        // Grown when drawn instead.
    }
    return 0;
}
