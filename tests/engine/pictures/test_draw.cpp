// GetPart on the raster: real pictures drawn whole against references made by other
// programs, parts cut, mirrored and clipped against a plain pixel model, the transparent
// colour and the colour translation, and cache offsets that no longer hold a picture.
#include <gtest/gtest.h>

#include <zlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "engine/cache/cache.h"
#include "engine/pictures/colour_tables.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/loader.h"
#include "loader_fixture.h"
#include "rgb_picture.h"

namespace lvk {
namespace {

using drawtest::Canvas;
using drawtest::CurrentModel;
using drawtest::DrawTest;
using drawtest::Expected;
using drawtest::FirstDifference;
using drawtest::kSentinel;
using drawtest::LoadFile;
using drawtest::Model;
using drawtest::PartCase;
using loadertest::kBmpDir;
using loadertest::kGifDir;

// CRC-32 of the first image's RGB bytes, from tests/data/gif_reference.txt (made with
// another decoder by tools/make_gif_references.py).
uint32_t ReferenceCrc(const std::string& file) {
    std::ifstream in(std::string(YOV_TEST_DATA) + "/gif_reference.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, crc;
        int w, h, left, top;
        if (fields >> name >> w >> h >> left >> top >> crc && name == file)
            return static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
    }
    ADD_FAILURE() << file << " has no reference";
    return 0;
}

// The canvas as RGB bytes, read right to left when it holds a mirrored picture.
uint32_t CanvasCrc(const Canvas& c, bool mirrored) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < c.height; ++y)
        for (int i = 0; i < c.width; ++i) {
            const uint32_t v = c.Get(mirrored ? c.width - 1 - i : i, y);
            rgb.push_back(static_cast<uint8_t>(v >> 16));
            rgb.push_back(static_cast<uint8_t>(v >> 8));
            rgb.push_back(static_cast<uint8_t>(v));
        }
    return static_cast<uint32_t>(crc32(0, rgb.data(), static_cast<uInt>(rgb.size())));
}

class GifGolden : public DrawTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GifGolden, DrawnWholeAndMirroredTheyMatchTheReference) {
    LoadFile(kGifDir + GetParam());
    const CurrentPicture& p = CurPic();
    ASSERT_EQ(p.Header.Flags & kPicTransparent, 0) << "the reference knows no transparent colour";
    for (bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored);
        Canvas canvas(p.Header.Width, p.Header.Height);
        ASSERT_EQ(GetPart(0, canvas.Dc(), 0, 0, 0, 0, 0, 0, mirrored ? 1 : 0), 0);
        EXPECT_EQ(CanvasCrc(canvas, mirrored), ReferenceCrc(GetParam()));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, GifGolden,
                         ::testing::Values("hat.gif", "bricks-dither.gif", "bricks-nodither.gif", "bricks-gray.gif",
                                           "hippopotamus.regular.gif", "hibiscus.regular.gif", "pjw-thumbnail.gif"));

class BmpGolden : public DrawTest, public ::testing::WithParamInterface<const char*> {};

// Palette and true-colour pictures (whose rows are padded in the work buffer) against the
// suite's own PNG renderings.
TEST_P(BmpGolden, DrawnWholeTheyMatchTheSuitesPng) {
    const std::string name = GetParam();
    LoadFile(kBmpDir + name + ".bmp");
    testing::RgbPicture want;
    ASSERT_TRUE(testing::ReadPng(kBmpDir + name + ".png", want));
    const CurrentPicture& p = CurPic();
    ASSERT_EQ(p.Header.Width, want.width);
    if (name == "rgb24") {
        ASSERT_TRUE(p.TrueColour()) << "more than 255 colours: drawn from 32-bit rows";
    }
    Canvas canvas(want.width, want.height);
    ASSERT_EQ(GetPart(0, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x) {
            const uint8_t* w = want.At(x, y);
            ASSERT_EQ(canvas.Get(x, y) & 0xFFFFFF, drawtest::Rgb(w[0], w[1], w[2])) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Files, BmpGolden, ::testing::Values("pal1", "pal4", "pal8", "pal8gs", "pal8w126", "rgb24"));

class Parts : public DrawTest, public ::testing::WithParamInterface<PartCase> {};

// pal8.bmp is 127 x 64; the canvas is larger, so what lands outside the part shows.
TEST_P(Parts, LandWhereThePixelModelPutsThem) {
    LoadFile(kBmpDir + "pal8.bmp");
    const Model m = CurrentModel();
    const PartCase& c = GetParam();
    Canvas canvas(150, 80);
    ASSERT_EQ(GetPart(0, canvas.Dc(), c.xDest, c.yDest, c.width, c.height, c.xSrc, c.ySrc, c.mirror ? 0x100 : 0), 0);
    EXPECT_EQ(FirstDifference(canvas.Values(), Expected(m, 150, 80, c), 150), "");
}

const PartCase kParts[] = {
    {"whole", 3, 4, 0, 0, 0, 0, false},
    {"bottom_ten_rows", 0, 0, 0, 0, 0, -10, false},
    {"inner_part", 10, 10, 20, 15, 30, 12, false},
    {"inner_part_mirrored", 10, 10, 20, 15, 30, 12, true},
    {"whole_mirrored", 5, 0, 0, 0, 0, 0, true},
    {"past_the_right_edge", 0, 0, 40, 10, 110, 5, false},
    {"past_the_right_edge_mirrored", 0, 0, 40, 10, 110, 5, true},
    {"before_the_left_edge", 20, 0, 40, 10, -15, 5, false},
    {"before_the_left_edge_mirrored", 20, 0, 40, 10, -15, 5, true},
    {"past_the_bottom", 0, 0, 30, 50, 0, 40, false},
    {"above_the_top", 0, 20, 30, 50, 0, -100, false},
    {"destination_off_the_canvas", -50, -30, 100, 60, 0, 0, false},
    {"wider_than_everything", -1000, 0, 100000, 10, -500, 0, true},
    {"negative_size", 0, 0, -5, 10, 0, 0, false},
    {"outside_the_picture", 0, 0, 10, 10, 200, 0, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, Parts, ::testing::ValuesIn(kParts),
                         [](const ::testing::TestParamInfo<PartCase>& info) { return std::string(info.param.label); });

TEST_F(DrawTest, TheTransparentIndexIsDrawnInTheProgramsColour) {
    // The top-left pixel becomes transparent (load flag 0x20) in a real picture.
    LoadFile(kGifDir + "hat.gif", kLoadCornerTransparent);
    const CurrentPicture& p = CurPic();
    ASSERT_TRUE(p.Header.Flags & kPicTransparent);
    for (uint32_t colour : {0x00000000u, 0x00030201u, 0x00FF00FFu}) {
        SCOPED_TRACE(colour);
        shared_.TransparentColor = static_cast<int32_t>(colour);
        Canvas canvas(p.Header.Width, p.Header.Height);
        ASSERT_EQ(GetPart(0, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
        EXPECT_EQ(FirstDifference(canvas.Values(), CurrentModel(colour).rgb, canvas.width), "");
    }
}

TEST_F(DrawTest, ColourTranslationLiftsDarkColoursOrPassesThroughTheTables) {
    LoadFile(kGifDir + "hat.gif", kLoadCornerTransparent);
    const CurrentPicture& p = CurPic();
    const uint8_t transparent = p.Header.TransparentIndex;
    shared_.TransparentColor = 0x00010203;
    const Model plain = CurrentModel(0x00010203);

    // Method 1: entries darker than the thresholds in all three components become the
    // threshold colour; the transparent entry keeps the program's colour.
    SetXColMethod(1, 100, 90, 80);
    Canvas lifted(p.Header.Width, p.Header.Height);
    ASSERT_EQ(GetPart(0, lifted.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
    int liftedPixels = 0;
    for (int y = 0; y < p.Header.Height; ++y)
        for (int x = 0; x < p.Header.Width; ++x) {
            const uint8_t index = p.Row(y)[x];
            const PaletteEntry& e = p.Palette.Entries[index];
            uint32_t want = plain.At(x, y);
            if (index != transparent && e.Red < 100 && e.Green < 90 && e.Blue < 80) {
                want = drawtest::Rgb(100, 90, 80);
                ++liftedPixels;
            }
            ASSERT_EQ(lifted.Get(x, y) & 0xFFFFFF, want) << x << "," << y;
        }
    EXPECT_GT(liftedPixels, 0);

    // Method 3: every component through its table.
    uint8_t red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = static_cast<uint8_t>(255 - i);
        green[i] = static_cast<uint8_t>(i / 2);
        blue[i] = static_cast<uint8_t>(i);
    }
    SetXColor(red, green, blue);
    SetXColMethod(3, 0, 0, 0);
    Canvas tabled(p.Header.Width, p.Header.Height);
    ASSERT_EQ(GetPart(0, tabled.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
    for (int y = 0; y < p.Header.Height; ++y)
        for (int x = 0; x < p.Header.Width; ++x) {
            const uint8_t index = p.Row(y)[x];
            const PaletteEntry& e = p.Palette.Entries[index];
            const uint32_t want =
                index == transparent ? plain.At(x, y) : drawtest::Rgb(red[e.Red], green[e.Green], blue[e.Blue]);
            ASSERT_EQ(tabled.Get(x, y) & 0xFFFFFF, want) << x << "," << y;
        }
    ResetColourTables();
}

TEST_F(DrawTest, AnOffsetSelectsItsCacheEntryAndAStaleOneDrawsNothing) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    int16_t w, h;
    int32_t hat = 0, pjw = 0;
    ASSERT_EQ(LoadPicture((kGifDir + "hat.gif").c_str(), 0, &w, &h, &hat, 0), 1);
    const Model hatModel = CurrentModel();
    ASSERT_EQ(LoadPicture((kGifDir + "pjw-thumbnail.gif").c_str(), 0, &w, &h, &pjw, 0), 1);
    ASSERT_GT(hat, 0);

    Canvas canvas(hatModel.width, hatModel.height);
    ASSERT_EQ(GetPart(hat, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(FirstDifference(canvas.Values(), hatModel.rgb, canvas.width), "");

    CleanCache();
    canvas.Fill(kSentinel);
    EXPECT_EQ(GetPart(hat, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0), kErrNoEntry);
    EXPECT_EQ(GetPart(hat + 3, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0), kErrNoEntry);
    EXPECT_EQ(GetPartWithMsk(pjw, canvas.Dc(), 0, 0, 0, 0, 0, 0, 0, 0), kErrNoEntry);
    for (uint32_t v : canvas.Values()) ASSERT_EQ(v & 0xFFFFFF, kSentinel);
}

TEST_F(DrawTest, ABadDeviceContextIsADrawingFailure) {
    LoadFile(kGifDir + "hat.gif");
    const int32_t r = GetPart(0, 0x7FFF0000u, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_LE(r, -20000);
    EXPECT_GT(r, -30000);
}

}  // namespace
}  // namespace lvk
