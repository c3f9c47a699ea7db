// Clocks the engine and program read: a high-resolution counter with a fixed frequency,
// and millisecond clocks that wrap at 32 bits. All of them run on the monotonic clock
// (time since boot), so they never jump when the wall clock is set.
#pragma once

#include <cstdint>

namespace plat {

// Counter ticks per second. Fixed at 10 MHz (100 ns ticks): the low 31 bits then wrap
// only every 214 s, far beyond any interval the show measures with a masked difference.
inline constexpr int64_t kPerfFrequency = 10'000'000;

// Ticks since an arbitrary fixed origin; never decreases.
int64_t QueryPerfCounter();
int64_t QueryPerfFrequency();

// Milliseconds since boot, wrapping at 2^32 (about 49.7 days).
uint32_t GetTickCount32();
// The multimedia timer's time: milliseconds on the same clock as GetTickCount32.
uint32_t TimeGetTime();

}  // namespace plat
