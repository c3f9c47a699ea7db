// What the off-screen drawing toolbox needs from the show runner, the service window and the
// engine's DirectDraw layer. The show-runner entries default to "no show" (no step running,
// no train moving, no brushes); the engine entries default to the bound library. Tests
// replace any of them; `drawHooks() = {}` restores the defaults. The frame step itself is
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

    // --- Service window: a screen-compatible DC for memory DCs, and the whole screen's DC
    // for the engine's buffers. Empty or 0: the screen itself.
    std::function<plat::HDC()> referenceDc;
    std::function<plat::HDC()> displayDc;

    // --- Engine: the DC a surface lends, and copies between surfaces.
    std::function<LvHandle(LvHandle surface)> getDDC;
    std::function<int32_t(LvHandle surface, LvHandle dc)> releaseDDC;
    std::function<int32_t(LvHandle dest, int32_t x, int32_t y, int32_t width, int32_t height, LvHandle source,
                          int32_t xSrc, int32_t ySrc, int32_t flags, int32_t site)>
        ddBlt;

    DrawHooks();
};

DrawHooks& drawHooks();

// The hooks' answers, with the defaults for empty entries.
bool stepInProgress();
int32_t trainsInMotion();
// The frame step of long work (CheckStep), skipped while a step runs.
void drawingStep(int32_t site);

}  // namespace yov
