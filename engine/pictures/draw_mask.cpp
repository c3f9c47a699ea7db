// The 1-bit masks of masked drawing, built from the 8-bit work buffer one row at a time
// and drawn as a top-down DIB whose entry 1 is white: white marks the opaque pixels.
#include <cstring>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/draw.h"
#include "engine/base/memory.h"

namespace lvk {

namespace {

plat::DibInfo g_maskHeader;

// Builds every row of the part's mask: bit(pixel index) says whether the pixel gets 1.
// Pixels come right to left for a mirrored part.
template <class Bit>
void BuildRows(const PartRect& part, Bit bit) {
    CurrentPicture& p = CurPic();
    const size_t stride = MaskStride(part.width);
    for (int y = 0; y < part.height; ++y) {
        const uint8_t* src = p.Row(part.ySrc + y) + part.xSrc;
        uint8_t* out = p.MaskBuffer + static_cast<size_t>(y) * stride;
        std::memset(out, 0, stride);
        for (int x = 0; x < part.width; ++x) {
            const uint8_t pixel = part.mirror ? src[part.width - 1 - x] : src[x];
            if (bit(pixel)) out[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
        }
    }
}

void FillRows(const PartRect& part, uint8_t value) {
    CurrentPicture& p = CurPic();
    std::memset(p.MaskBuffer, value, MaskStride(part.width) * static_cast<size_t>(part.height));
}

}  // namespace

size_t MaskStride(int32_t width) { return ((static_cast<size_t>(width) + 31) / 32) * 4; }

int32_t PrepareMask(const PartRect& part) {
    CurrentPicture& p = CurPic();
    if (!part.Empty()) {
        // Both sizes come from a 16-bit picture, so the product cannot overflow.
        const size_t need = MaskStride(part.width) * static_cast<size_t>(part.height);
        if (p.MaskBuffer == nullptr || p.MaskBufferSize < need) {
            MemFree(p.MaskBuffer, 35054);
            p.MaskBufferSize = 0;
            p.MaskBuffer = static_cast<uint8_t*>(MemAlloc(need, 34044));
            if (p.MaskBuffer == nullptr) return kErrMaskMemory;
            p.MaskBufferSize = need;
        }
    }
    plat::DibHeader& h = g_maskHeader.header;
    h = plat::DibHeader{};
    h.width = part.Empty() ? 1 : part.width;
    h.height = part.Empty() ? -1 : -part.height;
    h.bitCount = 1;
    h.clrUsed = 2;
    g_maskHeader.colors[0] = plat::RgbQuad{0, 0, 0, 0};
    g_maskHeader.colors[1] = plat::RgbQuad{255, 255, 255, 0};
    return 0;
}

void BuildNonZeroMask(const PartRect& part) {
    if (part.Empty()) return;
    if (CurPic().TrueColour()) {
        FillRows(part, 0xFF);
        return;
    }
    BuildRows(part, [](uint8_t pixel) { return pixel != 0; });
}

int32_t BuildPartMask(const PartRect& part, bool zeroMask, bool keyMode, uint8_t key) {
    if (part.Empty()) return 0;
    const CurrentPicture& p = CurPic();
    // A true-colour picture has no palette entries to key on and no transparent index.
    if (p.TrueColour()) {
        FillRows(part, keyMode ? 0x00 : 0xFF);
        return 0;
    }
    if (keyMode) {
        BuildRows(part, [key](uint8_t pixel) { return pixel == key; });
        return 0;
    }
    // The transparent index byte counts only while flag 0x01 says it is valid.
    const bool hasTransparent = (p.Header.Flags & kPicTransparent) != 0;
    if (!hasTransparent && !zeroMask) {
        FillRows(part, 0xFF);
        return 0;
    }
    const uint8_t transparent = p.Header.TransparentIndex;
    bool met = false;
    BuildRows(part, [&](uint8_t pixel) {
        const bool clear = (hasTransparent && pixel == transparent) || (zeroMask && pixel == 0);
        met |= clear;
        return !clear;
    });
    return met ? 1 : 0;
}

bool DrawMaskRect(plat::HDC dc, const PartRect& part, uint32_t rop) {
    if (part.Empty()) return true;
    const uint8_t* bits = CurPic().MaskBuffer;
    if (rop == plat::SRCCOPY) {
        return plat::SetDIBitsToDevice(dc, part.xDest, part.yDest, static_cast<unsigned>(part.width),
                                       static_cast<unsigned>(part.height), 0, 0, 0, static_cast<unsigned>(part.height),
                                       bits, &g_maskHeader, plat::DIB_RGB_COLORS) != 0;
    }
    return plat::StretchDIBits(dc, part.xDest, part.yDest, part.width, part.height, 0, 0, part.width, part.height, bits,
                               &g_maskHeader, plat::DIB_RGB_COLORS, rop) != 0;
}

}  // namespace lvk
