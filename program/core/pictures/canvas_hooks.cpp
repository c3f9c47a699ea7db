#include "program/core/pictures/canvas_hooks.h"

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/util_hooks.h"

namespace yov {

const ShowDrawing*& showDrawing() {
    static const ShowDrawing* drawing = nullptr;
    return drawing;
}

bool stepInProgress() {
    const ShowDrawing* d = showDrawing();
    return d != nullptr && d->stepInProgress != nullptr && d->stepInProgress();
}

int32_t trainsInMotion() {
    const ShowDrawing* d = showDrawing();
    return d != nullptr && d->trainsInMotion != nullptr ? d->trainsInMotion() : 0;
}

plat::HBRUSH showBrush(int which) {
    const ShowDrawing* d = showDrawing();
    return d != nullptr && d->showBrush != nullptr ? d->showBrush(which) : plat::HBRUSH{};
}

void drawingStep(int32_t site) {
    if (!stepInProgress()) frameStep(site);
}

}  // namespace yov
