#include "platform/raster_surface.h"

#include <climits>
#include <cstring>

namespace plat::raster {

std::size_t PaddedStride(int width, int bpp) {
    if (width <= 0) {
        return 0;
    }
    const unsigned long long bits = static_cast<unsigned long long>(width) * static_cast<unsigned>(bpp);
    const unsigned long long bytes = (bits + 31) / 32 * 4;
    return bytes > INT_MAX ? 0 : static_cast<std::size_t>(bytes);
}

std::uint32_t ReadValue(const Surface& s, int x, int y) {
    const std::uint8_t* row = s.Row(y);
    switch (s.bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 8: return row[x];
    case 24: {
        const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * 3;
        return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    }
    default: {
        std::uint32_t v;
        std::memcpy(&v, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
        return v & 0x00FFFFFFu;
    }
    }
}

void WriteValue(const Surface& s, int x, int y, std::uint32_t value) {
    std::uint8_t* row = s.Row(y);
    switch (s.bpp) {
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = (value & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    case 24: {
        std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * 3;
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
        p[2] = static_cast<std::uint8_t>(value >> 16);
        break;
    }
    default: {
        const std::uint32_t v = value & 0x00FFFFFFu;
        std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &v, 4);
        break;
    }
    }
}

void LoadRow(const Surface& s, int x, int y, int n, std::uint32_t* out) {
    const std::uint8_t* row = s.Row(y);
    switch (s.bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            const int xx = x + i;
            out[i] = (row[xx >> 3] >> (7 - (xx & 7))) & 1u;
        }
        break;
    case 8:
        row += x;
        for (int i = 0; i < n; ++i) {
            out[i] = row[i];
        }
        break;
    case 24:
        row += static_cast<std::ptrdiff_t>(x) * 3;
        for (int i = 0; i < n; ++i, row += 3) {
            out[i] = row[0] | (row[1] << 8) | (static_cast<std::uint32_t>(row[2]) << 16);
        }
        break;
    default:
        row += static_cast<std::ptrdiff_t>(x) * 4;
        std::memcpy(out, row, static_cast<std::size_t>(n) * 4);
        for (int i = 0; i < n; ++i) {
            out[i] &= 0x00FFFFFFu;
        }
        break;
    }
}

void StoreRow(const Surface& s, int x, int y, int n, const std::uint32_t* in) {
    std::uint8_t* row = s.Row(y);
    switch (s.bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            const int xx = x + i;
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (xx & 7));
            row[xx >> 3] = (in[i] & 1u) ? (row[xx >> 3] | bit) : (row[xx >> 3] & ~bit);
        }
        break;
    case 8:
        row += x;
        for (int i = 0; i < n; ++i) {
            row[i] = static_cast<std::uint8_t>(in[i]);
        }
        break;
    case 24:
        row += static_cast<std::ptrdiff_t>(x) * 3;
        for (int i = 0; i < n; ++i, row += 3) {
            row[0] = static_cast<std::uint8_t>(in[i]);
            row[1] = static_cast<std::uint8_t>(in[i] >> 8);
            row[2] = static_cast<std::uint8_t>(in[i] >> 16);
        }
        break;
    default: {
        std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * 4;
        for (int i = 0; i < n; ++i, p += 4) {
            const std::uint32_t v = in[i] & 0x00FFFFFFu;
            std::memcpy(p, &v, 4);
        }
        break;
    }
    }
}

COLORREF EntryColour(const RgbQuad& e) { return RGB(e.red, e.green, e.blue); }

std::uint32_t ColourToRgbValue(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}

COLORREF RgbValueToColour(std::uint32_t v) {
    return RGB(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v));
}

COLORREF ValueToColour(const Surface& s, std::uint32_t value) {
    if (!s.Indexed()) {
        return RgbValueToColour(value);
    }
    if (s.palette == nullptr || static_cast<int>(value) >= s.palette->count) {
        return RGB(0, 0, 0);
    }
    return EntryColour(s.palette->entries[value]);
}

int NearestIndex(const Palette& p, COLORREF c) {
    const int r = GetRValue(c);
    const int g = GetGValue(c);
    const int b = GetBValue(c);
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < p.count; ++i) {
        const int dr = p.entries[i].red - r;
        const int dg = p.entries[i].green - g;
        const int db = p.entries[i].blue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) {
                break;
            }
        }
    }
    return best;
}

std::uint32_t ColourToValue(const Surface& s, COLORREF c) {
    if (!s.Indexed()) {
        return ColourToRgbValue(c);
    }
    if (s.palette == nullptr) {
        return 0;
    }
    return static_cast<std::uint32_t>(NearestIndex(*s.palette, c)) & ValueMask(s.bpp);
}

bool SamePalette(const Palette& a, const Palette& b) {
    if (a.count != b.count) {
        return false;
    }
    for (int i = 0; i < a.count; ++i) {
        const RgbQuad& x = a.entries[i];
        const RgbQuad& y = b.entries[i];
        if (x.red != y.red || x.green != y.green || x.blue != y.blue) {
            return false;
        }
    }
    return true;
}

namespace {

constexpr int kScratchSlots = 6;

struct Scratch {
    std::vector<std::uint32_t> values[kScratchSlots];
    std::vector<std::uint8_t> bytes[kScratchSlots];
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

}  // namespace

std::uint32_t* ScratchValues(int slot, std::size_t n) {
    auto& v = ThreadScratch().values[slot];
    if (v.size() < n + 8) {
        v.resize(n + 8);
    }
    return v.data();
}

std::uint8_t* ScratchBytes(int slot, std::size_t n) {
    auto& v = ThreadScratch().bytes[slot];
    if (v.size() < n + 8) {
        v.resize(n + 8);
    }
    return v.data();
}

void CopyRect(const Surface& src, int x, int y, int w, int h, OwnedSurface& out) {
    const std::size_t stride = PaddedStride(w, src.bpp);
    out.memory.assign(stride * static_cast<std::size_t>(h), 0);
    out.surface = src;
    out.surface.top = out.memory.data();
    out.surface.stride = static_cast<std::ptrdiff_t>(stride);
    out.surface.width = w;
    out.surface.height = h;
    if (src.bpp == 1) {
        for (int row = 0; row < h; ++row) {
            for (int i = 0; i < w; ++i) {
                WriteValue(out.surface, i, row, ReadValue(src, x + i, y + row));
            }
        }
        return;
    }
    const std::size_t bytesPerPixel = static_cast<std::size_t>(src.bpp / 8);
    for (int row = 0; row < h; ++row) {
        std::memcpy(out.surface.Row(row), src.Row(y + row) + static_cast<std::size_t>(x) * bytesPerPixel,
                    static_cast<std::size_t>(w) * bytesPerPixel);
    }
}

}  // namespace plat::raster
