#include "engine/display/shown_frame.h"

#include <algorithm>
#include <cstring>

namespace lvk {

namespace {

struct Band {
    int top = 0;
    int bottom = 0;  // exclusive
    int left = 0;
    int right = 0;  // exclusive
};

void join(Band& into, const Band& b) {
    into.top = std::min(into.top, b.top);
    into.bottom = std::max(into.bottom, b.bottom);
    into.left = std::min(into.left, b.left);
    into.right = std::max(into.right, b.right);
}

}  // namespace

std::vector<LvRect> ShownFrame::Changes(const plat::PixelAccess& page) {
    std::vector<LvRect> rects;
    if (page.topRow == nullptr || page.width <= 0 || page.height <= 0 || page.bitsPerPixel <= 0) return rects;
    const size_t rowBytes = (static_cast<size_t>(page.width) * static_cast<size_t>(page.bitsPerPixel) + 7) / 8;
    const bool fresh =
        pixels_.empty() || page.width != width_ || page.height != height_ || page.bitsPerPixel != bitsPerPixel_;
    if (fresh) {
        width_ = page.width;
        height_ = page.height;
        bitsPerPixel_ = page.bitsPerPixel;
        rowBytes_ = rowBytes;
        pixels_.assign(rowBytes * static_cast<size_t>(page.height), 0);
    }
    // Columns are found to the byte; a pixel of fewer than 8 bits takes its whole row.
    const int bytesPerPixel = page.bitsPerPixel >= 8 ? page.bitsPerPixel / 8 : 0;
    std::vector<Band> bands;
    for (int y = 0; y < page.height; ++y) {
        const std::uint8_t* now = page.topRow + static_cast<std::ptrdiff_t>(y) * page.stride;
        std::uint8_t* shown = pixels_.data() + static_cast<size_t>(y) * rowBytes_;
        if (!fresh && std::memcmp(now, shown, rowBytes_) == 0) continue;
        Band row{y, y + 1, 0, page.width};
        if (!fresh && bytesPerPixel > 0) {
            size_t first = 0;
            while (now[first] == shown[first]) ++first;
            size_t last = rowBytes_ - 1;
            while (now[last] == shown[last]) --last;
            row.left = static_cast<int>(first / static_cast<size_t>(bytesPerPixel));
            row.right = static_cast<int>(last / static_cast<size_t>(bytesPerPixel)) + 1;
        }
        std::memcpy(shown, now, rowBytes_);
        if (!bands.empty() && y - bands.back().bottom < kJoinRows) {
            join(bands.back(), row);
        } else if (bands.size() < kMaxBands) {
            bands.push_back(row);
        } else {
            join(bands.back(), row);
        }
    }
    rects.reserve(bands.size());
    for (const Band& b : bands) rects.push_back(LvRect{b.left, b.top, b.right - b.left, b.bottom - b.top});
    return rects;
}

}  // namespace lvk
