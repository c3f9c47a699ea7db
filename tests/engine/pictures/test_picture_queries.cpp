// The small exports around the current picture: transparency modes, palette and flag
// queries, a bitmap taken out of a device context, and the two probes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/draw.h"
#include "engine/pictures/picture_decoders.h"
#include "letter_pictures.h"
#include "picture_fixture.h"

namespace lvk {
namespace {

using testing::Load;
using testing::PlainPicture;
using testing::Take;

// 5 x 2: the top row 3 9 4 9 7, the bottom row 3 3 5 5 9; entry 6 is the magenta
// 243,0,243 and entry 8 the marker colour 123,0,123.
PlainPicture Sample(uint8_t flags = 0, uint8_t transparent = 0) {
    PlainPicture p;
    p.width = 5;
    p.height = 2;
    for (int i = 0; i < 10; ++i) p.palette.push_back(PaletteEntry{static_cast<uint8_t>(10 * i), 1, 2, 0});
    p.palette[6] = PaletteEntry{243, 0, 243, 0};
    p.palette[8] = PaletteEntry{123, 0, 123, 0};
    p.pixels = {3, 9, 4, 9, 7, 3, 3, 5, 5, 9};
    p.flags = flags;
    p.transparent = transparent;
    return p;
}

struct ModeCase {
    const char* label;
    int32_t mode;
    int32_t result;
    uint8_t flags;        // after the call
    uint8_t transparent;  // after the call
};

class TransparentModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(TransparentModes, SetTheIndexAndFlags) {
    const ModeCase& c = GetParam();
    Load(Sample(kPicMarkerZero | kPicTransparent, 2));
    EXPECT_EQ(SetTransparentMode(c.mode), c.result);
    EXPECT_EQ(CurPic().Header.Flags, c.flags);
    EXPECT_EQ(CurPic().Header.TransparentIndex, c.transparent);
}

constexpr uint8_t kBoth = kPicMarkerZero | kPicTransparent;
const ModeCase kModes[] = {
    {"none_clears_the_flag_keeps_the_byte", 0, 0, kPicMarkerZero, 2},
    {"top_left", 1, 0, kBoth, 3},
    {"top_right", 2, 0, kBoth, 7},
    {"bottom_left", 3, 0, kBoth, 3},
    {"bottom_right", 4, 0, kBoth, 9},
    {"bottom_middle", 5, 0, kBoth, 5},
    {"most_frequent_of_the_bottom_row_lowest_on_a_tie", 6, 0, kBoth, 3},
    {"top_middle", 7, 0, kBoth, 4},
    {"first_magenta", 8, 0, kBoth, 6},
    {"stored_byte", 9, 0, kBoth, 2},
    {"stored_byte_15", 15, 0, kBoth, 2},
    {"marker_flag_cleared_first", 0x21, 0, kPicTransparent, 3},
};

INSTANTIATE_TEST_SUITE_P(Modes, TransparentModes, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.label); });

TEST(TransparentMode, MagentaModeWithoutMagentaChangesNothing) {
    PlainPicture p = Sample(kBoth, 2);
    p.palette[6] = PaletteEntry{1, 2, 3, 0};
    Load(p);
    EXPECT_EQ(SetTransparentMode(0x28), kErrTransparentNoMagenta);
    EXPECT_EQ(Take(), p) << "not even the marker flag of 0x20";
}

TEST(TransparentMode, TheMarkerModeMovesTheMarkerColourToEntryZero) {
    Load(Sample());
    ASSERT_EQ(SetTransparentMode(0x10), 0);
    const PlainPicture after = Take();
    PlainPicture want = Sample(kBoth, 6);
    std::swap(want.palette[0], want.palette[8]);
    EXPECT_EQ(after, want) << "no pixel used 0 or 8, so only the entries moved";

    PlainPicture used = Sample();
    used.pixels = {8, 0, 8, 1, 6, 0, 0, 8, 8, 1};
    Load(used);
    ASSERT_EQ(SetTransparentMode(0x10), 0);
    EXPECT_EQ(Take().pixels, (std::vector<uint8_t>{0, 8, 0, 1, 6, 8, 8, 0, 0, 1}));
    EXPECT_EQ(CurPic().Palette.Entries[0].Red, 123);
}

TEST(TransparentMode, TrueColourPicturesHaveNone) {
    Load(Sample());
    CurPic().Header.Flags = kPicTrueColour;
    EXPECT_EQ(SetTransparentMode(1), kErrTransparentTrueColour);
    CurPic().Header.Flags = 0;
}

TEST(PictureQueries, PaletteCountAndFlags) {
    Load(Sample(kPicTransparent, 4));
    std::vector<uint8_t> buffer(2 + 4 * 256, 0xEE);
    EXPECT_EQ(GetPalette(buffer.data()), 10);
    uint16_t count;
    std::memcpy(&count, buffer.data(), 2);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(buffer[2 + 4 * 6], 243);
    EXPECT_EQ(buffer[2 + 4 * 6 + 1], 0);
    EXPECT_EQ(buffer[2 + 4 * 6 + 2], 243);
    EXPECT_EQ(buffer[2 + 4 * 6 + 3], 0xEE) << "the fourth byte of a slot is left alone";
    EXPECT_EQ(buffer[2 + 4 * 10], 0xEE) << "nothing past the count";
    EXPECT_EQ(GetPalNumEntries(), 10);
    EXPECT_EQ(GetPictureFlags(), kPicTransparent);
}

TEST(PictureQueries, TheProbesAnswer) {
    EXPECT_EQ(GetBitsPixel(), 32);
    int local = 0;
    const uintptr_t sp = GetStackPointer();
    const uintptr_t here = reinterpret_cast<uintptr_t>(&local);
    EXPECT_LT(sp > here ? sp - here : here - sp, 64u * 1024) << "near this frame's locals";
}

// hDc2Cache takes the bitmap selected into a DC as the current picture, colours counted
// in order of first appearance, and leaves the DC as it was.
TEST(Capture, TheBitmapOfADcBecomesTheCurrentPicture) {
    letterpic::Picture source({"rgbw", "..rg", "ykkk"});
    const plat::HBITMAP before = plat::GetCurrentBitmap(source.dc);
    CurPic().HeldEntry = 77;
    ASSERT_EQ(hDc2Cache(source.dc.id), 0);
    EXPECT_EQ(plat::GetCurrentBitmap(source.dc), before);
    const CurrentPicture& p = CurPic();
    EXPECT_EQ(p.Header.Width, 4);
    EXPECT_EQ(p.Header.Height, 3);
    EXPECT_EQ(p.Header.Flags, 0);
    EXPECT_EQ(p.HeldEntry, 0);
    drawtest::Canvas drawn(4, 3);
    ASSERT_EQ(GetPart(0, drawn.Dc(), 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(drawn.Values(), source.Values()) << "drawn back, the same pixels";
}

TEST(Capture, FailuresAreNegative) {
    EXPECT_LT(hDc2Cache(0), 0);
    EXPECT_LT(hDc2Cache(0x7FFF1234u), 0);

    // 256 colours do not fit a palette with room for nothing else.
    rastertest::Canvas many(16, 16, 32);
    for (int i = 0; i < 256; ++i) many.Set(i % 16, i / 16, static_cast<uint32_t>(i) << 8);
    EXPECT_EQ(hDc2Cache(many.dc.id), kErrTooManyColours);
}

}  // namespace
}  // namespace lvk
