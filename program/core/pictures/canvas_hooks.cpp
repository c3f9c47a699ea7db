#include "program/core/pictures/canvas_hooks.h"

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/util_hooks.h"

namespace yov {

DrawHooks::DrawHooks()
    : getDDC([](LvHandle surface) { return lv::GetDDC(surface); }),
      releaseDDC([](LvHandle surface, LvHandle dc) { return lv::ReleaseDDC(surface, dc); }),
      ddBlt([](LvHandle dest, int32_t x, int32_t y, int32_t width, int32_t height, LvHandle source, int32_t xSrc,
               int32_t ySrc, int32_t flags,
               int32_t site) { return lv::DDBlt(dest, x, y, width, height, source, xSrc, ySrc, flags, site); }) {}

DrawHooks& drawHooks() {
    static DrawHooks hooks;
    return hooks;
}

bool stepInProgress() { return drawHooks().stepInProgress && drawHooks().stepInProgress(); }

int32_t trainsInMotion() { return drawHooks().trainsInMotion ? drawHooks().trainsInMotion() : 0; }

void drawingStep(int32_t site) {
    if (!stepInProgress()) frameStep(site);
}

}  // namespace yov
