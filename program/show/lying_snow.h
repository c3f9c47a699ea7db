// Lying snow of a train line (its effect layer): the snow grows over the pieces of the
// line's temporary background from one height to another. Each piece has a grow copy as
// high as the vehicle zone that starts empty (transparent); as the level rises, the piece's
// own rows (the snow-covered picture) are copied into it from the bottom up with their mask,
// the row at the edge blended over the scene's picture by the fraction of the level. The
// frame painter shows the copies in place of the pieces (PaintTempBackground), so a growable
// background shows no more than the snow grown so far; this marks the rows each page has
// not yet received.
//
// Heights count from the bottom of the vehicle zone (line height 0) upward.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/trains/train_record.h"

namespace yov {

// LayerFlags and BufferRedraw: lying snow to repaint.
inline constexpr int32_t kLyingSnowLayer = 0x800;

// "GR", "GROW", "GROW_SNOW": to "TO,U,UNTIL" from "F,FROM" over "T,TIME" seconds, in
// whole rows with "STEP". Nothing for a line without temporary-background pieces.
void GrowSnow(TrainRec& train, std::u16string_view params);
// The frame step's lying snow of one line: raises the level by the step time (not in a
// paused step) and, once it has changed by GrowMinChange, draws the new rows into the
// grow copies, marks them dirty on the page being drawn and for every other page. yOffset is
// added to every y (a path painted into its scene).
void PaintEffectLayer(TrainRec& train, int32_t stepMs, int32_t yOffset = 0);

// The defaults of "TO" and "F": the first piece's top and bottom height.
int32_t GrowDefaultTo(const TrainRec& train);
int32_t GrowDefaultFrom(const TrainRec& train);

}  // namespace yov
