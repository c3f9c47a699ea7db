#include "platform/raster_stretch.h"
#include "platform/raster_objects.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

namespace plat::raster {

namespace {

typedef std::uint32_t V4 __attribute__((vector_size(16)));

// One destination column (or row) and the source columns that fall on it, lo <= hi.
struct Sample {
    int dst;
    int lo;
    int hi;
};

// The destination coordinates of an axis that lie inside the destination, ascending, each with
// its source range inside the source. Destination index i (counted from the origin in the
// extent's direction) takes source index floor((2i + 1) * S / 2D), the source pixel under its
// centre; with box set and S > D it takes the whole run floor(i * S / D) .. floor((i + 1) * S / D) - 1.
std::vector<Sample> BuildAxis(int d0, int dn, int s0, int sn, int dstLimit, int srcLimit, bool box) {
    std::vector<Sample> out;
    const long long D = dn < 0 ? -static_cast<long long>(dn) : dn;
    const long long S = sn < 0 ? -static_cast<long long>(sn) : sn;
    const int dirD = dn < 0 ? -1 : 1;
    const int dirS = sn < 0 ? -1 : 1;
    long long first, end;
    if (dirD > 0) {
        first = std::max(0LL, -static_cast<long long>(d0));
        end = std::min(D, static_cast<long long>(dstLimit) - d0);
    } else {
        first = std::max(0LL, static_cast<long long>(d0) - dstLimit + 1);
        end = std::min(D, static_cast<long long>(d0) + 1);
    }
    if (end > first) {
        out.reserve(static_cast<std::size_t>(end - first));
    }
    for (long long i = first; i < end; ++i) {
        long long k0, k1;
        if (box && S > D) {
            k0 = i * S / D;
            k1 = (i + 1) * S / D - 1;
        } else {
            k0 = k1 = (2 * i + 1) * S / (2 * D);
        }
        const long long a = s0 + dirS * k0;
        const long long b = s0 + dirS * k1;
        const long long lo = std::max(std::min(a, b), 0LL);
        const long long hi = std::min(std::max(a, b), static_cast<long long>(srcLimit) - 1);
        if (lo > hi) {
            continue;
        }
        out.push_back(Sample{static_cast<int>(d0 + dirD * i), static_cast<int>(lo), static_cast<int>(hi)});
    }
    if (dirD < 0) {
        std::reverse(out.begin(), out.end());
    }
    return out;
}

// Calls f(first, count) for each run of consecutive destination coordinates.
template <class F>
void ForEachRun(const std::vector<Sample>& cols, F f) {
    std::size_t start = 0;
    for (std::size_t j = 1; j <= cols.size(); ++j) {
        if (j == cols.size() || cols[j].dst != cols[j - 1].dst + 1) {
            f(start, j - start);
            start = j;
        }
    }
}

struct SourceBox {
    int colMin, colMax, rowMin, rowMax;
};

SourceBox Bounds(const std::vector<Sample>& cols, const std::vector<Sample>& rows) {
    SourceBox b{cols.front().lo, cols.front().hi, rows.front().lo, rows.front().hi};
    for (const Sample& c : cols) {
        b.colMin = std::min(b.colMin, c.lo);
        b.colMax = std::max(b.colMax, c.hi);
    }
    for (const Sample& r : rows) {
        b.rowMin = std::min(b.rowMin, r.lo);
        b.rowMax = std::max(b.rowMax, r.hi);
    }
    return b;
}

// The source to read: the surface itself, or a copy of the box when it shares memory with the
// destination area. Coordinates in the view are source coordinates minus (offX, offY).
struct SourceView {
    OwnedSurface copy;
    const Surface* surface = nullptr;
    int offX = 0;
    int offY = 0;
};

void PrepareSource(const Surface& dst, const std::vector<Sample>& cols, const std::vector<Sample>& rows,
                   const Surface& src, const SourceBox& box, SourceView& view) {
    const int dx = cols.front().dst;
    const int dy = rows.front().dst;
    const int dw = cols.back().dst - dx + 1;
    const int dh = rows.back().dst - dy + 1;
    const int sw = box.colMax - box.colMin + 1;
    const int sh = box.rowMax - box.rowMin + 1;
    if (MemoryOverlaps(dst, dx, dy, dw, dh, src, box.colMin, box.rowMin, sw, sh)) {
        CopyRect(src, box.colMin, box.rowMin, sw, sh, view.copy);
        view.surface = &view.copy.surface;
        view.offX = box.colMin;
        view.offY = box.rowMin;
    } else {
        view.surface = &src;
    }
}

enum class Reduce { Nearest, And, Or, Average };

}  // namespace

static bool StretchSurfacesUnguarded(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy,
                                     int sw, int sh, const RopPlan& plan, const Pattern& pattern,
                                     const ConvertRules& rules, int stretchMode) {
    if (plan.useS && src == nullptr) {
        return false;
    }
    if (w == 0 || h == 0) {
        return true;
    }
    // Normalised rectangles in 64 bits: a negative extent covers origin + extent + 1 .. origin.
    const long long left = w > 0 ? x : static_cast<long long>(x) + w + 1;
    const long long top = h > 0 ? y : static_cast<long long>(y) + h + 1;
    const long long width = w > 0 ? w : -static_cast<long long>(w);
    const long long height = h > 0 ? h : -static_cast<long long>(h);
    if (!plan.useS) {
        // Only the part over the bitmap matters; the pattern stays aligned to the bitmap.
        const long long l = std::max(left, -1LL), t = std::max(top, -1LL);
        const long long r = std::min(left + width, dst.width + 1LL), b = std::min(top + height, dst.height + 1LL);
        if (r <= l || b <= t) {
            return true;
        }
        return BlitSurfaces(dst, static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
                            static_cast<int>(b - t), nullptr, 0, 0, plan, pattern, rules);
    }
    if (sw == 0 || sh == 0) {
        return true;
    }
    if (w == sw && h == sh) {
        const long long srcLeft = sw > 0 ? sx : static_cast<long long>(sx) + sw + 1;
        const long long srcTop = sh > 0 ? sy : static_cast<long long>(sy) + sh + 1;
        auto fits = [](long long v) { return v >= INT_MIN && v <= INT_MAX; };
        if (fits(left) && fits(top) && fits(width) && fits(height) && fits(srcLeft) && fits(srcTop)) {
            return BlitSurfaces(dst, static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                                static_cast<int>(height), src, static_cast<int>(srcLeft), static_cast<int>(srcTop),
                                plan, pattern, rules);
        }
    }
    if (plan.useP && pattern.none) {
        return true;
    }

    Reduce reduce = Reduce::Nearest;
    if (stretchMode == BLACKONWHITE) {
        reduce = Reduce::And;
    } else if (stretchMode == WHITEONBLACK) {
        reduce = Reduce::Or;
    } else if (stretchMode == HALFTONE && !dst.Indexed()) {
        reduce = Reduce::Average;
    }
    const bool shrinks =
        (sw < 0 ? -static_cast<long long>(sw) : sw) > width || (sh < 0 ? -static_cast<long long>(sh) : sh) > height;
    if (!shrinks) {
        reduce = Reduce::Nearest;
    }
    const bool box = reduce != Reduce::Nearest;
    const std::vector<Sample> cols = BuildAxis(x, w, sx, sw, dst.width, src->width, box);
    const std::vector<Sample> rows = BuildAxis(y, h, sy, sh, dst.height, src->height, box);
    if (cols.empty() || rows.empty()) {
        return true;
    }
    const SourceBox bounds = Bounds(cols, rows);
    SourceView view;
    PrepareSource(dst, cols, rows, *src, bounds, view);
    const RowConverter converter(*view.surface, dst, rules);

    const int span = bounds.colMax - bounds.colMin + 1;
    const std::size_t n = cols.size();
    std::uint32_t* line = ScratchValues(3, static_cast<std::size_t>(span));
    std::uint32_t* values = ScratchValues(4, n);
    std::vector<std::uint64_t> sums(reduce == Reduce::Average ? n * 4 : 0);
    int cachedRow = -1;
    auto loadLine = [&](int sourceRow) {
        if (sourceRow != cachedRow) {
            converter.Convert(bounds.colMin - view.offX, sourceRow - view.offY, span, line);
            cachedRow = sourceRow;
        }
    };

    std::vector<std::pair<std::size_t, std::size_t>> runs;
    ForEachRun(cols, [&](std::size_t first, std::size_t count) { runs.emplace_back(first, count); });

    // Same width, upright or mirrored: the columns step through the source one by one.
    int step = 0;
    if (reduce == Reduce::Nearest && n > 1 && (w == sw || static_cast<long long>(w) == -static_cast<long long>(sw))) {
        step = cols[1].lo - cols[0].lo;
        for (std::size_t j = 1; j < n && step != 0; ++j) {
            if (cols[j].lo - cols[j - 1].lo != step || cols[j].dst != cols[j - 1].dst + 1) {
                step = 0;
            }
        }
    }

    for (const Sample& r : rows) {
        if (reduce == Reduce::Nearest) {
            loadLine(r.lo);
            if (step == -1) {
                const std::uint32_t* from = line + (cols[0].lo - bounds.colMin);
                for (std::size_t j = 0; j < n; ++j) {
                    values[j] = from[-static_cast<std::ptrdiff_t>(j)];
                }
            } else {
                for (std::size_t j = 0; j < n; ++j) {
                    values[j] = line[cols[j].lo - bounds.colMin];
                }
            }
        } else if (reduce == Reduce::Average) {
            std::fill(sums.begin(), sums.end(), 0);
            for (int sr = r.lo; sr <= r.hi; ++sr) {
                loadLine(sr);
                for (std::size_t j = 0; j < n; ++j) {
                    std::uint64_t* acc = &sums[j * 4];
                    for (int c = cols[j].lo; c <= cols[j].hi; ++c) {
                        const std::uint32_t v = line[c - bounds.colMin];
                        acc[0] += (v >> 16) & 0xFFu;
                        acc[1] += (v >> 8) & 0xFFu;
                        acc[2] += v & 0xFFu;
                        acc[3] += 1;
                    }
                }
            }
            for (std::size_t j = 0; j < n; ++j) {
                const std::uint64_t* acc = &sums[j * 4];
                const std::uint64_t half = acc[3] / 2;
                values[j] = static_cast<std::uint32_t>(((acc[0] + half) / acc[3]) << 16 |
                                                       ((acc[1] + half) / acc[3]) << 8 | ((acc[2] + half) / acc[3]));
            }
        } else {
            const std::uint32_t start = reduce == Reduce::And ? ValueMask(dst.bpp) : 0u;
            std::fill(values, values + n, start);
            for (int sr = r.lo; sr <= r.hi; ++sr) {
                loadLine(sr);
                for (std::size_t j = 0; j < n; ++j) {
                    for (int c = cols[j].lo; c <= cols[j].hi; ++c) {
                        const std::uint32_t v = line[c - bounds.colMin];
                        values[j] = reduce == Reduce::And ? (values[j] & v) : (values[j] | v);
                    }
                }
            }
        }
        for (const auto& [first, count] : runs) {
            SourceRow sr;
            sr.values = values + first;
            ApplyRow(dst, cols[first].dst, r.dst, static_cast<int>(count), sr, pattern, plan);
        }
    }
    return true;
}

bool StretchSurfaces(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, int sw, int sh,
                     const RopPlan& plan, const Pattern& pattern, const ConvertRules& rules, int stretchMode) {
    try {
        return StretchSurfacesUnguarded(dst, x, y, w, h, src, sx, sy, sw, sh, plan, pattern, rules, stretchMode);
    } catch (const std::bad_alloc&) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

namespace {

// The part of a same-size, same-direction axis that lies on both bitmaps: what BuildAxis gives
// for it, one source index per destination index, found without sampling.
struct Span {
    int dst = 0;
    int src = 0;
    int n = 0;
};
Span ClipSpan(int d0, int s0, int n, int dstLimit, int srcLimit) {
    const long long first = std::max({0LL, -static_cast<long long>(d0), -static_cast<long long>(s0)});
    const long long end = std::min(
        {static_cast<long long>(n), static_cast<long long>(dstLimit) - d0, static_cast<long long>(srcLimit) - s0});
    if (end <= first) {
        return {};
    }
    return {static_cast<int>(d0 + first), static_cast<int>(s0 + first), static_cast<int>(end - first)};
}

// Copies the pixels of a row that are not the key, four at a time.
void KeyRow32(std::uint8_t* dp, const std::uint8_t* sp, int n, std::uint32_t keyValue) {
    const V4 mask = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
    const V4 keys = {keyValue, keyValue, keyValue, keyValue};
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        V4 sv, dv;
        std::memcpy(&sv, sp + i * 4, 16);
        std::memcpy(&dv, dp + i * 4, 16);
        sv &= mask;
        const V4 keep = (V4)(sv == keys);
        dv = (dv & keep) | (sv & ~keep);
        std::memcpy(dp + i * 4, &dv, 16);
    }
    for (; i < n; ++i) {
        std::uint32_t v;
        std::memcpy(&v, sp + i * 4, 4);
        v &= 0x00FFFFFFu;
        if (v != keyValue) {
            std::memcpy(dp + i * 4, &v, 4);
        }
    }
}

}  // namespace

static bool KeySurfacesUnguarded(const Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                                 int sw, int sh, COLORREF key, const ConvertRules& rules) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0) {
        return true;
    }
    // The usual case, a same-size copy between 32-bit bitmaps that do not share the memory:
    // clipped by arithmetic, each row at once. Sampling each column and row cost as much as
    // the copy for the many small pieces of a frame.
    if (w == sw && h == sh && w > 0 && h > 0 && src.bpp == 32 && dst.bpp == 32) {
        const Span cols = ClipSpan(x, sx, w, dst.width, src.width);
        const Span rows = ClipSpan(y, sy, h, dst.height, src.height);
        if (cols.n == 0 || rows.n == 0) {
            return true;
        }
        if (!MemoryOverlaps(dst, cols.dst, rows.dst, cols.n, rows.n, src, cols.src, rows.src, cols.n, rows.n)) {
            const std::uint32_t keyValue = ColourToRgbValue(key);
            for (int r = 0; r < rows.n; ++r) {
                KeyRow32(dst.Row(rows.dst + r) + static_cast<std::ptrdiff_t>(cols.dst) * 4,
                         src.Row(rows.src + r) + static_cast<std::ptrdiff_t>(cols.src) * 4, cols.n, keyValue);
            }
            return true;
        }
    }
    const std::vector<Sample> cols = BuildAxis(x, w, sx, sw, dst.width, src.width, false);
    const std::vector<Sample> rows = BuildAxis(y, h, sy, sh, dst.height, src.height, false);
    if (cols.empty() || rows.empty()) {
        return true;
    }
    const SourceBox bounds = Bounds(cols, rows);
    SourceView view;
    PrepareSource(dst, cols, rows, src, bounds, view);
    const Surface& s = *view.surface;

    bool keyIndex[256] = {};
    const std::uint32_t keyValue = ColourToRgbValue(key);
    if (s.Indexed()) {
        for (int i = 0; i < (1 << s.bpp); ++i) {
            keyIndex[i] = ValueToColour(s, static_cast<std::uint32_t>(i)) == (key & 0x00FFFFFFu);
        }
    }

    // A same-size copy between 32-bit bitmaps that share memory, from the copy of its source.
    const bool straight = w == sw && h == sh && w > 0 && h > 0;
    if (straight && s.bpp == 32 && dst.bpp == 32) {
        const int n = static_cast<int>(cols.size());
        for (const Sample& r : rows) {
            KeyRow32(dst.Row(r.dst) + static_cast<std::ptrdiff_t>(cols[0].dst) * 4,
                     s.Row(r.lo - view.offY) + static_cast<std::ptrdiff_t>(cols[0].lo - view.offX) * 4, n, keyValue);
        }
        return true;
    }

    const RowConverter converter(s, dst, rules);
    const int span = bounds.colMax - bounds.colMin + 1;
    std::uint32_t* raw = ScratchValues(3, static_cast<std::size_t>(span));
    std::uint32_t* line = ScratchValues(4, static_cast<std::size_t>(span));
    std::uint32_t* out = ScratchValues(5, cols.size());
    for (const Sample& r : rows) {
        const int row = r.lo - view.offY;
        LoadRow(s, bounds.colMin - view.offX, row, span, raw);
        converter.Convert(bounds.colMin - view.offX, row, span, line);
        ForEachRun(cols, [&](std::size_t first, std::size_t count) {
            LoadRow(dst, cols[first].dst, r.dst, static_cast<int>(count), out);
            for (std::size_t j = 0; j < count; ++j) {
                const int c = cols[first + j].lo - bounds.colMin;
                const bool isKey = s.Indexed() ? keyIndex[raw[c] & 0xFFu] : raw[c] == keyValue;
                if (!isKey) {
                    out[j] = line[c];
                }
            }
            StoreRow(dst, cols[first].dst, r.dst, static_cast<int>(count), out);
        });
    }
    return true;
}

bool KeySurfaces(const Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw, int sh,
                 COLORREF key, const ConvertRules& rules) {
    try {
        return KeySurfacesUnguarded(dst, x, y, w, h, src, sx, sy, sw, sh, key, rules);
    } catch (const std::bad_alloc&) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

}  // namespace plat::raster

namespace plat {

using namespace raster;

bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                std::uint32_t rop) {
    const RopPlan plan = PlanRop(rop);
    DcSnapshot d, s;
    if (!SnapshotDcs(dst, d, src, s, plan.useS)) {
        return false;
    }
    const CopyContext c = MakeCopyContext(d, s, plan.useP);
    return StretchSurfaces(d.bitmap->surface, x, y, width, height, plan.useS ? &s.bitmap->surface : nullptr, srcX, srcY,
                           srcWidth, srcHeight, plan, c.pattern, c.rules, d.stretchMode);
}

bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, COLORREF transparent) {
    DcSnapshot d, s;
    if (!SnapshotDcs(dst, d, src, s, true)) {
        return false;
    }
    if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return false;
    }
    ConvertRules rules;
    rules.dstText = d.text;
    rules.dstBk = d.bk;
    rules.srcBk = s.bk;
    return KeySurfaces(d.bitmap->surface, x, y, width, height, s.bitmap->surface, srcX, srcY, srcWidth, srcHeight,
                       transparent, rules);
}

}  // namespace plat
