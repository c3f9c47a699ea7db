#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/cache/cache.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/resource.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

// Made by tools/make_resource_fixtures.py.
const std::string kRes = std::string(YOV_TEST_DATA) + "/resources/";

// What a decoder left in the current picture, palette entries and indices alike.
struct Snapshot {
    int width = 0, height = 0, paletteCount = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
    const CurrentPicture& c = CurPic();
    Snapshot s{c.Header.Width, c.Header.Height, c.Palette.Count, {}, {}};
    for (int y = 0; y < s.height; ++y) s.pixels.insert(s.pixels.end(), c.Row(y), c.Row(y) + s.width);
    for (int i = 0; i < s.paletteCount; ++i) {
        const PaletteEntry& e = c.Palette.Entries[i];
        s.palette.push_back((uint32_t{e.Red} << 16) | (e.Green << 8) | e.Blue);
    }
    return s;
}

// The same picture read from its BMP file, which the BMP reader tests vouch for.
Snapshot FromBmp(const char* file) {
    EXPECT_EQ(LoadBmpFile((kRes + file).c_str()), 0) << file;
    return Take();
}

std::string List(int32_t (*fn)(const char*, char*, int32_t) noexcept, const std::string& file, int32_t size,
                 int32_t* result) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '#');
    *result = fn(file.c_str(), buffer.data(), size);
    return *result >= 0 ? std::string(buffer.data(), static_cast<size_t>(*result)) : std::string();
}

class PeLibraries : public ::testing::TestWithParam<const char*> {};

TEST_P(PeLibraries, BitmapsLoadByNameAndNumber) {
    LvHandle module = 0;
    ASSERT_EQ(OpenLib32((kRes + GetParam()).c_str(), &module), 0);
    ASSERT_NE(module, 0u);
    const std::pair<const char*, const char*> pictures[] = {
        {"LOCO", "loco.bmp"}, {"wagon", "wagon.bmp"}, {"#7", "signal.bmp"}, {"FewColours", "fewcolours.bmp"}};
    for (auto [name, file] : pictures) {
        SCOPED_TRACE(name);
        Snapshot want = FromBmp(file);
        ASSERT_EQ(LoadDllBitmap(module, name), 0);
        EXPECT_EQ(Take(), want);
    }
    EXPECT_EQ(CurPic().Palette.Count, 5);  // the short colour table of FEWCOLOURS
    EXPECT_EQ(LoadDllBitmap(module, "MONO"), kErrDibBits);
    EXPECT_EQ(LoadDllBitmap(module, "SKY"), kErrDibBits);
    EXPECT_EQ(LoadDllBitmap(module, "TENDER"), -kWinResourceNameNotFound - 50000);
    EXPECT_EQ(LoadDllBitmap(module, "#8"), -kWinResourceNameNotFound - 50000);
    EXPECT_EQ(LoadDllBitmap(module, ""), -kWinResourceNameNotFound - 50000);
    EXPECT_EQ(CloseLib32(module), 1);
    EXPECT_EQ(CloseLib32(module), 0);
    EXPECT_EQ(LoadDllBitmap(module, "LOCO"), -kWinInvalidHandle - 50000);
}

TEST_P(PeLibraries, NamesAreListedWithNumbersAsNumberSigns) {
    const std::string all = "FEWCOLOURS;LOCO;MONO;SKY;WAGON;#7;";
    int32_t r = 0;
    EXPECT_EQ(List(ListRes32Names, kRes + GetParam(), 100, &r), all);
    EXPECT_EQ(r, static_cast<int32_t>(all.size()));
    EXPECT_EQ(List(ListRes32Names, kRes + GetParam(), static_cast<int32_t>(all.size()) + 1, &r), all);
    // The first name that does not fit with its ";" and the final zero stops the listing.
    std::vector<char> buffer(20, '#');
    EXPECT_EQ(ListRes32Names((kRes + GetParam()).c_str(), buffer.data(), 20), -kWinEnumStopped - 40000);
    EXPECT_STREQ(buffer.data(), "FEWCOLOURS;LOCO;");
}

INSTANTIATE_TEST_SUITE_P(Resources, PeLibraries, ::testing::Values("pics32.dll", "pics64.dll"));

TEST(PeLibrary, DamagedOrForeignFilesAreRefused) {
    const std::pair<const char*, int32_t> cases[] = {
        {"pics32-loop.dll", -kWinResourceDataNotFound - 40000},
        {"pics32-cut.dll", -kWinResourceDataNotFound - 40000},
        {"pics16.exe", -kWinBadExeFormat - 40000},
        {"loco.bmp", -kWinBadExeFormat - 40000},
        {"missing.dll", -kWinFileNotFound - 40000},
    };
    for (auto [file, code] : cases) {
        SCOPED_TRACE(file);
        LvHandle module = 77;
        EXPECT_EQ(OpenLib32((kRes + file).c_str(), &module), code);
        EXPECT_EQ(module, 0u);
        char buffer[100];
        EXPECT_EQ(ListRes32Names((kRes + file).c_str(), buffer, 100), code + 40000 - 30000);
    }
    EXPECT_EQ(OpenLib32((kRes + "pics32.dll").c_str(), nullptr), -kWinInvalidParameter - 40000);
}

TEST(PeLibrary, EveryCutOfALibraryIsHandled) {
    std::vector<uint8_t> whole;
    ASSERT_EQ(ReadWholeFile((kRes + "pics64.dll").c_str(), whole), 0);
    for (size_t keep = 0; keep < whole.size(); keep += 7) {
        PeLibrary lib;
        const int32_t r =
            ParsePeLibrary(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(keep)), lib);
        EXPECT_TRUE(r == 0 || r == kWinBadExeFormat || r == kWinResourceDataNotFound) << keep;
        for (const PeBitmap& b : lib.bitmaps) {
            if (b.dataPresent) {
                EXPECT_LE(b.offset + b.size, keep);
            }
        }
    }
}

TEST(NeFile, BitmapsLoadByNumber) {
    const std::string file = kRes + "pics16.exe";
    const std::pair<int32_t, const char*> pictures[] = {
        {1, "loco.bmp"}, {5, "wagon.bmp"}, {10, "fewcolours.bmp"}, {32880, "signal.bmp"}};
    for (auto [n, bmp] : pictures) {
        SCOPED_TRACE(bmp);
        Snapshot want = FromBmp(bmp);
        ASSERT_EQ(ReadNeBitmap(file.c_str(), n), 0);
        EXPECT_EQ(Take(), want);
    }
    EXPECT_EQ(ReadNeBitmap(file.c_str(), 9), kErrDibBits);
    EXPECT_EQ(ReadNeBitmap(file.c_str(), 2), kErrNeNoBitmap);
    EXPECT_EQ(ReadNeBitmap((kRes + "pics32.dll").c_str(), 1), kErrNePe);
    EXPECT_EQ(ReadNeBitmap((kRes + "loco.bmp").c_str(), 1), kErrNotNe);
    EXPECT_EQ(ReadNeBitmap((kRes + "missing.exe").c_str(), 1), kErrNeOpen);
    EXPECT_EQ(ReadNeBitmap((kRes + "pics16-cut.exe").c_str(), 1), kErrNeTable);
}

TEST(NeFile, NamesComeFromTheNameTableThenTheNamedBitmaps) {
    const std::string file = kRes + "pics16.exe";
    const std::string all = "LOCO:1;WAGON:5;TRUCK:32880;";
    int32_t r = 0;
    EXPECT_EQ(List(ListRes16Names, file, 100, &r), all);
    EXPECT_EQ(List(ListRes16Names, file, static_cast<int32_t>(all.size()) + 1, &r), all);
    List(ListRes16Names, file, static_cast<int32_t>(all.size()), &r);
    EXPECT_EQ(r, kErrListNeFit);
    List(ListRes16Names, kRes + "pics16-cut.exe", 100, &r);
    EXPECT_EQ(r, kErrListNeTable);
    List(ListRes16Names, kRes + "pics64.dll", 100, &r);
    EXPECT_EQ(r, kErrListNePe);
    List(ListRes16Names, kRes + "sky.bmp", 100, &r);
    EXPECT_EQ(r, kErrListNotNe);
    List(ListRes16Names, kRes + "none.exe", 100, &r);
    EXPECT_EQ(r, kErrListNeOpen);
}

TEST(NeFile, EveryCutIsRefusedCleanly) {
    std::vector<uint8_t> whole;
    ASSERT_EQ(ReadWholeFile((kRes + "pics16.exe").c_str(), whole), 0);
    char buffer[200];
    for (size_t keep = 0; keep <= whole.size(); ++keep) {
        MemorySource cut(whole.data(), keep);
        const int32_t read = ReadNeBitmapFrom(cut, 5);
        EXPECT_TRUE(read == 0 || (read <= -10301 && read >= -10313)) << keep << ": " << read;
        const int32_t listed = ListNeBitmapNames(cut, buffer, sizeof buffer);
        EXPECT_TRUE(listed >= 0 || (listed <= -10201 && listed >= -10206)) << keep << ": " << listed;
    }
}

// A DIB: 40-byte header, colour table, rows.
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t colours,
                         size_t tableEntries, const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> d(40 + 4 * tableEntries);
    PutLe32(&d[0], 40);
    PutLe32(&d[4], static_cast<uint32_t>(width));
    PutLe32(&d[8], static_cast<uint32_t>(height));
    PutLe16(&d[12], 1);
    PutLe16(&d[14], bits);
    PutLe32(&d[16], compression);
    PutLe32(&d[32], colours);
    for (size_t i = 0; i < tableEntries; ++i) d[40 + 4 * i + 2] = static_cast<uint8_t>(i);  // red = index
    d.insert(d.end(), rows.begin(), rows.end());
    return d;
}

TEST(Dib, RowsStridesAndChecks) {
    struct Case {
        const char* name;
        std::vector<uint8_t> dib;
        int32_t result;
        std::vector<uint8_t> pixels;  // top row first
    };
    std::vector<uint8_t> wrongHeader = Dib(1, 1, 8, 0, 0, 256, {0, 0, 0, 0});
    PutLe32(&wrongHeader[0], 12);
    const Case cases[] = {
        {"4 bits, width 5, stride 4",
         Dib(5, 2, 4, 0, 0, 16, {0x12, 0x34, 0x50, 0, 0x67, 0x89, 0xA0, 0}),
         0,
         {6, 7, 8, 9, 10, 1, 2, 3, 4, 5}},
        {"8 bits, width 5, stride 8",
         Dib(5, 2, 8, 0, 0, 256, {1, 2, 3, 4, 5, 0, 0, 0, 6, 7, 8, 9, 10}),
         0,
         {6, 7, 8, 9, 10, 1, 2, 3, 4, 5}},
        {"short colour table", Dib(2, 1, 8, 0, 3, 3, {2, 1}), 0, {2, 1}},
        {"header of 12 bytes", wrongHeader, kErrDibHeader, {}},
        {"1 bit", Dib(8, 1, 1, 0, 0, 2, {0xFF, 0, 0, 0}), kErrDibBits, {}},
        {"24 bits", Dib(1, 1, 24, 0, 0, 0, {1, 2, 3, 0}), kErrDibBits, {}},
        {"compressed", Dib(2, 1, 8, 1, 0, 256, {2, 1, 0, 1}), kErrDibCompressed, {}},
        {"more colours than bits", Dib(2, 1, 4, 0, 17, 17, {0x12, 0, 0, 0}), kErrDibColours, {}},
        {"rows missing", Dib(4, 3, 8, 0, 0, 256, {1, 2, 3, 4, 5, 6, 7, 8}), kErrDibShort, {}},
        {"table missing", Dib(4, 1, 8, 0, 0, 16, {}), kErrDibShort, {}},
        {"zero width", Dib(0, 1, 8, 0, 0, 256, {}), kErrDibSize, {}},
        {"top-down", Dib(1, -1, 8, 0, 0, 256, {1, 0, 0, 0}), kErrDibSize, {}},
        {"width over 16 bits", Dib(70000, 1, 8, 0, 0, 256, {}), kErrDibSize, {}},
        {"header cut", std::vector<uint8_t>{40, 0, 0, 0, 1}, kErrDibShort, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(DecodeDib(c.dib.data(), c.dib.size()), c.result);
        if (c.result != 0) continue;
        EXPECT_EQ(Take().pixels, c.pixels);
    }
    std::vector<uint8_t> eight = Dib(5, 2, 8, 0, 0, 256, std::vector<uint8_t>(16, 1));
    ASSERT_EQ(DecodeDib(eight.data(), eight.size()), 0);
    EXPECT_EQ(CurPic().Palette.Count, 256);
    EXPECT_EQ(CurPic().LastLength, 8u * 2 + 1064);
    EXPECT_EQ(CurPic().Palette.Entries[200].Red, 200);
}

TEST(CacheListing, NamesOneALine) {
    ASSERT_EQ(OpenCache(1, "listing"), 0);
    FreeCache();
    CurrentPicture& p = CurPic();
    for (const char* name : {"AB", "CDE"}) {
        p.Header.Width = 2;
        p.Header.Height = 1;
        p.Header.Flags = 0;
        p.Palette.Count = 1;
        ASSERT_EQ(GrowPictureBuffer(), 0);
        std::memset(p.PictureBuffer, 0, p.PictureBufferSize);
        p.SetName(name, std::strlen(name));
        ASSERT_GT(AddPictureToCache(), 0);
    }
    EXPECT_EQ(ListCache(nullptr, 0), 10);
    char buffer[16];
    EXPECT_EQ(ListCache(buffer, 9), -10601);
    ASSERT_EQ(ListCache(buffer, 10), 9);
    EXPECT_STREQ(buffer, "AB\r\nCDE\r\n");
    CloseCache();
    EXPECT_EQ(ListCache(nullptr, 0), 1);
    EXPECT_EQ(ListCache(buffer, 1), 0);
}

}  // namespace
}  // namespace lvk
