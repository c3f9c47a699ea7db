// Drawing the current picture into device contexts: the drawing header with the colour
// translation, the part rectangle every drawing export starts from, and the 1-bit masks
// of masked drawing. Main thread only (the loader writes the current picture only while
// the main thread waits for it).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/raster.h"

namespace lvk {

inline constexpr int32_t kErrMaskMemory = -10009;    // no memory for the mask rows
inline constexpr int32_t kErrCaptureBlock = -10020;  // hDc2Cache: no memory for the pixels it reads
inline constexpr int32_t kErrTransparentTrueColour = -12201;
inline constexpr int32_t kErrTransparentNoMagenta = -12202;

// Base numbers of failing raster calls: -(error) - base.
inline constexpr int32_t kDrawFailure = 20000;
inline constexpr int32_t kMaskFailure = 90000;
int32_t RasterFailure(int32_t base);

// Fills the 40-byte header and 256-entry colour table the current picture is drawn with
// from the current picture: rows top to bottom, 8 bits with the palette passed
// through the colour translation, the transparent entry in the program's colour; 32 bits
// for true colour.
void BuildDibHeader();

// The rectangle a drawing covers, source and destination, after the common start.
struct PartRect {
    int32_t xDest = 0;
    int32_t yDest = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t xSrc = 0;
    int32_t ySrc = 0;
    bool mirror = false;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// The common start of the drawing exports: the cache entry at offset selected (0 keeps
// the current picture), the header built, a negative ySrc counted from the bottom, a width
// or height of 0 taken up to the picture's edge, and the part clipped to the picture (the
// destination moves with a cut, mirrored or not). 0 or the selection's code.
int32_t StartPart(int32_t offset, PartRect& part);

// Draws the part of the current picture into dc: unmirrored copies go straight to the
// device, anything else through a same-size stretch with the raster operation (mirrored
// with a negative width). An empty part draws nothing. False when the raster refused.
bool DrawPictureRect(plat::HDC dc, const PartRect& part, uint32_t rop);

// Masks (draw_mask.cpp): MaskBuffer rows top to bottom, most significant bit first, each
// MaskStride(width) bytes; bit 1 = opaque. They follow the part's pixels right to left for
// a mirrored part, so they are drawn unmirrored.
size_t MaskStride(int32_t width);
// Makes MaskBuffer hold the part's rows and sets up the mask header. 0 or -10009.
int32_t PrepareMask(const PartRect& part);
// Bit 1 for every pixel that is not index 0 (the zero-mask pass).
void BuildNonZeroMask(const PartRect& part);
// The mask of GetPartWithMsk. keyMode: bit 1 for pixels of index key only. Otherwise
// pixels of the transparent index (when the picture has one) and, with zeroMask, of index
// 0 get bit 0, and every other pixel bit 1. Returns 1 when a transparent pixel was met.
int32_t BuildPartMask(const PartRect& part, bool zeroMask, bool keyMode, uint8_t key);
// Draws the mask rows at the part's destination: SRCCOPY goes straight to the device,
// other raster operations through a same-size stretch. False when the raster refused.
bool DrawMaskRect(plat::HDC dc, const PartRect& part, uint32_t rop);

}  // namespace lvk
