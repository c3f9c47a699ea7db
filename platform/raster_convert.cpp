#include "platform/raster_convert.h"

namespace plat::raster {

namespace {

constexpr std::uint32_t kCacheSlots = 4096;
constexpr std::uint32_t kCacheValid = 0x80000000u;

COLORREF IndexColour(const Surface& s, int i) {
    if (s.palette == nullptr || i >= s.palette->count) {
        return RGB(0, 0, 0);
    }
    return EntryColour(s.palette->entries[i]);
}

}  // namespace

RowConverter::RowConverter(const Surface& src, const Surface& dst, const ConvertRules& rules) : src_(src), dst_(dst) {
    if (!src.Indexed()) {
        if (!dst.Indexed()) {
            mode_ = Mode::Same;
            identity_ = src.bpp == dst.bpp;
        } else if (dst.bpp == 1 && rules.dcRules) {
            mode_ = Mode::MatchKey;
            key_ = ColourToRgbValue(rules.srcBk);
        } else {
            mode_ = Mode::Nearest;
        }
        return;
    }

    mode_ = Mode::Lookup;
    const int entries = 1 << src.bpp;
    const bool monoToColour = src.bpp == 1 && dst.bpp != 1;
    const bool samePalette = src.bpp == dst.bpp && src.palette != nullptr && dst.palette != nullptr &&
                             SamePalette(*src.palette, *dst.palette);
    for (int i = 0; i < entries; ++i) {
        std::uint32_t v;
        if (rules.dcRules && monoToColour) {
            v = ColourToValue(dst, i == 0 ? rules.dstText : rules.dstBk);
        } else if (rules.dcRules && src.bpp == 1 && dst.bpp == 1) {
            v = static_cast<std::uint32_t>(i);
        } else if (rules.dcRules && dst.bpp == 1) {
            v = IndexColour(src, i) == (rules.srcBk & 0x00FFFFFFu) ? 1u : 0u;
        } else if (samePalette) {
            v = static_cast<std::uint32_t>(i);
        } else {
            v = ColourToValue(dst, IndexColour(src, i));
        }
        lut_[i] = v;
    }
    identity_ = src.bpp == dst.bpp;
    for (int i = 0; i < entries && identity_; ++i) {
        identity_ = lut_[i] == static_cast<std::uint32_t>(i);
    }
}

std::uint32_t RowConverter::NearestCached(std::uint32_t rgb) const {
    if (!cache_) {
        cache_ = std::make_unique<std::uint32_t[]>(kCacheSlots * 2);
    }
    const std::uint32_t slot = ((rgb * 2654435761u) >> 20) & (kCacheSlots - 1);
    std::uint32_t* entry = &cache_[slot * 2];
    if (entry[0] == (rgb | kCacheValid)) {
        return entry[1];
    }
    const std::uint32_t v = ColourToValue(dst_, RgbValueToColour(rgb));
    entry[0] = rgb | kCacheValid;
    entry[1] = v;
    return v;
}

void RowConverter::Convert(int x, int y, int n, std::uint32_t* out) const {
    switch (mode_) {
    case Mode::Same: LoadRow(src_, x, y, n, out); break;
    case Mode::Lookup:
        if (src_.bpp == 1) {
            ExpandMono(src_.Row(y), x, n, lut_[0], lut_[1], out);
        } else {
            LoadRow(src_, x, y, n, out);
            for (int i = 0; i < n; ++i) {
                out[i] = lut_[out[i] & 0xFFu];
            }
        }
        break;
    case Mode::MatchKey:
        LoadRow(src_, x, y, n, out);
        for (int i = 0; i < n; ++i) {
            out[i] = out[i] == key_ ? 1u : 0u;
        }
        break;
    case Mode::Nearest:
        LoadRow(src_, x, y, n, out);
        for (int i = 0; i < n; ++i) {
            out[i] = NearestCached(out[i]);
        }
        break;
    }
}

void ExpandMono(const std::uint8_t* row, int x, int n, std::uint32_t c0, std::uint32_t c1, std::uint32_t* out) {
    int i = 0;
    for (; i < n && ((x + i) & 7) != 0; ++i) {
        const int xx = x + i;
        out[i] = ((row[xx >> 3] >> (7 - (xx & 7))) & 1u) ? c1 : c0;
    }
    const std::uint8_t* p = row + ((x + i) >> 3);
    for (; i + 8 <= n; i += 8, ++p) {
        const unsigned b = *p;
        std::uint32_t* o = out + i;
        if (b == 0) {
            o[0] = o[1] = o[2] = o[3] = o[4] = o[5] = o[6] = o[7] = c0;
        } else if (b == 0xFF) {
            o[0] = o[1] = o[2] = o[3] = o[4] = o[5] = o[6] = o[7] = c1;
        } else {
            for (int k = 0; k < 8; ++k) {
                o[k] = ((b >> (7 - k)) & 1u) ? c1 : c0;
            }
        }
    }
    for (; i < n; ++i) {
        const int xx = x + i;
        out[i] = ((row[xx >> 3] >> (7 - (xx & 7))) & 1u) ? c1 : c0;
    }
}

const std::uint32_t* Pattern::Row(int x, int y, int n, std::uint32_t* buf) const {
    if (solid) {
        for (int i = 0; i < n; ++i) {
            buf[i] = value;
        }
    } else {
        const std::uint32_t* cellRow = cells[y & 7];
        for (int i = 0; i < n; ++i) {
            buf[i] = cellRow[(x + i) & 7];
        }
    }
    return buf;
}

Pattern ResolveBrush(const BrushDesc& brush, const Surface& dst, COLORREF text, COLORREF bk) {
    Pattern p;
    switch (brush.kind) {
    case BrushDesc::Kind::Null: p.none = true; break;
    case BrushDesc::Kind::Solid: p.value = ColourToValue(dst, brush.colour); break;
    case BrushDesc::Kind::Colour8x8:
        p.solid = false;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                p.cells[y][x] = ColourToValue(dst, brush.cells[y * 8 + x]);
            }
        }
        break;
    case BrushDesc::Kind::Mono8x8: {
        p.solid = false;
        const std::uint32_t v0 = ColourToValue(dst, text);
        const std::uint32_t v1 = ColourToValue(dst, bk);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                p.cells[y][x] = ((brush.bits[y] >> (7 - x)) & 1u) ? v1 : v0;
            }
        }
        break;
    }
    }
    return p;
}

}  // namespace plat::raster
