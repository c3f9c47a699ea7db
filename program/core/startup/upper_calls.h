// What the core asks of the layers of the program above it: the show's frame step, the step
// texts of the train being started, the stock browser's tool tip, the About window and the
// scene script's help links. Each part puts its entry in when the program starts (WireShow,
// WireStockWindows, WireAbout, WireSettingsDialog); an entry left empty is "nothing there"
// (no show steps, no train, no tip, no About window, no links), which is what a fuzz target
// or a benchmark without those parts runs on. A test puts calls of its own in place with ScopedInstall<UpperCalls>.
#pragma once

#include <cstdint>
#include <string>

#include "program/core/startup/installed.h"

namespace yov {

struct UpperCalls {
    // One frame step of a running show (CheckStep); may throw to end the work in progress.
    void (*frameStep)(int32_t callSite) = nullptr;
    // Step text n (0..12) of the train being started, which a line's parameters read as "*n".
    std::u16string (*trainStepText)(int32_t n) = nullptr;
    // Hides the stock browser's tool tip when one is shown.
    void (*hideTip)() = nullptr;
    // The About window, shown modally.
    void (*showAbout)() = nullptr;
    // The address of the scene script's help link entry 1..16, empty when the script set none.
    std::string (*scriptLink)(int entry) = nullptr;
};

inline UpperCalls& upperCalls() { return *Installed<UpperCalls>(); }

// One frame step of the show, when one is in place.
inline void frameStep(int32_t callSite) {
    if (upperCalls().frameStep != nullptr) upperCalls().frameStep(callSite);
}

}  // namespace yov
