// The program's clock: the tick count, the sleep and the event pump of its waits, and the
// performance counter the frame step's times are read from. The program runs on its own;
// a test or a benchmark whose time is its own derives from it (tests/program/stepped_clock.h)
// and installs itself with ScopedInstall<ProgramClock> for its lifetime.
//
// Elapsed times use the low 31 bits of the tick count and a masked difference, so they stay
// right across the counter's wrap. Main thread only.
#pragma once

#include <cstdint>

#include "program/core/startup/installed.h"

namespace yov {

class ProgramClock {
public:
    virtual ~ProgramClock() = default;
    virtual uint32_t tickCount();  // milliseconds, wrapping
    virtual void sleep(int32_t ms);
    virtual void pumpEvents();      // lets the window system process pending events
    virtual int64_t perfCounter();  // the machine's performance counter
};

inline ProgramClock& programClock() { return *Installed<ProgramClock>(); }

inline int32_t low31(uint32_t v) { return static_cast<int32_t>(v & 0x7FFFFFFFu); }
inline int32_t elapsed31(int32_t now, int32_t start) {
    return static_cast<int32_t>((static_cast<uint32_t>(now) - static_cast<uint32_t>(start)) & 0x7FFFFFFFu);
}

}  // namespace yov
