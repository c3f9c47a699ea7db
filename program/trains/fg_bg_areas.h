// One layer of a line's area from its description: every element's strip built, placed
// (position, height class, "FIT" shrinking, cut widths, random windows, side parts) and
// copied; for BG, FG and TG the layer's vehicle band is then cut into visible blocks for
// the frame painting.
#pragma once

#include <cstdint>
#include <string>

#include "program/trains/line_area.h"

namespace yov {

// kind: layer_kind; ownerPart: the line's BG or FG part, 0 for TG and the section kinds.
// Errors are reported here and do not leave (except a stop already reported).
void GetFgBg(std::u16string description, TrainRec& area, int32_t ownerPart, uint8_t kind);

// The minimum gap between two visible blocks of a band: runs of content closer than one
// 32-pixel group are one block.
inline constexpr int32_t kBlockGap = 32;

}  // namespace yov
