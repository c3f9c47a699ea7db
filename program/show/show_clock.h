// The clock, the sleep and the event pump of the show's waits, replaceable in tests. Elapsed
// times use the low 31 bits of the tick count and a masked difference, so they stay right
// across the counter's wrap.
#pragma once

#include <cstdint>
#include <functional>

namespace yov {

struct ShowClock {
    std::function<uint32_t()> tickCount;  // milliseconds, wrapping
    std::function<void(int32_t ms)> sleep;
    std::function<void()> pumpEvents;      // lets the window system process pending events
    std::function<int64_t()> perfCounter;  // the performance counter the frame step's times are read from

    ShowClock();
};

ShowClock& showClock();

inline int32_t low31(uint32_t v) { return static_cast<int32_t>(v & 0x7FFFFFFFu); }
inline int32_t elapsed31(int32_t now, int32_t start) {
    return static_cast<int32_t>((static_cast<uint32_t>(now) - static_cast<uint32_t>(start)) & 0x7FFFFFFFu);
}

}  // namespace yov
