#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "lumvatek/exports.h"
#include "rgb_picture.h"

namespace lvk {
namespace {

namespace fs = std::filesystem;
using testing::CurrentAsRgb;
using testing::FirstDifference;
using testing::ReadPng;
using testing::RgbPicture;

const std::string kSuite = std::string(YOV_TEST_DATA) + "/bmpsuite/";

// A BMP file of our own: headers, colour table (blue, green, red, 0 per entry), pixels.
struct Bmp {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 8;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> table;  // 0xRRGGBB
    std::vector<uint8_t> pixels;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> f(54 + 4 * table.size());
        const uint32_t offset = static_cast<uint32_t>(f.size());
        f[0] = 'B';
        f[1] = 'M';
        PutLe32(&f[2], offset + static_cast<uint32_t>(pixels.size()));
        PutLe32(&f[10], offset);
        PutLe32(&f[14], 40);
        PutLe32(&f[18], static_cast<uint32_t>(width));
        PutLe32(&f[22], static_cast<uint32_t>(height));
        PutLe16(&f[26], 1);
        PutLe16(&f[28], bits);
        PutLe32(&f[30], compression);
        PutLe32(&f[46], coloursUsed);
        for (size_t i = 0; i < table.size(); ++i) {
            f[54 + 4 * i] = static_cast<uint8_t>(table[i]);
            f[55 + 4 * i] = static_cast<uint8_t>(table[i] >> 8);
            f[56 + 4 * i] = static_cast<uint8_t>(table[i] >> 16);
        }
        f.insert(f.end(), pixels.begin(), pixels.end());
        return f;
    }
};

int32_t Read(const Bmp& b) {
    std::vector<uint8_t> f = b.Bytes();
    return ReadBmpFile(f.data(), f.size());
}

std::vector<uint8_t> Rows() {
    const CurrentPicture& c = CurPic();
    std::vector<uint8_t> out;
    for (int y = 0; y < c.Header.Height; ++y) out.insert(out.end(), c.Row(y), c.Row(y) + c.Header.Width);
    return out;
}

uint32_t Rgb(const PaletteEntry& e) { return (uint32_t{e.Red} << 16) | (e.Green << 8) | e.Blue; }

// Good files of the suite: what the reader makes of each, and the picture it must equal.
struct SuiteCase {
    const char* file;
    int32_t result;
    const char* reference;  // PNG of the same picture, "" for a refused file
    int tolerance;          // 5-bit components are widened by a shift, not scaled
};

const SuiteCase kGood[] = {
    {"pal1.bmp", 0, "pal1.png", 0},
    {"pal1bg.bmp", 0, "pal1bg.png", 0},
    {"pal1wb.bmp", 0, "pal1.png", 0},
    {"pal4.bmp", 0, "pal4.png", 0},
    {"pal4gs.bmp", 0, "pal4gs.png", 0},
    {"pal4rle.bmp", 0, "pal4.png", 0},
    {"pal8-0.bmp", 0, "pal8.png", 0},
    {"pal8.bmp", 0, "pal8.png", 0},
    {"pal8gs.bmp", 0, "pal8gs.png", 0},
    {"pal8nonsquare.bmp", 0, "", 0},
    {"pal8os2.bmp", kErrBmpCoreHeader, "", 0},
    {"pal8rle.bmp", 0, "pal8.png", 0},
    {"pal8topdown.bmp", 0, "pal8.png", 0},
    {"pal8v4.bmp", kErrBmpInfoOther, "", 0},
    {"pal8v5.bmp", kErrBmpInfoOther, "", 0},
    {"pal8w124.bmp", 0, "pal8w124.png", 0},
    {"pal8w125.bmp", 0, "pal8w125.png", 0},
    {"pal8w126.bmp", 0, "pal8w126.png", 0},
    {"rgb16-565.bmp", kErrBmp16Compression, "", 0},
    {"rgb16-565pal.bmp", kErrBmpTableLarge, "", 0},
    {"rgb16.bmp", 0, "rgb16.png", 7},
    {"rgb16bfdef.bmp", kErrBmp16Compression, "", 0},
    {"rgb24.bmp", 0, "rgb24.png", 0},
    {"rgb24pal.bmp", 0, "rgb24.png", 0},
    {"rgb32.bmp", 0, "rgb24.png", 0},
    {"rgb32bf.bmp", kErrBmp32Compression, "", 0},
    {"rgb32bfdef.bmp", kErrBmp32Compression, "", 0},
};

TEST(BmpSuite, GoodFilesMatchTheirReferencePictures) {
    for (const SuiteCase& c : kGood) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(LoadBmpFile((kSuite + "g/" + c.file).c_str()), c.result);
        if (*c.reference == 0) continue;
        RgbPicture want;
        ASSERT_TRUE(ReadPng(kSuite + "g/" + c.reference, want));
        EXPECT_EQ(FirstDifference(CurrentAsRgb(), want, c.tolerance), "");
    }
}

TEST(BmpSuite, EveryFileIsReadOrRefusedWithItsOwnCode) {
    size_t seen = 0;
    for (const char* set : {"g", "q", "b"}) {
        for (const auto& entry : fs::directory_iterator(kSuite + set)) {
            if (entry.path().extension() != ".bmp") continue;
            SCOPED_TRACE(entry.path().string());
            ++seen;
            int32_t r = LoadBmpFile(entry.path().c_str());
            EXPECT_TRUE(r == 0 || (r <= -10801 && r >= -10898)) << r;
            if (r == 0) {
                const CurrentPicture& p = CurPic();
                EXPECT_GT(p.Header.Width, 0);
                EXPECT_GT(p.Header.Height, 0);
                EXPECT_LE(p.Palette.Count, 256);
            }
        }
    }
    EXPECT_GT(seen, 80u);
}

TEST(BmpSuite, BadFilesAreRefused) {
    const std::pair<const char*, int32_t> kBad[] = {
        {"badbitcount.bmp", kErrBmpBitCount}, {"badheadersize.bmp", kErrBmpInfoOther}, {"badwidth.bmp", kErrBmpSize},
        {"reallybig.bmp", kErrBmpSize},       {"shortfile.bmp", kErrBmpPixels},
    };
    for (auto [file, code] : kBad) {
        SCOPED_TRACE(file);
        EXPECT_EQ(LoadBmpFile((kSuite + "b/" + file).c_str()), code);
    }
}

TEST(BmpReader, MissingFileIsRefused) {
    EXPECT_EQ(LoadBmpFile("/nonexistent/picture.bmp"), kErrBmpOpen);
    EXPECT_EQ(LoadBmpFile(""), kErrBmpOpen);
    EXPECT_EQ(LoadBmpFile(nullptr), kErrBmpOpen);
}

TEST(BmpReader, RowsGoBottomUpUnlessTheHeightIsNegative) {
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.table = {0x000000, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0x666666};
    b.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(CurPic().Palette.Count, 7);
    b.height = -2;
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(BmpReader, RunsContinueOnTheNextRow) {
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.compression = 1;
    b.table.assign(8, 0);
    b.pixels = {5, 7, 0, 1};
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{7, 7, 0, 7, 7, 7}));
}

TEST(BmpReader, RleEscapes) {
    struct Case {
        const char* name;
        uint16_t bits;
        uint32_t compression;
        std::vector<uint8_t> data;
        int32_t result;
        std::vector<uint8_t> rows;  // top row first, width 4, height 2
    };
    const Case cases[] = {
        {"end of row", 8, 1, {1, 3, 0, 0, 2, 4, 0, 1}, 0, {4, 4, 0, 0, 3, 0, 0, 0}},
        {"delta moves up a bottom-up file", 8, 1, {0, 2, 1, 1, 1, 9, 0, 1}, 0, {0, 9, 0, 0, 0, 0, 0, 0}},
        {"delta past the width", 8, 1, {0, 2, 4, 0}, kErrBmpDelta, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"delta past the last row", 8, 1, {0, 2, 0, 2}, kErrBmpDelta, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"literal padded to even", 8, 1, {0, 3, 1, 2, 3, 0, 1, 6, 0, 1}, 0, {0, 0, 0, 0, 1, 2, 3, 6}},
        {"rle4 nibbles", 4, 2, {5, 0x12, 0, 1}, 0, {1, 0, 0, 0, 1, 2, 1, 2}},
        {"rle4 literal", 4, 2, {0, 3, 0x34, 0x50, 0, 1}, 0, {0, 0, 0, 0, 3, 4, 5, 0}},
        {"data ends without escape", 8, 1, {2, 6}, 0, {0, 0, 0, 0, 6, 6, 0, 0}},
        {"literal cut short", 8, 1, {0, 5, 1, 2}, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"rle8 in a 4-bit file", 4, 1, {}, kErrBmp4Compression, {}},
        {"rle4 in an 8-bit file", 8, 2, {}, kErrBmp8Compression, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b;
        b.width = 4;
        b.height = 2;
        b.bits = c.bits;
        b.compression = c.compression;
        b.table.assign(16, 0);
        b.pixels = c.data;
        ASSERT_EQ(Read(b), c.result);
        if (!c.rows.empty()) {
            EXPECT_EQ(Rows(), c.rows);
        }
    }
}

TEST(BmpReader, OneBitPicturesKeepTheFilesColours) {
    Bmp b;
    b.width = 10;
    b.height = 1;
    b.bits = 1;
    b.table = {0x0000FF, 0x00FF00};
    b.pixels = {0xA5, 0xC0, 0xFF, 0xFF};  // bytes 3 and 4 are row padding
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 1, 1, 1}));
    EXPECT_EQ(CurPic().Palette.Count, 2);
    EXPECT_EQ(Rgb(CurPic().Palette.Entries[0]), 0x0000FFu);
    EXPECT_EQ(Rgb(CurPic().Palette.Entries[1]), 0x00FF00u);
}

TEST(BmpReader, FourBitRowsTakeTheHighNibbleFirst) {
    Bmp b;
    b.width = 5;
    b.height = 1;
    b.bits = 4;
    b.table.assign(16, 0);
    b.pixels = {0x12, 0x34, 0x5F, 0xFF};
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rows(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

// Pixels of width 1 and one row per colour, in 24 bits.
Bmp Colours24(int count, std::vector<uint32_t> table = {}) {
    Bmp b;
    b.width = 1;
    b.height = count;
    b.bits = 24;
    b.table = std::move(table);
    for (int i = 0; i < count; ++i) b.pixels.insert(b.pixels.end(), {static_cast<uint8_t>(i), 7, 9, 0});
    return b;
}

TEST(BmpReader, TwoHundredFiftyFiveColoursStayAPalettePicture) {
    ASSERT_EQ(Read(Colours24(255)), 0);
    EXPECT_EQ(CurPic().Header.Flags, 0);
    EXPECT_EQ(CurPic().Palette.Count, 255);
    // First appearance order: the bottom row comes first.
    EXPECT_EQ(Rgb(CurPic().Palette.Entries[0]), 0x090700u + 0);
    EXPECT_EQ(CurPic().Row(254)[0], 0);

    ASSERT_EQ(Read(Colours24(256)), 0);
    EXPECT_EQ(CurPic().Header.Flags, kPicTrueColour);
    EXPECT_EQ(CurPic().Palette.Count, 0);
    const uint8_t* top = CurPic().Row(0);
    EXPECT_EQ(top[0], 255);  // blue of the last file row
    EXPECT_EQ(top[1], 7);
    EXPECT_EQ(top[2], 9);
    EXPECT_EQ(top[3], 0);
}

TEST(BmpReader, AColourTableDoesNotRecolourTrueColourPixels) {
    ASSERT_EQ(Read(Colours24(3, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF})), 0);
    EXPECT_EQ(CurPic().Palette.Count, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Rgb(CurPic().Palette.Entries[i]), 0x090700u + i);
}

TEST(BmpReader, SixteenBitsAreFiveFiveFive) {
    Bmp b;
    b.width = 2;
    b.height = 1;
    b.bits = 16;
    b.pixels = {0x1F, 0x7C, 0xE0, 0x03};  // 0x7C1F magenta, 0x03E0 green
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(Rgb(CurPic().Palette.Entries[0]), 0xF800F8u);
    EXPECT_EQ(Rgb(CurPic().Palette.Entries[1]), 0x00F800u);
}

TEST(BmpReader, ThirtyTwoBitsWithManyColoursAreCopiedTopRowFirst) {
    Bmp b;
    b.width = 300;
    b.height = 2;
    b.bits = 32;
    b.coloursUsed = 0;
    b.table = {0x123456};
    for (int i = 0; i < 600; ++i)
        b.pixels.insert(b.pixels.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 1, 0xAB});
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(CurPic().Header.Flags, kPicTrueColour);
    const uint8_t* top = CurPic().Row(0);
    EXPECT_EQ(top[0], 300 & 0xFF);
    EXPECT_EQ(top[1], 1);
    EXPECT_EQ(top[3], 0xAB);

    b.pixels.assign(600 * 4, 0x40);
    ASSERT_EQ(Read(b), 0);
    EXPECT_EQ(CurPic().Header.Flags, 0);
    EXPECT_EQ(CurPic().Palette.Count, 1);
}

TEST(BmpReader, SizesAndLengthsAreChecked) {
    struct Case {
        const char* name;
        int32_t width, height;
        uint16_t bits;
        size_t pixelBytes;
        int32_t result;
    };
    const Case cases[] = {
        {"width over 16 bits", 65536, 1, 8, 65536, kErrBmpSize},
        {"height over 16 bits", 4, 65536, 8, 4, kErrBmpSize},
        {"negative width", -4, 1, 8, 4, kErrBmpSize},
        {"zero height", 4, 0, 8, 4, kErrBmpSize},
        {"most negative height", 4, INT32_MIN, 8, 4, kErrBmpSize},
        {"rows missing", 4, 3, 8, 8, kErrBmpPixels},
        {"last row without padding", 3, 2, 8, 7, 0},
        {"huge rows of a small file", 65535, 65535, 32, 16, kErrBmpPixels},
        {"bit count 32 with colour count 0", 1, 1, 32, 4, 0},
        {"bit count 2", 4, 1, 2, 4, kErrBmpBitCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b;
        b.width = c.width;
        b.height = c.height;
        b.bits = c.bits;
        b.table = {0x010203};
        b.pixels.assign(c.pixelBytes, 0);
        EXPECT_EQ(Read(b), c.result);
    }
}

TEST(BmpReader, HeaderFaultsHaveTheirCodes) {
    std::vector<uint8_t> good = Bmp{}.Bytes();
    good.resize(good.size() + 3);
    struct Case {
        const char* name;
        size_t keep;                                     // bytes of the file kept
        std::vector<std::pair<size_t, uint32_t>> patch;  // 32-bit fields changed
        int32_t result;
    };
    const Case cases[] = {
        {"short file header", 10, {}, kErrBmpFileHeader},
        {"no info size", 16, {}, kErrBmpInfoSize},
        {"core header", 58, {{14, 12}}, kErrBmpCoreHeader},
        {"version 4 header", 58, {{14, 108}}, kErrBmpInfoOther},
        {"short info header", 40, {}, kErrBmpInfoHeader},
        {"table over 1024 bytes", 58, {{10, 54 + 1028}}, kErrBmpTableLarge},
        {"offset inside the header", 58, {{10, 50}}, kErrBmpTableLarge},
        {"table cut", 56, {{10, 58}}, kErrBmpTable},
        {"table not whole entries", 62, {{10, 56}}, kErrBmpTableSize},
        {"pixels past the end", 58, {{10, 54 + 1024}}, kErrBmpTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> f = good;
        for (auto [at, v] : c.patch) PutLe32(&f[at], v);
        f.resize(c.keep);
        EXPECT_EQ(ReadBmpFile(f.data(), f.size()), c.result);
    }
    std::vector<uint8_t> f = good;
    f[0] = 'X';
    EXPECT_EQ(ReadBmpFile(f.data(), f.size()), kErrBmpType);
}

TEST(QuantizeTrueColour, ReservesEntryZeroForAllBitsSet) {
    CurrentPicture& p = CurPic();
    p.Header.Width = 3;
    p.Header.Height = 1;
    p.Header.Flags = 0;
    ASSERT_EQ(GrowPictureBuffer(), 0);
    const uint8_t pixels[] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 1, 0, 0xFF, 0xFF, 0xFF, 0};
    ASSERT_EQ(QuantizeTrueColour(kQuantKeyEntry | kQuantTopDown, pixels), 0);
    EXPECT_EQ(p.Palette.Count, 3);
    EXPECT_EQ(p.Row(0)[0], 0);
    EXPECT_EQ(p.Row(0)[1], 1);  // (1, 1, 1) but not all bits set: an entry of its own
    EXPECT_EQ(p.Row(0)[2], 2);
    EXPECT_EQ(Rgb(p.Palette.Entries[0]), 0x010101u);
}

}  // namespace
}  // namespace lvk
