// DIBs: the memory layout of DIB sections, drawing DIB data from caller memory, and reading
// bitmaps back out as DIB rows.
#include "raster_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace rastertest;

DibInfo Header(int w, int h, int bpp, const std::vector<COLORREF>& table = {}) {
    DibInfo info{};
    info.header.width = w;
    info.header.height = h;
    info.header.bitCount = static_cast<std::uint16_t>(bpp);
    info.header.clrUsed = static_cast<std::uint32_t>(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        info.colors[i] = RgbQuad{GetBValue(table[i]), GetGValue(table[i]), GetRValue(table[i]), 0};
    }
    return info;
}

TEST(RasterDib, SectionMemoryIsBottomUpForAPositiveHeight) {
    for (const bool bottomUp : {true, false}) {
        Canvas c(3, 2, 32, {}, bottomUp);
        SetPixel(c.dc, 1, 0, RGB(0x11, 0x22, 0x33));
        BitmapDesc desc;
        ASSERT_TRUE(GetObject(c.bitmap, desc));
        ASSERT_NE(desc.bits, nullptr);
        EXPECT_EQ(desc.widthBytes, 12);
        const auto* bytes = static_cast<const std::uint8_t*>(desc.bits);
        const std::uint8_t* pixel = bytes + (bottomUp ? 12 : 0) + 4;
        EXPECT_EQ(pixel[0], 0x33);
        EXPECT_EQ(pixel[1], 0x22);
        EXPECT_EQ(pixel[2], 0x11);
        EXPECT_EQ(pixel[3], 0);
        EXPECT_EQ(c.pixels.stride, bottomUp ? -12 : 12);
    }
}

TEST(RasterDib, MaskSectionRowsArePaddedTo32Bits) {
    Canvas mask(33, 2, 1, {}, true);
    SetPixel(mask.dc, 32, 0, RGB(255, 255, 255));
    BitmapDesc desc;
    ASSERT_TRUE(GetObject(mask.bitmap, desc));
    EXPECT_EQ(desc.widthBytes, 8);
    const auto* bytes = static_cast<const std::uint8_t*>(desc.bits);
    EXPECT_EQ(bytes[8 + 4], 0x80);  // top row stored second, bit 32 in its fifth byte
}

TEST(RasterDib, PaletteDibDrawnTopDown) {
    // 4 x 3 indices, rows padded to 4 bytes, top row first.
    const std::uint8_t bits[12] = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};
    const std::vector<COLORREF> table = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    const DibInfo info = Header(4, -3, 8, table);
    Canvas dst(6, 5, 32);
    EXPECT_EQ(SetDIBitsToDevice(dst.dc, 1, 1, 4, 3, 0, 0, 0, 3, bits, &info, DIB_RGB_COLORS), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(GetPixel(dst.dc, 1 + x, 1 + y), table[bits[y * 4 + x]]) << x << "," << y;
        }
    }
    EXPECT_EQ(dst.Get(0, 0), 0u);
    // A part of it: from column 1, row 1.
    Canvas part(2, 2, 24);
    SetDIBitsToDevice(part.dc, 0, 0, 2, 2, 1, 1, 0, 3, bits, &info, DIB_RGB_COLORS);
    EXPECT_EQ(GetPixel(part.dc, 0, 0), table[2]);
    EXPECT_EQ(GetPixel(part.dc, 1, 1), table[2]);
    EXPECT_EQ(GetPixel(part.dc, 0, 1), table[1]);
}

TEST(RasterDib, BottomUpDibCountsSourceRowsFromTheBottom) {
    // Storage order: bottom row first.
    const std::uint32_t bits[3] = {0x000001, 0x000002, 0x000003};
    const DibInfo info = Header(1, 3, 32);
    Canvas dst(1, 3, 32);
    SetDIBitsToDevice(dst.dc, 0, 0, 1, 3, 0, 0, 0, 3, bits, &info, DIB_RGB_COLORS);
    EXPECT_EQ(dst.Values(), (std::vector<std::uint32_t>{3, 2, 1}));
    Canvas one(1, 1, 32);
    SetDIBitsToDevice(one.dc, 0, 0, 1, 1, 0, 0, 0, 3, bits, &info, DIB_RGB_COLORS);
    EXPECT_EQ(one.Get(0, 0), 1u);
    SetDIBitsToDevice(one.dc, 0, 0, 1, 1, 0, 2, 0, 3, bits, &info, DIB_RGB_COLORS);
    EXPECT_EQ(one.Get(0, 0), 3u);
}

TEST(RasterDib, OnlyTheScanLinesGivenAreDrawn) {
    // A bottom-up 1 x 4 DIB of which the caller holds storage rows 1 and 2 (image rows 2 and 1).
    const std::uint32_t band[2] = {0x0000AA, 0x0000BB};
    const DibInfo info = Header(1, 4, 32);
    Canvas dst(1, 4, 32);
    for (int y = 0; y < 4; ++y) {
        dst.Set(0, y, 0x123456);
    }
    EXPECT_EQ(SetDIBitsToDevice(dst.dc, 0, 0, 1, 4, 0, 0, 1, 2, band, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(dst.Values(), (std::vector<std::uint32_t>{0x123456, 0xBB, 0xAA, 0x123456}));
}

TEST(RasterDib, MaskDibWithRasterOperationsAndMirroring) {
    // Two rows of 3, top-down, white (1) where the picture is opaque.
    const std::uint8_t maskBits[8] = {0b10100000, 0, 0, 0, 0b01100000, 0, 0, 0};
    const DibInfo maskInfo = Header(3, -2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)});
    Canvas dst(3, 2, 32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            dst.Set(x, y, 0x808080);
        }
    }
    // The DC's text and background colours do not apply to DIB data.
    SetTextColor(dst.dc, RGB(255, 0, 0));
    SetBkColor(dst.dc, RGB(0, 0, 255));
    EXPECT_EQ(StretchDIBits(dst.dc, 2, 0, -3, 2, 0, 0, 3, 2, maskBits, &maskInfo, DIB_RGB_COLORS, ROP_DST_AND_NOT_SRC),
              2);
    // Mirrored: row 0 mask "#.#" stays "#.#", row 1 ".##" becomes "##.".
    EXPECT_EQ(dst.Values(), (std::vector<std::uint32_t>{0, 0x808080, 0, 0, 0, 0x808080}));

    // Into a 1-bit DC the bits are copied; with the table the other way round they are inverted.
    Canvas mono(3, 2, 1);
    StretchDIBits(mono.dc, 0, 0, 3, 2, 0, 0, 3, 2, maskBits, &maskInfo, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(mono.Values(), (std::vector<std::uint32_t>{1, 0, 1, 0, 1, 1}));
    const DibInfo inverted = Header(3, -2, 1, {RGB(255, 255, 255), RGB(0, 0, 0)});
    SetDIBitsToDevice(mono.dc, 0, 0, 3, 2, 0, 0, 0, 2, maskBits, &inverted, DIB_RGB_COLORS);
    EXPECT_EQ(mono.Values(), (std::vector<std::uint32_t>{0, 1, 0, 1, 0, 0}));
}

TEST(RasterDib, MonoDibDrawsInItsOwnColours) {
    const std::uint8_t bits[4] = {0b01000000, 0, 0, 0};
    const DibInfo info = Header(2, 1, 1, {RGB(255, 0, 0), RGB(0, 0, 255)});
    Canvas dst(2, 1, 32);
    SetDIBitsToDevice(dst.dc, 0, 0, 2, 1, 0, 0, 0, 1, bits, &info, DIB_RGB_COLORS);
    EXPECT_EQ(GetPixel(dst.dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dst.dc, 1, 0), RGB(0, 0, 255));
}

TEST(RasterDib, GetDIBitsAsBottomUpTrueColour) {
    Canvas src(3, 2, 8, {RGB(1, 2, 3), RGB(4, 5, 6)});
    src.Draw({"010", "110"});
    DibInfo query{};
    EXPECT_EQ(GetDIBits(src.dc, src.bitmap, 0, 2, nullptr, &query, DIB_RGB_COLORS), 2);
    EXPECT_EQ(query.header.bitCount, 8);
    EXPECT_EQ(query.header.width, 3);
    EXPECT_EQ(query.header.sizeImage, 8u);

    DibInfo info = Header(3, 2, 32);
    std::uint8_t out[24];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(GetDIBits(src.dc, src.bitmap, 0, 2, out, &info, DIB_RGB_COLORS), 2);
    const std::uint8_t expected[24] = {6, 5, 4, 0, 6, 5, 4, 0, 3, 2, 1, 0,  // bottom row first
                                       3, 2, 1, 0, 6, 5, 4, 0, 3, 2, 1, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 24), std::vector<std::uint8_t>(expected, expected + 24));
}

TEST(RasterDib, GetDIBitsInTheBitmapsOwnPaletteFormat) {
    Canvas src(2, 1, 8, {RGB(10, 0, 0), RGB(0, 20, 0), RGB(0, 0, 30)});
    src.Draw({"21"});
    DibInfo info = Header(2, -1, 8);
    std::uint8_t out[4] = {};
    EXPECT_EQ(GetDIBits(src.dc, src.bitmap, 0, 1, out, &info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(info.header.clrUsed, 3u);
    EXPECT_EQ(info.colors[2].blue, 30);
}

TEST(RasterDib, SetDIBitsFillsABitmap) {
    const std::uint8_t rows[8] = {1, 2, 3, 4, 5, 6, 0, 0};  // 2 x 1, 24 bits, one padded row
    const DibInfo info = Header(2, 1, 24);
    const HBITMAP b = CreateCompatibleBitmap(HDC{}, 2, 1);
    EXPECT_EQ(SetDIBits(HDC{}, b, 0, 1, rows, &info, DIB_RGB_COLORS), 1);
    const HDC dc = CreateCompatibleDC(HDC{});
    const HBITMAP old = SelectObject(dc, b);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(6, 5, 4));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(b);
}

TEST(RasterDib, BadDibsDrawNothing) {
    const std::uint8_t bits[64] = {};
    Canvas dst(2, 2, 32);
    struct Case {
        const char* name;
        DibInfo info;
    };
    std::vector<Case> cases = {{"4 bits", Header(2, 2, 4)},
                               {"no width", Header(0, 2, 8)},
                               {"no height", Header(2, 0, 8)},
                               {"compressed", Header(2, 2, 8)}};
    cases[3].info.header.compression = 1;
    for (const Case& c : cases) {
        EXPECT_EQ(SetDIBitsToDevice(dst.dc, 0, 0, 2, 2, 0, 0, 0, 2, bits, &c.info, DIB_RGB_COLORS), 0) << c.name;
        EXPECT_EQ(StretchDIBits(dst.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, &c.info, DIB_RGB_COLORS, SRCCOPY), 0) << c.name;
    }
    const DibInfo good = Header(2, 2, 8);
    EXPECT_EQ(SetDIBitsToDevice(dst.dc, 0, 0, 2, 2, 0, 0, 0, 2, nullptr, &good, DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(HDC{}, 0, 0, 2, 2, 0, 0, 0, 2, bits, &good, DIB_RGB_COLORS), 0);
    EXPECT_EQ(dst.Values(), std::vector<std::uint32_t>(4, 0));
}

}  // namespace
