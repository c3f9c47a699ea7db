// Handles and objects: kinds, stale handles, selection rules, and use from several threads.
#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace rastertest;

TEST(RasterObjects, HandlesFitSignedFieldsAndAreNeverTheMarkers) {
    Canvas c(2, 2, 32);
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    for (const std::uint32_t id : {c.dc.id, c.bitmap.id, brush.id}) {
        EXPECT_GT(static_cast<std::int32_t>(id), 1);
    }
    EXPECT_EQ(HDC::FromValue(c.dc.Value()), c.dc);
    EXPECT_NE(c.dc.id, c.bitmap.id);
    DeleteObject(brush);
}

TEST(RasterObjects, NewDcHoldsAOnePixelMonochromeBitmap) {
    const HDC dc = CreateCompatibleDC(HDC{});
    BitmapDesc desc;
    ASSERT_TRUE(GetObject(GetCurrentBitmap(dc), desc));
    EXPECT_EQ(desc.width, 1);
    EXPECT_EQ(desc.height, 1);
    EXPECT_EQ(desc.bitsPerPixel, 1);
    // So a bitmap compatible with the bare DC is monochrome; one compatible with the display is not.
    const HBITMAP mono = CreateCompatibleBitmap(dc, 5, 5);
    const HBITMAP colour = CreateCompatibleBitmap(HDC{}, 5, 5);
    ASSERT_TRUE(GetObject(mono, desc));
    EXPECT_EQ(desc.bitsPerPixel, 1);
    ASSERT_TRUE(GetObject(colour, desc));
    EXPECT_EQ(desc.bitsPerPixel, 32);
    EXPECT_EQ(desc.widthBytes, 20);
    EXPECT_EQ(desc.bits, nullptr);
    const HBITMAP empty = CreateCompatibleBitmap(HDC{}, 0, 4);
    ASSERT_TRUE(GetObject(empty, desc));
    EXPECT_EQ(desc.width * 100 + desc.bitsPerPixel, 101);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    for (const HBITMAP b : {mono, colour, empty}) {
        EXPECT_TRUE(DeleteObject(b));
    }
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(RasterObjects, CompatibleBitmapTakesTheDcsFormat) {
    Canvas c(2, 2, 8, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3)});
    const HBITMAP b = CreateCompatibleBitmap(c.dc, 3, 3);
    BitmapDesc desc;
    ASSERT_TRUE(GetObject(b, desc));
    EXPECT_EQ(desc.bitsPerPixel, 8);
    PixelAccess px;
    ASSERT_TRUE(AccessPixels(b, px));
    EXPECT_EQ(px.paletteSize, 3);
    EXPECT_EQ(px.palette[2].red, 3);
    DeleteObject(b);
}

TEST(RasterObjects, SelectionRules) {
    const HDC a = CreateCompatibleDC(HDC{});
    const HDC b = CreateCompatibleDC(HDC{});
    const HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    const HBITMAP stock = SelectObject(a, bitmap);
    EXPECT_TRUE(stock);
    // A bitmap lives in one DC at a time; the stock bitmap in any number.
    EXPECT_FALSE(SelectObject(b, bitmap));
    EXPECT_EQ(GetLastRasterError(), RASTER_ERROR_BUSY);
    EXPECT_EQ(SelectObject(b, stock), GetCurrentBitmap(b));
    // Selected objects cannot be deleted; once out of their DC they can.
    EXPECT_FALSE(DeleteObject(bitmap));
    const HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    const HBRUSH white = SelectObject(a, brush);
    EXPECT_EQ(white, GetStockBrush(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(SelectObject(a, white), brush);
    EXPECT_TRUE(DeleteObject(brush));
    // Deleting the DC lets its bitmap go.
    EXPECT_TRUE(DeleteDC(a));
    EXPECT_TRUE(SelectObject(b, bitmap));
    EXPECT_TRUE(DeleteDC(b));
    EXPECT_TRUE(DeleteObject(bitmap));
    // Stock objects outlive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockBrush(BLACK_BRUSH)));
    Canvas c(1, 1, 32);
    SetPixel(c.dc, 0, 0, RGB(9, 9, 9));
    RECT r{0, 0, 1, 1};
    EXPECT_TRUE(FillRect(c.dc, &r, GetStockBrush(BLACK_BRUSH)));
    EXPECT_EQ(GetPixel(c.dc, 0, 0), RGB(0, 0, 0));
}

TEST(RasterObjects, ZeroStaleAndWrongKindHandlesFailSafely) {
    Canvas live(2, 2, 32);
    HDC staleDc = CreateCompatibleDC(HDC{});
    DeleteDC(staleDc);
    HBITMAP staleBitmap = CreateBitmap(2, 2, 1, 8, nullptr);
    DeleteObject(staleBitmap);
    // A new object may reuse the slot; the old handle must still find nothing.
    const HDC reused = CreateCompatibleDC(HDC{});
    const HBITMAP reusedBitmap = CreateBitmap(2, 2, 1, 8, nullptr);
    const HDC wrongKind = HDC(live.bitmap.id);

    for (const HDC bad : {HDC{}, staleDc, wrongKind, HDC(0xFFFFFFFFu), HDC(1)}) {
        EXPECT_FALSE(BitBlt(bad, 0, 0, 1, 1, live.dc, 0, 0, SRCCOPY));
        EXPECT_FALSE(BitBlt(live.dc, 0, 0, 1, 1, bad, 0, 0, SRCCOPY));
        EXPECT_FALSE(StretchBlt(live.dc, 0, 0, 1, 1, bad, 0, 0, 2, 2, SRCCOPY));
        EXPECT_FALSE(PatBlt(bad, 0, 0, 1, 1, PATCOPY));
        EXPECT_FALSE(TransparentBlt(bad, 0, 0, 1, 1, live.dc, 0, 0, 1, 1, 0));
        EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
        EXPECT_EQ(SetPixel(bad, 0, 0, 0), CLR_INVALID);
        EXPECT_FALSE(ExtFloodFill(bad, 0, 0, 0, FLOODFILLSURFACE));
        EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetStretchBltMode(bad, HALFTONE), 0);
        EXPECT_FALSE(SelectObject(bad, live.bitmap));
        EXPECT_FALSE(DeleteDC(bad));
        if (bad) {
            EXPECT_FALSE(CreateCompatibleDC(bad));
        }
        EXPECT_FALSE(GetCurrentBitmap(bad));
        EXPECT_EQ(GetDeviceCaps(bad, BITSPIXEL), 0);
        RECT r{0, 0, 1, 1};
        EXPECT_FALSE(FillRect(bad, &r, GetStockBrush(BLACK_BRUSH)));
        EXPECT_EQ(GetLastRasterError(), RASTER_ERROR_INVALID_HANDLE);
    }
    // A source DC is not needed (nor looked at) by operations that do not read one.
    EXPECT_TRUE(BitBlt(live.dc, 0, 0, 1, 1, HDC{}, 0, 0, WHITENESS));
    for (const HBITMAP bad : {HBITMAP{}, staleBitmap, HBITMAP(live.dc.id)}) {
        BitmapDesc desc;
        PixelAccess px;
        EXPECT_FALSE(GetObject(bad, desc));
        EXPECT_FALSE(AccessPixels(bad, px));
        EXPECT_FALSE(SelectObject(live.dc, bad));
        EXPECT_FALSE(DeleteObject(bad));
        EXPECT_FALSE(CreatePatternBrush(bad));
    }
    EXPECT_FALSE(DeleteObject(HBRUSH(live.dc.id)));
    EXPECT_FALSE(SelectObject(live.dc, HBRUSH{}));
    EXPECT_FALSE(FillRect(live.dc, nullptr, GetStockBrush(BLACK_BRUSH)));
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(FillRect(live.dc, &r, HBRUSH{}));
    EXPECT_EQ(GetCurrentBitmap(live.dc), live.bitmap);  // unchanged by all of the above
    DeleteDC(reused);
    DeleteObject(reusedBitmap);
}

TEST(RasterObjects, BadSizesAndFormats) {
    EXPECT_FALSE(CreateBitmap(-1, 4, 1, 32, nullptr));
    EXPECT_FALSE(CreateBitmap(4, 4, 2, 32, nullptr));
    EXPECT_FALSE(CreateBitmap(4, 4, 1, 16, nullptr));
    EXPECT_FALSE(CreateBitmap(1 << 21, 1, 1, 32, nullptr));
    EXPECT_FALSE(CreateBitmap(1 << 20, 1 << 20, 1, 32, nullptr));
    EXPECT_EQ(GetLastRasterError(), RASTER_ERROR_NOT_ENOUGH_MEMORY);
    DibInfo info{};
    info.header.width = 4;
    info.header.height = 4;
    info.header.bitCount = 4;
    void* bits = &info;
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, &bits));
    EXPECT_EQ(bits, nullptr);
    info.header.bitCount = 8;
    info.header.compression = 1;
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, &bits));
    info.header.compression = 0;
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, 1, &bits));
    EXPECT_FALSE(CreateDIBSection(HDC{}, nullptr, DIB_RGB_COLORS, &bits));
    EXPECT_FALSE(GetStockBrush(6));
}

TEST(RasterObjects, CreateBitmapTakesWordAlignedRows) {
    const std::uint8_t rows[] = {0xA5, 0xC0, 0x3C, 0x40};  // 10 pixels: two bytes per row
    const HBITMAP b = CreateBitmap(10, 2, 1, 1, rows);
    const HDC dc = CreateCompatibleDC(HDC{});
    const HBITMAP old = SelectObject(dc, b);
    const char* expected[2] = {"#.#..#.###", "..####...#"};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(GetPixel(dc, x, y), expected[y][x] == '#' ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << y;
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(b);
}

TEST(RasterObjects, DcColoursAndModes) {
    Canvas c(1, 1, 32);
    EXPECT_EQ(GetTextColor(c.dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(c.dc), RGB(255, 255, 255));
    EXPECT_EQ(SetTextColor(c.dc, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(GetTextColor(c.dc), RGB(1, 2, 3));
    EXPECT_EQ(SetBkColor(c.dc, RGB(4, 5, 6)), RGB(255, 255, 255));
    EXPECT_EQ(SetStretchBltMode(c.dc, HALFTONE), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(c.dc, 9), 0);
    EXPECT_EQ(GetStretchBltMode(c.dc), HALFTONE);
}

TEST(RasterObjects, ColourTableOfTheSelectedBitmap) {
    Canvas c(2, 1, 8, {RGB(10, 20, 30), RGB(40, 50, 60)});
    c.Set(1, 0, 1);
    RgbQuad table[4];
    EXPECT_EQ(GetDIBColorTable(c.dc, 0, 4, table), 2u);
    EXPECT_EQ(table[1].blue, 60);
    const RgbQuad replacement{1, 2, 3, 0};
    EXPECT_EQ(SetDIBColorTable(c.dc, 1, 1, &replacement), 1u);
    EXPECT_EQ(GetPixel(c.dc, 1, 0), RGB(3, 2, 1));
    Canvas tc(1, 1, 32);
    EXPECT_EQ(GetDIBColorTable(tc.dc, 0, 4, table), 0u);
}

// Objects are made, selected and deleted on several threads while others draw; run under the
// thread sanitizer this shows the table and the snapshots are race-free.
TEST(RasterObjects, ManyThreads) {
    Canvas shared(64, 64, 32);
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                Canvas own(16, 8, t % 2 ? 32 : 8);
                const HBRUSH brush = CreateSolidBrush(RGB(static_cast<std::uint8_t>(t), 0, 0));
                const HBRUSH old = SelectObject(own.dc, brush);
                if (!PatBlt(own.dc, 0, 0, 16, 8, PATCOPY) ||
                    !BitBlt(own.dc, 0, 0, 16, 8, shared.dc, t * 16, 0, SRCCOPY)) {
                    failed = true;
                }
                SelectObject(own.dc, old);
                if (!DeleteObject(brush)) {
                    failed = true;
                }
            }
        });
    }
    // Meanwhile a blit-thread-like writer draws into its own rows of the shared bitmap.
    threads.emplace_back([&] {
        Canvas source(64, 8, 32);
        for (int i = 0; i < 200; ++i) {
            BitBlt(shared.dc, 0, 32, 64, 8, source.dc, 0, 0, SRCPAINT);
        }
    });
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_FALSE(failed);
}

}  // namespace
