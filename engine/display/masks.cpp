// Tests and uses of 1-bit masks: IsVisible, VisibleBlocks and GenMsk.
//
// A mask is bottom-up, rows padded to 32 bits, the most significant bit of each byte the
// leftmost pixel; mask row y (counted from the top) lies height - y - 1 rows after the
// start. Rectangles are clipped to the mask, so a rectangle reaching outside it reads and
// writes only what lies inside.
#include <algorithm>
#include <cstring>

#include "lumvatek/exports.h"

namespace {

struct Span {
    int32_t x0 = 0, x1 = 0;  // columns, end exclusive
    int32_t y0 = 0, y1 = 0;  // rows from the top, end exclusive
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

Span Clip(int32_t maskWidth, int32_t maskHeight, int32_t x, int32_t y, int32_t width, int32_t height) {
    Span s;
    if (maskWidth <= 0 || maskHeight <= 0 || width <= 0 || height <= 0) {
        return s;
    }
    s.x0 = static_cast<int32_t>(std::max<int64_t>(x, 0));
    s.x1 = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + width, maskWidth));
    s.y0 = static_cast<int32_t>(std::max<int64_t>(y, 0));
    s.y1 = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, maskHeight));
    return s;
}

size_t Stride(int32_t maskWidth) { return (static_cast<size_t>(maskWidth) + 31) / 32 * 4; }

const uint8_t* RowOf(const uint8_t* bits, int32_t maskWidth, int32_t maskHeight, int32_t y) {
    return bits + Stride(maskWidth) * static_cast<size_t>(maskHeight - y - 1);
}

// The 32 pixels of group g of a row, leftmost pixel in bit 31.
uint32_t Group(const uint8_t* row, int32_t g) {
    const uint8_t* p = row + static_cast<size_t>(g) * 4;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Pixels first..last (inclusive, 0..31) of a group.
uint32_t GroupMask(int first, int last) { return (0xFFFFFFFFu >> first) & (0xFFFFFFFFu << (31 - last)); }

uint32_t MaskOfGroup(const Span& s, int32_t g) {
    const int first = g == s.x0 / 32 ? s.x0 % 32 : 0;
    const int last = g == (s.x1 - 1) / 32 ? (s.x1 - 1) % 32 : 31;
    return GroupMask(first, last);
}

int LeadingZeros(uint32_t v) { return __builtin_clz(v); }
int TrailingZeros(uint32_t v) { return __builtin_ctz(v); }

struct Block {
    int32_t left = 0, right = 0;  // columns, right exclusive
    int32_t top = 0, bottom = 0;  // rows from the top, bottom exclusive
};

}  // namespace

LvResult IsVisible(int32_t, int32_t maskWidth, int32_t maskHeight, const uint8_t* maskBits, int32_t x, int32_t y,
                   int32_t width, int32_t height) noexcept {
    const Span s = Clip(maskWidth, maskHeight, x, y, width, height);
    if (maskBits == nullptr || s.Empty()) {
        return 0;
    }
    for (int32_t g = s.x0 / 32; g <= (s.x1 - 1) / 32; ++g) {
        const uint32_t mask = MaskOfGroup(s, g);
        for (int32_t row = s.y0; row < s.y1; ++row) {
            if ((Group(RowOf(maskBits, maskWidth, maskHeight, row), g) & mask) != 0) {
                return 1;
            }
        }
    }
    return 0;
}

LvResult VisibleBlocks(int32_t, int32_t maskWidth, int32_t maskHeight, const uint8_t* maskBits, int32_t x, int32_t y,
                       int32_t width, int32_t height, int32_t* blocksOut, int32_t maxBlocks, int32_t minGap) noexcept {
    const Span s = Clip(maskWidth, maskHeight, x, y, width, height);
    if (maskBits == nullptr || blocksOut == nullptr || maxBlocks <= 0 || s.Empty()) {
        return 0;
    }
    int32_t count = 0;
    Block last;  // the block written last (blocksOut[count - 1])
    bool inRun = false;
    Block run;
    auto closeRun = [&] {
        inRun = false;
        if (count > 0 && (int64_t{run.left} - last.right < minGap || count == maxBlocks)) {
            last.top = std::min(last.top, run.top);
            last.bottom = std::max(last.bottom, run.bottom);
            last.right = std::max(last.right, run.right);
        } else {
            last = run;
            ++count;
        }
        int32_t* out = blocksOut + static_cast<size_t>(count - 1) * 4;
        out[0] = last.left;
        out[1] = static_cast<int32_t>(int64_t{last.top} - y);
        out[2] = last.right - last.left;
        out[3] = last.bottom - last.top;
    };
    const int32_t lastGroup = (s.x1 - 1) / 32;
    for (int32_t g = s.x0 / 32; g <= lastGroup; ++g) {
        const uint32_t mask = MaskOfGroup(s, g);
        uint32_t seen = 0;
        int32_t top = -1;
        int32_t bottom = -1;
        for (int32_t row = s.y0; row < s.y1; ++row) {
            const uint32_t bits = Group(RowOf(maskBits, maskWidth, maskHeight, row), g) & mask;
            if (bits != 0) {
                seen |= bits;
                if (top < 0) {
                    top = row;
                }
                bottom = row + 1;
            }
        }
        if (seen == 0) {
            if (inRun) {
                closeRun();
            }
            continue;
        }
        const int32_t right = g * 32 + 32 - TrailingZeros(seen);
        if (!inRun) {
            inRun = true;
            run = Block{g * 32 + LeadingZeros(seen), right, top, bottom};
        } else {
            run.right = right;
            run.top = std::min(run.top, top);
            run.bottom = std::max(run.bottom, bottom);
        }
    }
    if (inRun) {
        closeRun();
    }
    return count;
}

LvResult GenMsk(int32_t width, int32_t height, const uint8_t* maskBits, uint32_t* pixels, int32_t x, int32_t y,
                int32_t rectWidth, int32_t rectHeight, uint32_t value) noexcept {
    const Span s = Clip(width, height, x, y, rectWidth, rectHeight);
    if (maskBits == nullptr || pixels == nullptr || s.Empty()) {
        return 0;
    }
    for (int32_t row = s.y0; row < s.y1; ++row) {
        const uint8_t* maskRow = RowOf(maskBits, width, height, row);
        uint32_t* pixelRow = pixels + static_cast<size_t>(width) * static_cast<size_t>(height - row - 1);
        for (int32_t col = s.x0; col < s.x1; ++col) {
            if ((maskRow[col / 8] & (0x80u >> (col % 8))) != 0) {
                pixelRow[col] = value;
            }
        }
    }
    return 0;
}
