#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "blit_fixture.h"
#include "engine/pictures/compare.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/memory.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

using testing::Load;
using testing::PlainPicture;
using testing::Take;

// Pictures drawn with letters: each letter is a palette index ('0' to '9', then 'a'...).
// The palette: 0 black, 1 red, 2 green, 3 blue, 4 magenta (243, 0, 243), 5 white,
// 6 (10, 20, 30), 7 (12, 20, 30), 8 (200, 20, 30), 9 a second black.
const std::vector<PaletteEntry> kPalette = {
    {0, 0, 0, 0},       {255, 0, 0, 0},  {0, 255, 0, 0},  {0, 0, 255, 0},   {243, 0, 243, 0},
    {255, 255, 255, 0}, {10, 20, 30, 0}, {12, 20, 30, 0}, {200, 20, 30, 0}, {0, 0, 0, 0},
};

PlainPicture Draw(const std::vector<std::string>& rows, uint8_t flags = 0, uint8_t transparent = 0) {
    PlainPicture p;
    p.height = static_cast<int>(rows.size());
    p.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    p.palette = kPalette;
    p.flags = flags;
    p.transparent = transparent;
    for (const std::string& row : rows)
        for (char c : row) p.pixels.push_back(static_cast<uint8_t>(c - '0'));
    return p;
}

using Counters = std::array<int32_t, 7>;

Counters Measure(int32_t low, int32_t high, int32_t expectResult = 0) {
    Counters r;
    r.fill(-99);
    EXPECT_EQ(CmpCacheOrig(low, high, r.data()), expectResult);
    return r;
}

// A 3 x 2 true-colour picture: all (40, 50, 60).
void LoadTrueColour() {
    CurrentPicture& c = CurPic();
    c.Header.Width = 3;
    c.Header.Height = 2;
    c.Header.Flags = kPicTrueColour;
    c.Palette.Count = 0;
    ASSERT_EQ(GrowPictureBuffer(), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* px = c.Row(y) + 4 * x;
            px[0] = 60;
            px[1] = 50;
            px[2] = 40;
            px[3] = 0;
        }
}

TEST(CmpCacheOrig, APictureComparedWithItselfIsTheSameInEveryPixel) {
    struct Case {
        const char* name;
        PlainPicture picture;
        int setFlags;
    };
    const Case cases[] = {
        {"plain", Draw({"123", "456", "781"}), 0},
        {"transparent pixels inside", Draw({"1231", "2442", "1331"}, kPicTransparent, 4), 0},
        {"transparent index black", Draw({"1001", "2102"}, kPicTransparent, 0), 0},
        {"empty edge columns with trimming", Draw({"01230", "04560", "00000"}, kPicTransparent, 4), 0x04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.picture);
        const int32_t stored = SetCmpCache(c.setFlags);
        const Counters r = Measure(10, 50);
        EXPECT_EQ(r[0], stored * c.picture.height);
        for (int i = 1; i < 7; ++i) EXPECT_EQ(r[i], 0) << "counter " << i;
    }
    LoadTrueColour();
    ASSERT_EQ(SetCmpCache(0), 3);
    EXPECT_EQ(Measure(10, 50), (Counters{6, 0, 0, 0, 0, 0, 0}));
}

TEST(CmpCacheOrig, EmptyEdgeColumnsMakeAnUntrimmedReferenceOfAnotherWidth) {
    Load(Draw({"0120", "0340"}));
    EXPECT_EQ(SetCmpCache(0), 4);
    Measure(10, 50, 1);
    EXPECT_EQ(SetCmpCache(0x04), 2);
    EXPECT_EQ(Measure(10, 50), (Counters{4, 0, 0, 0, 0, 0, 0}));
}

TEST(CmpCacheOrig, ClassesAndSumsOfTheDifferences) {
    Load(Draw({"6666"}));
    ASSERT_EQ(SetCmpCache(0), 4);
    // Against (10, 20, 30): the same; (12, 20, 30) differs by 2 in red; (200, 20, 30) by 190;
    // red (255, 0, 0) by 245, 20 and 30.
    Load(Draw({"6781"}));
    const Counters r = Measure(5, 100);
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[1], 1) << "largest difference below low";
    EXPECT_EQ(r[2], 0);
    EXPECT_EQ(r[3], 2) << "largest difference at least high";
    EXPECT_EQ(r[6], 2 + 190 + 245) << "red";
    EXPECT_EQ(r[5], 20) << "green";
    EXPECT_EQ(r[4], 30) << "blue";
    EXPECT_EQ(Measure(2, 191)[2], 2) << "2 is not below low 2; 190 is below high 191";
}

TEST(CmpCacheOrig, RowsAboveTheShorterPictureCountAsBlack) {
    Load(Draw({"55", "11"}));
    ASSERT_EQ(SetCmpCache(0), 2);
    Load(Draw({"11"}));  // the bottom rows are alike, the top row is compared with black
    const Counters r = Measure(1, 2);
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(r[3], 2);
    EXPECT_EQ(r[6], 2 * 255);
}

TEST(SetCmpCache, MirroredReferenceMatchesTheMirroredPicture) {
    Load(Draw({"123", "456"}));
    EXPECT_EQ(SetCmpCache(0x01 | 0x04 | 0x02), 3) << "0x02 and 0x04 do not apply";
    Load(Draw({"321", "654"}));
    EXPECT_EQ(Measure(1, 2), (Counters{6, 0, 0, 0, 0, 0, 0}));
}

TEST(SetCmpCache, MagentaBecomesBlackInTheReference) {
    Load(Draw({"141", "444"}));
    EXPECT_EQ(SetCmpCache(0x02), 3);
    Load(Draw({"101", "000"}));
    EXPECT_EQ(Measure(1, 2)[0], 6) << "magenta entries of a picture without transparency";

    // With a transparent index that entry becomes black, and its pixels compare as black.
    Load(Draw({"121", "222"}, kPicTransparent, 2));
    EXPECT_EQ(SetCmpCache(0x02), 3);
    Load(Draw({"101", "000"}));
    EXPECT_EQ(Measure(1, 2)[0], 6);
}

TEST(SetCmpCache, TrueColourMagentaBecomesBlack) {
    LoadTrueColour();
    uint8_t* px = CurPic().Row(0);
    px[0] = 243;
    px[1] = 0;
    px[2] = 243;
    ASSERT_EQ(SetCmpCache(0x02), 3);
    LoadTrueColour();
    px = CurPic().Row(0);
    px[0] = px[1] = px[2] = 0;
    EXPECT_EQ(Measure(1, 2)[0], 6);
}

class CmpCacheTest : public ::testing::Test {
protected:
    void SetReference(const std::vector<std::string>& rows, uint8_t flags = 0, uint8_t transparent = 0) {
        Load(Draw(rows, flags, transparent));
        ASSERT_GE(SetCmpCache(0), 0);
    }
    int32_t Cut(int x0, int y0, int flags) { return CmpCache(x0, y0, &x, &y, &w, &h, flags); }

    int32_t x = -1, y = -1, w = -1, h = -1;
};

TEST_F(CmpCacheTest, AnIdenticalPictureHasNoDifference) {
    SetReference({"123", "456"});
    Load(Draw({"123", "456"}));
    EXPECT_EQ(Cut(0, 0, 0x0F), 0);
    EXPECT_EQ(Take(), Draw({"123", "456"})) << "the current picture stays";

    SetReference({"143", "446"}, kPicTransparent, 4);
    Load(Draw({"143", "446"}, kPicTransparent, 4));
    EXPECT_EQ(Cut(0, 0, 0x0F), 0) << "transparent pixels are alike on both sides";
}

TEST_F(CmpCacheTest, WithFlag0x10ADifferenceOnlyAnswers255) {
    SetReference({"123", "456"});
    Load(Draw({"123", "416"}));
    EXPECT_EQ(Cut(0, 0, 0x1F), 255);
    EXPECT_EQ(Take(), Draw({"123", "416"}));
}

TEST_F(CmpCacheTest, OnePixelOfAnotherColourBecomesAOnePixelPicture) {
    SetReference({"123", "456"});
    Load(Draw({"123", "656"}));
    EXPECT_EQ(Cut(0, 0, 0x0F), 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    PlainPicture want;
    want.width = 1;
    want.height = 1;
    want.palette = {{0, 0, 0, 0}, {10, 20, 30, 0}};
    want.pixels = {1};
    EXPECT_EQ(Take(), want);
    EXPECT_EQ(CurPic().HeldEntry, 0);
}

TEST_F(CmpCacheTest, TheRectangleIsInReferenceCoordinates) {
    SetReference({"11111", "12221", "12221", "11111"});
    // Placed 1 column in and 1 row up; the difference is its middle pixel of the top row.
    Load(Draw({"232", "222"}));
    EXPECT_EQ(Cut(1, 1, 0x0F), 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
}

TEST_F(CmpCacheTest, UnchangedPixelsInsideTheRectangleBecomeIndexZero) {
    SetReference({"1111", "1111"});
    Load(Draw({"2112", "1111"}));
    EXPECT_EQ(Cut(0, 0, 0x0F), 2) << "with flag 0x02 the count itself";
    PlainPicture got = Take();
    EXPECT_EQ(got.width, 4);
    EXPECT_EQ(got.height, 1);
    EXPECT_EQ(got.pixels, (std::vector<uint8_t>{1, 0, 0, 1}));
    EXPECT_EQ(got.flags, kPicMarkerZero);
    ASSERT_EQ(got.palette.size(), 2u);
    EXPECT_EQ(got.palette[1], (PaletteEntry{0, 255, 0, 0}));
}

TEST_F(CmpCacheTest, ATransparentPixelOverAColourGetsTheTransparentEntry) {
    SetReference({"111"});
    Load(Draw({"141"}, kPicTransparent, 4));
    EXPECT_EQ(Cut(0, 0, 0x0F), 1);
    const PlainPicture got = Take();
    EXPECT_EQ(got.pixels, (std::vector<uint8_t>{1}));
    EXPECT_EQ(got.flags, kPicTransparent);
    EXPECT_EQ(got.transparent, 1);
    EXPECT_EQ(got.palette[1], (PaletteEntry{243, 0, 243, 0}));
}

TEST_F(CmpCacheTest, Flag0x20ComparesUpToTheReferenceTop) {
    SetReference({"3333", "1111"});
    Load(Draw({"1111"}));
    EXPECT_EQ(Cut(0, 0, 0x0F), 0) << "only the picture's own rows";
    Load(Draw({"1111"}));
    EXPECT_EQ(Cut(0, 0, 0x2F), 1) << "the row above is black against blue";
    EXPECT_EQ(y, 1);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(w, 4);
    const PlainPicture got = Take();
    EXPECT_EQ(got.pixels, (std::vector<uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(got.palette[1], (PaletteEntry{0, 0, 0, 0}));
}

TEST_F(CmpCacheTest, Flag0x20AddsABlackEntryWhenThePaletteHasNone) {
    SetReference({"3333", "1111"});
    PlainPicture p = Draw({"1111"});
    p.palette = {{9, 9, 9, 0}, {255, 0, 0, 0}};
    Load(p);
    EXPECT_EQ(Cut(0, 0, 0x2F), 1);
    EXPECT_EQ(Take().palette[1], (PaletteEntry{0, 0, 0, 0}));

    p.palette.assign(255, PaletteEntry{9, 9, 9, 0});
    p.palette[1] = PaletteEntry{255, 0, 0, 0};
    Load(p);
    EXPECT_EQ(Cut(0, 0, 0x2F), kErrCmpBlackFull);
    EXPECT_EQ(Take(), p);
}

TEST_F(CmpCacheTest, MoreThan255ColoursAreRefusedAndThePictureStays) {
    PlainPicture ref;
    ref.width = 256;
    ref.height = 1;
    ref.palette = {{0, 0, 0, 0}};
    ref.pixels.assign(256, 0);
    Load(ref);
    ASSERT_EQ(SetCmpCache(0), 256);
    PlainPicture p;
    p.width = 256;
    p.height = 1;
    for (int i = 0; i < 256; ++i) {
        p.palette.push_back(PaletteEntry{static_cast<uint8_t>(i), 1, 2, 0});
        p.pixels.push_back(static_cast<uint8_t>(i));
    }
    Load(p);
    EXPECT_EQ(Cut(0, 0, 0x0F), kErrCmpColoursFull);
    EXPECT_EQ(Take(), p);
}

TEST_F(CmpCacheTest, PlacesOutsideTheReferenceAndTrueColourAreRefused) {
    SetReference({"111", "111"});
    Load(Draw({"11", "11"}));
    EXPECT_EQ(Cut(-1, 0, 0x0F), kErrCmpDoesNotFit);
    EXPECT_EQ(Cut(0, -1, 0x0F), kErrCmpDoesNotFit);
    EXPECT_EQ(Cut(2, 0, 0x0F), kErrCmpDoesNotFit);
    EXPECT_EQ(Cut(0, 1, 0x0F), kErrCmpDoesNotFit);
    EXPECT_EQ(Cut(1, 0, 0x0F), 0);
    LoadTrueColour();
    EXPECT_EQ(Cut(0, 0, 0x0F), kErrCmpPictureTrueColour);
    ASSERT_EQ(SetCmpCache(0), 3);
    Load(Draw({"11"}));
    EXPECT_EQ(Cut(0, 0, 0x0F), kErrCmpReferenceTrueColour);
}

int LiveBlocksTagged(int32_t tag) {
    int n = 0;
    for (const LiveBlock& b : LiveBlocks()) n += b.tag == tag;
    return n;
}

class CmpLibraryStop : public blittest::ManualTickTest {
protected:
    void TearDown() override {
        CloseDLL();
        ManualTickTest::TearDown();
    }
    SharedState shared_;
};

TEST_F(CmpLibraryStop, CloseDllReleasesTheReferenceAndTheWorkBuffer) {
    ASSERT_EQ(InitDLL(0, nullptr, nullptr, &shared_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr),
              0);
    Load(Draw({"12", "34"}));
    ASSERT_EQ(SetCmpCache(0), 2);
    ASSERT_EQ(CmpCache(0, 0, nullptr, nullptr, nullptr, nullptr, 0x0F), 0);
    EXPECT_EQ(LiveBlocksTagged(34045), 1);
    EXPECT_EQ(LiveBlocksTagged(34046), 1);
    EXPECT_EQ(CloseDLL(), 0);
    EXPECT_EQ(LiveBlocksTagged(34045), 0);
    EXPECT_EQ(LiveBlocksTagged(34046), 0);
    EXPECT_EQ(CmpRef().header.Width, 0);
}

}  // namespace
}  // namespace lvk
