// The picture-slot procedures: a slot handed out from the free list or a growing table and
// chained to the part being built, its frames in an engine buffer, and its frames moved into
// engine surfaces. The slot records are program/core/pictures/picture_slot_table.h.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "program/core/pictures/picture_slot_table.h"

namespace yov {

// The colour that keyed surfaces leave transparent.
inline constexpr uint32_t kSurfaceKeyColour = 0x100010;

// A new slot owned by the current picture part (chained to it when there is one): from the
// free list, else the table grows by 20. Takes a frame step.
int32_t AllocPictureSlot();
// The frame list 0..LastFrame of the slot, in its buffer (or its surface) at the frame steps;
// frames with a surface of their own keep it.
void InitPictureFrames(int32_t slot);
// An engine buffer of width x height for the slot, with the DCs and origin it reports.
void GetPictureSlotBuffer(int32_t slot, int32_t width, int32_t height);
// A new slot of two frames side by side, each width x height, in a buffer of its own.
int32_t AllocPairSlot(int32_t width, int32_t height);
// Moves the slot's frames from its buffer into engine surfaces while the show draws through
// them; every frame must lie inside width x height ("Animation picture is smaller as
// needed" otherwise, and nothing is made). 0 when done, -1 when the frames do not fit.
int32_t CreateAnimSurface(int32_t slot, int32_t width, int32_t height);

}  // namespace yov
