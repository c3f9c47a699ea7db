#include "program/core/pictures/canvas_memdc.h"

#include <algorithm>

#include "program/core/pictures/canvas_hooks.h"
#include "program/core/texts/program_error.h"

namespace yov {
namespace {

constexpr int32_t kSiteDib = 28003;
constexpr int32_t kSiteMask = 28017;
constexpr int32_t kSiteCanvasFill = 18001;

struct Scratch {
    MemDC dc;
    int32_t width = 0;
    int32_t height = 0;
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

[[noreturn]] void memoryOverflow() { throw ProgramError(error_number::kMemoryOverflow, u"Memory overflow"); }

}  // namespace

void FillRectColor(plat::HDC dc, plat::HDC maskDc, int32_t x, int32_t y, int32_t width, int32_t height,
                   plat::COLORREF colour, uint32_t maskRop, int32_t) {
    if (width < 1 || height < 1) return;
    if (dc) {
        const plat::HBRUSH brush = plat::CreateSolidBrush(colour);
        const plat::HBRUSH old = plat::SelectObject(dc, brush);
        plat::PatBlt(dc, x, y, width, height, plat::PATCOPY);
        if (old) plat::SelectObject(dc, old);
        plat::DeleteObject(brush);
    }
    if (maskDc) plat::PatBlt(maskDc, x, y, width, height, maskRop);
}

plat::HBITMAP CreateDibBits(plat::HDC dc, int32_t width, int32_t height, int32_t bitDepth, void** bits, int32_t) {
    plat::DibInfo info{};
    info.header.width = width;
    info.header.height = height;  // bottom-up
    info.header.bitCount = static_cast<uint16_t>(bitDepth);
    if (bitDepth == 1) {
        info.header.clrUsed = 2;
        info.colors[1] = plat::RgbQuad{255, 255, 255, 0};
    }
    return plat::CreateDIBSection(dc, &info, plat::DIB_RGB_COLORS, bits);
}

void CreateMemoryDC(int32_t width, int32_t height, int32_t bitDepth, MemDC& out, uint32_t clearRop, int32_t site) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const plat::HDC reference{};  // memory DCs are made compatible with the screen
    MemDC made;
    made.dc = plat::CreateCompatibleDC(reference);
    if (!made.dc) memoryOverflow();
    plat::HBITMAP bitmap;
    if (bitDepth == 0) {
        // Compatible with the screen when there is no reference DC; a new memory DC would only
        // give the monochrome bitmap it starts with.
        bitmap = plat::CreateCompatibleBitmap(reference, width, height);
    } else {
        bitmap = CreateDibBits(made.dc, width, height, bitDepth, &made.bits, site != 0 ? site : kSiteDib);
    }
    if (!bitmap) {
        plat::DeleteDC(made.dc);
        memoryOverflow();
    }
    made.old = plat::SelectObject(made.dc, bitmap);
    if (clearRop != 0) plat::PatBlt(made.dc, 0, 0, width, height, clearRop);
    out = made;
}

void DeleteMemoryDC(MemDC& memDc) {
    if (!memDc.dc) return;
    const plat::HBITMAP bitmap = plat::SelectObject(memDc.dc, memDc.old);
    if (bitmap) plat::DeleteObject(bitmap);
    plat::DeleteDC(memDc.dc);
    memDc = MemDC{};
}

void CreateCanvasDC(int32_t width, int32_t height, MaskedPicture& out, int32_t bitDepth, int64_t colour,
                    uint32_t maskRop, int32_t site) {
    MaskedPicture made;
    CreateMemoryDC(width, height, bitDepth, made.picture, 0, site);
    try {
        CreateMemoryDC(width, height, 1, made.mask, 0, site != 0 ? site : kSiteMask);
    } catch (...) {
        DeleteMemoryDC(made.picture);
        throw;
    }
    if (colour >= 0) {
        FillRectColor(made.picture.dc, made.mask.dc, 0, 0, width, height, static_cast<plat::COLORREF>(colour), maskRop,
                      kSiteCanvasFill);
    }
    out = made;
}

void DeleteCanvasDC(MaskedPicture& picture) {
    DeleteMemoryDC(picture.picture);
    DeleteMemoryDC(picture.mask);
}

void CreateScratchDC(int32_t width, int32_t height) {
    Scratch& s = scratch();
    if (s.dc.dc && s.width >= width && s.height >= height) return;
    DeleteScratchDC();
    MemDC made;
    made.dc = plat::CreateCompatibleDC(plat::HDC{});
    if (!made.dc) memoryOverflow();
    const plat::HBITMAP bitmap = plat::CreateBitmap(std::max(width, 1), std::max(height, 1), 1, 1, nullptr);
    if (!bitmap) {
        plat::DeleteDC(made.dc);
        memoryOverflow();
    }
    made.old = plat::SelectObject(made.dc, bitmap);
    s.dc = made;
    s.width = width;
    s.height = height;
}

void DeleteScratchDC() {
    Scratch& s = scratch();
    DeleteMemoryDC(s.dc);
    s.width = s.height = 0;
}

const MemDC& ScratchDC() { return scratch().dc; }
int32_t ScratchWidth() { return scratch().width; }
int32_t ScratchHeight() { return scratch().height; }

}  // namespace yov
