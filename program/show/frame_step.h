// The frame step of a show: CheckStep moves and animates every active object by the granted
// step time, paints the changed parts of the frame, presents it by a page flip or by handing
// the changed rectangles to the engine's blit thread, and grants the time of the next step.
//
// CheckStep runs from deep inside long work (picture loading, train building, dialogs): it
// may grow and free tables and may raise error 6016, so callers hold indices, never
// references, across it. Main thread only.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/core/startup/installed.h"

namespace yov {

struct ShowState;

// What a step runs of the scene: the mover of one train (MoveObject), one phase of a train's
// step program (StepObjectAnim) and the scene tick (DoTimedEvents), the show's own. A benchmark
// or a test that runs a scene of its own derives from it, overrides what its scene does
// differently and installs itself with ScopedInstall<FrameMovers> for its lifetime.
class FrameMovers {
public:
    virtual ~FrameMovers() = default;
    virtual void moveObject(int32_t train, int32_t stepMs);
    virtual void stepObjectAnim(int32_t train);
    // The next call site of the step, or 0 when the tick asks for no further pass.
    virtual int32_t doTimedEvents();
};

inline FrameMovers& frameMovers() { return *Installed<FrameMovers>(); }

inline constexpr int32_t kStepSite = 31005;
inline constexpr int32_t kStepReport = 0x0F200000;
inline constexpr int32_t kSingleStepMs = 20;
inline constexpr int32_t kSingleStepPauseMs = 49;
inline constexpr int32_t kDeferredPresentMs = 100;
inline constexpr int32_t kHangMs = 200;

// The frame step CheckStep takes: the show's own unless a test installed another. A test of
// the step's callers derives from it, stands in for the step (calling FrameStepper::step
// where it wants the real one) and installs it with ScopedFrameStepper for its lifetime.
class FrameStepper {
public:
    virtual ~FrameStepper() = default;
    // One step from callSite after the entry guards: below kFullStep only when objects move.
    virtual void step(int32_t callSite);
};

inline FrameStepper& frameStepper() { return *Installed<FrameStepper>(); }

using ScopedFrameStepper = ScopedInstall<FrameStepper>;

void CheckStep(int32_t callSite);
void YieldToSystem(std::u16string_view label);

// The step-time controller: counts a measured step of e ms into the mean and grants the
// next StepClock (the first 15 steps their own time, then the mean and the debt table).
void GrantStepTime(ShowState& ss, int32_t e);

}  // namespace yov
