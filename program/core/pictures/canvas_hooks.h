// What the off-screen drawing toolbox asks of the show above it: whether a frame step runs
// now, whether trains are on their way (long copies are then cut into bands with a frame
// step between them, so the show keeps its pace), and the show's two brushes. The show puts
// its answers in place when the program wires it (WireShow); without them no step runs, no
// train moves and there are no show brushes. The frame step itself is CheckStep.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

struct ShowDrawing {
    bool (*stepInProgress)() = nullptr;              // StepState non-zero
    int32_t (*trainsInMotion)() = nullptr;           // copies are cut into bands while not 0
    plat::HBRUSH (*showBrush)(int which) = nullptr;  // the first (1) or second (2) show brush
};

// The show's answers in force, or none.
const ShowDrawing*& showDrawing();

// The answers, with "no show" where there is none.
bool stepInProgress();
int32_t trainsInMotion();
plat::HBRUSH showBrush(int which);
// The frame step of long work (CheckStep), skipped while a step runs.
void drawingStep(int32_t site);

}  // namespace yov
