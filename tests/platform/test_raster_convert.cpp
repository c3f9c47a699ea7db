// Copies between formats: the 1-bit and colour rules, palette matching, and the mask compositing
// the drawing code builds on them.
#include "raster_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace rastertest;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

TEST(RasterConvert, MonoToColourTakesTheDestinationTextAndBackgroundColours) {
    for (const int bpp : {8, 24, 32}) {
        Canvas mask(4, 1, 1);
        mask.Draw({"#..#"});
        Canvas dst(4, 1, bpp, {RGB(0, 0, 0), kRed, kBlue, RGB(255, 255, 255)});
        SetTextColor(dst.dc, kRed);
        SetBkColor(dst.dc, kBlue);
        // The source DC's colours play no part.
        SetTextColor(mask.dc, kGreen);
        SetBkColor(mask.dc, kGreen);
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 1, mask.dc, 0, 0, SRCCOPY));
        EXPECT_EQ(GetPixel(dst.dc, 0, 0), kBlue) << bpp;
        EXPECT_EQ(GetPixel(dst.dc, 1, 0), kRed) << bpp;
        EXPECT_EQ(GetPixel(dst.dc, 2, 0), kRed) << bpp;
        EXPECT_EQ(GetPixel(dst.dc, 3, 0), kBlue) << bpp;
    }
}

TEST(RasterConvert, ColourToMonoMatchesTheSourceBackgroundColour) {
    struct Case {
        const char* name;
        int bpp;
    };
    for (const Case c : {Case{"8 bit", 8}, Case{"24 bit", 24}, Case{"32 bit", 32}}) {
        Canvas src(4, 1, c.bpp, {kRed, kBlue, kRed, kGreen});
        for (int x = 0; x < 4; ++x) {
            SetPixel(src.dc, x, 0, x == 1 ? kBlue : x == 3 ? kGreen : kRed);
        }
        Canvas mask(4, 1, 1);
        mask.Draw({"#.#."});
        SetBkColor(src.dc, kRed);
        SetBkColor(mask.dc, kBlue);  // the destination DC's colours play no part
        SetTextColor(mask.dc, kRed);
        ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
        EXPECT_EQ(mask.Get(0, 0), 1u) << c.name;
        EXPECT_EQ(mask.Get(1, 0), 0u) << c.name;
        EXPECT_EQ(mask.Get(2, 0), 1u) << c.name;
        EXPECT_EQ(mask.Get(3, 0), 0u) << c.name;
    }
}

TEST(RasterConvert, MonoToMonoCopiesBits) {
    Canvas a(11, 2, 1), b(11, 2, 1);
    a.Draw({"#.##...#.#.", ".#..###.#.#"});
    SetTextColor(b.dc, kRed);
    SetBkColor(a.dc, kBlue);
    ASSERT_TRUE(BitBlt(b.dc, 0, 0, 11, 2, a.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(a.Values(), b.Values());
    // At a bit offset, both ways.
    Canvas c(16, 1, 1);
    ASSERT_TRUE(BitBlt(c.dc, 3, 0, 9, 1, a.dc, 1, 0, SRCCOPY));
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(c.Get(3 + x, 0), a.Get(1 + x, 0)) << x;
    }
    EXPECT_EQ(c.Get(2, 0), 0u);
    EXPECT_EQ(c.Get(12, 0), 0u);
}

TEST(RasterConvert, TrueColourToPaletteTakesTheNearestEntry) {
    // Entries 1 and 2 are equally near to (100, 100, 100): the lower index wins.
    Canvas dst(4, 1, 8, {RGB(0, 0, 0), RGB(90, 100, 100), RGB(110, 100, 100), RGB(250, 250, 250)});
    Canvas src(4, 1, 32);
    src.Set(0, 0, Rgb(RGB(10, 5, 0)));
    src.Set(1, 0, Rgb(RGB(100, 100, 100)));
    src.Set(2, 0, Rgb(RGB(108, 100, 100)));
    src.Set(3, 0, Rgb(RGB(200, 255, 255)));
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Get(0, 0), 0u);
    EXPECT_EQ(dst.Get(1, 0), 1u);
    EXPECT_EQ(dst.Get(2, 0), 2u);
    EXPECT_EQ(dst.Get(3, 0), 3u);
    EXPECT_EQ(SetPixel(dst.dc, 0, 0, RGB(240, 255, 250)), RGB(250, 250, 250));
}

TEST(RasterConvert, PaletteToPalette) {
    // The same table: indices are copied, even where two entries share a colour.
    Canvas a(3, 1, 8, {kRed, kRed, kBlue}), b(3, 1, 8, {kRed, kRed, kBlue});
    a.Draw({"120"});
    BitBlt(b.dc, 0, 0, 3, 1, a.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(b.Values(), (std::vector<std::uint32_t>{1, 2, 0}));
    // Another table: matched by colour.
    Canvas c(3, 1, 8, {kBlue, kGreen, kRed});
    BitBlt(c.dc, 0, 0, 3, 1, a.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(c.Values(), (std::vector<std::uint32_t>{2, 0, 2}));
    // Raster operations combine indices, not colours.
    Canvas d(1, 1, 8, {kBlue, kGreen, kRed, RGB(1, 1, 1)});
    d.Set(0, 0, 1);
    Canvas e(1, 1, 8, {kBlue, kGreen, kRed, RGB(1, 1, 1)});
    e.Set(0, 0, 2);
    BitBlt(d.dc, 0, 0, 1, 1, e.dc, 0, 0, SRCPAINT);
    EXPECT_EQ(d.Get(0, 0), 3u);
}

TEST(RasterConvert, PaletteToTrueColourAndBack) {
    Canvas pal(3, 1, 8, {kRed, kGreen, kBlue});
    pal.Draw({"210"});
    for (const int bpp : {24, 32}) {
        Canvas tc(3, 1, bpp);
        BitBlt(tc.dc, 0, 0, 3, 1, pal.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(tc.Values(), (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000})) << bpp;
        Canvas back(3, 1, 8, {kBlue, kRed, kGreen});
        BitBlt(back.dc, 0, 0, 3, 1, tc.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(back.Values(), (std::vector<std::uint32_t>{0, 2, 1})) << bpp;
    }
}

TEST(RasterConvert, BrushOnMonoAndPaletteTakesTheNearestValue) {
    Canvas mono(2, 1, 1);
    const HBRUSH light = CreateSolidBrush(RGB(200, 200, 200));
    const HBRUSH dark = CreateSolidBrush(RGB(60, 60, 60));
    const HBRUSH old = SelectObject(mono.dc, light);
    PatBlt(mono.dc, 0, 0, 1, 1, PATCOPY);
    SelectObject(mono.dc, dark);
    PatBlt(mono.dc, 1, 0, 1, 1, WHITENESS);
    PatBlt(mono.dc, 1, 0, 1, 1, PATCOPY);
    EXPECT_EQ(mono.Values(), (std::vector<std::uint32_t>{1, 0}));
    SelectObject(mono.dc, old);
    DeleteObject(light);
    DeleteObject(dark);
}

// Picture with a 1-bit mask, white where opaque: the destination is cleared under the mask
// (AND NOT), the picture is cut to the mask (AND) and OR-ed in.
TEST(RasterConvert, MaskCompositing) {
    for (const int bpp : {8, 24, 32}) {
        // On a palette the operations combine indices, so black must be 0 and white all ones.
        std::vector<COLORREF> palette(256, RGB(128, 128, 128));
        palette[0] = RGB(0, 0, 0);
        palette[1] = kRed;
        palette[2] = kGreen;
        palette[3] = kBlue;
        palette[255] = RGB(255, 255, 255);
        Canvas picture(5, 2, bpp, palette), mask(5, 2, 1), scene(5, 2, bpp, palette);
        for (int x = 0; x < 5; ++x) {
            for (int y = 0; y < 2; ++y) {
                SetPixel(picture.dc, x, y, kRed);
                SetPixel(scene.dc, x, y, kBlue);
            }
        }
        SetPixel(picture.dc, 2, 1, kGreen);
        mask.Draw({".###.", "..#.."});
        // Destination DC colours at their defaults: text black, background white.
        ASSERT_TRUE(BitBlt(picture.dc, 0, 0, 5, 2, mask.dc, 0, 0, SRCAND));
        ASSERT_TRUE(BitBlt(scene.dc, 0, 0, 5, 2, mask.dc, 0, 0, ROP_DST_AND_NOT_SRC));
        ASSERT_TRUE(BitBlt(scene.dc, 0, 0, 5, 2, picture.dc, 0, 0, SRCPAINT));
        const COLORREF expected[2][5] = {{kBlue, kRed, kRed, kRed, kBlue}, {kBlue, kBlue, kGreen, kBlue, kBlue}};
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(GetPixel(scene.dc, x, y), expected[y][x]) << "bpp " << bpp << " at " << x << "," << y;
            }
        }
        // The transparent part takes a brush colour: copy, AND the mask, then D ^ (P & ~S).
        Canvas filled(5, 2, bpp, palette);
        BitBlt(filled.dc, 0, 0, 5, 2, picture.dc, 0, 0, SRCCOPY);
        BitBlt(filled.dc, 0, 0, 5, 2, mask.dc, 0, 0, SRCAND);
        const HBRUSH brush = CreateSolidBrush(kBlue);
        const HBRUSH old = SelectObject(filled.dc, brush);
        ASSERT_TRUE(BitBlt(filled.dc, 0, 0, 5, 2, mask.dc, 0, 0, 0x009A0709));
        SelectObject(filled.dc, old);
        DeleteObject(brush);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(GetPixel(filled.dc, x, y), expected[y][x]) << "brush fill, bpp " << bpp;
            }
        }
    }
}

// Masks combine among themselves: OR one in, or make one from a colour with the background rule.
TEST(RasterConvert, MaskFromColourAndMaskUnion) {
    Canvas picture(6, 1, 32), scratch(6, 1, 1), mask(6, 1, 1);
    const COLORREF row[6] = {kRed, kGreen, kRed, kRed, kBlue, kRed};
    for (int x = 0; x < 6; ++x) {
        SetPixel(picture.dc, x, 0, row[x]);
    }
    SetBkColor(picture.dc, kRed);
    BitBlt(scratch.dc, 0, 0, 6, 1, picture.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(scratch.Values(), (std::vector<std::uint32_t>{1, 0, 1, 1, 0, 1}));
    mask.Draw({"##...."});
    BitBlt(mask.dc, 0, 0, 6, 1, scratch.dc, 0, 0, SRCPAINT);
    EXPECT_EQ(mask.Values(), (std::vector<std::uint32_t>{1, 1, 1, 1, 0, 1}));
}

}  // namespace
