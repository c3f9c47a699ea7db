// The steps a show's run is made of, as RunShow and MainLoop take them: reading the script,
// the display's start, passes and stop, and one section of the run queue.
//
// ShowRunSteps runs the show's own. A test of the run's order and of its error handling
// derives from it, overrides the steps it stands in for and installs the recorder with
// ScopedShowRunSteps for its lifetime. Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "program/core/startup/installed.h"

namespace yov {

class ShowRunSteps {
public:
    virtual ~ShowRunSteps() = default;

    // Reads the script and the stock; true when both were read. A full read also takes the
    // script's speed factor.
    virtual bool readScript(const std::u16string& script, uint8_t headerOnly);
    virtual void startDisplay();
    virtual void createDisplaySurfaces();
    virtual void releaseDisplaySurfaces();
    virtual void stopDisplay();
    virtual void runSect(int32_t sect);
};

// The steps a run takes now: the show's own unless a test installed others.
ShowRunSteps& showRunSteps();

using ScopedShowRunSteps = ScopedInstall<ShowRunSteps>;

}  // namespace yov
