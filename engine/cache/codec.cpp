// The bit code: a table of the distinct colour components, the palette as indices into
// it, a table of the run lengths met, then the pixels row by row as literal indices,
// runs of one index and runs of two alternating indices.
#include "engine/cache/codec.h"

#include <cstring>
#include <initializer_list>

#include "engine/cache/bit_cursor.h"
#include "engine/cache/cache.h"
#include "engine/pictures/current_picture.h"

namespace lvk {

namespace {

// One run of a row starting at b: its table length t and the position after it.
// t <= width: t pixels equal to row[b]; t > width: 2 x (t - width) pixels alternating
// row[b], row[b + 1].
inline void NextRun(const uint8_t* row, int width, int b, uint32_t& t, int& next) {
    int k = b + 1;
    const uint8_t v = row[b];
    while (k < width && row[k] == v) ++k;
    t = static_cast<uint32_t>(k - b);
    if (t == 1) {
        int start = k;
        while (k + 3 < width && row[k + 1] == row[k - 1] && row[k + 2] == row[k]) k += 2;
        if (k != start) {
            t = static_cast<uint32_t>(width + (k - b + 1) / 2);
            k += 1;
        }
    }
    next = k;
}

// Distinct red, green and blue values of the palette in first-met order, and each
// value's index in that order.
struct ComponentTable {
    uint8_t values[256];
    int16_t indexOf[256];
    int count = 0;

    void Build(const LogPalette& pal, int entries) {
        std::memset(indexOf, 0xFF, sizeof indexOf);
        count = 0;
        for (int i = 0; i < entries; ++i) {
            const PaletteEntry& e = pal.Entries[i];
            for (uint8_t c : {e.Red, e.Green, e.Blue}) {
                if (indexOf[c] < 0) {
                    indexOf[c] = static_cast<int16_t>(count);
                    values[count++] = c;
                }
            }
        }
    }
};

}  // namespace

int32_t EncodePicture() {
    CurrentPicture& p = CurPic();
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    const int P = p.Palette.Count;
    if (p.TrueColour() || width == 0 || height == 0 || P == 0 || P > 256) return kErrCannotCode;
    if (p.PictureBuffer == nullptr || p.PictureBufferSize < p.RowStride() * height) return kErrCannotCode;
    if (int32_t r = GrowRunTable(); r != 0) return r;

    // First pass: the distinct run lengths of 3 and more, in first-met order. The map
    // behind the table gives each length's index + 1 (lengths stay below 2 x width).
    uint32_t* table = p.RunTable;
    uint32_t* indexOf = p.RunTable + p.RunTableEntries;
    const size_t mapSize = 2 * static_cast<size_t>(width) + 100;
    std::memset(indexOf, 0, mapSize * sizeof(uint32_t));
    uint32_t R = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = p.Row(y);
        for (int x = 0; x < width; ++x)
            if (row[x] >= P) return kErrCannotCode;
        for (int b = 0; b < width;) {
            uint32_t t;
            NextRun(row, width, b, t, b);
            if (t >= 3 && indexOf[t] == 0) {
                table[R] = t;
                indexOf[t] = ++R;
            }
        }
    }

    ComponentTable comp;
    comp.Build(p.Palette, P);
    const int K = comp.count;
    const int W = BitsFor(static_cast<uint32_t>(K - 1));
    const int L = BitsFor(static_cast<uint32_t>(width)) + 1;
    const int C = BitsFor(R + static_cast<uint32_t>(P));
    const int E = BitsFor(static_cast<uint32_t>(P));

    // Worst case: every pixel a literal code (a run code covers 3 or more pixels with at
    // most C + 2E bits, and E <= C), plus the header; a little spare for the writer.
    uint64_t bits =
        16 + 8ull * K + 3ull * P * W + L + static_cast<uint64_t>(R) * L + static_cast<uint64_t>(C) * width * height;
    uint64_t bytes = bits / 8 + 16;
    if (bytes > UINT32_MAX) return kErrCodeBuffer;
    if (int32_t r = GrowCodeBuffer(static_cast<size_t>(bytes)); r != 0) return r;

    BitWriter out;
    out.SetBitCursor(p.CodeBuffer, p.CodeBufferSize);
    out.PutBits(8, static_cast<uint32_t>(P) & 0xFF);
    out.PutBits(8, static_cast<uint32_t>(K) & 0xFF);
    for (int i = 0; i < K; ++i) out.PutBits(8, comp.values[i]);
    for (int i = 0; i < P; ++i) {
        const PaletteEntry& e = p.Palette.Entries[i];
        out.PutBits(W, static_cast<uint32_t>(comp.indexOf[e.Red]));
        out.PutBits(W, static_cast<uint32_t>(comp.indexOf[e.Green]));
        out.PutBits(W, static_cast<uint32_t>(comp.indexOf[e.Blue]));
    }
    out.PutBits(L, R);
    for (uint32_t i = 0; i < R; ++i) out.PutBits(L, table[i]);

    for (int y = 0; y < height; ++y) {
        const uint8_t* row = p.Row(y);
        for (int b = 0; b < width;) {
            uint32_t t;
            int k;
            NextRun(row, width, b, t, k);
            if (t < 3) {
                for (uint32_t i = 0; i < t; ++i) out.PutBits(C, row[b]);
            } else {
                out.PutBits(C, static_cast<uint32_t>(P) + indexOf[t] - 1);
                if (t > static_cast<uint32_t>(width)) {
                    out.PutBits(E, row[k - 2]);
                    out.PutBits(E, row[k - 1]);
                } else {
                    out.PutBits(E, row[b]);
                }
            }
            b = k;
        }
    }
    size_t length = out.Finish();
    if (out.Overflow()) return kErrCodeBuffer;
    p.CodeLength = static_cast<uint32_t>(length);
    return 0;
}

int32_t DecodePicture(const uint8_t* data, size_t length, size_t* consumed) {
    CurrentPicture& p = CurPic();
    if (consumed != nullptr) *consumed = 0;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    if (p.TrueColour() || width == 0 || height == 0) return kErrCodeDamaged;
    if (int32_t r = GrowPictureBuffer(); r != 0) return r;
    if (int32_t r = GrowRunTable(); r != 0) return r;

    BitReader in;
    in.SetBitCursor(data, length);
    // A stored count of 0 stands for 256 (see codec.h).
    uint32_t P = in.GetBits(8);
    uint32_t K = in.GetBits(8);
    if (P == 0) P = 256;
    if (K == 0) K = 256;
    uint8_t values[256];
    for (uint32_t i = 0; i < K; ++i) values[i] = static_cast<uint8_t>(in.GetBits(8));
    const int W = BitsFor(K - 1);
    for (uint32_t i = 0; i < P; ++i) {
        uint32_t r = in.GetBits(W), g = in.GetBits(W), b = in.GetBits(W);
        if (r >= K || g >= K || b >= K) return kErrCodeDamaged;
        PaletteEntry& e = p.Palette.Entries[i];
        e.Red = values[r];
        e.Green = values[g];
        e.Blue = values[b];
    }
    p.Palette.Count = static_cast<uint16_t>(P);

    const int L = BitsFor(static_cast<uint32_t>(width)) + 1;
    const uint32_t R = in.GetBits(L);
    if (R > p.RunTableEntries) return kErrCodeDamaged;
    uint32_t* table = p.RunTable;
    for (uint32_t i = 0; i < R; ++i) {
        table[i] = in.GetBits(L);
        if (table[i] == 0) return kErrCodeDamaged;
    }
    if (in.Overrun()) return kErrCodeDamaged;
    const int C = BitsFor(R + P);
    const int E = BitsFor(P);
    const uint32_t w = static_cast<uint32_t>(width);

    for (int y = 0; y < height; ++y) {
        uint8_t* row = p.Row(y);
        uint32_t x = 0;
        while (x < w) {
            uint32_t v = in.GetBits(C);
            if (v < P) {
                row[x++] = static_cast<uint8_t>(v);
                continue;
            }
            v -= P;
            if (v >= R) return kErrCodeDamaged;
            uint32_t t = table[v];
            if (t <= w) {
                uint32_t a = in.GetBits(E);
                if (a >= P || t > w - x) return kErrCodeDamaged;
                std::memset(row + x, static_cast<int>(a), t);
                x += t;
            } else {
                uint32_t a = in.GetBits(E), b = in.GetBits(E);
                uint32_t n = 2 * (t - w);
                if (a >= P || b >= P || n > w - x) return kErrCodeDamaged;
                for (uint32_t i = 0; i < n; i += 2) {
                    row[x + i] = static_cast<uint8_t>(a);
                    row[x + i + 1] = static_cast<uint8_t>(b);
                }
                x += n;
            }
        }
        if (in.Overrun()) return kErrCodeDamaged;
    }
    if (consumed != nullptr) *consumed = in.Consumed();
    return 0;
}

int32_t SelectCacheEntry(int32_t offset) {
    CurrentPicture& p = CurPic();
    if (offset == 0 || offset == p.HeldEntry) return 0;
    CacheEntry entry;
    if (int32_t r = CacheEntryAt(offset, &entry); r != 0) return r;
    p.Header.Width = entry.Width;
    p.Header.Height = entry.Height;
    // Flag 0x08 tells where an entry keeps its data; the picture itself has no such place.
    p.Header.Flags = entry.Flags & static_cast<uint8_t>(~kPicOwnBlock);
    p.Header.TransparentIndex = entry.TransparentIndex;
    p.HeldEntry = 0;
    size_t used = 0;
    int32_t r = DecodePicture(entry.Data, entry.Length, &used);
    if (r != 0) return r;
    p.HeldEntry = offset;
    p.LastLength = static_cast<uint32_t>(used);
    return 0;
}

}  // namespace lvk
