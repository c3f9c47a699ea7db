// What the screen shows of a flip chain. The presenter keeps the page flipped in last, so a
// flip needs to hand over only the bands of rows in which the new front page differs from it:
// a show that moves a few trains presents a few strips instead of the whole page 50 times a
// second. Every row counts as changed the first time, after the page size changed, and after
// something was drawn on the screen directly (Forget).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lumvatek/blit.h"
#include "platform/raster.h"

namespace lvk {

class ShownFrame {
public:
    // The rectangles of the page that differ from the frame shown; the page becomes the frame
    // shown. Rows closer than a few rows are one band; at most kMaxBands bands.
    std::vector<LvRect> Changes(const plat::PixelAccess& page);
    void Forget() { pixels_.clear(); }

    static constexpr int kJoinRows = 4;
    static constexpr size_t kMaxBands = 32;

private:
    std::vector<std::uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    size_t rowBytes_ = 0;
};

}  // namespace lvk
