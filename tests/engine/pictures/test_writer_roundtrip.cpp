// Pictures of the BMP Suite, decoded by our readers, written by our writers and read back by
// our readers and by readers no one here wrote: every road ends at the suite's reference PNG.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"
#include "rgb_picture.h"
#include "writer_fixture.h"

namespace lvk {
namespace {

using testing::CaptureBitmap;
using testing::CurrentAsRgb;
using testing::FirstDifference;
using testing::RgbPicture;
using testing::ScratchFolder;

const std::string kGood = std::string(YOV_TEST_DATA) + "/bmpsuite/g/";

struct SuiteFile {
    const char* file;
    const char* reference;
    int tolerance;  // 5-bit components are widened by a shift, not scaled
};

const SuiteFile kFiles[] = {
    {"pal1.bmp", "pal1.png", 0},         {"pal1bg.bmp", "pal1bg.png", 0},     {"pal1wb.bmp", "pal1.png", 0},
    {"pal4.bmp", "pal4.png", 0},         {"pal4gs.bmp", "pal4gs.png", 0},     {"pal4rle.bmp", "pal4.png", 0},
    {"pal8-0.bmp", "pal8.png", 0},       {"pal8.bmp", "pal8.png", 0},         {"pal8gs.bmp", "pal8gs.png", 0},
    {"pal8rle.bmp", "pal8.png", 0},      {"pal8topdown.bmp", "pal8.png", 0},  {"pal8w124.bmp", "pal8w124.png", 0},
    {"pal8w125.bmp", "pal8w125.png", 0}, {"pal8w126.bmp", "pal8w126.png", 0}, {"rgb16.bmp", "rgb16.png", 7},
    {"rgb24.bmp", "rgb24.png", 0},       {"rgb24pal.bmp", "rgb24.png", 0},    {"rgb32.bmp", "rgb24.png", 0},
};

// The decoded picture of a suite file, checked against its reference. False, with a failure
// naming the file, when either cannot be read: no caller looks at a picture never loaded.
bool Decode(const SuiteFile& f, RgbPicture& reference, RgbPicture& decoded) {
    const std::string file = kGood + f.file, png = kGood + f.reference;
    if (LoadBmpFile(file.c_str()) != 0) {
        ADD_FAILURE() << "cannot load test picture " << file;
        return false;
    }
    if (!testing::ReadPng(png, reference)) {
        ADD_FAILURE() << "cannot read reference picture " << png;
        return false;
    }
    decoded = CurrentAsRgb();
    EXPECT_EQ(FirstDifference(decoded, reference, f.tolerance), "");
    return true;
}

int BitsFor(const RgbPicture& p) {
    std::set<uint32_t> colours = {0};
    for (uint32_t v : testing::ToRgbValues(p)) colours.insert(v);
    const size_t n = colours.size();
    return n <= 2 ? 1 : n <= 16 ? 4 : n <= 256 ? 8 : 24;
}

// Writes the decoded picture of each suite file as GIF (palette pictures) and BMP into dir.
void WriteAll(const ScratchFolder& dir) {
    for (const SuiteFile& f : kFiles) {
        SCOPED_TRACE(f.file);
        RgbPicture reference, decoded;
        ASSERT_TRUE(Decode(f, reference, decoded));
        const std::string gif = dir.File(std::string(f.file) + ".gif");
        EXPECT_EQ(SaveGif(gif.c_str(), nullptr, nullptr), CurPic().TrueColour() ? kErrGifColours : 0);

        CaptureBitmap bitmap(decoded.width, decoded.height, testing::ToRgbValues(decoded));
        const std::string bmp = dir.File(std::string(f.file) + ".bmp");
        ASSERT_EQ(WriteBmpPicture(bitmap.Dc(), bmp.c_str(), 0, 0x200), decoded.height);
        ASSERT_GT(FlushBmpPicture(0, 0, 0), 0);
    }
}

TEST(WriterRoundTrip, OurReadersReadBackTheSuitePictures) {
    ScratchFolder dir;
    WriteAll(dir);
    for (const SuiteFile& f : kFiles) {
        SCOPED_TRACE(f.file);
        RgbPicture reference, decoded;
        ASSERT_TRUE(Decode(f, reference, decoded));
        const bool trueColour = CurPic().TrueColour();

        const std::string bmp = dir.File(std::string(f.file) + ".bmp");
        ASSERT_EQ(LoadBmpFile(bmp.c_str()), 0);
        EXPECT_EQ(FirstDifference(CurrentAsRgb(), decoded), "") << "BMP";
        EXPECT_EQ(FirstDifference(CurrentAsRgb(), reference, f.tolerance), "") << "BMP";
        const std::vector<uint8_t> header = testing::FileBytes(bmp);
        ASSERT_GE(header.size(), 54u);
        EXPECT_EQ(Le16(&header[28]), BitsFor(decoded)) << "bits per pixel";

        if (trueColour) continue;
        const std::string gif = dir.File(std::string(f.file) + ".gif");
        ASSERT_EQ(LoadGifPicture(gif.c_str()), 0);
        EXPECT_EQ(FirstDifference(CurrentAsRgb(), decoded), "") << "GIF";
        EXPECT_EQ(FirstDifference(CurrentAsRgb(), reference, f.tolerance), "") << "GIF";
    }
}

TEST(WriterRoundTrip, GiflibReadsTheSuitePicturesWeWroteAsGif) {
    ScratchFolder dir;
    WriteAll(dir);
    size_t checked = 0;
    for (const SuiteFile& f : kFiles) {
        SCOPED_TRACE(f.file);
        RgbPicture reference, decoded;
        ASSERT_TRUE(Decode(f, reference, decoded));
        if (CurPic().TrueColour()) continue;
        const testing::GiflibImage g = testing::ReadWithGiflib(dir.File(std::string(f.file) + ".gif"));
        ASSERT_EQ(g.error, "");
        RgbPicture read;
        read.width = g.width;
        read.height = g.height;
        for (uint8_t i : g.indices) {
            ASSERT_LT(i, g.table.size());
            read.rgb.push_back(static_cast<uint8_t>(g.table[i] >> 16));
            read.rgb.push_back(static_cast<uint8_t>(g.table[i] >> 8));
            read.rgb.push_back(static_cast<uint8_t>(g.table[i]));
        }
        EXPECT_EQ(FirstDifference(read, reference, f.tolerance), "");
        ++checked;
    }
    EXPECT_GE(checked, 14u) << "the palette pictures of the list";
}

TEST(WriterRoundTrip, ImageMagickReadsTheSuitePicturesWeWrote) {
    YOV_REQUIRE_IMAGEMAGICK();
    ScratchFolder dir;
    WriteAll(dir);
    for (const SuiteFile& f : kFiles) {
        SCOPED_TRACE(f.file);
        RgbPicture reference, decoded;
        ASSERT_TRUE(Decode(f, reference, decoded));
        const bool trueColour = CurPic().TrueColour();
        for (const char* kind : {".bmp", ".gif"}) {
            if (trueColour && std::string(kind) == ".gif") continue;
            SCOPED_TRACE(kind);
            const auto read = testing::ReadWithImageMagick(dir.File(std::string(f.file) + kind));
            ASSERT_TRUE(read.has_value());
            EXPECT_EQ(FirstDifference(*read, reference, f.tolerance), "");
        }
    }
}

}  // namespace
}  // namespace lvk
