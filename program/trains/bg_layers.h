// One placed copy of a layer strip: tiled over a range of a line's area, clipped to the
// area's zones and copied into the buffers of its layer (scene background, the band
// buffers of BG, FG and TG, or a section's object buffer), with the strip's animations
// cloned for every tile.
#pragma once

#include <cstdint>

#include "program/core/pictures/canvas_memdc.h"
#include "program/trains/line_area.h"

namespace yov {

// The band buffers of the layer being built, area width by the vehicle height; made at
// the first copy that reaches the vehicle band.
struct LayerRecord {
    MaskedPicture Band;    // FG or TG band
    MaskedPicture BgBand;  // BG band
};

void FreeLayerRecord(LayerRecord& layer);

// Places the strip of the current canvas (stripWidth by height, its bottom at line y) over
// leftX..rightX (exclusive), starting with strip column offset at leftX. animHead is the
// strip's animation chain; it is freed on return, only the clones stay.
void BuildBgLayers(TrainRec& area, int32_t leftX, int32_t rightX, int32_t stripWidth, int32_t offset, int32_t y,
                   int32_t height, int32_t ownerPart, uint8_t kind, int32_t animHead, LayerRecord& layer);

}  // namespace yov
