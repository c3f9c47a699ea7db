// Device-independent bitmaps in the caller's memory: drawing them into DCs and reading bitmaps
// out into them. DIB data brings its own colour table, so 1-bit DIBs draw in their table's
// colours rather than the DC's text and background colours.
#include "platform/raster_objects.h"
#include "platform/raster_stretch.h"

#include <algorithm>
#include <climits>

namespace plat::raster {

namespace {

// The scan lines of a DIB that the caller's memory holds, as a surface of image rows
// bandTop .. bandTop + surface.height - 1 (image rows count from the top).
struct DibView {
    Palette palette;
    Surface surface;
    int bandTop = 0;
    int imageHeight = 0;
    bool bottomUp = false;
};

bool ValidHeader(const DibHeader& h) {
    const int bpp = h.bitCount;
    return h.size >= sizeof(DibHeader) && h.planes == 1 && h.compression == 0 &&
           (bpp == 1 || bpp == 8 || bpp == 24 || bpp == 32) && h.width > 0 && h.height != 0 && h.height != INT_MIN &&
           PaddedStride(h.width, bpp) != 0;
}

int TableSize(const DibHeader& h) {
    if (h.bitCount > 8) {
        return 0;
    }
    const int full = 1 << h.bitCount;
    return (h.clrUsed == 0 || h.clrUsed > static_cast<std::uint32_t>(full)) ? full : static_cast<int>(h.clrUsed);
}

bool WrapDib(const DibInfo* info, const void* bits, unsigned startScan, unsigned numScans, DibView& v) {
    if (info == nullptr || bits == nullptr || !ValidHeader(info->header)) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return false;
    }
    const DibHeader& h = info->header;
    v.bottomUp = h.height > 0;
    v.imageHeight = v.bottomUp ? h.height : -h.height;
    const auto stride = static_cast<std::ptrdiff_t>(PaddedStride(h.width, h.bitCount));
    const long long m0 = std::min<long long>(startScan, v.imageHeight);
    const long long m1 = std::min<long long>(static_cast<long long>(startScan) + numScans, v.imageHeight);
    v.palette.count = TableSize(h);
    for (int i = 0; i < v.palette.count; ++i) {
        v.palette.entries[i] = info->colors[i];
    }
    Surface& s = v.surface;
    s.width = h.width;
    s.bpp = h.bitCount;
    s.palette = s.bpp <= 8 ? &v.palette : nullptr;
    s.height = static_cast<int>(m1 > m0 ? m1 - m0 : 0);
    auto* base = static_cast<std::uint8_t*>(const_cast<void*>(bits));
    if (s.height == 0) {
        s.top = base;
        s.stride = stride;
        v.bandTop = 0;
    } else if (v.bottomUp) {
        v.bandTop = static_cast<int>(v.imageHeight - m1);
        s.top = base + (m1 - 1 - static_cast<long long>(startScan)) * stride;
        s.stride = -stride;
    } else {
        v.bandTop = static_cast<int>(m0);
        s.top = base + (m0 - static_cast<long long>(startScan)) * stride;
        s.stride = stride;
    }
    return true;
}

// The source rectangle's vertical origin and extent in image rows, from ySrc counted as the DIB's
// orientation counts it.
void ImageRows(const DibView& v, int ySrc, int height, int& origin, int& extent) {
    if (!v.bottomUp) {
        origin = ySrc;
        extent = height;
        return;
    }
    const long long size = height < 0 ? -static_cast<long long>(height) : height;
    const long long low = height > 0 ? ySrc : static_cast<long long>(ySrc) + height + 1;
    const long long top = v.imageHeight - low - size;
    const long long o = height > 0 ? top : top + size - 1;
    origin = static_cast<int>(std::clamp<long long>(o, INT_MIN / 2, INT_MAX / 2));
    extent = height;
}

ConvertRules DibRules() {
    ConvertRules rules;
    rules.dcRules = false;
    return rules;
}

}  // namespace

}  // namespace plat::raster

namespace plat {

using namespace raster;

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, unsigned width, unsigned height, int xSrc, int ySrc,
                      unsigned startScan, unsigned numScans, const void* bits, const DibInfo* info, unsigned usage) {
    if (usage != DIB_RGB_COLORS || width > INT_MAX || height > INT_MAX) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return 0;
    }
    DibView v;
    if (!WrapDib(info, bits, startScan, numScans, v)) {
        return 0;
    }
    int origin, extent;
    ImageRows(v, ySrc, static_cast<int>(height), origin, extent);
    const RopPlan plan = PlanRop(SRCCOPY);
    BlitSurfaces(d.bitmap->surface, xDest, yDest, static_cast<int>(width), static_cast<int>(height), &v.surface, xSrc,
                 origin - v.bandTop, plan, Pattern{}, DibRules());
    return static_cast<int>(numScans);
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const DibInfo* info, unsigned usage, std::uint32_t rop) {
    if (usage != DIB_RGB_COLORS) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return 0;
    }
    const RopPlan plan = PlanRop(rop);
    DibView v;
    if (plan.useS && !WrapDib(info, bits, 0, UINT_MAX, v)) {
        return 0;
    }
    int origin = 0, extent = srcHeight;
    if (plan.useS) {
        ImageRows(v, ySrc, srcHeight, origin, extent);
    }
    const Pattern pattern = plan.useP ? ResolveBrush(d.brush->desc, d.bitmap->surface, d.text, d.bk) : Pattern{};
    StretchSurfaces(d.bitmap->surface, xDest, yDest, destWidth, destHeight, plan.useS ? &v.surface : nullptr, xSrc,
                    origin, srcWidth, extent, plan, pattern, DibRules(), d.stretchMode);
    return srcHeight < 0 ? -srcHeight : srcHeight;
}

int GetDIBits(HDC /*dc*/, HBITMAP bitmap, unsigned startScan, unsigned numScans, void* bits, DibInfo* info,
              unsigned usage) {
    if (info == nullptr || usage != DIB_RGB_COLORS) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto b = LookupBitmap(bitmap);
    if (!b) {
        return 0;
    }
    const Surface& source = b->surface;
    DibHeader& h = info->header;
    if (h.bitCount == 0) {
        // Only the bitmap's own format is asked for.
        h.size = sizeof(DibHeader);
        h.width = source.width;
        h.height = source.height;
        h.planes = 1;
        h.bitCount = static_cast<std::uint16_t>(source.bpp);
        h.compression = 0;
        h.sizeImage = static_cast<std::uint32_t>(PaddedStride(source.width, source.bpp) * source.height);
        h.clrUsed = 0;
        return source.height;
    }
    const bool topDown = h.height < 0;
    h.width = source.width;
    h.height = topDown ? -source.height : source.height;
    h.planes = 1;
    if (!ValidHeader(h)) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    h.sizeImage = static_cast<std::uint32_t>(PaddedStride(source.width, h.bitCount) * source.height);
    if (h.bitCount <= 8) {
        const Palette* table = &MonoPalette();
        if (h.bitCount == source.bpp) {
            table = &b->palette;
        } else if (h.bitCount == 8) {
            table = &DefaultPalette8();
        }
        for (int i = 0; i < table->count; ++i) {
            info->colors[i] = table->entries[i];
        }
        h.clrUsed = table->count == (1 << h.bitCount) ? 0 : static_cast<std::uint32_t>(table->count);
    }
    if (bits == nullptr) {
        return source.height;
    }
    DibView v;
    if (!WrapDib(info, bits, startScan, numScans, v)) {
        return 0;
    }
    BlitSurfaces(v.surface, 0, 0, v.surface.width, v.surface.height, &source, 0, v.bandTop, PlanRop(SRCCOPY), Pattern{},
                 DibRules());
    return v.surface.height;
}

int SetDIBits(HDC /*dc*/, HBITMAP bitmap, unsigned startScan, unsigned numScans, const void* bits, const DibInfo* info,
              unsigned usage) {
    if (usage != DIB_RGB_COLORS) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto b = LookupBitmap(bitmap);
    if (!b) {
        return 0;
    }
    DibView v;
    if (!WrapDib(info, bits, startScan, numScans, v)) {
        return 0;
    }
    BlitSurfaces(b->surface, 0, v.bandTop, v.surface.width, v.surface.height, &v.surface, 0, 0, PlanRop(SRCCOPY),
                 Pattern{}, DibRules());
    return v.surface.height;
}

}  // namespace plat
