#include "platform/perf_counter.h"

#include <chrono>
#include <ratio>

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;
using PerfTicks = std::chrono::duration<int64_t, std::ratio<1, kPerfFrequency>>;

int64_t SinceEpoch(auto unit) {
    return std::chrono::duration_cast<decltype(unit)>(Clock::now().time_since_epoch()).count();
}

}  // namespace

int64_t QueryPerfCounter() { return SinceEpoch(PerfTicks{}); }

int64_t QueryPerfFrequency() { return kPerfFrequency; }

uint32_t GetTickCount32() { return static_cast<uint32_t>(SinceEpoch(std::chrono::milliseconds{})); }

uint32_t TimeGetTime() { return GetTickCount32(); }

}  // namespace plat
