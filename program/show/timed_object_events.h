// The show's scene tick: every 200 ms of scene time the trains' and the sections' waits are
// counted down and the mouse cursor is hidden again after its countdown; between ticks the
// queued trains start one at a time, spaced and within the limits on the number of trains
// and on their summed length, or under the start credits of the show keys.
//
// One stage per call, so each call stays short; main thread only, inside the frame step.
#pragma once

#include <cstdint>

namespace yov {

// DoTimedEvents' results: the frame step makes another pass while it is non-zero.
inline constexpr int32_t kTickNothing = 0;
inline constexpr int32_t kTickStage = 100;
inline constexpr int32_t kTickTrainStarted = 200;

// Redraw bits of buffer 0 that hold a queued start back until the painting has caught up.
inline constexpr int32_t kStartRedrawBits = 0x37;

// One stage of the tick cycle (0 between ticks, 1 to 4 the stages of a tick).
int32_t DoTimedEvents();

// The display starts: tick stage, start spacing, free starts, yield interval, cursor state.
void StartTimedEvents();
// The display surfaces are created: no train counts as started.
void ResetTrainStarts();

}  // namespace yov
