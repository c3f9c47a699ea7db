#include "program/core/pictures/canvas_hooks.h"

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

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
