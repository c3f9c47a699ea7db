// The turning of a show's animation wheel (the record: program/core/pictures/anim_wheel_state.h).
//
// The frame step turns the wheel; the pools unlink slots from it when they free them.
// Main thread only.
#pragma once

#include <cstdint>

#include "program/core/pictures/anim_wheel_state.h"

namespace yov {

// Turns the wheel by elapsedMs (with the carry of earlier steps): every animation whose
// place it passes shows its frame, is stepped, and goes back on the place of its next frame
// (or on the far list), or ends.
void StepAnimations(int32_t elapsedMs);

}  // namespace yov
