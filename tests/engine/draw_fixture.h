// Pictures loaded as the current picture, 32-bit canvases and 1-bit masks to draw into, and
// a plain model of what a drawn part must look like, for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/base/engine_state.h"
#include "engine/pictures/loader.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/raster_test_util.h"

namespace drawtest {

inline constexpr uint32_t kSentinel = 0x123456;  // what a canvas holds where nothing is drawn

// A 32-bit canvas (0x00RRGGBB values) filled with the sentinel.
struct Canvas : rastertest::Canvas {
    Canvas(int w, int h) : rastertest::Canvas(w, h, 32) { Fill(kSentinel); }
    void Fill(uint32_t v) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, v);
    }
    LvHandle Dc() const { return dc.id; }
};

// A 1-bit mask canvas read as rows of '#' (1) and '.' (0).
struct MaskCanvas : rastertest::Canvas {
    MaskCanvas(int w, int h, bool set = false) : rastertest::Canvas(w, h, 1) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Set(x, y, set ? 1 : 0);
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) row += Get(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    LvHandle Dc() const { return dc.id; }
};

// The colours of the current picture as drawn without translation: palette entries, the
// program's colour for the transparent index, or the true-colour pixels.
struct Model {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0x00RRGGBB, rows top first
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

inline uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b; }

inline Model CurrentModel(uint32_t transparentColour = 0) {
    const lvk::CurrentPicture& p = lvk::CurPic();
    Model m;
    m.width = p.Header.Width;
    m.height = p.Header.Height;
    const bool keyed = (p.Header.Flags & lvk::kPicTransparent) != 0;
    for (int y = 0; y < m.height; ++y) {
        const uint8_t* row = p.Row(y);
        for (int x = 0; x < m.width; ++x) {
            if (p.TrueColour()) {
                m.rgb.push_back(Rgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]));
            } else if (keyed && row[x] == p.Header.TransparentIndex) {
                m.rgb.push_back(
                    Rgb(transparentColour & 0xFF, (transparentColour >> 8) & 0xFF, (transparentColour >> 16) & 0xFF));
            } else {
                const lvk::PaletteEntry& e = p.Palette.Entries[row[x]];
                m.rgb.push_back(Rgb(e.Red, e.Green, e.Blue));
            }
        }
    }
    return m;
}

// Where a part lands, computed pixel by pixel without any clipping arithmetic: every
// destination pixel of the part whose source lies inside the picture and which lies inside
// the canvas gets that source's colour; the rest of the canvas keeps the sentinel.
struct PartCase {
    const char* label;
    int xDest, yDest, width, height, xSrc, ySrc;
    bool mirror;
};

inline std::vector<uint32_t> Expected(const Model& m, int canvasWidth, int canvasHeight, const PartCase& c) {
    std::vector<uint32_t> out(static_cast<size_t>(canvasWidth) * canvasHeight, kSentinel);
    const int ySrc = c.ySrc < 0 ? c.ySrc + m.height : c.ySrc;
    const int w = c.width == 0 ? m.width - c.xSrc : c.width;
    const int h = c.height == 0 ? m.height - ySrc : c.height;
    for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < w; ++dx) {
            const int sx = c.mirror ? c.xSrc + w - 1 - dx : c.xSrc + dx;
            const int sy = ySrc + dy;
            const int x = c.xDest + dx, y = c.yDest + dy;
            if (sx < 0 || sy < 0 || sx >= m.width || sy >= m.height) continue;
            if (x < 0 || y < 0 || x >= canvasWidth || y >= canvasHeight) continue;
            out[static_cast<size_t>(y) * canvasWidth + x] = m.At(sx, sy);
        }
    return out;
}

// The first differing pixel as "x,y: got vs want", or "".
inline std::string FirstDifference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, int width) {
    for (size_t i = 0; i < got.size() && i < want.size(); ++i)
        if ((got[i] & 0xFFFFFF) != want[i])
            return std::to_string(i % width) + "," + std::to_string(i / width) + ": " + std::to_string(got[i]) +
                   " vs " + std::to_string(want[i]);
    return got.size() == want.size() ? "" : "size";
}

// Loads a file as the current picture on the calling thread, not cached.
inline void LoadFile(const std::string& file, int32_t flags = 0) {
    int16_t w = 0, h = 0;
    int32_t offset = 0;
    ASSERT_EQ(lvk::LoadPicture(file.c_str(), 0, &w, &h, &offset, flags), 1) << file;
}

// Binds a SharedState of the test's own for the transparent colour.
class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        lvk::BindShared(&shared_, nullptr);
        SetXColMethod(0, 0, 0, 0);
    }
    void TearDown() override {
        SetXColMethod(0, 0, 0, 0);
        lvk::BindShared(nullptr, nullptr);
        CloseCache();
    }
    SharedState shared_;
};

}  // namespace drawtest
