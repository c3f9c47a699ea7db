// What the off-screen drawing toolbox needs from the show runner. The entries default to "no
// show" (no step running, no train moving, no brushes); the engine's surfaces it calls
// directly. Tests replace any of them; `drawHooks() = {}` restores the defaults. The frame step itself is
// CheckStep.
#pragma once

#include <cstdint>
#include <functional>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

struct DrawHooks {
    // --- Show runner.
    std::function<bool()> stepInProgress;              // StepState non-zero
    std::function<int32_t()> trainsInMotion;           // copies are cut into bands while not 0
    std::function<plat::HBRUSH(int which)> showBrush;  // the first (1) or second (2) show brush
    std::function<uint32_t()> defaultShowColour;       // 0x00BBGGRR of a canvas made on selection
};

DrawHooks& drawHooks();

// The hooks' answers, with the defaults for empty entries.
bool stepInProgress();
int32_t trainsInMotion();
// The frame step of long work (CheckStep), skipped while a step runs.
void drawingStep(int32_t site);

}  // namespace yov
