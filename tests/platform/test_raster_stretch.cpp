// Stretching, shrinking and mirroring, and the colour-key copy.
#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace rastertest;

// A one-row 32-bit source whose pixel i holds the value i + 1.
std::unique_ptr<Canvas> Ramp(int n, int rows = 1) {
    auto c = std::make_unique<Canvas>(n, rows, 32);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < n; ++x) {
            c->Set(x, y, static_cast<std::uint32_t>(y * 16 + x + 1));
        }
    }
    return c;
}

std::vector<std::uint32_t> RowOf(const Canvas& c, int y) {
    std::vector<std::uint32_t> v;
    for (int x = 0; x < c.width; ++x) {
        v.push_back(c.Get(x, y));
    }
    return v;
}

TEST(RasterStretch, HorizontalExtents) {
    struct Case {
        const char* name;
        int x, w, sx, sw;
        std::vector<std::uint32_t> row;  // the 8 destination pixels afterwards
    };
    const std::vector<Case> cases = {
        {"mirrored by the destination", 2 + 5 - 1, -5, 0, 5, {0, 0, 5, 4, 3, 2, 1, 0}},
        {"mirrored by the source", 2, 5, 4, -5, {0, 0, 5, 4, 3, 2, 1, 0}},
        {"both negative is upright", 6, -5, 4, -5, {0, 0, 1, 2, 3, 4, 5, 0}},
        {"doubled", 1, 6, 0, 3, {0, 1, 1, 2, 2, 3, 3, 0}},
        {"doubled and mirrored", 6, -6, 0, 3, {0, 3, 3, 2, 2, 1, 1, 0}},
        {"halved takes the pixel under each centre", 0, 3, 0, 6, {2, 4, 6, 0, 0, 0, 0, 0}},
        {"mirror clipped at the left edge", 2, -5, 0, 5, {3, 2, 1, 0, 0, 0, 0, 0}},
        {"mirror clipped at the right edge", 9, -5, 0, 5, {0, 0, 0, 0, 0, 5, 4, 3}},
        {"source partly outside", 0, 4, -2, 4, {0, 0, 1, 2, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto src = Ramp(6);
        Canvas dst(8, 1, 32);
        SetStretchBltMode(dst.dc, COLORONCOLOR);
        ASSERT_TRUE(StretchBlt(dst.dc, c.x, 0, c.w, 1, src->dc, c.sx, 0, c.sw, 1, SRCCOPY)) << c.name;
        EXPECT_EQ(RowOf(dst, 0), c.row) << c.name;
    }
}

// As a picture is mirrored: ten columns at x 100 land on 100 to 109, reversed.
TEST(RasterStretch, MirroredCopyCoversTheSameColumns) {
    auto src = Ramp(10, 2);
    Canvas dst(120, 2, 32);
    ASSERT_TRUE(StretchBlt(dst.dc, 100 + 10 - 1, 0, -10, 2, src->dc, 0, 0, 10, 2, SRCCOPY));
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(dst.Get(99, y), 0u);
        EXPECT_EQ(dst.Get(110, y), 0u);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(dst.Get(100 + i, y), src->Get(9 - i, y));
        }
    }
}

TEST(RasterStretch, VerticalMirror) {
    auto src = Ramp(2, 3);
    Canvas dst(2, 3, 32);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 2, 2, -3, src->dc, 0, 0, 2, 3, SRCCOPY));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(RowOf(dst, y), RowOf(*src, 2 - y)) << y;
    }
}

TEST(RasterStretch, ShrinkingFollowsTheStretchMode) {
    Canvas src(4, 2, 32);
    const std::uint32_t px[2][4] = {{0x0000FF, 0x00FF00, 0x101010, 0x202020}, {0xFF0000, 0x0000FF, 0x303030, 0x404040}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            src.Set(x, y, px[y][x]);
        }
    }
    struct Case {
        int mode;
        std::uint32_t left, right;
    };
    for (const Case c : {Case{BLACKONWHITE, 0x000000, 0x000000}, Case{WHITEONBLACK, 0xFFFFFF, 0x707070},
                         Case{COLORONCOLOR, 0x0000FF, 0x404040}, Case{HALFTONE, 0x404080, 0x282828}}) {
        Canvas dst(2, 1, 32);
        SetStretchBltMode(dst.dc, c.mode);
        ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
        EXPECT_EQ(dst.Get(0, 0), c.left) << "mode " << c.mode;
        EXPECT_EQ(dst.Get(1, 0), c.right) << "mode " << c.mode;
    }
}

TEST(RasterStretch, MonoShrinkKeepsBlackUnderBlackOnWhite) {
    Canvas src(8, 1, 1), dst(4, 1, 1);
    src.Draw({"#.######"});
    ASSERT_EQ(GetStretchBltMode(dst.dc), BLACKONWHITE);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, 8, 1, SRCCOPY));
    EXPECT_EQ(dst.Values(), (std::vector<std::uint32_t>{0, 1, 1, 1}));
}

TEST(RasterStretch, StretchedMaskWithRasterOperation) {
    Canvas mask(3, 1, 1), dst(6, 1, 24);
    mask.Draw({"#.#"});
    for (int x = 0; x < 6; ++x) {
        dst.Set(x, 0, 0x336699);
    }
    ASSERT_TRUE(StretchBlt(dst.dc, 5, 0, -6, 1, mask.dc, 0, 0, 3, 1, ROP_DST_AND_NOT_SRC));
    EXPECT_EQ(RowOf(dst, 0), (std::vector<std::uint32_t>{0, 0, 0x336699, 0x336699, 0, 0}));
}

TEST(RasterStretch, WithinOneBitmap) {
    auto c = Ramp(8);
    ASSERT_TRUE(StretchBlt(c->dc, 7, 0, -8, 1, c->dc, 0, 0, 8, 1, SRCCOPY));
    EXPECT_EQ(RowOf(*c, 0), (std::vector<std::uint32_t>{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(RasterStretch, TransparentBltSkipsTheKeyColour) {
    const COLORREF key = RGB(243, 0, 243);
    for (const int srcBpp : {8, 32}) {
        for (const int dstBpp : {24, 32}) {
            Canvas src(4, 2, srcBpp, {RGB(1, 2, 3), key, RGB(9, 9, 9)});
            Canvas dst(4, 2, dstBpp);
            for (int x = 0; x < 4; ++x) {
                for (int y = 0; y < 2; ++y) {
                    SetPixel(src.dc, x, y, (x + y) % 2 ? key : RGB(1, 2, 3));
                    dst.Set(x, y, 0xABCDEF);
                }
            }
            ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 4, 2, key));
            for (int x = 0; x < 4; ++x) {
                for (int y = 0; y < 2; ++y) {
                    EXPECT_EQ(dst.Get(x, y) & 0xFFFFFFu, (x + y) % 2 ? 0xABCDEFu : 0x010203u)
                        << srcBpp << "->" << dstBpp << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(RasterStretch, TransparentBltClipsAndStretches) {
    Canvas src(2, 1, 32), dst(5, 1, 32);
    src.Set(0, 0, 0x111111);
    src.Set(1, 0, 0x00FF00);
    ASSERT_TRUE(TransparentBlt(dst.dc, -1, 0, 4, 1, src.dc, 0, 0, 2, 1, RGB(0, 255, 0)));
    EXPECT_EQ(RowOf(dst, 0), (std::vector<std::uint32_t>{0x111111, 0, 0, 0, 0}));
    ASSERT_TRUE(TransparentBlt(dst.dc, 3, 0, 2, 1, src.dc, -1, 0, 2, 1, RGB(0, 255, 0)));
    EXPECT_EQ(RowOf(dst, 0), (std::vector<std::uint32_t>{0x111111, 0, 0, 0, 0x111111}));
    EXPECT_FALSE(TransparentBlt(dst.dc, 0, 0, -2, 1, src.dc, 0, 0, 2, 1, 0));
}

// Same-size keyed copies between 32-bit bitmaps, clipped at every edge of either bitmap and
// within one bitmap, against the pixel-by-pixel rule: destination (dx, dy) takes source
// (dx - x + sx, dy - y + sy) where both lie on their bitmaps and the source is not the key.
TEST(RasterStretch, SameSizeKeyedCopiesClipAtEveryEdge) {
    struct Case {
        const char* name;
        int x, y, w, h, sx, sy;
        bool sameBitmap;
    };
    const Case cases[] = {
        {"inside", 1, 1, 3, 2, 2, 0, false},
        {"left and top of the destination", -2, -1, 5, 3, 0, 0, false},
        {"right and bottom of the destination", 4, 2, 5, 5, 0, 0, false},
        {"left and top of the source", 0, 0, 4, 3, -2, -1, false},
        {"right and bottom of the source", 0, 0, 6, 4, 3, 1, false},
        {"wider than both", -3, -3, 20, 20, -1, -2, false},
        {"nothing on the source", 0, 0, 3, 3, 9, 9, false},
        {"within one bitmap, overlapping", 1, 1, 5, 3, 0, 0, true},
    };
    const COLORREF key = RGB(0, 0, 7);  // value 7: source pixel (6, 0) of the ramp
    for (const Case& c : cases) {
        auto src = Ramp(8, 4);
        Canvas other(7, 5, 32);
        for (int yy = 0; yy < 5; ++yy) {
            for (int xx = 0; xx < 7; ++xx) other.Set(xx, yy, 0xABCDEF);
        }
        Canvas& dst = c.sameBitmap ? *src : other;
        // What the source held before the copy, for a copy within one bitmap.
        std::vector<std::vector<std::uint32_t>> before;
        for (int yy = 0; yy < src->height; ++yy) before.push_back(RowOf(*src, yy));
        std::vector<std::vector<std::uint32_t>> expected;
        for (int yy = 0; yy < dst.height; ++yy) expected.push_back(RowOf(dst, yy));
        for (int dy = std::max(c.y, 0); dy < std::min(c.y + c.h, dst.height); ++dy) {
            for (int dx = std::max(c.x, 0); dx < std::min(c.x + c.w, dst.width); ++dx) {
                const int fx = dx - c.x + c.sx;
                const int fy = dy - c.y + c.sy;
                if (fx < 0 || fy < 0 || fx >= src->width || fy >= src->height) continue;
                const std::uint32_t v = before[static_cast<size_t>(fy)][static_cast<size_t>(fx)];
                if (v != 7) expected[static_cast<size_t>(dy)][static_cast<size_t>(dx)] = v;
            }
        }
        ASSERT_TRUE(TransparentBlt(dst.dc, c.x, c.y, c.w, c.h, src->dc, c.sx, c.sy, c.w, c.h, key)) << c.name;
        for (int yy = 0; yy < dst.height; ++yy) {
            EXPECT_EQ(RowOf(dst, yy), expected[static_cast<size_t>(yy)]) << c.name << ", row " << yy;
        }
    }
}

}  // namespace

namespace {

// Coordinates at the ends of the int range are clipped, never overflowed (the sanitizer build
// checks the arithmetic).
TEST(RasterStretch, ExtremeCoordinates) {
    const int lo = std::numeric_limits<int>::min();
    const int hi = std::numeric_limits<int>::max();
    auto src = Ramp(4, 2);
    Canvas dst(4, 2, 32);
    EXPECT_TRUE(BitBlt(dst.dc, lo, lo, hi, hi, src->dc, hi, hi, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, hi, hi, hi, hi, src->dc, lo, lo, SRCCOPY));
    EXPECT_TRUE(PatBlt(dst.dc, lo, lo, hi, hi, BLACKNESS));
    EXPECT_TRUE(StretchBlt(dst.dc, hi, 0, lo, 1, src->dc, 0, 0, lo, 1, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, lo, 0, hi, 2, src->dc, hi, 0, lo, 2, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, hi, hi, src->dc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 1, 1, src->dc, lo, lo, hi, hi, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, hi, hi, lo, lo, HDC{}, 0, 0, 0, 0, WHITENESS));
    EXPECT_TRUE(TransparentBlt(dst.dc, lo, 0, hi, 1, src->dc, 0, 0, hi, 1, 0));
    // The whole destination was covered by the enlarged top-left source pixel, then whitened.
    EXPECT_EQ(dst.Get(3, 1), 0xFFFFFFu);
}

}  // namespace
