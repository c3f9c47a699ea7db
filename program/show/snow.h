// Falling snow of a train line: its start and end from the line's bracketed actions, the
// timing that turns the frame step's milliseconds into new rows of the snow ring, and the
// painting of the ring over the line's band.
//
// The snow picture is a ring of rows as wide as the line (an engine buffer in GDI drawing,
// a keyed surface under DirectDraw): each step clears and fills only the new rows and
// announces the band as two pieces of the ring, so the flakes fall one row per "V" ms.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/trains/train_record.h"

namespace yov {

// BufferRedraw: the page has not yet received the newest rows of falling snow and repaints
// the whole band.
inline constexpr int32_t kSnowBandRedraw = 0x400;

// "BS", "SNOW", "BEGIN_SNOW": the band ("B,BASE,BOTTOM", "H,HEIGHT,T,TOP"), the fall speed
// "V,SPEED" (ms per row), the segment width "AX", the intensity "I,INTENSITY" (per cent) and
// the time "S,START,STARTTIME" over which it thickens. Makes the snow picture when the band
// is higher than the one the train has.
void StartSnow(TrainRec& train, std::u16string_view params);
// "ES", "ENDSNOW", "STOP_SNOW": thins out over "T" seconds, then the band empties.
void EndSnow(TrainRec& train, std::u16string_view params);
// Advances the intensity and the ring by the step time; the number of new ring rows to write
// (the first is SnowHeight - SnowRow). Clears the snow flag when the band has emptied.
int32_t AdvanceSnow(TrainRec& train, int32_t stepMs);
// The frame step's snow of one line: advances it (not in a paused step), writes the new
// rows and announces the band to the frame compositor for the page being drawn. yOffset is
// added to every y: a scene's path is painted in its scene's area.
void PaintSnow(TrainRec& train, int32_t stepMs, int32_t yOffset = 0);
// Frees the snow picture (the train keeps no snow band).
void FreeSnowPicture(TrainRec& train);

}  // namespace yov
