// The same-size rectangle calls on DCs: BitBlt, PatBlt and FillRect.
#include "platform/raster_objects.h"
#include "platform/raster_rop.h"

#include <algorithm>

namespace plat {

using namespace raster;

namespace raster {
CopyContext MakeCopyContext(const DcSnapshot& d, const DcSnapshot& s, bool usesPattern) {
    CopyContext c;
    c.rules.dstText = d.text;
    c.rules.dstBk = d.bk;
    c.rules.srcBk = s.bk;
    if (usesPattern) {
        c.pattern = ResolveBrush(d.brush->desc, d.bitmap->surface, d.text, d.bk);
    }
    return c;
}
}  // namespace raster

bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, std::uint32_t rop) {
    const RopPlan plan = PlanRop(rop);
    DcSnapshot d, s;
    if (!SnapshotDcs(dst, d, src, s, plan.useS)) {
        return false;
    }
    const CopyContext c = MakeCopyContext(d, s, plan.useP);
    return BlitSurfaces(d.bitmap->surface, x, y, width, height, plan.useS ? &s.bitmap->surface : nullptr, srcX, srcY,
                        plan, c.pattern, c.rules);
}

bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop) {
    const RopPlan plan = PlanRop(rop);
    if (plan.useS) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return false;
    }
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return false;
    }
    const Pattern pattern = plan.useP ? ResolveBrush(d.brush->desc, d.bitmap->surface, d.text, d.bk) : Pattern{};
    return BlitSurfaces(d.bitmap->surface, x, y, width, height, nullptr, 0, 0, plan, pattern, ConvertRules{});
}

bool FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (rect == nullptr) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return false;
    }
    DcSnapshot d;
    if (!SnapshotDc(dc, d)) {
        return false;
    }
    const auto b = LookupBrush(brush);
    if (!b) {
        return false;
    }
    const long long w = static_cast<long long>(rect->right) - rect->left;
    const long long h = static_cast<long long>(rect->bottom) - rect->top;
    if (w <= 0 || h <= 0) {
        return true;
    }
    const RopPlan plan = PlanRop(PATCOPY);
    const Pattern pattern = ResolveBrush(b->desc, d.bitmap->surface, d.text, d.bk);
    // Extents beyond int range are clipped by the bitmap anyway.
    const int wi = static_cast<int>(std::min<long long>(w, 1LL << 30));
    const int hi = static_cast<int>(std::min<long long>(h, 1LL << 30));
    return BlitSurfaces(d.bitmap->surface, rect->left, rect->top, wi, hi, nullptr, 0, 0, plan, pattern, ConvertRules{});
}

bool GdiFlush() { return true; }

}  // namespace plat
