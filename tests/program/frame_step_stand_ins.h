// Stand-ins for the frame step that tests of its callers install for their own lifetime, and
// for the movers a step runs, which tests of the step put in for a scene of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"

namespace program_test {

// Records each step's call site; the test's answer runs in the step's place when set, the
// show's own step after it when asked for.
class RecordedFrameSteps : public yov::FrameStepper {
public:
    std::vector<int32_t> sites;
    std::function<void(int32_t site)> onStep;
    bool runsTheStep = false;

    void step(int32_t site) override {
        sites.push_back(site);
        if (onStep) onStep(site);
        if (runsTheStep) FrameStepper::step(site);
    }

private:
    yov::ScopedFrameStepper installed_{*this};
};

// The show's own step, over whatever stand-in a fixture below put in place.
class ShowFrameSteps : public yov::FrameStepper {
private:
    yov::ScopedFrameStepper installed_{*this};
};

// No step runs: the work under test is timed by nothing.
class NoFrameSteps : public yov::FrameStepper {
public:
    void step(int32_t) override {}

private:
    yov::ScopedFrameStepper installed_{*this};
};

// Only the main loop's steps run: steps from inside long work (a picture the loader thread
// brings, a train being built) come as often as the threads' timing makes them, which would
// make a run's frames depend on that timing.
class MainLoopStepsOnly : public yov::FrameStepper {
public:
    void step(int32_t site) override {
        if (site == yov::kFullStep) FrameStepper::step(site);
    }

private:
    yov::ScopedFrameStepper installed_{*this};
};

// The show's own movers, each replaced by the test's function where one is set: a scene of
// the test's own moves its trains by hand, has no scene tick, or watches the step programs.
class TestMovers : public yov::FrameMovers {
public:
    std::function<void(int32_t train, int32_t stepMs)> onMove;
    std::function<void(int32_t train)> onStepAnim;
    std::function<int32_t()> onTick;

    void moveObject(int32_t train, int32_t stepMs) override {
        if (onMove) {
            onMove(train, stepMs);
        } else {
            FrameMovers::moveObject(train, stepMs);
        }
    }
    void stepObjectAnim(int32_t train) override {
        if (onStepAnim) {
            onStepAnim(train);
        } else {
            FrameMovers::stepObjectAnim(train);
        }
    }
    int32_t doTimedEvents() override { return onTick ? onTick() : FrameMovers::doTimedEvents(); }

private:
    yov::ScopedInstall<yov::FrameMovers> installed_{*this};
};

}  // namespace program_test
