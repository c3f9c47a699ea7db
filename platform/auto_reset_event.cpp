#include "platform/auto_reset_event.h"

#include <chrono>

namespace plat {

AutoResetEvent::AutoResetEvent(bool initiallySignalled) : signalled_(initiallySignalled) {}

void AutoResetEvent::Set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    // One waiter suffices: whoever wakes takes the signal, and a second Set before that
    // must not release a second waiter.
    cv_.notify_one();
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs == kInfinite) {
        cv_.wait(lock, [this] { return signalled_; });
    } else {
        // An absolute deadline keeps spurious wake-ups from stretching the timeout.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!cv_.wait_until(lock, deadline, [this] { return signalled_; })) return false;
    }
    signalled_ = false;
    return true;
}

bool AutoResetEvent::TryWait() {
    std::lock_guard lock(mutex_);
    if (!signalled_) return false;
    signalled_ = false;
    return true;
}

}  // namespace plat
