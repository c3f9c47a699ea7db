// Drawing parts of the current picture: the drawing header with the colour translation,
// GetPart, GetPartWithMsk and SetXColMethod.
#include "engine/pictures/draw.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "engine/cache/codec.h"
#include "engine/pictures/colour_tables.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace lvk {

namespace {

plat::DibInfo g_header;

// SetXColMethod: 1 lifts dark colours to the threshold colour, 3 passes each component
// through the SetXColor tables, anything else draws the palette as it is.
struct XColMethod {
    int32_t method = 0;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};
XColMethod g_method;

constexpr int kFloorMethod = 1;
constexpr int kTableMethod = 3;

uint8_t ToByte(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

plat::RgbQuad Quad(uint8_t red, uint8_t green, uint8_t blue) { return plat::RgbQuad{blue, green, red, 0}; }

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The entry of the palette nearest to a colour (0x00BBGGRR) by the sum of the component
// distances; the lowest index on a tie.
uint8_t NearestEntry(uint32_t colour) {
    const CurrentPicture& p = CurPic();
    const int red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < std::min<int>(p.Palette.Count, 256); ++i) {
        const PaletteEntry& e = p.Palette.Entries[i];
        const int d = std::abs(e.Red - red) + std::abs(e.Green - green) + std::abs(e.Blue - blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

int32_t RasterFailure(int32_t base) {
    const uint32_t error = plat::GetLastRasterError();
    return -static_cast<int32_t>(error != 0 ? error : plat::RASTER_ERROR_INVALID_PARAMETER) - base;
}

void BuildDibHeader() {
    const CurrentPicture& p = CurPic();
    plat::DibHeader& h = g_header.header;
    h = plat::DibHeader{};
    h.height = -static_cast<int32_t>(p.Header.Height);
    if (p.TrueColour()) {
        // Work-buffer rows of true colour are padded like palette rows (to 4 pixels), so
        // the header names the padded width; the drawing exports never read past the picture.
        h.width = static_cast<int32_t>(p.RowStride() / 4);
        h.bitCount = 32;
        return;
    }
    h.width = p.Header.Width;
    h.bitCount = 8;
    const int count = std::min<int>(p.Palette.Count, 256);
    h.clrUsed = static_cast<uint32_t>(count);
    const bool hasTransparent = (p.Header.Flags & kPicTransparent) != 0;
    const ColourTables& tables = XColorTables();
    for (int i = 0; i < count; ++i) {
        const PaletteEntry& e = p.Palette.Entries[i];
        plat::RgbQuad q = Quad(e.Red, e.Green, e.Blue);
        if (g_method.method == kFloorMethod) {
            if (hasTransparent && i != p.Header.TransparentIndex && e.Red < g_method.red && e.Green < g_method.green &&
                e.Blue < g_method.blue)
                q = Quad(ToByte(g_method.red), ToByte(g_method.green), ToByte(g_method.blue));
        } else if (g_method.method == kTableMethod) {
            q = Quad(tables.Red[e.Red], tables.Green[e.Green], tables.Blue[e.Blue]);
        }
        g_header.colors[i] = q;
    }
    if (hasTransparent) {
        const SharedState* shared = Shared();
        const uint32_t c = shared != nullptr ? static_cast<uint32_t>(shared->TransparentColor) : 0;
        g_header.colors[p.Header.TransparentIndex] = Quad(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
}

int32_t StartPart(int32_t offset, PartRect& part) {
    if (int32_t r = SelectCacheEntry(offset); r != 0) return r;
    BuildDibHeader();
    const CurrentPicture& p = CurPic();
    const int64_t pictureWidth = p.PictureBuffer != nullptr ? p.Header.Width : 0;
    const int64_t pictureHeight = p.PictureBuffer != nullptr ? p.Header.Height : 0;

    const int64_t x0 = part.xSrc;
    const int64_t y0 = part.ySrc < 0 ? int64_t{part.ySrc} + p.Header.Height : part.ySrc;
    const int64_t x1 = x0 + (part.width == 0 ? p.Header.Width - x0 : int64_t{part.width});
    const int64_t y1 = y0 + (part.height == 0 ? p.Header.Height - y0 : int64_t{part.height});

    // The part is cut to the picture: the mask rows are built from the work buffer, which
    // holds nothing outside it.
    const int64_t cx0 = std::max<int64_t>(x0, 0), cx1 = std::min(x1, pictureWidth);
    const int64_t cy0 = std::max<int64_t>(y0, 0), cy1 = std::min(y1, pictureHeight);
    const int64_t xDest = part.mirror ? int64_t{part.xDest} + (x1 - cx1) : int64_t{part.xDest} + (cx0 - x0);
    const int64_t yDest = int64_t{part.yDest} + (cy0 - y0);
    if (cx1 <= cx0 || cy1 <= cy0 || !FitsInt32(xDest) || !FitsInt32(yDest) || !FitsInt32(xDest + (cx1 - cx0))) {
        part.width = 0;
        part.height = 0;
        return 0;
    }
    part.xSrc = static_cast<int32_t>(cx0);
    part.ySrc = static_cast<int32_t>(cy0);
    part.width = static_cast<int32_t>(cx1 - cx0);
    part.height = static_cast<int32_t>(cy1 - cy0);
    part.xDest = static_cast<int32_t>(xDest);
    part.yDest = static_cast<int32_t>(yDest);
    return 0;
}

bool DrawPictureRect(plat::HDC dc, const PartRect& part, uint32_t rop) {
    if (part.Empty()) return true;
    const CurrentPicture& p = CurPic();
    if (!part.mirror && rop == plat::SRCCOPY) {
        return plat::SetDIBitsToDevice(dc, part.xDest, part.yDest, static_cast<unsigned>(part.width),
                                       static_cast<unsigned>(part.height), part.xSrc, part.ySrc, 0, p.Header.Height,
                                       p.PictureBuffer, &g_header, plat::DIB_RGB_COLORS) != 0;
    }
    const int x = part.mirror ? part.xDest + part.width - 1 : part.xDest;
    const int width = part.mirror ? -part.width : part.width;
    return plat::StretchDIBits(dc, x, part.yDest, width, part.height, part.xSrc, part.ySrc, part.width, part.height,
                               p.PictureBuffer, &g_header, plat::DIB_RGB_COLORS, rop) != 0;
}

}  // namespace lvk

using namespace lvk;

LvResult GetPart(int32_t offset, LvHandle dc, int32_t xDest, int32_t yDest, int32_t width, int32_t height, int32_t xSrc,
                 int32_t ySrc, int32_t flags) noexcept {
    PartRect part{xDest, yDest, width, height, xSrc, ySrc, (flags & 0xFFFF) != 0};
    if (int32_t r = StartPart(offset, part); r != 0) return r;
    if (!DrawPictureRect(plat::HDC(dc), part, plat::SRCCOPY)) return RasterFailure(kDrawFailure);
    return 0;
}

LvResult GetPartWithMsk(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest,
                        int32_t width, int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags) noexcept {
    constexpr int kMirror = 0x01, kZeroTransparent = 0x02, kColourKey = 0x04;
    PartRect part{xDest, yDest, width, height, xSrc, ySrc, (flags & kMirror) != 0};
    if (int32_t r = StartPart(offset, part); r != 0) return r;
    const CurrentPicture& p = CurPic();
    const bool zeroMask = (p.Header.Flags & kPicMarkerZero) != 0 && (flags & kZeroTransparent) != 0;
    const bool keyMode = (flags & kColourKey) != 0;
    // In the key mode the picture argument is a colour, never a device context.
    const uint8_t key = keyMode ? NearestEntry(static_cast<uint32_t>(pictureDc)) : 0;
    const plat::HDC pictureTarget(keyMode ? 0u : pictureDc);
    const plat::HDC maskTarget(maskDc);

    if (zeroMask || maskTarget) {
        if (int32_t r = PrepareMask(part); r != 0) return r;
    }
    if (zeroMask) {
        g_header.colors[0] = Quad(0, 0, 0);
        BuildNonZeroMask(part);
        if (pictureTarget) {
            if (!DrawMaskRect(pictureTarget, part, plat::ROP_DST_AND_NOT_SRC) ||
                !DrawPictureRect(pictureTarget, part, plat::SRCPAINT))
                return RasterFailure(kDrawFailure);
        }
        if (maskTarget && !DrawMaskRect(maskTarget, part, plat::ROP_DST_AND_NOT_SRC))
            return RasterFailure(kDrawFailure);
    } else if (pictureTarget) {
        if (p.Header.Flags & kPicMarkerZero) g_header.colors[0] = Quad(123, 0, 123);
        if (!DrawPictureRect(pictureTarget, part, plat::SRCCOPY)) return RasterFailure(kDrawFailure);
    }

    if (!maskTarget) return (p.Header.Flags & kPicTransparent) ? 1 : 0;
    const int32_t result = BuildPartMask(part, zeroMask, keyMode, key);
    uint32_t rop = plat::SRCCOPY;
    if (zeroMask)
        rop = plat::SRCPAINT;
    else if (part.mirror && keyMode)
        rop = plat::SRCAND;
    if (!DrawMaskRect(maskTarget, part, rop)) return RasterFailure(kMaskFailure);
    return result;
}

LvResult SetXColMethod(int32_t method, int32_t red, int32_t green, int32_t blue) noexcept {
    lvk::g_method = lvk::XColMethod{method, red, green, blue};
    return method;
}
