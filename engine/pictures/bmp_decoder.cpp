// Windows BMP files (also ".dib") with the 40-byte info header: 1, 4, 8, 16 (5-5-5),
// 24 and 32 bits per pixel, RLE4 and RLE8. Palette pictures keep the file's colour
// table; 16- and 24-bit pictures get a palette of their colours in order of first
// appearance, or become true colour when they have more than 255.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/colour_lookup.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;
constexpr uint32_t kTableStart = kFileHeader + kInfoHeader;  // 54

struct BmpInfo {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    const uint8_t* table = nullptr;  // blue, green, red, reserved
    uint32_t tableEntries = 0;
    const uint8_t* pixels = nullptr;
    size_t pixelBytes = 0;
};

// Bytes of one stored row, and how much of the last row must be present.
struct RowLayout {
    uint64_t stride;
    uint64_t used;
};

RowLayout LayoutFor(int bits, uint64_t width) {
    switch (bits) {
    case 1: return {((width + 31) / 32) * 4, (width + 7) / 8};
    case 4: return {((width + 7) / 8) * 4, (width + 1) / 2};
    case 8: return {(width + 3) & ~uint64_t{3}, width};
    case 16: return {(2 * width + 3) & ~uint64_t{3}, 2 * width};
    case 24: return {(3 * width + 3) & ~uint64_t{3}, 3 * width};
    default: return {4 * width, 4 * width};
    }
}

inline int BufferRow(const BmpInfo& b, int fileRow) { return b.topDown ? fileRow : b.height - 1 - fileRow; }

void TakeTablePalette(const BmpInfo& b, uint32_t count) {
    CurrentPicture& p = CurPic();
    count = std::min({count, b.tableEntries, uint32_t{256}});
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = b.table + 4 * i;
        PaletteEntry& d = p.Palette.Entries[i];
        d.Red = e[2];
        d.Green = e[1];
        d.Blue = e[0];
    }
    p.Palette.Count = static_cast<uint16_t>(count);
}

void ReadIndexed(const BmpInfo& b, uint64_t stride) {
    CurrentPicture& p = CurPic();
    for (int i = 0; i < b.height; ++i) {
        const uint8_t* src = b.pixels + static_cast<size_t>(i) * stride;
        uint8_t* dst = p.Row(BufferRow(b, i));
        switch (b.bits) {
        case 1:
            for (int x = 0; x < b.width; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (int x = 0; x < b.width; ++x) dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
            break;
        default: std::memcpy(dst, src, static_cast<size_t>(b.width)); break;
        }
    }
}

// RLE8 and RLE4. Decoding runs in file-row order from the bottom row of a bottom-up
// file. Data that ends without an end escape ends the picture where it stops.
int32_t ReadRle(const BmpInfo& b) {
    CurrentPicture& p = CurPic();
    std::memset(p.PictureBuffer, 0, p.RowStride() * b.height);
    const uint8_t* d = b.pixels;
    const size_t n = b.pixelBytes;
    const bool four = b.bits == 4;
    size_t pos = 0;
    int x = 0;
    int row = 0;  // file row
    uint8_t* dst = p.Row(BufferRow(b, 0));
    // Places one pixel; false once the rows are used up.
    auto put = [&](uint8_t v) {
        if (x == b.width) {
            x = 0;
            if (++row >= b.height) return false;
            dst = p.Row(BufferRow(b, row));
        }
        dst[x++] = v;
        return true;
    };
    while (pos + 2 <= n) {
        const uint8_t count = d[pos];
        const uint8_t value = d[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) {
                uint8_t v = four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value;
                if (!put(v)) return 0;
            }
            continue;
        }
        if (value == 0) {  // end of row
            x = 0;
            if (++row >= b.height) return 0;
            dst = p.Row(BufferRow(b, row));
        } else if (value == 1) {  // end of picture
            return 0;
        } else if (value == 2) {  // delta
            if (pos + 2 > n) return 0;
            const int dx = d[pos], dy = d[pos + 1];
            pos += 2;
            if (x + dx >= b.width || row + dy >= b.height) return kErrBmpDelta;
            x += dx;
            row += dy;
            dst = p.Row(BufferRow(b, row));
        } else {  // literal run, padded to an even number of bytes
            const size_t bytes = four ? (value + 1u) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t{1};
            if (pos + bytes > n) return 0;
            for (int k = 0; k < value; ++k) {
                uint8_t v = four ? ((k & 1) ? (d[pos + k / 2] & 0x0F) : (d[pos + k / 2] >> 4)) : d[pos + k];
                if (!put(v)) return 0;
            }
            pos += std::min(padded, n - pos);
        }
    }
    return 0;
}

// Writes every pixel of a 16-, 24- or 32-bit file as blue, green, red and a fourth byte.
int32_t ReadAsTrueColour(const BmpInfo& b, uint64_t stride) {
    CurrentPicture& p = CurPic();
    p.Header.Flags |= kPicTrueColour;
    p.Palette.Count = 0;
    if (int32_t r = GrowPictureBuffer(); r != 0) return r;
    for (int i = 0; i < b.height; ++i) {
        const uint8_t* src = b.pixels + static_cast<size_t>(i) * stride;
        uint8_t* dst = p.Row(BufferRow(b, i));
        if (b.bits == 32) {
            std::memcpy(dst, src, static_cast<size_t>(b.width) * 4);
            continue;
        }
        for (int x = 0; x < b.width; ++x, dst += 4) {
            if (b.bits == 16) {
                const uint32_t v = Le16(src + 2 * x);
                dst[0] = static_cast<uint8_t>((v & 0x1F) << 3);
                dst[1] = static_cast<uint8_t>(((v >> 5) & 0x1F) << 3);
                dst[2] = static_cast<uint8_t>(((v >> 10) & 0x1F) << 3);
            } else {
                dst[0] = src[3 * x];
                dst[1] = src[3 * x + 1];
                dst[2] = src[3 * x + 2];
            }
            dst[3] = 0;
        }
    }
    return 0;
}

// 16 and 24 bits: a palette of the colours met; a 256th colour makes it true colour.
int32_t ReadDirect(const BmpInfo& b, uint64_t stride) {
    CurrentPicture& p = CurPic();
    static thread_local ColourLookup lookup;
    lookup.Clear();
    int count = 0;
    for (int i = 0; i < b.height; ++i) {
        const uint8_t* src = b.pixels + static_cast<size_t>(i) * stride;
        uint8_t* dst = p.Row(BufferRow(b, i));
        for (int x = 0; x < b.width; ++x) {
            uint8_t red, green, blue;
            if (b.bits == 16) {
                const uint32_t v = Le16(src + 2 * x);
                red = static_cast<uint8_t>(((v >> 10) & 0x1F) << 3);
                green = static_cast<uint8_t>(((v >> 5) & 0x1F) << 3);
                blue = static_cast<uint8_t>((v & 0x1F) << 3);
            } else {
                blue = src[3 * x];
                green = src[3 * x + 1];
                red = src[3 * x + 2];
            }
            const uint32_t rgb = (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
            int index = lookup.Find(rgb);
            if (index < 0) {
                if (count == 255) return ReadAsTrueColour(b, stride);
                index = count++;
                p.Palette.Entries[index] = PaletteEntry{red, green, blue, 0};
                lookup.Insert(rgb, static_cast<uint8_t>(index));
            }
            dst[x] = static_cast<uint8_t>(index);
        }
    }
    p.Palette.Count = static_cast<uint16_t>(count);
    return 0;
}

int32_t CompressionError(int bits) {
    switch (bits) {
    case 1: return kErrBmp1Compression;
    case 4: return kErrBmp4Compression;
    case 8: return kErrBmp8Compression;
    case 16: return kErrBmp16Compression;
    case 24: return kErrBmp24Compression;
    default: return kErrBmp32Compression;
    }
}

}  // namespace

int32_t ReadBmpFile(const uint8_t* data, size_t size) {
    CurrentPicture& p = CurPic();
    p.HeldEntry = 0;
    if (size < kFileHeader) return kErrBmpFileHeader;
    if (data[0] != 'B' || data[1] != 'M') return kErrBmpType;
    const uint32_t fileSize = Le32(data + 2);
    const uint32_t pixelOffset = Le32(data + 10);
    if (size < kFileHeader + 4) return kErrBmpInfoSize;
    const uint32_t infoSize = Le32(data + 14);
    if (infoSize == 12) return kErrBmpCoreHeader;
    if (infoSize != kInfoHeader) return kErrBmpInfoOther;
    if (size < kTableStart) return kErrBmpInfoHeader;

    BmpInfo b;
    const int32_t width = static_cast<int32_t>(Le32(data + 18));
    int64_t height = static_cast<int32_t>(Le32(data + 22));
    b.bits = Le16(data + 28);
    b.compression = Le32(data + 30);
    b.coloursUsed = Le32(data + 46);
    if (height < 0) {
        b.topDown = true;
        height = -height;
    }
    // The picture's sizes are 16-bit.
    if (width < 1 || width > 0xFFFF || height < 1 || height > 0xFFFF) return kErrBmpSize;
    b.width = width;
    b.height = static_cast<int>(height);

    // The colour table fills the bytes between the headers and the pixels.
    if (pixelOffset < kTableStart || pixelOffset - kTableStart > 1024) return kErrBmpTableLarge;
    const uint32_t tableBytes = pixelOffset - kTableStart;
    if (tableBytes > 0) {
        if (size < pixelOffset) return kErrBmpTable;
        if (tableBytes % 4 != 0) return kErrBmpTableSize;
        b.table = data + kTableStart;
        b.tableEntries = tableBytes / 4;
    }
    // Pictures of more than 8 bits have no colour count to take from the table.
    uint32_t colours = b.coloursUsed;
    if (colours == 0 && b.bits <= 8) colours = 1u << b.bits;
    colours = std::min(colours, b.tableEntries);

    if (b.bits != 1 && b.bits != 4 && b.bits != 8 && b.bits != 16 && b.bits != 24 && b.bits != 32)
        return kErrBmpBitCount;
    const bool rle = (b.bits == 4 && b.compression == 2) || (b.bits == 8 && b.compression == 1);
    if (b.compression != 0 && !rle) return CompressionError(b.bits);

    if (size < pixelOffset) return kErrBmpPixels;
    b.pixels = data + pixelOffset;
    b.pixelBytes = size - pixelOffset;
    const RowLayout layout = LayoutFor(b.bits, static_cast<uint64_t>(b.width));
    if (!rle && static_cast<uint64_t>(b.height - 1) * layout.stride + layout.used > b.pixelBytes) return kErrBmpPixels;

    p.Header.Width = static_cast<uint16_t>(b.width);
    p.Header.Height = static_cast<uint16_t>(b.height);
    p.Header.Flags = 0;
    p.Header.TransparentIndex = 0;
    for (auto& e : p.Palette.Entries) e = PaletteEntry{};
    p.Palette.Count = 0;
    p.LastLength = fileSize;
    if (int32_t r = GrowPictureBuffer(); r != 0) return r;

    switch (b.bits) {
    case 1:
        // The file's two colours; black and white only when it has no table.
        if (b.tableEntries >= 2) {
            TakeTablePalette(b, 2);
        } else {
            p.Palette.Entries[1] = PaletteEntry{255, 255, 255, 0};
            p.Palette.Count = 2;
        }
        ReadIndexed(b, layout.stride);
        return 0;
    case 4:
    case 8:
        TakeTablePalette(b, colours);
        if (rle) return ReadRle(b);
        ReadIndexed(b, layout.stride);
        return 0;
    case 16:
    case 24: return ReadDirect(b, layout.stride);
    default:
        if (QuantizeTrueColour(b.topDown ? kQuantTopDown : 0, b.pixels) == 0) return 0;
        return ReadAsTrueColour(b, layout.stride);
    }
}

int32_t LoadBmpPicture(const char* file) {
    // The block keeps its size for the next read.
    static std::vector<uint8_t> block;
    int err = 0;
    try {
        err = ReadWholeFile(file, block);
    } catch (const std::bad_alloc&) {
        return kErrBmpMemory;
    }
    if (err != 0) return err == ENOMEM ? kErrBmpMemory : kErrBmpOpen;
    return ReadBmpFile(block.data(), block.size());
}

}  // namespace lvk

LvResult LoadBmpFile(const char* file) noexcept { return lvk::LoadBmpPicture(file); }
