// Palette reduction, cropping of background rows, and the colour translation exports.
#include <gtest/gtest.h>

#include "engine/cache/codec.h"
#include "engine/pictures/colour_tables.h"
#include "engine/pictures/current_picture.h"
#include "lumvatek/exports.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

using testing::Load;
using testing::MakePlain;
using testing::PlainPicture;
using testing::Take;

PaletteEntry Rgb(uint8_t r, uint8_t g, uint8_t b) { return PaletteEntry{r, g, b, 0}; }

TEST(ReducePalette, IdenticalUsedEntriesMerge) {
    // Entries 0, 2 and 4 are the same black; 0 and 4 are used, 2 is not.
    PlainPicture p = MakePlain(4, 1, 5, [](int x, int) { return static_cast<uint8_t>(x == 0 ? 0 : x == 1 ? 4 : 3); });
    p.palette = {Rgb(0, 0, 0), Rgb(9, 9, 9), Rgb(0, 0, 0), Rgb(50, 60, 70), Rgb(0, 0, 0)};
    Load(p);
    ASSERT_EQ(ReducePalette(0), 0);
    PlainPicture r = Take();
    EXPECT_EQ(r.palette, (std::vector<PaletteEntry>{Rgb(0, 0, 0), Rgb(50, 60, 70)}));
    EXPECT_EQ(r.pixels, (std::vector<uint8_t>{0, 0, 1, 1}));
}

TEST(ReducePalette, Transparency) {
    struct Case {
        const char* name;
        int flags;
        uint8_t pictureFlags, transparent;
        uint8_t wantFlags, wantTransparent;
    } cases[] = {
        // Pixels 9, 3, 3, 7; entries are taken in index order: 3, 7, 9 become 0, 1, 2.
        {"top_left_pixel", 0x20, 0, 0, kPicTransparent, 2},
        {"top_left_beats_magenta", 0x30, 0, 0, kPicTransparent, 2},
        {"magenta_entry", 0x10, 0, 0, kPicTransparent, 1},
        {"old_index_mapped", 0, kPicTransparent, 3, kPicTransparent, 0},
        {"old_index_unused_is_cleared", 0, kPicTransparent, 5, 0, 0},
        {"no_transparency", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t row[4] = {9, 3, 3, 7};
        PlainPicture p = MakePlain(4, 1, 10, [&](int x, int) { return row[x]; });
        p.palette[7] = Rgb(243, 0, 243);
        p.flags = c.pictureFlags;
        p.transparent = c.transparent;
        Load(p);
        ASSERT_EQ(ReducePalette(c.flags), 0);
        EXPECT_EQ(CurPic().Palette.Count, 3);
        EXPECT_EQ(CurPic().Header.Flags, c.wantFlags);
        EXPECT_EQ(CurPic().Header.TransparentIndex, c.wantTransparent);
    }
}

TEST(ReducePalette, TransparentEntryOfAnOpaqueColourStaysApart) {
    // White page (entry 1) on a ground of entry 2, also white, that the file calls
    // transparent; entry 3 is white as well and must join the page, not the ground.
    PlainPicture p = MakePlain(4, 1, 4, [](int x, int) { return static_cast<uint8_t>(x == 0 ? 2 : x == 3 ? 3 : 1); });
    p.palette = {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)};
    p.flags = kPicTransparent;
    p.transparent = 2;
    Load(p);
    ASSERT_EQ(ReducePalette(0), 0);
    PlainPicture r = Take();
    EXPECT_EQ(r.palette, (std::vector<PaletteEntry>{Rgb(255, 255, 255), Rgb(255, 255, 255)}));
    EXPECT_EQ(r.pixels, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(CurPic().Header.TransparentIndex, 1);
    EXPECT_EQ(CurPic().Header.Flags & kPicTransparent, kPicTransparent);
}

TEST(ReducePalette, OnlyUseOfAnIndexAtTopLeft) {
    PlainPicture p = MakePlain(3, 2, 12, [](int x, int y) { return static_cast<uint8_t>(x == 0 && y == 0 ? 9 : 2); });
    p.palette[9] = Rgb(1, 2, 3);
    Load(p);
    ASSERT_EQ(ReducePalette(0x20), 0);
    const CurrentPicture& c = CurPic();
    EXPECT_EQ(c.Palette.Count, 2);
    EXPECT_EQ(c.Header.TransparentIndex, 1);  // entry 2 came first, entry 9 second
    EXPECT_EQ(c.Palette.Entries[1], Rgb(1, 2, 3));
}

// A pixel past the palette count is kept with the entry it points at, so every pixel
// indexes the reduced palette.
TEST(ReducePalette, PixelsPastTheCount) {
    PlainPicture p = MakePlain(2, 1, 2, [](int x, int) { return static_cast<uint8_t>(x == 0 ? 1 : 200); });
    Load(p);
    CurPic().Palette.Entries[200] = Rgb(7, 7, 7);
    ASSERT_EQ(ReducePalette(0), 0);
    PlainPicture r = Take();
    EXPECT_EQ(r.palette, (std::vector<PaletteEntry>{p.palette[1], Rgb(7, 7, 7)}));
    EXPECT_EQ(r.pixels, (std::vector<uint8_t>{0, 1}));
}

TEST(CropPicture, Rows) {
    struct Case {
        const char* name;
        int height;
        int firstContentRow;  // rows above it hold only the background
        uint8_t flags;
        int want;
        int wantHeight;
    } cases[] = {
        {"three_transparent_rows", 8, 3, kPicTransparent, 3, 5}, {"fully_transparent", 4, 4, kPicTransparent, -1, 4},
        {"content_at_top", 4, 0, kPicTransparent, 0, 4},         {"true_colour", 4, 1, kPicTrueColour, -2, 4},
        {"first_entry_with_a_zero_component", 6, 2, 0, 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Background index 1 (transparent, or the first entry with a 0 component).
        PlainPicture p = MakePlain(5, c.height, 3, [&](int x, int y) {
            return static_cast<uint8_t>(y < c.firstContentRow ? 1 : (x + y) % 3);
        });
        p.palette = {Rgb(10, 10, 10), Rgb(0, 200, 200), Rgb(30, 30, 30)};
        p.flags = c.flags & kPicTransparent;
        p.transparent = 1;
        Load(p);
        CurPic().Header.Flags = c.flags;
        EXPECT_EQ(CropPicture(0), c.want);
        EXPECT_EQ(CurPic().Header.Height, c.wantHeight);
        if (c.want > 0) {
            CurPic().Header.Flags = p.flags;
            PlainPicture r = Take();
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) EXPECT_EQ(r.at(x, y), p.at(x, y + c.want));
        }
    }
}

TEST(CropPicture, NoBackgroundEntry) {
    PlainPicture p = MakePlain(3, 3, 2, [](int, int) { return uint8_t{0}; });
    p.palette = {Rgb(1, 1, 1), Rgb(2, 2, 2)};
    Load(p);
    EXPECT_EQ(CropPicture(0), -1);
}

TEST(ReColor, KeepsMarkerAndTransparentEntries) {
    PlainPicture p = MakePlain(2, 2, 8, [](int x, int) { return static_cast<uint8_t>(x); });
    for (int i = 0; i < 8; ++i) p.palette[i] = Rgb(static_cast<uint8_t>(i), 100, 200);
    p.flags = kPicMarkerZero | kPicTransparent;
    p.transparent = 5;
    Load(p);
    uint8_t invert[256];
    for (int i = 0; i < 256; ++i) invert[i] = static_cast<uint8_t>(255 - i);
    ReColor(invert, 0, 0);
    for (int i = 0; i < 8; ++i) {
        const PaletteEntry want = i == 0 || i == 5 ? p.palette[i] : Rgb(static_cast<uint8_t>(255 - i), 155, 55);
        EXPECT_EQ(CurPic().Palette.Entries[i], want) << i;
    }
}

TEST(ReColor, TrueColourIsLeftAlone) {
    PlainPicture p = MakePlain(1, 1, 1, [](int, int) { return uint8_t{0}; });
    p.palette[0] = Rgb(1, 2, 3);
    Load(p);
    CurPic().Header.Flags = kPicTrueColour;
    uint8_t zero[256] = {};
    ReColor(zero, 0, 0);
    EXPECT_EQ(CurPic().Palette.Entries[0], Rgb(1, 2, 3));
}

TEST(SetXColor, CopiesTheTablesUntilReset) {
    uint8_t r[256], g[256], b[256];
    for (int i = 0; i < 256; ++i) {
        r[i] = static_cast<uint8_t>(i / 2);
        g[i] = static_cast<uint8_t>(255 - i);
        b[i] = 9;
    }
    EXPECT_EQ(SetXColor(r, g, b), 256);
    EXPECT_EQ(XColorTables().Red[200], 100);
    EXPECT_EQ(XColorTables().Green[200], 55);
    EXPECT_EQ(XColorTables().Blue[200], 9);
    ResetColourTables();
    EXPECT_EQ(XColorTables().Red[200], 200);
    EXPECT_EQ(XColorTables().Blue[9], 9);
}

}  // namespace
}  // namespace lvk
