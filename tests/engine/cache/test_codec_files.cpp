// Every palette picture the BMP and GIF readers make of the shared test files survives
// the bit code, the zlib form and the cache byte for byte; true-colour pictures are
// never coded or cached.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/cache/cache.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

namespace fs = std::filesystem;
using testing::PlainPicture;
using testing::Scramble;
using testing::Take;

std::vector<fs::path> Files(const std::string& folder, const std::string& extension) {
    std::vector<fs::path> out;
    const fs::path root = fs::path(YOV_TEST_DATA) / folder;
    if (!fs::is_directory(root)) {
        ADD_FAILURE() << "test picture folder missing: " << root;
        return out;
    }
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().extension() == extension) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

struct Tally {
    int palette = 0;
    int trueColour = 0;
    int fullPalette = 0;  // 256 entries after reduction
};

// Codes the current picture (as a load leaves it: palette reduced) every way there is.
void CheckCurrentPicture(const std::string& name, Tally& tally) {
    SCOPED_TRACE(name);
    if (CurPic().TrueColour()) {
        ++tally.trueColour;
        EXPECT_EQ(EncodePicture(), kErrCannotCode);
        EXPECT_EQ(DeflatePicture(6), kErrCannotCode);
        CurPic().SetName(name.data(), std::min<size_t>(name.size(), 255));
        EXPECT_EQ(AddPictureToCache(), kErrCannotCode);
        return;
    }
    ASSERT_EQ(ReducePalette(0), 0);
    ++tally.palette;
    tally.fullPalette += CurPic().Palette.Count == 256;
    const PlainPicture want = Take();

    ASSERT_EQ(EncodePicture(), 0);
    std::vector<uint8_t> code(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    Scramble();
    ASSERT_EQ(DecodePicture(code.data(), code.size(), nullptr), 0);
    EXPECT_EQ(Take(), want) << "bit code";

    ASSERT_EQ(DeflatePicture(9), 0);
    code.assign(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    Scramble();
    ASSERT_EQ(InflatePicture(code.data(), code.size()), 0);
    EXPECT_EQ(Take(), want) << "zlib form";

    const std::string key = name.substr(name.size() > 255 ? name.size() - 255 : 0);
    CurPic().SetName(key.data(), key.size());
    int32_t off = AddPictureToCache();
    ASSERT_GT(off, 0);
    Scramble();
    ASSERT_EQ(SelectCacheEntry(off), 0);
    EXPECT_EQ(Take(), want) << "cache";
}

TEST(CodecFiles, BmpSuitePalettePicturesRoundTrip) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    Tally tally;
    for (const fs::path& file : Files("bmpsuite", ".bmp")) {
        if (LoadBmpPicture(file.c_str()) != 0) continue;  // refused files are the reader's tests
        CheckCurrentPicture(file.string(), tally);
    }
    CloseCache();
    EXPECT_GE(tally.palette, 20) << "the suite's palette files were not read";
    EXPECT_GE(tally.trueColour, 1);
    std::printf("bmpsuite: %d palette pictures (%d of 256 entries), %d true colour\n", tally.palette, tally.fullPalette,
                tally.trueColour);
}

TEST(CodecFiles, GifPicturesRoundTrip) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    Tally tally;
    for (const fs::path& file : Files("gif", ".gif")) {
        if (LoadGifPicture(file.c_str()) != 0) continue;
        CheckCurrentPicture(file.string(), tally);
    }
    CloseCache();
    EXPECT_GE(tally.palette, 10) << "the GIF files were not read";
    std::printf("gif: %d palette pictures (%d of 256 entries)\n", tally.palette, tally.fullPalette);
}

}  // namespace
}  // namespace lvk
