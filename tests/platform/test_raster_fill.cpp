// Pixels, rectangle fills and flood fill.
#include "raster_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace rastertest;

TEST(RasterPixels, SetAndGetAtEveryDepth) {
    struct Case {
        int bpp;
        COLORREF asked;
        COLORREF stored;
    };
    const std::vector<COLORREF> palette = {RGB(0, 0, 0), RGB(200, 10, 10), RGB(255, 255, 255)};
    for (const Case c : {Case{1, RGB(140, 140, 140), RGB(255, 255, 255)}, Case{1, RGB(100, 120, 90), RGB(0, 0, 0)},
                         Case{8, RGB(190, 0, 30), RGB(200, 10, 10)}, Case{24, RGB(1, 2, 3), RGB(1, 2, 3)},
                         Case{32, RGB(250, 128, 7), RGB(250, 128, 7)}}) {
        Canvas canvas(3, 2, c.bpp, c.bpp == 8 ? palette : std::vector<COLORREF>{});
        EXPECT_EQ(SetPixel(canvas.dc, 2, 1, c.asked), c.stored) << c.bpp;
        EXPECT_EQ(GetPixel(canvas.dc, 2, 1), c.stored) << c.bpp;
        EXPECT_EQ(GetPixel(canvas.dc, 1, 1), RGB(0, 0, 0)) << c.bpp;
    }
}

TEST(RasterPixels, OutsideTheBitmap) {
    Canvas canvas(3, 2, 32);
    for (const auto& [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{3, 0}, std::pair{0, 2}}) {
        EXPECT_EQ(GetPixel(canvas.dc, x, y), CLR_INVALID);
        EXPECT_EQ(SetPixel(canvas.dc, x, y, RGB(1, 1, 1)), CLR_INVALID);
        EXPECT_FALSE(SetPixelV(canvas.dc, x, y, RGB(1, 1, 1)));
    }
    EXPECT_EQ(canvas.Values(), std::vector<std::uint32_t>(6, 0));
}

TEST(RasterFill, FillRectUsesTheGivenBrushAndExcludesTheFarEdges) {
    Canvas canvas(5, 4, 24);
    const HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
    RECT r{1, 1, 4, 3};
    ASSERT_TRUE(FillRect(canvas.dc, &r, brush));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(canvas.Get(x, y), inside ? 0x090807u : 0u) << x << "," << y;
        }
    }
    RECT empty{3, 1, 3, 5};
    EXPECT_TRUE(FillRect(canvas.dc, &empty, brush));
    RECT outside{-10, -10, 100, 100};
    EXPECT_TRUE(FillRect(canvas.dc, &outside, brush));
    EXPECT_EQ(canvas.Get(0, 0), 0x090807u);
    DeleteObject(brush);
}

TEST(RasterFill, PatternBrushIsAlignedToTheBitmap) {
    Canvas pattern(2, 2, 1);  // tiled to 8x8
    pattern.Draw({"#.", ".#"});
    const HBRUSH brush = CreatePatternBrush(pattern.bitmap);
    Canvas canvas(5, 3, 32);
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    const HBRUSH old = SelectObject(canvas.dc, brush);
    ASSERT_TRUE(PatBlt(canvas.dc, 1, 1, 4, 2, PATCOPY));
    for (int y = 1; y < 3; ++y) {
        for (int x = 1; x < 5; ++x) {
            EXPECT_EQ(GetPixel(canvas.dc, x, y), (x + y) % 2 == 0 ? RGB(0, 0, 255) : RGB(255, 0, 0)) << x << "," << y;
        }
    }
    SelectObject(canvas.dc, old);
    DeleteObject(brush);
}

struct FloodCase {
    const char* name;
    std::vector<std::string> before;
    int x, y;
    int colourIndex;  // palette index given as the colour
    unsigned type;
    bool result;
    std::vector<std::string> after;  // filled with index 3
};

TEST(RasterFill, FloodFill) {
    const std::vector<FloodCase> cases = {
        {"border: the inside of a ring",
         {"......", ".1111.", ".1..1.", ".1..1.", ".1111.", "......"},
         2,
         2,
         1,
         FLOODFILLBORDER,
         true,
         {"......", ".1111.", ".1331.", ".1331.", ".1111.", "......"}},
        {"border: everything up to the border, other colours too",
         {"..1...", "..1.2.", "111...", "......"},
         4,
         3,
         1,
         FLOODFILLBORDER,
         true,
         {"..1333", "..1333", "111333", "333333"}},
        {"border: the start is on the border",
         {"..1...", "......"},
         2,
         0,
         1,
         FLOODFILLBORDER,
         false,
         {"..1...", "......"}},
        {"surface: only 4-connected pixels of the colour",
         {"22.2", "2.22", "2...", ".2.."},
         0,
         0,
         2,
         FLOODFILLSURFACE,
         true,
         {"33.2", "3.22", "3...", ".2.."}},
        {"surface: the start is another colour", {"22", "2."}, 1, 1, 2, FLOODFILLSURFACE, false, {"22", "2."}},
        {"surface: filling a colour with itself stops", {"33", "3."}, 0, 0, 3, FLOODFILLSURFACE, true, {"33", "3."}},
        {"surface: a maze",
         {"2.222", "2.2.2", "222.2", "....2", "22222"},
         0,
         0,
         2,
         FLOODFILLSURFACE,
         true,
         {"3.333", "3.3.3", "333.3", "....3", "33333"}},
    };
    const std::vector<COLORREF> palette = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (const FloodCase& c : cases) {
        const int w = static_cast<int>(c.before[0].size());
        const int h = static_cast<int>(c.before.size());
        for (const int bpp : {8, 32}) {
            Canvas canvas(w, h, 8, palette);
            canvas.Draw(c.before);
            Canvas target(w, h, bpp, palette);
            BitBlt(target.dc, 0, 0, w, h, canvas.dc, 0, 0, SRCCOPY);
            const HBRUSH brush = CreateSolidBrush(palette[3]);
            const HBRUSH old = SelectObject(target.dc, brush);
            EXPECT_EQ(ExtFloodFill(target.dc, c.x, c.y, palette[static_cast<std::size_t>(c.colourIndex)], c.type),
                      c.result)
                << c.name;
            SelectObject(target.dc, old);
            DeleteObject(brush);
            Canvas expected(w, h, 8, palette);
            expected.Draw(c.after);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    EXPECT_EQ(GetPixel(target.dc, x, y), GetPixel(expected.dc, x, y))
                        << c.name << ", bpp " << bpp << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(RasterFill, FloodFillOfALargeSpiralNeedsNoRecursion) {
    const int n = 600;
    Canvas canvas(n, n, 1);
    // Walls every other row, joined alternately at the left and the right end: one long path.
    for (int y = 1; y < n; y += 2) {
        for (int x = 0; x < n; ++x) {
            canvas.Set(x, y, 1);
        }
        canvas.Set((y / 2) % 2 ? 0 : n - 1, y, 0);
    }
    ASSERT_TRUE(ExtFloodFill(canvas.dc, 0, 0, RGB(255, 255, 255), FLOODFILLBORDER));
    // The stock white brush: every path pixel turned white.
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            ASSERT_EQ(canvas.Get(x, y), 1u) << x << "," << y;
        }
    }
}

TEST(RasterFill, FloodFillOutsideOrWithABadKind) {
    Canvas canvas(2, 2, 32);
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 2, 0, 0, FLOODFILLSURFACE));
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 0, -1, 0, FLOODFILLSURFACE));
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 0, 0, 0, 7));
}

}  // namespace
