// The zlib form of a picture (library records with flag 0x10): the palette count byte,
// then one zlib-format stream of the palette (red, green, blue an entry) and the rows
// cut to the picture's width. Every zlib result is checked: a damaged or cut record is
// refused instead of loading as whatever the stream gave.
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"

namespace lvk {

namespace {

// zlib counts in 32-bit units; larger spans go in pieces.
constexpr size_t kZlibPiece = size_t{1} << 30;

bool Feed(z_stream& s, const uint8_t* data, size_t length) {
    while (length > 0) {
        const size_t piece = std::min(length, kZlibPiece);
        s.next_in = const_cast<Bytef*>(data);
        s.avail_in = static_cast<uInt>(piece);
        if (deflate(&s, Z_NO_FLUSH) != Z_OK || s.avail_in != 0) return false;
        data += piece;
        length -= piece;
    }
    return true;
}

// Inflates exactly `length` bytes into out; the stream may not end before.
bool Take(z_stream& s, uint8_t* out, size_t length) {
    while (length > 0) {
        const size_t piece = std::min(length, kZlibPiece);
        s.next_out = out;
        s.avail_out = static_cast<uInt>(piece);
        while (s.avail_out > 0) {
            // Z_BUF_ERROR: no progress possible, the input ended early.
            const int r = inflate(&s, Z_SYNC_FLUSH);
            if (r == Z_STREAM_END) {
                if (s.avail_out != 0) return false;
                break;
            }
            if (r != Z_OK) return false;
        }
        out += piece;
        length -= piece;
    }
    return true;
}

}  // namespace

int32_t DeflatePicture(int level) {
    CurrentPicture& p = CurPic();
    const size_t width = p.Header.Width;
    const size_t height = p.Header.Height;
    const int count = p.Palette.Count;
    if (p.TrueColour() || width == 0 || height == 0 || count == 0 || count > 256) return kErrCannotCode;
    if (p.PictureBuffer == nullptr || p.PictureBufferSize < p.RowStride() * height) return kErrCannotCode;
    level &= 0xFF;
    if (level > 9) level = 9;

    uint8_t palette[768];
    for (int i = 0; i < count; ++i) {
        palette[3 * i] = p.Palette.Entries[i].Red;
        palette[3 * i + 1] = p.Palette.Entries[i].Green;
        palette[3 * i + 2] = p.Palette.Entries[i].Blue;
    }
    const size_t raw = 3 * static_cast<size_t>(count) + width * height;

    z_stream s{};
    if (deflateInit(&s, level) != Z_OK) return kErrZlibForm;
    const uLong bound = deflateBound(&s, static_cast<uLong>(raw));
    if (int32_t r = GrowCodeBuffer(static_cast<size_t>(bound) + 1); r != 0) {
        deflateEnd(&s);
        return r;
    }
    uint8_t* out = p.CodeBuffer;
    // A count of 256 is stored as 0 (see codec.h).
    out[0] = static_cast<uint8_t>(count & 0xFF);
    s.next_out = out + 1;
    s.avail_out = static_cast<uInt>(std::min<size_t>(p.CodeBufferSize - 1, UINT_MAX));

    bool ok = Feed(s, palette, 3 * static_cast<size_t>(count));
    if (ok && width % 4 == 0) {
        ok = Feed(s, p.PictureBuffer, width * height);
    } else {
        for (size_t y = 0; ok && y < height; ++y) ok = Feed(s, p.Row(static_cast<int>(y)), width);
    }
    if (ok) {
        s.next_in = nullptr;
        s.avail_in = 0;
        ok = deflate(&s, Z_FINISH) == Z_STREAM_END;
    }
    const size_t written = 1 + static_cast<size_t>(s.total_out);
    deflateEnd(&s);
    if (!ok) return kErrZlibForm;
    p.CodeLength = static_cast<uint32_t>(written);
    return 0;
}

int32_t InflatePicture(const uint8_t* data, size_t length) {
    CurrentPicture& p = CurPic();
    const size_t width = p.Header.Width;
    const size_t height = p.Header.Height;
    if (data == nullptr || length < 2 || p.TrueColour() || width == 0 || height == 0) return kErrZlibForm;
    if (int32_t r = GrowPictureBuffer(); r != 0) return r;
    const int count = data[0] == 0 ? 256 : data[0];

    z_stream s{};
    if (inflateInit(&s) != Z_OK) return kErrZlibForm;
    s.next_in = const_cast<Bytef*>(data + 1);
    s.avail_in = static_cast<uInt>(std::min<size_t>(length - 1, UINT_MAX));

    uint8_t palette[768];
    bool ok = Take(s, palette, 3 * static_cast<size_t>(count));
    if (ok && width % 4 == 0) {
        ok = Take(s, p.PictureBuffer, width * height);
    } else {
        for (size_t y = 0; ok && y < height; ++y) ok = Take(s, p.Row(static_cast<int>(y)), width);
    }
    if (ok) {
        // The stream must end here: nothing more, and not cut short.
        uint8_t extra;
        s.next_out = &extra;
        s.avail_out = 1;
        ok = inflate(&s, Z_FINISH) == Z_STREAM_END && s.avail_out == 1;
    }
    const size_t left = s.avail_in;
    inflateEnd(&s);
    // Pixels that point past the stored palette make the record as damaged as a bad stream.
    for (size_t y = 0; ok && count < 256 && y < height; ++y) {
        const uint8_t* row = p.Row(static_cast<int>(y));
        ok = *std::max_element(row, row + width) < count;
    }
    if (!ok) return kErrZlibForm;
    for (int i = 0; i < count; ++i) {
        p.Palette.Entries[i].Red = palette[3 * i];
        p.Palette.Entries[i].Green = palette[3 * i + 1];
        p.Palette.Entries[i].Blue = palette[3 * i + 2];
    }
    p.Palette.Count = static_cast<uint16_t>(count);
    p.LastLength = static_cast<uint32_t>(length - left);
    return 0;
}

}  // namespace lvk
