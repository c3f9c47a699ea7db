// Falling snow of a train line: its start and end from the line's bracketed actions, and
// the timing that turns the frame step's milliseconds into new rows of the snow ring.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/show/train_record.h"

namespace yov {

// "BS", "SNOW", "BEGIN_SNOW": the band ("B,BASE,BOTTOM", "H,HEIGHT,T,TOP"), the fall speed
// "V,SPEED" (ms per row), the segment width "AX", the intensity "I,INTENSITY" (per cent) and
// the time "S,START,STARTTIME" over which it thickens.
void StartSnow(TrainRec& train, std::u16string_view params);
// "ES", "ENDSNOW", "STOP_SNOW": thins out over "T" seconds, then the band empties.
void EndSnow(TrainRec& train, std::u16string_view params);
// Advances the intensity and the ring by the step time; the number of new ring rows to write
// (the first is SnowHeight - SnowRow). Clears the snow flag when the band has emptied.
int32_t AdvanceSnow(TrainRec& train, int32_t stepMs);

}  // namespace yov
