#include "program/core/pictures/canvas_copy.h"

#include <algorithm>

#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/binding/engine_binding.h"

namespace yov {
namespace {

constexpr int32_t kSiteStepBeforeBands = 11601;
constexpr int32_t kSiteStepAfterBand = 11602;
constexpr int32_t kSiteStepAfterCopy = 11701;
constexpr int32_t kSiteClipped = 12001;
constexpr int32_t kSiteBehindBuffer = 32020;
constexpr int32_t kBandPixelsCopy = 20000;
constexpr int32_t kBandPixelsOther = 6000;

plat::HDC Dc(int32_t value) { return plat::HDC::FromValue(value); }

bool readsSource(uint32_t rop) {
    const uint32_t code = (rop >> 16) & 0xFF;
    return ((code >> 2) & 0x33) != (code & 0x33);
}

// The DC to draw with: a surface's, lent for the lifetime of this object, or the DC itself.
class LentDc {
public:
    LentDc(int32_t dc, LvHandle surface) : surface_(surface) {
        dc_ = surface != 0 ? plat::HDC(lv::GetDDC(surface)) : Dc(dc);
    }
    ~LentDc() {
        if (surface_ != 0 && dc_) lv::ReleaseDDC(surface_, dc_.id);
    }
    LentDc(const LentDc&) = delete;
    LentDc& operator=(const LentDc&) = delete;
    plat::HDC get() const { return dc_; }

private:
    LvHandle surface_;
    plat::HDC dc_;
};

// A draw buffer given back however the copy ends.
class ScratchBuffer {
public:
    ScratchBuffer(int32_t width, int32_t height, int32_t site) : buffer_(AllocDrawBuffer(width, height, 0, site)) {
        if (buffer_ != 0) lv::GetBufferData(buffer_, &dc_, nullptr, &x_, &y_, nullptr);
    }
    ~ScratchBuffer() { FreeDrawBuffer(buffer_); }
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;
    bool valid() const { return buffer_ != 0 && dc_ != 0; }
    int32_t dc() const { return static_cast<int32_t>(dc_); }
    int32_t x() const { return x_; }
    int32_t y() const { return y_; }

private:
    LvHandle buffer_;
    LvHandle dc_ = 0;
    int32_t x_ = 0;
    int32_t y_ = 0;
};

// The arguments of one CopyRectEx, and its steps.
struct Copy {
    int32_t destDc, destMaskDc, x, y, width, height, sourceDc, sourceMaskDc, sourceX, sourceY;
    LvHandle destSurface, sourceSurface;
    int32_t site;

    // A picture step: the destination (or its surface) from a source at the source position.
    void toDest(int32_t source, LvHandle surface, uint32_t rop, plat::HBRUSH brush = {}) const {
        BlitSurfaceDC(destDc, x, y, width, height, source, sourceX, sourceY, rop, destSurface, surface, brush, site);
    }
    // The same on the destination DC alone.
    void toDestDc(int32_t source, int32_t fromX, int32_t fromY, uint32_t rop) const {
        BlitSurfaceDC(destDc, x, y, width, height, source, fromX, fromY, rop, 0, 0, {}, site);
    }
    // The source masked in place, in its DC or in the surface that stands for it.
    void onSource(int32_t source, int32_t fromX, int32_t fromY, uint32_t rop) const {
        BlitSurfaceDC(sourceDc, sourceX, sourceY, width, height, source, fromX, fromY, rop, sourceSurface, 0, {}, site);
    }
    void toMask(int32_t source, uint32_t rop) const {
        BlitSurfaceDC(destMaskDc, x, y, width, height, source, sourceX, sourceY, rop, 0, 0, {}, site);
    }

    // The destination mask after the copies: the source mask copied (modes 1, 6 to 8) or
    // ORed in (modes 2 to 4, 12); white where there is no source mask.
    void maskCopied() const {
        if (destMaskDc == 0) return;
        if (sourceMaskDc != 0) {
            toMask(sourceMaskDc, plat::SRCCOPY);
        } else {
            toMask(0, plat::WHITENESS);
        }
    }
    void maskOred() const {
        if (destMaskDc == 0) return;
        if (sourceMaskDc != 0) {
            toMask(sourceMaskDc, plat::SRCPAINT);
        } else {
            toMask(0, plat::WHITENESS);
        }
    }

    void mirrored() const {
        {
            const LentDc dest(destDc, destSurface);
            const LentDc source(sourceDc, sourceSurface);
            plat::StretchBlt(dest.get(), x + width - 1, y, -width, height, source.get(), sourceX, sourceY, width,
                             height, plat::SRCCOPY);
        }
        if (destMaskDc != 0 && sourceMaskDc != 0) {
            plat::StretchBlt(Dc(destMaskDc), x + width - 1, y, -width, height, Dc(sourceMaskDc), sourceX, sourceY,
                             width, height, plat::SRCCOPY);
        }
    }

    void behindThroughBuffer() const {
        const ScratchBuffer buffer(width, height, site);
        if (!buffer.valid()) return;
        BlitSurfaceDC(buffer.dc(), buffer.x(), buffer.y(), width, height, sourceDc, sourceX, sourceY, plat::SRCCOPY, 0,
                      0, {}, site);
        BlitSurfaceDC(buffer.dc(), buffer.x(), buffer.y(), width, height, destMaskDc, x, y, kRopAndNotSource, 0, 0, {},
                      site);
        toDestDc(destMaskDc, x, y, plat::SRCAND);
        toDestDc(buffer.dc(), buffer.x(), buffer.y(), plat::SRCPAINT);
        maskOred();
    }

    void run(int32_t mode) const {
        switch (mode) {
        case 1:
            toDest(sourceDc, sourceSurface, plat::SRCCOPY);
            maskCopied();
            break;
        case 2:
            if (sourceMaskDc == 0) {
                run(1);
                break;
            }
            onSource(sourceMaskDc, sourceX, sourceY, plat::SRCAND);
            toDest(sourceMaskDc, 0, kRopAndNotSource);
            toDest(sourceDc, sourceSurface, plat::SRCPAINT);
            maskOred();
            break;
        case 3:
            if (destSurface != 0 && sourceSurface != 0) {
                lv::DDBlt(destSurface, x, y, width, height, sourceSurface, sourceX, sourceY, 1, site);
                break;
            }
            if (sourceMaskDc != 0) toDest(sourceMaskDc, 0, kRopAndNotSource);
            toDest(sourceDc, sourceSurface, plat::SRCPAINT);
            maskOred();
            break;
        case 4:
            onSource(destMaskDc, x, y, kRopAndNotSource);
            toDestDc(destMaskDc, x, y, plat::SRCAND);
            toDest(sourceDc, sourceSurface, plat::SRCPAINT);
            maskOred();
            break;
        case 5: mirrored(); break;
        case 6:
        case 7:
        case 8:
            toDest(sourceDc, 0, plat::SRCCOPY);  // a source surface stands in only in modes 1 to 4
            toDest(sourceMaskDc, 0, plat::SRCAND);
            if (mode != 6) {
                const plat::HBRUSH brush = showBrush(mode - 6);
                toDest(sourceMaskDc, 0, kRopBrushWhereClear, brush);
            }
            maskCopied();
            break;
        case 9:
            FillRectColor(Dc(destDc), Dc(destMaskDc), x, y, width, height, static_cast<plat::COLORREF>(sourceDc),
                          static_cast<uint32_t>(sourceMaskDc), site);
            break;
        case 10: toDestDc(sourceDc, sourceX, sourceY, plat::SRCAND); break;
        case 11: toDestDc(sourceDc, sourceX, sourceY, plat::SRCPAINT); break;
        case 12: behindThroughBuffer(); break;
        case 13:
            toDestDc(0, 0, 0, plat::BLACKNESS);
            if (destMaskDc != 0) toMask(0, plat::BLACKNESS);
            break;
        default: break;
        }
    }
};

}  // namespace

void BlitSurfaceDC(int32_t destDc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceDc,
                   int32_t sourceX, int32_t sourceY, uint32_t rop, LvHandle destSurface, LvHandle sourceSurface,
                   plat::HBRUSH select, int32_t) {
    if ((destDc == 0 && destSurface == 0) || width < 1 || height < 1) return;
    const bool withSource = readsSource(rop);
    if (withSource && sourceDc == 0 && sourceSurface == 0) return;

    auto copyRows = [&](int32_t row, int32_t rows) {
        const LentDc dest(destDc, destSurface);
        const LentDc source(withSource ? sourceDc : 0, withSource ? sourceSurface : 0);
        const plat::HBRUSH old = select ? plat::SelectObject(dest.get(), select) : plat::HBRUSH{};
        plat::BitBlt(dest.get(), x, y + row, width, rows, source.get(), sourceX, sourceY + row, rop);
        if (old) plat::SelectObject(dest.get(), old);
    };

    if (trainsInMotion() == 0 || stepInProgress()) {
        copyRows(0, height);
        return;
    }
    const int32_t rowsPerBand =
        std::max(1, ((rop & 0xFFFFFF) == plat::SRCCOPY ? kBandPixelsCopy : kBandPixelsOther) / width);
    drawingStep(kSiteStepBeforeBands);
    for (int32_t row = 0; row < height; row += rowsPerBand) {
        copyRows(row, std::min(rowsPerBand, height - row));
        drawingStep(kSiteStepAfterBand);
    }
}

void CopyRectEx(int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                int32_t sourceDc, int32_t sourceMaskDc, int32_t sourceX, int32_t sourceY, int32_t mode,
                int32_t maskFlag, LvHandle destSurface, LvHandle sourceSurface, int32_t site) {
    if (width < 1 || height < 1) return;
    const Copy copy{destDc,      maskFlag != 0 ? destMaskDc : 0,
                    x,           y,
                    width,       height,
                    sourceDc,    sourceMaskDc,
                    sourceX,     sourceY,
                    destSurface, sourceSurface,
                    site};
    copy.run(mode);
    drawingStep(kSiteStepAfterCopy);
}

ClipState& clipState() {
    static ClipState state;
    return state;
}

void CopyRectClipped(int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                     int32_t destXOrigin, int32_t destYOrigin, int32_t mode, LvHandle destSurface) {
    const ClipState& c = clipState();
    const int32_t left = std::max(x, c.left);
    const int32_t top = std::max(y, c.top);
    const int32_t right = std::min(x + width, c.right);
    const int32_t bottom = std::min(y + height, c.bottom);
    if (right <= left || bottom <= top) return;
    CopyRectEx(destDc, destMaskDc, left + destXOrigin, destYOrigin - bottom, right - left, bottom - top, c.sourceDc,
               c.sourceMaskDc, left + c.sourceXOffset, c.yOrigin - bottom, mode, 1, destSurface, 0, kSiteClipped);
}

int32_t BlitFromBuffer(const PictureBox& box, int32_t destDc, int32_t destMaskDc, int32_t x, int32_t y,
                       int32_t totalWidth, int32_t heightLimit, bool behind) {
    if (box.width < 1 || box.height < 1 || totalWidth < 1) return 0;
    int32_t height = box.height;
    if (heightLimit == 0) {
        y -= box.height;
    } else if (heightLimit < height) {
        height = heightLimit;
    }
    if (height < 1) return 0;
    const plat::HDC dest = Dc(destDc);
    if (!behind) {
        for (int32_t x0 = 0; x0 < totalWidth; x0 += box.width) {
            plat::BitBlt(dest, x + x0, y, std::min(totalWidth - x0, box.width), height, box.dc, 0, 0, plat::SRCCOPY);
        }
    } else {
        const ScratchBuffer buffer(box.width, box.height, kSiteBehindBuffer);
        if (!buffer.valid()) return 0;
        const plat::HDC bufferDc = Dc(buffer.dc());
        for (int32_t x0 = 0; x0 < totalWidth; x0 += box.width) {
            const int32_t band = std::min(totalWidth - x0, box.width);
            plat::BitBlt(bufferDc, buffer.x(), buffer.y(), band, height, box.dc, 0, 0, plat::SRCCOPY);
            plat::BitBlt(bufferDc, buffer.x(), buffer.y(), band, height, Dc(destMaskDc), x + x0, y, kRopAndNotSource);
            plat::BitBlt(dest, x + x0, y, band, height, bufferDc, buffer.x(), buffer.y(), plat::SRCPAINT);
        }
    }
    if (destMaskDc != 0) plat::PatBlt(Dc(destMaskDc), x, y, totalWidth, height, plat::WHITENESS);
    return height;
}

}  // namespace yov
