// Pixel memory as the raster's drawing code sees it: a view with a signed row stride, so that
// top-down bitmaps and bottom-up DIBs are read and written the same way, and the row loads and
// stores that turn memory into pixel values (palette indices, bits or 0x00RRGGBB) and back.
#pragma once

#include "platform/raster.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat::raster {

struct Palette {
    int count = 0;
    RgbQuad entries[256];
};

struct Surface {
    std::uint8_t* top = nullptr;  // row 0, the top row
    std::ptrdiff_t stride = 0;    // bytes from a row to the one below
    int width = 0;
    int height = 0;
    int bpp = 0;                       // 1, 8, 24 or 32
    const Palette* palette = nullptr;  // 1 and 8 bits

    std::uint8_t* Row(int y) const { return top + static_cast<std::ptrdiff_t>(y) * stride; }
    bool Indexed() const { return bpp <= 8; }
};

// The bits a pixel value of the format may hold.
constexpr std::uint32_t ValueMask(int bpp) { return bpp == 1 ? 1u : bpp == 8 ? 0xFFu : 0x00FFFFFFu; }

// Bytes of a row of the width with rows padded to 32 bits; 0 when it would not fit in an int.
std::size_t PaddedStride(int width, int bpp);

std::uint32_t ReadValue(const Surface& s, int x, int y);
void WriteValue(const Surface& s, int x, int y, std::uint32_t value);
void LoadRow(const Surface& s, int x, int y, int n, std::uint32_t* out);
void StoreRow(const Surface& s, int x, int y, int n, const std::uint32_t* in);

// Colour of a pixel value; an index beyond the palette reads as black.
COLORREF ValueToColour(const Surface& s, std::uint32_t value);
std::uint32_t ColourToRgbValue(COLORREF c);  // 0x00RRGGBB
COLORREF RgbValueToColour(std::uint32_t v);
COLORREF EntryColour(const RgbQuad& e);
// The entry nearest to the colour (least squared distance over red, green, blue; the lowest index
// on a tie); 0 for an empty palette.
int NearestIndex(const Palette& p, COLORREF c);
// The value of the format that shows the colour: exact for true colour, nearest entry otherwise.
std::uint32_t ColourToValue(const Surface& s, COLORREF c);

bool SamePalette(const Palette& a, const Palette& b);

// Per-thread scratch rows that the drawing code reuses from call to call.
std::uint32_t* ScratchValues(int slot, std::size_t n);
std::uint8_t* ScratchBytes(int slot, std::size_t n);

// A private copy of a rectangle of a surface (for blits whose source and destination overlap).
struct OwnedSurface {
    std::vector<std::uint8_t> memory;
    Surface surface;
};
void CopyRect(const Surface& src, int x, int y, int w, int h, OwnedSurface& out);

}  // namespace plat::raster
