// The picture loader thread and LookPicture's hand-over to it.
//
// One load at a time goes through the command word and two auto-reset events: the main
// thread stores the arguments, sets the word to 1 (release) and signals the command event;
// the loader loads, stores the result, sets the word back to 0 (release) and signals the
// done event. Meanwhile the main thread raises event 204 about every 10 ms, so the program
// keeps its animation moving. Only the main thread's own record carries event 204; the
// loader raises nothing but the allocator's reports, which use a record of its own.
//
// Ending the thread is a flag of its own rather than a value of the command word: a
// library stop from inside the 204 callback must neither overwrite a load that is pending
// nor leave the waiting LookPicture without its answer.
//
// Idle, the loader touches a mapped cache file page by page (the warming). The cache
// starts the warming whenever it maps or grows the file and stops it before unmapping;
// each read happens under a lock that the stop takes, so after the stop the loader never
// looks at the mapping again.
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "engine/cache/cache.h"
#include "engine/cache/cache_image.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/events.h"
#include "engine/pictures/loader.h"
#include "platform/auto_reset_event.h"

namespace lvk {

namespace {

enum Command : int32_t { kIdle = 0, kLoad = 1 };

constexpr uint32_t kWaitStepMs = 10;
constexpr uint32_t kIdleSleepMs = 1000;
constexpr uint32_t kWarmStepMs = 10;
constexpr uint32_t kPage = 4096;

struct LoaderRun {
    plat::AutoResetEvent command;
    plat::AutoResetEvent done;
    std::atomic<int32_t> word{kIdle};
    std::atomic<bool> quit{false};
    std::atomic<bool> ended{false};

    // The hand-over record: written before the word becomes 1, read by the loader after it
    // saw 1; the result is written before the word returns to 0.
    std::string name;
    bool hasName = false;
    LvHandle module = 0;
    int16_t* widthOut = nullptr;
    int16_t* heightOut = nullptr;
    int32_t* offsetOut = nullptr;
    int32_t flags = 0;
    int32_t result = 0;
};

// Main thread only.
std::shared_ptr<LoaderRun> g_run;
// The same run for the cache's warming start, which may come from the loader thread too.
std::atomic<LoaderRun*> g_current{nullptr};
std::thread g_thread;
bool g_waiting = false;

std::atomic<void (*)()> g_loadStartHook{nullptr};

// The warming: a position and an end in the mapped image that the cache last announced.
struct Warming {
    std::mutex lock;
    const uint8_t* image = nullptr;
    size_t size = 0;
    uint32_t position = 0;  // 0: nothing to warm
    uint32_t end = 0;
};
Warming g_warming;

// Runs on the thread that mapped or grew the file, right after the cache stored the new
// mapping (the cache's own state is complete there).
void StartWarming(uint32_t end) {
    const CacheState& c = Cache();
    {
        std::lock_guard hold(g_warming.lock);
        g_warming.image = c.Image;
        g_warming.size = c.ImageSize;
        g_warming.end = end;
        g_warming.position = kPage;
    }
    // Wakes an idle loader from its long sleep.
    if (LoaderRun* run = g_current.load(std::memory_order_acquire)) run->command.Set();
}

void StopWarming() {
    std::lock_guard hold(g_warming.lock);
    g_warming.image = nullptr;
    g_warming.size = 0;
    g_warming.position = 0;
    g_warming.end = 0;
}

// One page of the warming; false when there is nothing to warm.
bool WarmOnePage() {
    std::lock_guard hold(g_warming.lock);
    const uint32_t at = g_warming.position;
    if (at == 0 || g_warming.image == nullptr) return false;
    if (at < g_warming.size) {
        const volatile uint8_t* byte = g_warming.image + at;
        (void)*byte;
    }
    const uint64_t next = static_cast<uint64_t>(at) + kPage;
    g_warming.position = (g_warming.end < next + kPage || next >= g_warming.size) ? 0 : static_cast<uint32_t>(next);
    return true;
}

void RunLoad(LoaderRun& run) {
    if (void (*hook)() = g_loadStartHook.load(std::memory_order_acquire)) hook();
    run.result = LoadPicture(run.hasName ? run.name.c_str() : nullptr, run.module, run.widthOut, run.heightOut,
                             run.offsetOut, run.flags);
}

void PictureLoaderThread(std::shared_ptr<LoaderRun> run) {
    for (;;) {
        if (run->word.load(std::memory_order_acquire) == kLoad) {
            RunLoad(*run);
            run->word.store(kIdle, std::memory_order_release);
            run->done.Set();
            continue;
        }
        // The stop is stored after any load handed over before it, so a load is never skipped.
        if (run->quit.load(std::memory_order_acquire)) {
            if (run->word.load(std::memory_order_acquire) == kLoad) continue;
            break;
        }
        const bool warmed = WarmOnePage();
        run->command.Wait(warmed ? kWarmStepMs : kIdleSleepMs);
    }
    run->ended.store(true, std::memory_order_release);
    run->done.Set();
}

}  // namespace

void StartPictureLoader() {
    if (g_run) return;
    auto run = std::make_shared<LoaderRun>();
    // Only a cache file mapped from now on is warmed: one mapped before has no stop
    // announced to this loader.
    StopWarming();
    try {
        g_thread = std::thread(PictureLoaderThread, run);
    } catch (const std::system_error&) {
        return;  // no loader: LookPicture answers -10506
    }
    g_current.store(run.get(), std::memory_order_release);
    g_run = std::move(run);
    CacheWarmingHooks hooks;
    hooks.Start = StartWarming;
    hooks.Stop = StopWarming;
    SetCacheWarmingHooks(hooks);
}

void StopPictureLoader() {
    std::shared_ptr<LoaderRun> run = std::move(g_run);
    if (!run) return;
    run->quit.store(true, std::memory_order_release);
    run->command.Set();
    if (g_thread.joinable()) {
        if (g_thread.get_id() == std::this_thread::get_id()) {
            g_thread.detach();
        } else {
            g_thread.join();
        }
    }
    // A load that was in progress may have grown the cache, and so called the hooks, up to here.
    SetCacheWarmingHooks(CacheWarmingHooks{});
    g_current.store(nullptr, std::memory_order_release);
    StopWarming();
}

bool PictureLoaderRunning() { return static_cast<bool>(g_run); }

void SetLoadStartHook(void (*hook)()) { g_loadStartHook.store(hook, std::memory_order_release); }

}  // namespace lvk

using namespace lvk;

LvResult LookPicture(const char* name, LvHandle module, int16_t* widthOut, int16_t* heightOut, int32_t* offsetOut,
                     int32_t flags) noexcept {
    // The run stays alive for this call even when a stop inside the 204 callback drops it.
    std::shared_ptr<LoaderRun> run = g_run;
    if (!run) return kErrNoLoader;
    if (g_waiting) return kErrLoadBusy;
    try {
        run->hasName = name != nullptr;
        run->name = name != nullptr ? std::string(name, strnlen(name, kMaxPictureName + 1)) : std::string();
    } catch (const std::bad_alloc&) {
        return kErrPictureBuffer;
    }
    run->module = module;
    run->widthOut = widthOut;
    run->heightOut = heightOut;
    run->offsetOut = offsetOut;
    run->flags = flags & 0xFF;
    run->result = 0;
    run->done.Reset();
    run->word.store(kLoad, std::memory_order_release);
    run->command.Set();

    g_waiting = true;
    for (;;) {
        RaiseEvent(lv_event::kWait);
        if (run->word.load(std::memory_order_acquire) == kIdle) break;
        if (run->ended.load(std::memory_order_acquire)) break;
        run->done.Wait(kWaitStepMs);
    }
    g_waiting = false;
    // A loader that ended has finished every load handed to it, so the word is 0 here too,
    // unless the thread died before taking it.
    if (run->word.load(std::memory_order_acquire) != kIdle) return kErrNoLoader;
    return run->result;
}
