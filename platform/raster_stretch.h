// Copies between rectangles of different size or direction: stretching, shrinking and
// mirroring (negative extents), and the colour-key copy.
#pragma once

#include "platform/raster_rop.h"

namespace plat::raster {

// Extents may be negative: a width of -w at x covers the columns x down to x - w + 1, and the
// source is mirrored when its direction differs from the destination's. Shrinking follows the
// stretch mode (AND, OR, average or nearest pixel); enlarging always takes the nearest pixel.
bool StretchSurfaces(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, int sw, int sh,
                     const RopPlan& plan, const Pattern& pattern, const ConvertRules& rules, int stretchMode);

// Copies the source pixels whose colour is not the key colour (nearest-pixel stretching).
bool KeySurfaces(const Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw, int sh,
                 COLORREF key, const ConvertRules& rules);

}  // namespace plat::raster
