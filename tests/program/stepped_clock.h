// A clock of the test's own, in place of the program's for its lifetime: time is `ms`, which
// moves only by the program's sleeps and by the test; the performance counter reads it at
// the engine's rate (MsPerCounterTick), and the window system's events are only counted.
// A test that needs its time to move otherwise derives and overrides.
#pragma once

#include <cstdint>

#include "program/core/startup/program_clock.h"
#include "program/core/startup/program_state.h"

namespace program_test {

class SteppedClock : public yov::ProgramClock {
public:
    int64_t ms = 1000;         // the tick count
    int64_t sleptMs = 0;       // all the program slept
    int pumps = 0;             // the event pumps asked for
    bool pumpsEvents = false;  // a show in a window: its events are taken too

    uint32_t tickCount() override { return static_cast<uint32_t>(ms); }
    void sleep(int32_t wait) override {
        const int32_t taken = wait > 0 ? wait : 0;
        ms += taken;
        sleptMs += taken;
    }
    void pumpEvents() override {
        ++pumps;
        if (pumpsEvents) ProgramClock::pumpEvents();
    }
    int64_t perfCounter() override {
        const double perTick = yov::programState().machine.MsPerCounterTick;
        return perTick > 0 ? static_cast<int64_t>(static_cast<double>(ms) / perTick) : ms;
    }

private:
    yov::ScopedInstall<yov::ProgramClock> installed_{*this};
};

// Frame steps of exactly 20 ms: each look at the performance counter is 20 counter ticks
// later than the one before, whatever the program slept; the tick count moves with `ms`.
class FrameCountClock : public SteppedClock {
public:
    int64_t counter = 1000;

    int64_t perfCounter() override { return counter += 20; }
};

}  // namespace program_test
