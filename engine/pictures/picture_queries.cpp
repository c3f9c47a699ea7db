// Small exports around the current picture: its palette, flags and transparency, a bitmap
// taken out of a device context as the current picture, and two probes of the environment.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/draw.h"
#include "engine/base/memory.h"
#include "engine/pictures/picture_decoders.h"
#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace lvk {

namespace {

constexpr int kMarkerMode = 0x10;
constexpr int kKeepMarkerClear = 0x20;

bool IsColour(const PaletteEntry& e, uint8_t red, uint8_t green, uint8_t blue) {
    return e.Red == red && e.Green == green && e.Blue == blue;
}

// The first palette entry of that colour, or -1.
int FindEntry(uint8_t red, uint8_t green, uint8_t blue) {
    const CurrentPicture& p = CurPic();
    for (int i = 0; i < std::min<int>(p.Palette.Count, 256); ++i)
        if (IsColour(p.Palette.Entries[i], red, green, blue)) return i;
    return -1;
}

bool HasPixels() {
    const CurrentPicture& p = CurPic();
    return p.PictureBuffer != nullptr && p.Header.Width > 0 && p.Header.Height > 0;
}

// Exchanges the pixel values a and b throughout the picture.
void SwapPixelValues(uint8_t a, uint8_t b) {
    CurrentPicture& p = CurPic();
    if (!HasPixels()) return;
    for (int y = 0; y < p.Header.Height; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < p.Header.Width; ++x) {
            if (row[x] == a)
                row[x] = b;
            else if (row[x] == b)
                row[x] = a;
        }
    }
}

// The marker mode: the marker colour 123,0,123 moves to entry 0 (flag 0x02), and the
// magenta 243,0,243 becomes the transparent index.
void MarkerMode() {
    CurrentPicture& p = CurPic();
    const int marker = FindEntry(123, 0, 123);
    if (marker > 0) {
        SwapPixelValues(0, static_cast<uint8_t>(marker));
        std::swap(p.Palette.Entries[0], p.Palette.Entries[marker]);
    }
    if (marker >= 0) p.Header.Flags |= kPicMarkerZero;
    if (const int magenta = FindEntry(243, 0, 243); magenta >= 0) {
        p.Header.TransparentIndex = static_cast<uint8_t>(magenta);
        p.Header.Flags |= kPicTransparent;
    }
}

// The pixel that modes 1 to 7 name; false when the picture has none.
bool PickedIndex(int mode, uint8_t& index) {
    const CurrentPicture& p = CurPic();
    if (!HasPixels()) return false;
    const int w = p.Header.Width, h = p.Header.Height;
    const uint8_t* top = p.Row(0);
    const uint8_t* bottom = p.Row(h - 1);
    switch (mode) {
    case 1: index = top[0]; return true;
    case 2: index = top[w - 1]; return true;
    case 3: index = bottom[0]; return true;
    case 4: index = bottom[w - 1]; return true;
    case 5: index = bottom[w / 2]; return true;
    case 7: index = top[w / 2]; return true;
    default: break;
    }
    // Mode 6: the most frequent value of the bottom row among 0 to 254, the lowest on a tie.
    uint32_t counts[255] = {};
    for (int x = 0; x < w; ++x)
        if (bottom[x] < 255) ++counts[bottom[x]];
    index = static_cast<uint8_t>(std::max_element(counts, counts + 255) - counts);
    return true;
}

int32_t TransparentMode(int mode) {
    CurrentPicture& p = CurPic();
    if (p.TrueColour()) return kErrTransparentTrueColour;
    if (mode & kMarkerMode) {
        MarkerMode();
        return 0;
    }
    const int which = mode & 0x0F;
    int magenta = -1;
    if (which == 8) {
        magenta = FindEntry(243, 0, 243);
        if (magenta < 0) return kErrTransparentNoMagenta;  // and nothing changes
    }
    if (mode & kKeepMarkerClear) p.Header.Flags &= static_cast<uint8_t>(~kPicMarkerZero);
    if (which == 0) {
        p.Header.Flags &= static_cast<uint8_t>(~kPicTransparent);
        return 0;
    }
    if (which == 8) {
        p.Header.TransparentIndex = static_cast<uint8_t>(magenta);
    } else if (which <= 7) {
        uint8_t index = 0;
        if (!PickedIndex(which, index)) return 0;
        p.Header.TransparentIndex = index;
    }
    p.Header.Flags |= kPicTransparent;
    return 0;
}

// The bitmap selected into dc as the current picture, with palette indices.
int32_t CaptureDc(plat::HDC dc) {
    const plat::HBITMAP probe = plat::CreateCompatibleBitmap(dc, 1, 1);
    if (!probe) return RasterFailure(kDrawFailure);
    const plat::HBITMAP taken = plat::SelectObject(dc, probe);
    if (!taken) {
        const int32_t r = RasterFailure(kDrawFailure);
        plat::DeleteObject(probe);
        return r;
    }
    auto finish = [&](int32_t result) {
        plat::SelectObject(dc, taken);
        plat::DeleteObject(probe);
        return result;
    };

    plat::BitmapDesc desc;
    if (!plat::GetObject(taken, desc)) return finish(RasterFailure(kDrawFailure));
    if (desc.width <= 0 || desc.height <= 0 || desc.width > 0xFFFF || desc.height > 0xFFFF)
        return finish(-static_cast<int32_t>(plat::RASTER_ERROR_INVALID_PARAMETER) - kDrawFailure);

    CurrentPicture& p = CurPic();
    p.HeldEntry = 0;
    p.Header.Width = static_cast<uint16_t>(desc.width);
    p.Header.Height = static_cast<uint16_t>(desc.height);
    p.Header.Flags = 0;
    p.Header.TransparentIndex = 0;
    if (int32_t r = GrowPictureBuffer(); r != 0) return finish(r);

    const size_t bytes = static_cast<size_t>(desc.width) * static_cast<size_t>(desc.height) * 4;
    auto* pixels = static_cast<uint8_t*>(MemAlloc(bytes, 34043));
    if (pixels == nullptr) return finish(kErrCaptureBlock);
    plat::DibInfo info{};
    info.header.width = desc.width;
    info.header.height = desc.height;  // bottom-up
    info.header.bitCount = 32;
    int32_t result = 0;
    if (plat::GetDIBits(dc, taken, 0, static_cast<unsigned>(desc.height), pixels, &info, plat::DIB_RGB_COLORS) == 0)
        result = RasterFailure(kDrawFailure);
    else
        result = QuantizeTrueColour(0, pixels);
    MemFree(pixels, 35053);
    return finish(result);
}

}  // namespace

}  // namespace lvk

using namespace lvk;

LvResult SetTransparentMode(int32_t mode) noexcept { return TransparentMode(mode); }

LvResult GetPalette(uint8_t* buffer) noexcept {
    if (buffer == nullptr) return 0;
    const CurrentPicture& p = CurPic();
    const uint16_t count = p.TrueColour() ? 0 : std::min<uint16_t>(p.Palette.Count, 256);
    std::memcpy(buffer, &count, sizeof count);
    uint8_t* slot = buffer + sizeof count;
    for (int i = 0; i < count; ++i, slot += 4) {
        const PaletteEntry& e = p.Palette.Entries[i];
        slot[0] = e.Red;
        slot[1] = e.Green;
        slot[2] = e.Blue;
    }
    return count;
}

LvResult GetPalNumEntries() noexcept {
    const CurrentPicture& p = CurPic();
    return p.TrueColour() ? 0 : std::min<int32_t>(p.Palette.Count, 256);
}

LvResult GetPictureFlags() noexcept { return CurPic().Header.Flags; }

LvResult hDc2Cache(LvHandle dc) noexcept { return CaptureDc(plat::HDC(dc)); }

LvResult GetBitsPixel() noexcept {
    const plat::HDC screen = plat::CreateCompatibleDC(plat::HDC{});
    if (!screen) return 0;
    const int bits = plat::GetDeviceCaps(screen, plat::BITSPIXEL);
    plat::DeleteDC(screen);
    return bits;
}

uintptr_t GetStackPointer() noexcept { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }
