// Instance control: "RolvaneScreensaver" tells a later copy that one runs, and the six slot
// mutexes "RolvaneScr0".."RolvaneScr5" cap the copies at six and give each its letter ("" for
// slot 0, then "B".."F") and so its own key for per-instance settings.
#pragma once

#include <string>

namespace yov {

inline constexpr int kInstanceSlots = 6;

// Creates "RolvaneScreensaver" (noting whether another copy holds it) and takes the first free
// slot. False when all six are taken: the caller ends at once.
bool AcquireInstance();

// Closes both mutexes where they are open.
void ReleaseInstance();

// The mutex names.
std::string InstanceMutexName();
std::string SlotMutexName(int slot);

}  // namespace yov
