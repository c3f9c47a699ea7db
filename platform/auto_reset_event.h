// An event that releases exactly one waiter per Set and then clears itself. A Set that
// finds nobody waiting leaves the event signalled for the next waiter; Sets do not add
// up, so two Sets before any Wait release one Wait only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace plat {

// Timeout value meaning "wait until signalled".
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool initiallySignalled = false);
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Set();
    // Clears a signal that no waiter has taken yet.
    void Reset();
    // True when the signal was taken, false when timeoutMs passed first.
    bool Wait(uint32_t timeoutMs = kInfinite);
    bool TryWait();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_;
};

}  // namespace plat
