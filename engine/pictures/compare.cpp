// The comparison reference and the colour-by-colour measure of a picture against it.
#include "engine/pictures/compare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "engine/base/memory.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

CmpReference g_reference;
uint8_t* g_work = nullptr;
size_t g_workSize = 0;

bool IsMagentaEntry(const PaletteEntry& e) { return e.Red == 243 && e.Green == 0 && e.Blue == 243 && e.Flags == 0; }

// Counters are 32-bit: long sums stop at the largest value instead of turning negative.
void Add(int32_t& counter, uint32_t amount) {
    const int64_t sum = int64_t{counter} + amount;
    counter = static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
}

}  // namespace

CmpReference& CmpRef() { return g_reference; }

void PaletteToRgb(const PictureHeader& header, const LogPalette& palette, uint32_t colours[256]) {
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = palette.Entries[i];
        colours[i] = (uint32_t{e.Red} << 16) | (uint32_t{e.Green} << 8) | e.Blue;
    }
    if (header.Flags & kPicTransparent) colours[header.TransparentIndex] = kTransparentColour;
}

ColumnRange TrimEmptyColumns(const CurrentPicture& p) {
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    if (width == 0 || height == 0 || p.PictureBuffer == nullptr) return {};
    const bool tc = p.TrueColour();
    const bool hasTransparent = !tc && (p.Header.Flags & kPicTransparent);
    bool empty[256];
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = p.Palette.Entries[i];
        empty[i] = (e.Red | e.Green | e.Blue) == 0 || (hasTransparent && i == p.Header.TransparentIndex);
    }
    auto columnEmpty = [&](int x) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = p.Row(y);
            if (tc ? (row[4 * x] | row[4 * x + 1] | row[4 * x + 2]) != 0 : !empty[row[x]]) return false;
        }
        return true;
    };
    ColumnRange r{0, width};
    while (r.first < r.end && columnEmpty(r.first)) ++r.first;
    while (r.end > r.first && columnEmpty(r.end - 1)) --r.end;
    if (r.first == r.end) return {};
    return r;
}

void FreeCmpReference() {
    MemFree(g_reference.pixels, 35056);
    g_reference.pixels = nullptr;
    g_reference.size = 0;
    g_reference.header = PictureHeader{};
    g_reference.palette = LogPalette{};
}

void FreeCmpWork() {
    MemFree(g_work, 35055);
    g_work = nullptr;
    g_workSize = 0;
}

uint8_t* CmpWork(size_t n) {
    if (g_work != nullptr && g_workSize >= n) return g_work;
    FreeCmpWork();
    g_work = static_cast<uint8_t*>(MemAlloc(n > 0 ? n : 1, 34046));
    if (g_work != nullptr) g_workSize = n;
    return g_work;
}

}  // namespace lvk

LV_EXPORT LvResult SetCmpCache(int32_t flags) noexcept {
    using namespace lvk;
    const CurrentPicture& p = CurPic();
    CmpReference& ref = g_reference;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    if (p.PictureBuffer == nullptr && width > 0 && height > 0) return kErrPictureBuffer;

    ref.header = p.Header;
    ref.palette = p.Palette;
    const size_t need = ref.Stride() * height;
    if (ref.pixels == nullptr || ref.size < need) {
        MemFree(ref.pixels, 35056);
        ref.size = 0;
        ref.pixels = static_cast<uint8_t*>(MemAlloc(need > 0 ? need : 1, 34045));
        if (ref.pixels == nullptr) {
            ref.header.Width = 0;
            ref.header.Height = 0;
            return kErrCmpReferenceMemory;
        }
        ref.size = need;
    }
    const bool tc = ref.TrueColour();

    if ((flags & 0x01) && !tc) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* src = p.Row(y);
            uint8_t* dst = ref.pixels + static_cast<size_t>(y) * ref.Stride();
            for (int x = 0; x < width; ++x) dst[x] = src[width - 1 - x];
        }
        return width;
    }

    // Rows are copied one by one: the reference's rows are as long as its stored width.
    const ColumnRange cols = (flags & 0x04) ? TrimEmptyColumns(p) : ColumnRange{0, width};
    const int stored = cols.end - cols.first;
    ref.header.Width = static_cast<uint16_t>(stored);
    const size_t bpp = tc ? 4 : 1;
    for (int y = 0; y < height && stored > 0; ++y)
        std::memcpy(ref.pixels + static_cast<size_t>(y) * ref.Stride(), p.Row(y) + bpp * cols.first,
                    bpp * static_cast<size_t>(stored));

    if (flags & 0x02) {
        if (tc) {
            for (int y = 0; y < height; ++y) {
                uint8_t* row = ref.pixels + static_cast<size_t>(y) * ref.Stride();
                for (int x = 0; x < stored; ++x) {
                    uint8_t* px = row + 4 * static_cast<size_t>(x);
                    if (px[0] == 243 && px[1] == 0 && px[2] == 243 && px[3] == 0) std::memset(px, 0, 4);
                }
            }
        } else if (ref.header.Flags & kPicTransparent) {
            // The transparent entry is the magenta of these pictures: it becomes black, and so
            // its pixels must compare as black, not as transparent.
            ref.palette.Entries[ref.header.TransparentIndex] = PaletteEntry{};
            ref.header.Flags &= static_cast<uint8_t>(~kPicTransparent);
        } else {
            for (PaletteEntry& e : ref.palette.Entries)
                if (IsMagentaEntry(e)) e = PaletteEntry{};
        }
    }
    return stored;
}

LV_EXPORT LvResult CmpCacheOrig(int32_t low, int32_t high, int32_t* result) noexcept {
    using namespace lvk;
    int32_t scratch[7];
    int32_t* out = result != nullptr ? result : scratch;
    std::fill(out, out + 7, 0);

    const CurrentPicture& p = CurPic();
    const CmpReference& ref = g_reference;
    const ColumnRange cols = TrimEmptyColumns(p);
    const int width = cols.end - cols.first;
    if (width != ref.header.Width) return 1;

    uint32_t curColours[256];
    uint32_t refColours[256];
    PaletteToRgb(p.Header, p.Palette, curColours);
    PaletteToRgb(ref.header, ref.palette, refColours);
    const bool curTc = p.TrueColour();
    const bool refTc = ref.TrueColour();
    const int curH = p.Header.Height;
    const int refH = ref.header.Height;
    const int rows = std::max(curH, refH);

    for (int j = 0; j < rows; ++j) {  // j counts from the bottom
        const uint8_t* cur = j < curH ? p.Row(curH - 1 - j) : nullptr;
        const uint8_t* rr = j < refH ? ref.Row(refH - 1 - j) : nullptr;
        for (int x = 0; x < width; ++x) {
            const uint32_t a = cur != nullptr ? PixelColour(cur, cols.first + x, curTc, curColours) : 0;
            const uint32_t b = rr != nullptr ? PixelColour(rr, x, refTc, refColours) : 0;
            const int dr = std::abs(static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF));
            const int dg = std::abs(static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF));
            const int db = std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF));
            Add(out[6], static_cast<uint32_t>(dr));
            Add(out[5], static_cast<uint32_t>(dg));
            Add(out[4], static_cast<uint32_t>(db));
            const int largest = std::max({dr, dg, db});
            const int cls = largest == 0 ? 0 : largest < low ? 1 : largest < high ? 2 : 3;
            Add(out[cls], 1);
        }
    }
    return 0;
}
