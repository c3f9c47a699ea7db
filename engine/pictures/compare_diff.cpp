// Cutting out where the current picture differs from the reference at a given place.
#include <cstring>

#include "engine/pictures/compare.h"
#include "engine/base/memory.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

constexpr int kMaxEntries = 255;  // the cache code holds a palette count in one byte

// The current picture placed on the reference: column x and row j (from the bottom) of the
// compared copy lie over column x0 + x and row y0 + j of the reference.
struct Placement {
    const uint8_t* cmp = nullptr;  // compared rows, top first, width bytes each
    int width = 0;
    int height = 0;
    bool zeroMatches = false;  // flag 0x02: index 0 stands for "unchanged"
    uint32_t cmpColours[256] = {};
    uint32_t refColours[256] = {};
    const CmpReference* ref = nullptr;
    int x0 = 0;
    int y0 = 0;

    uint8_t Pixel(int x, int j) const { return cmp[static_cast<size_t>(height - 1 - j) * width + x]; }
    bool Matches(int x, int j) const {
        const uint8_t c = Pixel(x, j);
        if (zeroMatches && c == 0) return true;
        const int refRow = ref->header.Height - 1 - (y0 + j);
        return cmpColours[c] == refColours[ref->Row(refRow)[x0 + x]];
    }
    bool RowMatches(int j, int left, int right) const {
        for (int x = left; x < right; ++x)
            if (!Matches(x, j)) return false;
        return true;
    }
    bool ColumnMatches(int x, int bottom, int top) const {
        for (int j = bottom; j < top; ++j)
            if (!Matches(x, j)) return false;
        return true;
    }
};

}  // namespace

}  // namespace lvk

LV_EXPORT LvResult CmpCache(int32_t x0, int32_t y0, int32_t* xOut, int32_t* yOut, int32_t* widthOut, int32_t* heightOut,
                            int32_t flags) noexcept {
    using namespace lvk;
    CurrentPicture& p = CurPic();
    const CmpReference& ref = CmpRef();
    if (ref.TrueColour()) return kErrCmpReferenceTrueColour;
    if (p.TrueColour()) return kErrCmpPictureTrueColour;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    const int refHeight = ref.header.Height;
    if (x0 < 0 || y0 < 0 || int64_t{y0} + height > refHeight || int64_t{x0} + width > ref.header.Width)
        return kErrCmpDoesNotFit;
    if (p.PictureBuffer == nullptr && width > 0 && height > 0) return kErrPictureBuffer;

    // The compared copy: header and palette of the picture, with flag 0x20 raised to the
    // reference's top by rows of its transparent index or of black.
    PictureHeader cmpHeader = p.Header;
    LogPalette cmpPalette = p.Palette;
    int cmpHeight = height;
    uint8_t fill = 0;
    if ((flags & 0x20) && refHeight - y0 > height) {
        cmpHeight = refHeight - y0;
        if (cmpHeader.Flags & kPicTransparent) {
            fill = cmpHeader.TransparentIndex;
        } else {
            int black = 0;
            while (black < cmpPalette.Count && black < 256) {
                const PaletteEntry& e = cmpPalette.Entries[black];
                if ((e.Red | e.Green | e.Blue) == 0) break;
                ++black;
            }
            if (black == cmpPalette.Count) {
                if (black >= kMaxEntries) return kErrCmpBlackFull;
                cmpPalette.Entries[black] = PaletteEntry{};
                ++cmpPalette.Count;
            }
            fill = static_cast<uint8_t>(black);
        }
    }
    const int extra = cmpHeight - height;
    uint8_t* cmp = CmpWork(static_cast<size_t>(width) * cmpHeight);
    if (cmp == nullptr) return kErrCmpWorkMemory;
    std::memset(cmp, fill, static_cast<size_t>(width) * extra);
    for (int y = 0; y < height; ++y)
        std::memcpy(cmp + static_cast<size_t>(extra + y) * width, p.Row(y), static_cast<size_t>(width));

    Placement pl;
    pl.cmp = cmp;
    pl.width = width;
    pl.height = cmpHeight;
    pl.zeroMatches = (cmpHeader.Flags & kPicMarkerZero) != 0;
    PaletteToRgb(cmpHeader, cmpPalette, pl.cmpColours);
    PaletteToRgb(ref.header, ref.palette, pl.refColours);
    pl.ref = &ref;
    pl.x0 = x0;
    pl.y0 = y0;

    int bottom = 0;
    int top = cmpHeight;
    if (flags & 0x08)
        while (bottom < top && pl.RowMatches(bottom, 0, width)) ++bottom;
    if (flags & 0x04)
        while (top > bottom && pl.RowMatches(top - 1, 0, width)) --top;
    if (bottom == top) return 0;
    if (flags & 0x10) return 255;
    int left = 0;
    int right = width;
    if (flags & 0x02)
        while (left < right && pl.ColumnMatches(left, bottom, top)) ++left;
    if (flags & 0x01)
        while (right > left && pl.ColumnMatches(right - 1, bottom, top)) --right;

    const int dw = right - left;
    const int dh = top - bottom;
    if (xOut != nullptr) *xOut = x0 + left;
    if (yOut != nullptr) *yOut = y0 + bottom;
    if (widthOut != nullptr) *widthOut = dw;
    if (heightOut != nullptr) *heightOut = dh;

    // The difference picture is built aside and replaces the current picture only when done.
    const size_t stride = (static_cast<size_t>(dw) + 3) & ~size_t{3};
    const size_t bytes = stride * dh;
    auto* pixels = static_cast<uint8_t*>(MemAlloc(bytes > 0 ? bytes : 1, 34033));
    if (pixels == nullptr) return kErrPictureBuffer;
    std::memset(pixels, 0, bytes);
    LogPalette palette;
    palette.Version = p.Palette.Version;
    palette.Count = 1;
    uint8_t diffFlags = 0;
    int transparentIndex = -1;
    int mapped[256];
    for (int& m : mapped) m = -1;

    LvResult failure = 0;
    for (int r = 0; r < dh && failure == 0; ++r) {
        const int j = top - 1 - r;
        uint8_t* out = pixels + static_cast<size_t>(r) * stride;
        for (int x = left; x < right; ++x) {
            const uint8_t c = pl.Pixel(x, j);
            int index;
            if (pl.Matches(x, j)) {
                index = 0;
                diffFlags |= kPicMarkerZero;
            } else if ((cmpHeader.Flags & kPicTransparent) && c == cmpHeader.TransparentIndex) {
                if (transparentIndex < 0) {
                    if (palette.Count >= kMaxEntries) {
                        failure = kErrCmpTransparentFull;
                        break;
                    }
                    transparentIndex = palette.Count;
                    palette.Entries[palette.Count++] = PaletteEntry{243, 0, 243, 0};
                    diffFlags |= kPicTransparent;
                }
                index = transparentIndex;
            } else {
                if (mapped[c] < 0) {
                    const PaletteEntry& want = cmpPalette.Entries[c];
                    int i = 1;
                    while (i < palette.Count && std::memcmp(&palette.Entries[i], &want, sizeof want) != 0) ++i;
                    if (i == palette.Count) {
                        if (palette.Count >= kMaxEntries) {
                            failure = kErrCmpColoursFull;
                            break;
                        }
                        palette.Entries[palette.Count++] = want;
                    }
                    mapped[c] = i;
                }
                index = mapped[c];
            }
            out[x - left] = static_cast<uint8_t>(index);
        }
    }
    if (failure != 0) {
        MemFree(pixels, 35044);
        return failure;
    }

    MemFree(p.PictureBuffer, 35044);
    p.PictureBuffer = pixels;
    p.PictureBufferSize = bytes > 0 ? bytes : 1;
    p.Header.Width = static_cast<uint16_t>(dw);
    p.Header.Height = static_cast<uint16_t>(dh);
    p.Header.Flags = diffFlags;
    p.Header.TransparentIndex = transparentIndex < 0 ? 0 : static_cast<uint8_t>(transparentIndex);
    p.Palette = palette;
    p.HeldEntry = 0;
    return (diffFlags & kPicMarkerZero) ? palette.Count : palette.Count - 1;
}
