// Device-independent bitmaps into the current picture, and the exports of the resource
// family: 32-bit resource libraries opened as data, and the bitmap name listings.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/resource.h"

namespace lvk {

int32_t DecodeDib(const uint8_t* dib, size_t size) {
    CurrentPicture& p = CurPic();
    if (dib == nullptr || size < 4) return kErrDibShort;
    if (Le32(dib) != 40) return kErrDibHeader;
    if (size < 40) return kErrDibShort;
    const int32_t width = static_cast<int32_t>(Le32(dib + 4));
    const int32_t height = static_cast<int32_t>(Le32(dib + 8));
    const int bits = Le16(dib + 14);
    const uint32_t compression = Le32(dib + 16);
    const uint32_t coloursUsed = Le32(dib + 32);
    if (bits != 4 && bits != 8) return kErrDibBits;
    if (compression != 0) return kErrDibCompressed;
    // Resource bitmaps are bottom-up: a negative height is refused with the other sizes.
    if (width < 1 || width > 0xFFFF || height < 1 || height > 0xFFFF) return kErrDibSize;
    const uint32_t entries = coloursUsed != 0 ? coloursUsed : 1u << bits;
    if (entries > (1u << bits)) return kErrDibColours;
    const uint64_t rowsAt = 40 + 4ull * entries;
    const uint64_t stride = bits == 4 ? ((uint64_t(width) + 7) / 8) * 4 : (uint64_t(width) + 3) & ~uint64_t{3};
    const uint64_t lastRow = bits == 4 ? (uint64_t(width) + 1) / 2 : uint64_t(width);
    if (rowsAt + stride * uint64_t(height - 1) + lastRow > size) return kErrDibShort;

    p.HeldEntry = 0;
    p.Header.Width = static_cast<uint16_t>(width);
    p.Header.Height = static_cast<uint16_t>(height);
    p.Header.Flags = 0;
    p.Header.TransparentIndex = 0;
    if (int32_t r = GrowPictureBuffer(); r != 0) return r;
    for (int i = 0; i < height; ++i) {
        const uint8_t* src = dib + rowsAt + static_cast<size_t>(stride) * i;
        uint8_t* dst = p.Row(height - 1 - i);
        if (bits == 8) {
            std::memcpy(dst, src, static_cast<size_t>(width));
        } else {
            for (int x = 0; x < width; ++x) dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        }
    }
    // Colours from the table; the entries' flags bytes stay as they were.
    for (uint32_t i = 0; i < 256; ++i) {
        PaletteEntry& e = p.Palette.Entries[i];
        e.Red = e.Green = e.Blue = 0;
        if (i >= entries) continue;
        const uint8_t* c = dib + 40 + 4 * i;
        e.Red = c[2];
        e.Green = c[1];
        e.Blue = c[0];
    }
    p.Palette.Count = static_cast<uint16_t>(entries);
    p.LastLength = static_cast<uint32_t>(rowsAt + stride * uint64_t(height));
    return 0;
}

}  // namespace lvk

using namespace lvk;

LvResult OpenLib32(const char* file, LvHandle* moduleOut) noexcept {
    try {
        int32_t e = OpenPeModule(file, moduleOut);
        return e == 0 ? 0 : -e - 40000;
    } catch (const std::bad_alloc&) {
        return -kWinNotEnoughMemory - 40000;
    }
}

LvResult CloseLib32(LvHandle module) noexcept { return ClosePeModule(module) ? 1 : 0; }

LvResult ListRes16Names(const char* file, char* buffer, int32_t size) noexcept {
    try {
        FileSource f;
        if (f.Open(file) != 0) return kErrListNeOpen;
        return ListNeBitmapNames(f, buffer, size);
    } catch (const std::bad_alloc&) {
        return kErrCodeBuffer;
    }
}

LvResult ListRes32Names(const char* file, char* buffer, int32_t size) noexcept {
    try {
        std::vector<uint8_t> image;
        if (int err = ReadWholeFile(file, image); err != 0) return -WinErrorFromErrno(err) - 30000;
        PeLibrary lib;
        if (int32_t e = ParsePeLibrary(std::move(image), lib); e != 0) return -e - 30000;
        int32_t written = 0;
        if (int32_t e = ListPeBitmapNames(lib, buffer, size, written); e != 0) return -e - 40000;
        return written;
    } catch (const std::bad_alloc&) {
        return -kWinNotEnoughMemory - 30000;
    }
}
