// The step of an animated picture slot: each time its turn comes on the show's animation
// wheel the slot moves to its next frame, by a counter rule or by its byte program, and
// says how long to wait before its next turn.
//
// Byte program (compiled by the engine's CompileAnim):
//   0..249        jump to that frame; the step ends
//   250 d         the step ends, waiting d ticks
//   251 lo hi     the step ends, waiting hi*256+lo ticks
//   252 f         move towards frame f, one frame per step; the step ends
//   253 lo hi     loop begin, hi*256+lo passes (0 = for ever), at most 6 open loops
//   254           loop end
//   255           end of the program
#pragma once

#include <cstdint>

namespace yov {

// Instructions a program may run without ending a step (an endless empty loop); past it
// the animation ends with a log line instead of holding up the show.
inline constexpr int32_t kMaxProgramOpsPerStep = 10000;

// Advances picture slot `slot` by one step. Returns the wheel ticks (10 ms) until its next
// step, or 0 when its animation has ended.
int32_t AnimStep(int32_t slot);

}  // namespace yov
