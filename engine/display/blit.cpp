// Executing blit records: fills, plain copies, the OR of a pre-masked source, and the masked
// two-pass copy (clear the opaque pixels with the mask, then OR the source in).
#include "engine/display/blit.h"

#include <algorithm>
#include <climits>
#include <new>

namespace lvk {
namespace {

// Clears the destination where the mask is set: destination AND NOT mask.
constexpr std::uint32_t kAndNotMask = plat::ROP_DST_AND_NOT_SRC;

plat::HDC Dc(int32_t value) { return plat::HDC::FromValue(value); }

// Draws one record and returns the DC that received its picture.
plat::HDC ExecuteRecord(const BlitOp& r, plat::HDC defaultDc) {
    const plat::HDC dest = Dc(r.DestDC);
    const plat::HDC destOrDefault = r.DestDC != 0 ? dest : defaultDc;
    if (r.SourceDC == 0) {
        plat::PatBlt(destOrDefault, r.X, r.Y, r.Width, r.Height, plat::PATCOPY);
        return destOrDefault;
    }
    const plat::HDC source = Dc(r.SourceDC);
    if (r.BackDC != 0) {
        const plat::HDC back = Dc(r.BackDC);
        if (r.MaskDC == 0) {
            plat::PatBlt(back, r.X, r.Y, r.Width, r.Height, plat::WHITENESS);
        } else if (r.MaskDC != 1) {
            plat::BitBlt(back, r.X, r.Y, r.Width, r.Height, Dc(r.MaskDC), r.SourceX, r.SourceY, plat::SRCCOPY);
        }
        plat::BitBlt(destOrDefault, r.X, r.Y, r.Width, r.Height, source, r.SourceX, r.SourceY, plat::SRCCOPY);
    }
    switch (r.MaskDC) {
    case 0:
        plat::BitBlt(destOrDefault, r.X, r.Y, r.Width, r.Height, source, r.SourceX, r.SourceY, plat::SRCCOPY);
        return destOrDefault;
    case 1: plat::BitBlt(dest, r.X, r.Y, r.Width, r.Height, source, r.SourceX, r.SourceY, plat::SRCPAINT); return dest;
    default:
        plat::BitBlt(dest, r.X, r.Y, r.Width, r.Height, Dc(r.MaskDC), r.SourceX, r.SourceY, kAndNotMask);
        plat::BitBlt(dest, r.X, r.Y, r.Width, r.Height, source, r.SourceX, r.SourceY, plat::SRCPAINT);
        return dest;
    }
}

// Without memory for one more rectangle the last one grows to cover the new one as well:
// the presenter then shows more than changed, never less.
void AddChanged(std::vector<LvRect>& changed, const LvRect& r) {
    try {
        changed.push_back(r);
    } catch (const std::bad_alloc&) {
        if (changed.empty()) {
            return;
        }
        LvRect& last = changed.back();
        const int64_t left = std::min<int64_t>(last.x, r.x);
        const int64_t top = std::min<int64_t>(last.y, r.y);
        const int64_t right = std::max<int64_t>(int64_t{last.x} + last.width, int64_t{r.x} + r.width);
        const int64_t bottom = std::max<int64_t>(int64_t{last.y} + last.height, int64_t{r.y} + r.height);
        last = LvRect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                      static_cast<int32_t>(std::min<int64_t>(right - left, INT32_MAX)),
                      static_cast<int32_t>(std::min<int64_t>(bottom - top, INT32_MAX))};
    }
}

}  // namespace

int32_t ExecuteBlits(int32_t count, const BlitOp* records, plat::HDC defaultDc, std::vector<LvRect>* changed) {
    if (records == nullptr) {
        return count;
    }
    for (int32_t i = 0; i < count; ++i) {
        const BlitOp& r = records[i];
        const plat::HDC drawn = ExecuteRecord(r, defaultDc);
        if (changed != nullptr && drawn == defaultDc && defaultDc && r.Width > 0 && r.Height > 0) {
            AddChanged(*changed, LvRect{r.X, r.Y, r.Width, r.Height});
        }
    }
    return 0;
}

}  // namespace lvk

LvResult DoBlt(int32_t count, const BlitOp* records, LvHandle defaultDc) noexcept {
    return lvk::ExecuteBlits(count, records, plat::HDC(defaultDc), nullptr);
}
