// Rectangle copies between memory DCs, engine buffers and the engine's surfaces, with the
// combinations of picture and 1-bit mask the program composes with.
//
// Device contexts are passed as the 32-bit values the program's records keep (raster handle
// values; 0 none); mode 9 of CopyRectEx passes a colour and a raster operation in two of
// those places. Long copies take frame steps in between while trains move. Main thread
// only; a frame step may raise program error 6016, which passes through.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

// Raster operations the program uses besides the standard ones: destination AND NOT source
// (clears where a mask is set), and destination XOR (brush AND NOT source) (gives a
// transparent black part the brush colour).
inline constexpr uint32_t kRopAndNotSource = 0x00220326;
inline constexpr uint32_t kRopBrushWhereClear = 0x009A0709;

// One BitBlt, a surface lending its DC in place of the DC beside it for the copy. Nothing
// without a destination, or without a source for an operation that reads one. While trains
// move and no frame step runs, the copy is cut into bands of rows (20000 pixels a band for
// SRCCOPY, 6000 for other operations) with a frame step before the first and after each.
// select (when given) is selected into the destination for the copy.
void BlitSurfaceDC(int32_t destDc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceDc,
                   int32_t sourceX, int32_t sourceY, uint32_t rop, LvHandle destSurface, LvHandle sourceSurface,
                   plat::HBRUSH select, int32_t site);

// The general copy; the modes:
//  1 copy; mask: copy of the source mask, white without one
//  2 masked paint over the destination (as 1 without a source mask); mask: OR, white without one
//  3 masked paint (between two surfaces: one colour-keyed surface copy); mask as 2
//  4 paint behind what the destination mask marks opaque; mask as 2
//  5 copy mirrored left to right; mask mirrored too when both masks are given
//  6 copy, then blacken what the source mask marks transparent; mask as 1
//  7, 8 as 6, then the transparent part takes the first (7) or second (8) show brush; mask as 1
//  9 fill with the colour passed as sourceDc; mask: the operation passed as sourceMaskDc
//  10 destination AND source, 11 destination OR source; mask unchanged
//  12 as 4 through a scratch buffer, leaving the source untouched; mask as 2
//  13 black picture and mask
// maskFlag 0 ignores destMaskDc. Nothing for a width or height below 1. Unless a frame step
// runs, a frame step follows.
void CopyRectEx(int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                int32_t sourceDc, int32_t sourceMaskDc, int32_t sourceX, int32_t sourceY, int32_t mode,
                int32_t maskFlag, LvHandle destSurface, LvHandle sourceSurface, int32_t site);

// The source and clip rectangle of CopyRectClipped, in scene coordinates (y grows upwards;
// device y = yOrigin - scene y).
struct ClipState {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t sourceDc = 0;
    int32_t sourceMaskDc = 0;
    int32_t sourceXOffset = 0;
    int32_t yOrigin = 0;
};
ClipState& clipState();

// CopyRectEx of the scene rectangle clipped to the clip state, from its source.
void CopyRectClipped(int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t destXOrigin, int32_t destYOrigin, int32_t mode, LvHandle destSurface);

// A picture of the service window that tiles.
struct PictureBox {
    plat::HDC dc;
    int32_t width = 0;
    int32_t height = 0;
};

// Tiles the picture across totalWidth at (x, y). A height limit of 0 takes y as the bottom
// line and the picture's own height; a lower limit cuts the height. behind draws only where
// the destination mask is clear. A given destination mask becomes white over the whole
// width. Returns the height drawn.
int32_t BlitFromBuffer(const PictureBox& box, int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y,
                       int32_t totalWidth, int32_t heightLimit, bool behind);

}  // namespace yov
