// Picture comparison: a reference copy of a current picture, and comparisons of later
// current pictures with it (SetCmpCache, CmpCacheOrig, CmpCache).
//
// Colour of a pixel: the red, green and blue of its palette entry as red x 65536 + green x
// 256 + blue (the entry's flags byte ignored), or of a true-colour pixel. The transparent
// index of a picture that has one is kTransparentColour on both sides of every comparison,
// so a picture compared with itself is equal in its transparent pixels too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/pictures/current_picture.h"

namespace lvk {

inline constexpr uint32_t kTransparentColour = 0xFFFFFFFFu;  // all bits set: no 24-bit colour

inline constexpr int32_t kErrCmpReferenceMemory = -10016;
inline constexpr int32_t kErrCmpWorkMemory = -10017;
inline constexpr int32_t kErrCmpDoesNotFit = -15001;
inline constexpr int32_t kErrCmpTransparentFull = -15002;
inline constexpr int32_t kErrCmpColoursFull = -15003;
inline constexpr int32_t kErrCmpReferenceTrueColour = -15004;
inline constexpr int32_t kErrCmpPictureTrueColour = -15005;
inline constexpr int32_t kErrCmpBlackFull = -15006;

struct CmpReference {
    PictureHeader header;  // Width is the stored (possibly trimmed) width
    LogPalette palette;
    uint8_t* pixels = nullptr;  // rows top to bottom, Stride() bytes each; tag 34045
    size_t size = 0;

    bool TrueColour() const { return (header.Flags & kPicTrueColour) != 0; }
    size_t Stride() const {
        const size_t w = header.Width;
        return TrueColour() ? w * 4 : (w + 3) & ~size_t{3};
    }
    const uint8_t* Row(int y) const { return pixels + static_cast<size_t>(y) * Stride(); }
};

CmpReference& CmpRef();

// The 256 colours of a palette picture's indices, transparency included.
void PaletteToRgb(const PictureHeader& header, const LogPalette& palette, uint32_t colours[256]);
// Colour of pixel x of a row (palette index through colours, or a true-colour pixel).
inline uint32_t PixelColour(const uint8_t* row, int x, bool trueColour, const uint32_t colours[256]) {
    if (!trueColour) return colours[row[x]];
    const uint8_t* p = row + 4 * static_cast<size_t>(x);
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// The columns [first, end) from the first to the last column that is not empty (every pixel
// black, or the transparent index of a palette picture). All empty: first = end = 0.
struct ColumnRange {
    int first = 0;
    int end = 0;
};
ColumnRange TrimEmptyColumns(const CurrentPicture& picture);

// Release the two buffers (library stop).
void FreeCmpReference();
void FreeCmpWork();
// The compare work buffer holding at least n bytes (tag 34046), or null.
uint8_t* CmpWork(size_t n);

}  // namespace lvk
