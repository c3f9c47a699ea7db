#include "program/trains/picture_file.h"

#include <QImage>
#include <QString>

#include <cstring>

namespace yov {

namespace {
constexpr int32_t kSitePicture = 29011;
constexpr int32_t kSiteMask = 29012;
constexpr int32_t kMaxSide = 16384;  // larger pictures are refused instead of filling memory
}  // namespace

void FreeLoadedPicture(LoadedPicture& picture) {
    DeleteCanvasDC(picture.dcs);
    picture.width = 0;
    picture.height = 0;
}

bool LoadPictureFile(const std::string& path, LoadedPicture& out) {
    FreeLoadedPicture(out);
    if (path.empty()) return false;
    QImage image;
    if (!image.load(QString::fromStdString(path))) return false;
    if (image.width() < 1 || image.height() < 1 || image.width() > kMaxSide || image.height() > kMaxSide) {
        return false;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    const int32_t w = image.width();
    const int32_t h = image.height();
    CreateMemoryDC(w, h, 32, out.dcs.picture, plat::BLACKNESS, kSitePicture);
    CreateMemoryDC(w, h, 1, out.dcs.mask, plat::BLACKNESS, kSiteMask);
    auto* pixels = static_cast<uint8_t*>(out.dcs.picture.bits);
    auto* mask = static_cast<uint8_t*>(out.dcs.mask.bits);
    if (pixels == nullptr || mask == nullptr) {
        DeleteCanvasDC(out.dcs);
        return false;
    }
    const size_t maskStride = static_cast<size_t>((w + 31) / 32) * 4;
    for (int32_t r = 0; r < h; ++r) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(r));
        // Both DIB sections are bottom-up.
        uint8_t* row = pixels + static_cast<size_t>(h - 1 - r) * static_cast<size_t>(w) * 4;
        uint8_t* maskRow = mask + static_cast<size_t>(h - 1 - r) * maskStride;
        for (int32_t c = 0; c < w; ++c) {
            const QRgb p = src[c];
            if (qAlpha(p) < 128) continue;  // stays black and clear
            row[c * 4 + 0] = static_cast<uint8_t>(qBlue(p));
            row[c * 4 + 1] = static_cast<uint8_t>(qGreen(p));
            row[c * 4 + 2] = static_cast<uint8_t>(qRed(p));
            maskRow[c / 8] = static_cast<uint8_t>(maskRow[c / 8] | (0x80 >> (c % 8)));
        }
    }
    out.width = w;
    out.height = h;
    return true;
}

bool SaveDcAsPng(int32_t dc, int32_t width, int32_t height, const std::string& path) {
    if (width < 1 || height < 1) return false;
    QImage image(width, height, QImage::Format_RGB32);
    const plat::HDC source = plat::HDC::FromValue(dc);
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < width; ++x) {
            const plat::COLORREF c = plat::GetPixel(source, x, y);
            row[x] = qRgb(plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c));
        }
    }
    return image.save(QString::fromStdString(path), "PNG");
}

}  // namespace yov
