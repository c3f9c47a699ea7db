// Memory device contexts with their bitmaps, pictures with a 1-bit mask, colour fills and
// the scratch DC: the pieces the program composes its pictures from, off the screen.
//
// Device contexts are raster handles, shared with the engine (one raster in the process).
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/raster.h"

namespace yov {

// A memory DC with the bitmap selected into it.
struct MemDC {
    plat::HDC dc;
    void* bits = nullptr;  // the DIB section's pixels; null for a device-dependent bitmap
    plat::HBITMAP old;     // selected before, put back when the DC is deleted
};

// A picture and its mask: in the mask, 1 (white) marks opaque pixels, 0 (black) transparent.
struct MaskedPicture {
    MemDC picture;
    MemDC mask;
};

// Fills the rectangle of dc with a solid colour (PATCOPY) and applies maskRop to maskDc;
// either DC may be 0. Nothing when width or height is below 1.
void FillRectColor(plat::HDC dc, plat::HDC maskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                   plat::COLORREF colour, uint32_t maskRop, int32_t site);

// A DIB section of the DC, bottom-up, black and white at depth 1.
plat::HBITMAP CreateDibBits(plat::HDC dc, int32_t width, int32_t height, int32_t bitDepth, void** bits, int32_t site);

// Depth 0: like the screen (a device-dependent bitmap); else a DIB section of that depth.
// clearRop (0: none) clears the whole bitmap. Raises program error 6001 "Memory overflow"
// when the bitmap cannot be made. Sizes below 1 count as 1.
void CreateMemoryDC(int32_t width, int32_t height, int32_t bitDepth, MemDC& out, uint32_t clearRop, int32_t site);
// Puts the old bitmap back and deletes bitmap and DC; an empty record is left alone.
void DeleteMemoryDC(MemDC& memDc);

// The picture at bitDepth and a 1-bit mask; a colour of 0 or more fills both (the mask with
// maskRop).
void CreateCanvasDC(int32_t width, int32_t height, MaskedPicture& out, int32_t bitDepth, int64_t colour,
                    uint32_t maskRop, int32_t site);
void DeleteCanvasDC(MaskedPicture& picture);

// The scratch DC: a monochrome memory DC at least as large as the largest size asked for.
void CreateScratchDC(int32_t width, int32_t height);
void DeleteScratchDC();
const MemDC& ScratchDC();
int32_t ScratchWidth();
int32_t ScratchHeight();

}  // namespace yov
