// Single pixels and flood fill.
#include "platform/raster_objects.h"
#include "platform/raster_rop.h"

#include <new>
#include <vector>

namespace plat::raster {

namespace {

struct Span {
    int y;
    int x0;
    int x1;  // inclusive
};

// The connected (4-neighbour) area around the seed whose pixels satisfy inside(), as row spans.
// Scanline fill with an explicit stack: no recursion, each pixel visited once.
template <class Inside>
std::vector<Span> FindArea(const Surface& s, int seedX, int seedY, Inside inside) {
    std::vector<Span> spans;
    const std::size_t pixels = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
    std::vector<std::uint64_t> seen((pixels + 63) / 64, 0);
    auto index = [&](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) + static_cast<std::size_t>(x);
    };
    auto visited = [&](int x, int y) { return ((seen[index(x, y) / 64] >> (index(x, y) % 64)) & 1u) != 0; };
    auto visit = [&](int x, int y) { seen[index(x, y) / 64] |= std::uint64_t{1} << (index(x, y) % 64); };
    std::uint32_t* row = ScratchValues(5, static_cast<std::size_t>(s.width));
    std::vector<std::pair<int, int>> stack{{seedX, seedY}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (visited(x, y)) {
            continue;
        }
        if (!inside(ReadValue(s, x, y))) {
            continue;
        }
        int x0 = x;
        int x1 = x;
        while (x0 > 0 && !visited(x0 - 1, y) && inside(ReadValue(s, x0 - 1, y))) {
            --x0;
        }
        while (x1 + 1 < s.width && !visited(x1 + 1, y) && inside(ReadValue(s, x1 + 1, y))) {
            ++x1;
        }
        for (int i = x0; i <= x1; ++i) {
            visit(i, y);
        }
        spans.push_back(Span{y, x0, x1});
        for (const int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= s.height) {
                continue;
            }
            LoadRow(s, x0, ny, x1 - x0 + 1, row);
            bool inRun = false;
            for (int i = x0; i <= x1; ++i) {
                const bool candidate = !visited(i, ny) && inside(row[i - x0]);
                if (candidate && !inRun) {
                    stack.emplace_back(i, ny);
                }
                inRun = candidate;
            }
        }
    }
    return spans;
}

}  // namespace

}  // namespace plat::raster

namespace plat {

using namespace raster;

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return CLR_INVALID;
    }
    const Surface& s = d.bitmap->surface;
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return CLR_INVALID;
    }
    const std::uint32_t value = ColourToValue(s, colour);
    WriteValue(s, x, y, value);
    return ValueToColour(s, value);
}

bool SetPixelV(HDC dc, int x, int y, COLORREF colour) { return SetPixel(dc, x, y, colour) != CLR_INVALID; }

COLORREF GetPixel(HDC dc, int x, int y) {
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return CLR_INVALID;
    }
    const Surface& s = d.bitmap->surface;
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) {
        return CLR_INVALID;
    }
    return ValueToColour(s, ReadValue(s, x, y));
}

bool ExtFloodFill(HDC dc, int x, int y, COLORREF colour, unsigned fillType) {
    if (fillType != FLOODFILLBORDER && fillType != FLOODFILLSURFACE) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return false;
    }
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return false;
    }
    const Surface& s = d.bitmap->surface;
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) {
        return false;
    }
    // The colour is compared as the destination would store it (the nearest palette entry).
    const std::uint32_t target = ColourToValue(s, colour);
    const bool surface = fillType == FLOODFILLSURFACE;
    const std::uint32_t start = ReadValue(s, x, y);
    if (surface ? start != target : start == target) {
        return false;
    }
    const Pattern pattern = ResolveBrush(d.brush->desc, s, d.text, d.bk);
    if (pattern.none) {
        return true;
    }
    try {
        const std::vector<Span> spans = surface ? FindArea(s, x, y, [&](std::uint32_t v) { return v == target; })
                                                : FindArea(s, x, y, [&](std::uint32_t v) { return v != target; });
        const RopPlan plan = PlanRop(PATCOPY);
        for (const Span& span : spans) {
            ApplyRow(s, span.x0, span.y, span.x1 - span.x0 + 1, SourceRow{}, pattern, plan);
        }
    } catch (const std::bad_alloc&) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

}  // namespace plat
