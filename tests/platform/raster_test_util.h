// Small bitmaps in DCs for the raster tests, read and written as raw pixel values through the
// bitmap's memory (independently of the raster's own pixel code).
#pragma once

#include "platform/raster.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace rastertest {

using namespace plat;

inline std::uint32_t Mask(int bpp) { return bpp == 1 ? 1u : bpp == 8 ? 0xFFu : 0xFFFFFFu; }

// 0x00RRGGBB, the value a true-colour pixel holds.
inline std::uint32_t Rgb(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

class Canvas {
public:
    // A top-down DIB section (bottom-up with bottomUp), selected into its own memory DC.
    Canvas(int w, int h, int bpp, const std::vector<COLORREF>& palette = {}, bool bottomUp = false)
        : width(w), height(h), bpp(bpp) {
        DibInfo info{};
        info.header.width = w;
        info.header.height = bottomUp ? h : -h;
        info.header.bitCount = static_cast<std::uint16_t>(bpp);
        if (bpp == 1 && palette.empty()) {
            info.colors[1] = RgbQuad{255, 255, 255, 0};
        }
        info.header.clrUsed = static_cast<std::uint32_t>(palette.size());
        for (std::size_t i = 0; i < palette.size(); ++i) {
            info.colors[i] = RgbQuad{GetBValue(palette[i]), GetGValue(palette[i]), GetRValue(palette[i]), 0};
        }
        bitmap = CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, nullptr);
        dc = CreateCompatibleDC(HDC{});
        old = SelectObject(dc, bitmap);
        AccessPixels(bitmap, pixels);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    std::uint32_t Get(int x, int y) const {
        const std::uint8_t* row = pixels.topRow + pixels.stride * y;
        switch (bpp) {
        case 1: return (row[x / 8] >> (7 - x % 8)) & 1u;
        case 8: return row[x];
        case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (static_cast<std::uint32_t>(row[3 * x + 2]) << 16);
        default: {
            std::uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
        }
    }
    void Set(int x, int y, std::uint32_t v) {
        std::uint8_t* row = pixels.topRow + pixels.stride * y;
        switch (bpp) {
        case 1:
            row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(0x80u >> (x % 8))) | ((v & 1u) << (7 - x % 8)));
            break;
        case 8: row[x] = static_cast<std::uint8_t>(v); break;
        case 24:
            row[3 * x] = static_cast<std::uint8_t>(v);
            row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
            break;
        default: std::memcpy(row + 4 * x, &v, 4); break;
        }
    }
    std::vector<std::uint32_t> Values() const {
        std::vector<std::uint32_t> v;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                v.push_back(Get(x, y));
            }
        }
        return v;
    }
    void Load(const std::vector<std::uint32_t>& v) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Set(x, y, v[static_cast<std::size_t>(y * width + x)]);
            }
        }
    }
    // Random values; 8-bit values stay below the palette size when one was given.
    void Randomise(std::mt19937& rng, int paletteSize = 256) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = static_cast<std::uint32_t>(rng()) & Mask(bpp);
                if (bpp == 8) {
                    v %= static_cast<std::uint32_t>(paletteSize);
                }
                Set(x, y, v);
            }
        }
    }
    // Rows of text, one character per pixel: '.' 0, '#' 1 (for 1-bit canvases), or hex digits
    // for 8-bit indices.
    void Draw(const std::vector<std::string>& rows) {
        for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
            for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
                const char c = rows[y][x];
                Set(x, y,
                    c == '.'   ? 0u
                    : c == '#' ? 1u
                               : static_cast<std::uint32_t>(std::stoul(std::string(1, c), nullptr, 16)));
            }
        }
    }

    int width, height, bpp;
    HBITMAP bitmap;
    HBITMAP old;
    HDC dc;
    PixelAccess pixels;
};

}  // namespace rastertest
