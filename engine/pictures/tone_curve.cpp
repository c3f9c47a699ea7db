// Brightness and contrast of 32-bit picture areas (the "BC" item of vehicle pictures).
#include <cmath>

#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

float Clamped(float v) {
    if (std::isnan(v)) return 0.0f;
    return v < -1.0f ? -1.0f : v > 1.0f ? 1.0f : v;
}

}  // namespace

void ToneTable(float brightness, float contrast, uint8_t table[256]) {
    // Outside -1..1 the curve's powers run off to infinity; the caller's range is -1..1.
    const float b = Clamped(brightness);
    const float c = Clamped(contrast);
    for (int i = 0; i < 256; ++i) {
        float t = static_cast<float>(i) / 255.0f;
        t = b >= 0.0f ? t + b * (1.0f - t) : t * (b + 1.0f);

        float s = t > 0.5f ? 1.0f - t : t;
        if (s < 0.0f) s = 0.0f;
        const float exponent = c >= 0.0f ? (c == 1.0f ? 127.0f : 1.0f / (1.0f - c)) : c + 1.0f;
        const float w = std::pow(2.0f * s, exponent) / 2.0f;
        const float r = t > 0.5f ? 1.0f - w : w;

        const float v = 255.0f * r + 0.5f;
        table[i] = v < 0.0f ? 0 : v >= 255.0f ? 255 : static_cast<uint8_t>(static_cast<int>(v));
    }
}

}  // namespace lvk

LV_EXPORT LvResult BrightnessContrast(uint32_t* pixels, const uint8_t* mask, int32_t pictureWidth, int32_t, int32_t x,
                                      int32_t y, int32_t width, int32_t height, float brightness,
                                      float contrast) noexcept {
    if (pixels == nullptr || pictureWidth <= 0) return 0;
    // The area is cut to the picture's columns; the rows are the caller's to know.
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (width > pictureWidth - x) width = pictureWidth - x;
    if (width <= 0 || height <= 0) return 0;

    uint8_t table[256];
    lvk::ToneTable(brightness, contrast, table);
    const size_t maskRow = ((static_cast<size_t>(pictureWidth) + 31) / 8) & ~size_t{3};
    for (int64_t row = y; row < int64_t{y} + height; ++row) {
        uint8_t* p = reinterpret_cast<uint8_t*>(pixels + static_cast<size_t>(row) * pictureWidth);
        const uint8_t* m = mask != nullptr ? mask + static_cast<size_t>(row) * maskRow : nullptr;
        for (int32_t col = x; col < x + width; ++col) {
            if (m != nullptr && !(m[col >> 3] & (0x80 >> (col & 7)))) continue;
            uint8_t* px = p + 4 * static_cast<size_t>(col);
            px[0] = table[px[0]];
            px[1] = table[px[1]];
            px[2] = table[px[2]];
        }
    }
    return 0;
}
