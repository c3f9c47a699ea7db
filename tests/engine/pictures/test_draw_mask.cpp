// GetPartWithMsk on the raster: masks top-down with white marking the opaque pixels, the
// transparent index, mirroring, the colour-key mode, the zero-mask mode that composites as
// destination AND NOT mask then OR picture, and masks drawn into the engine's buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw_fixture.h"
#include "engine/pictures/current_picture.h"
#include "letter_pictures.h"
#include "loader_fixture.h"
#include "lumvatek/exports.h"
#include "picture_fixture.h"
#include "platform/raster.h"

namespace lvk {
namespace {

using drawtest::DrawTest;
using drawtest::MaskCanvas;
using letterpic::Picture;
using Rows = std::vector<std::string>;

// Six colours named by their letters (letter_pictures.h): index 0 black, then r g b y w.
testing::PlainPicture Crafted(uint8_t flags = 0, uint8_t transparent = 0) {
    testing::PlainPicture p;
    p.width = 6;
    p.height = 3;
    p.palette = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
    p.pixels = {1, 2, 3, 4, 5, 0,   //  r g b y w .
                0, 1, 1, 2, 2, 3,   //  . r r g g b
                3, 3, 0, 0, 4, 4};  // b b . . y y
    p.flags = flags;
    p.transparent = transparent;
    return p;
}

class PartMasks : public DrawTest {
protected:
    // 8 x 5 targets; the part is drawn at (1, 1).
    Picture picture_{8, 5};
    MaskCanvas mask_{8, 5};
    void SetUp() override {
        DrawTest::SetUp();
        picture_.Fill('k');
    }
    int32_t Draw(int32_t flags, LvHandle pictureDc, LvHandle maskDc) {
        return GetPartWithMsk(0, pictureDc, maskDc, 1, 1, 0, 0, 0, 0, flags);
    }
};

TEST_F(PartMasks, WithoutTransparencyTheMaskRectangleIsWhite) {
    testing::Load(Crafted());
    EXPECT_EQ(Draw(0, picture_.Value(), mask_.Dc()), 0);
    EXPECT_EQ(picture_.Rows(), (Rows{"kkkkkkkk", "krgbyw.k", "k.rrggbk", "kbb..yyk", "kkkkkkkk"}));
    EXPECT_EQ(mask_.Rows(), (Rows{"........", ".######.", ".######.", ".######.", "........"}));
}

TEST_F(PartMasks, TheTransparentIndexClearsItsBitsAndIsDrawnInTheProgramsColour) {
    testing::Load(Crafted(kPicTransparent, 2));
    shared_.TransparentColor = 0x00FF00FF;  // magenta, letter 'm'
    EXPECT_EQ(Draw(0, picture_.Value(), mask_.Dc()), 1);
    EXPECT_EQ(picture_.Rows(), (Rows{"kkkkkkkk", "krmbyw.k", "k.rrmmbk", "kbb..yyk", "kkkkkkkk"}));
    EXPECT_EQ(mask_.Rows(), (Rows{"........", ".#.####.", ".###..#.", ".######.", "........"}));
}

TEST_F(PartMasks, AMirroredPartHasAMirroredMask) {
    testing::Load(Crafted(kPicTransparent, 2));
    shared_.TransparentColor = 0x00FF00FF;
    EXPECT_EQ(Draw(0x01, picture_.Value(), mask_.Dc()), 1);
    EXPECT_EQ(picture_.Rows(), (Rows{"kkkkkkkk", "k.wybmrk", "kbmmrr.k", "kyy..bbk", "kkkkkkkk"}));
    EXPECT_EQ(mask_.Rows(), (Rows{"........", ".####.#.", ".#..###.", ".######.", "........"}));
}

TEST_F(PartMasks, WithoutAMaskTargetTheResultIsTheTransparencyFlag) {
    testing::Load(Crafted());
    EXPECT_EQ(Draw(0, picture_.Value(), 0), 0);
    testing::Load(Crafted(kPicTransparent, 4));
    EXPECT_EQ(Draw(0, picture_.Value(), 0), 1);
    picture_.Fill('k');
    EXPECT_EQ(Draw(0, 0, mask_.Dc()), 1) << "a mask alone";
    EXPECT_EQ(mask_.Rows(), (Rows{"........", ".###.##.", ".######.", ".####...", "........"}));
    EXPECT_EQ(picture_.Rows()[1], "kkkkkkkk");
}

TEST_F(PartMasks, TheKeyModeMarksThePixelsOfTheNearestEntryAndDrawsNoPicture) {
    testing::Load(Crafted());
    // Nearest to (10, 10, 240) is blue, entry 3.
    EXPECT_EQ(Draw(0x04, 0x00F00A0A, mask_.Dc()), 0);
    EXPECT_EQ(mask_.Rows(), (Rows{"........", "...#....", "......#.", ".##.....", "........"}));
    EXPECT_EQ(picture_.Rows()[1], "kkkkkkkk");

    // Mirrored, the key mask is ANDed into what the target holds.
    MaskCanvas half(8, 5);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 5; ++y) half.Set(x, y, 1);
    EXPECT_EQ(Draw(0x05, 0x00F00A0A, half.Dc()), 0);
    EXPECT_EQ(half.Rows(), (Rows{"####....", "#.......", "##......", "#.......", "####...."}));
}

TEST_F(PartMasks, TheKeyModeTakesTheLowerOfTwoEquallyNearEntries) {
    testing::PlainPicture p = Crafted();
    p.palette = {{10, 0, 0, 0}, {0, 10, 0, 0}, {0, 0, 10, 0}};
    p.pixels = {0, 1, 2, 0, 1, 2,  //
                2, 1, 0, 2, 1, 0,  //
                1, 1, 1, 1, 1, 1};
    testing::Load(p);
    EXPECT_EQ(Draw(0x04, 0x00000000, mask_.Dc()), 0) << "black is 10 away from every entry";
    EXPECT_EQ(mask_.Rows(), (Rows{"........", ".#..#...", "...#..#.", "........", "........"}));
    EXPECT_EQ(Draw(0x04, 0x00010900, mask_.Dc()), 0);
    EXPECT_EQ(mask_.Rows(), (Rows{"........", "..#..#..", "..#..#..", ".######.", "........"}));
}

// Zero-mask mode: index 0 is transparent; the picture target is composited (AND NOT mask,
// then OR the picture with entry 0 black) and the mask target keeps its bits under index 0.
TEST_F(PartMasks, TheZeroMaskModeCompositesOverWhatTheTargetsHold) {
    testing::Load(Crafted(kPicMarkerZero));
    MaskCanvas pattern(8, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) pattern.Set(x, y, (x + y) % 2);
    const Rows before = pattern.Rows();
    EXPECT_EQ(Draw(0x02, picture_.Value(), pattern.Dc()), 1) << "index-0 pixels were met";
    EXPECT_EQ(picture_.Rows(), (Rows{"kkkkkkkk", "krgbywkk", "kkrrggbk", "kbbkkyyk", "kkkkkkkk"}));
    Rows want = before;
    const char* opaque[] = {"#####.", ".#####", "##..##"};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            if (opaque[y][x] == '#') want[static_cast<size_t>(y + 1)][static_cast<size_t>(x + 1)] = '#';
    EXPECT_EQ(pattern.Rows(), want);
}

TEST_F(PartMasks, InTheZeroMaskModeTheTransparentIndexCountsOnlyWhenFlagged) {
    // Index 3 is flagged transparent: it is cleared in both targets.
    testing::Load(Crafted(kPicMarkerZero | kPicTransparent, 3));
    shared_.TransparentColor = 0;
    MaskCanvas set(8, 5, true);
    EXPECT_EQ(Draw(0x02, picture_.Value(), set.Dc()), 1);
    EXPECT_EQ(picture_.Rows(), (Rows{"kkkkkkkk", "krg.ywkk", "kkrrgg.k", "k..kkyyk", "kkkkkkkk"}));
    EXPECT_EQ(set.Rows(), (Rows{"########", "###.####", "######.#", "#..#####", "########"}));

    // A stale index byte without flag 0x01 is no transparency.
    testing::Load(Crafted(kPicMarkerZero, 3));
    MaskCanvas clear(8, 5);
    EXPECT_EQ(Draw(0x02, 0, clear.Dc()), 1);
    EXPECT_EQ(clear.Rows(), (Rows{"........", ".#####..", "..#####.", ".##..##.", "........"}));
}

TEST_F(PartMasks, WithoutTheZeroMaskModeIndexZeroShowsTheMarkerColour) {
    testing::Load(Crafted(kPicMarkerZero));
    EXPECT_EQ(Draw(0, picture_.Value(), mask_.Dc()), 0);
    EXPECT_EQ(picture_.Get(6, 1) & 0xFFFFFF, 0x7B007Bu);
    EXPECT_EQ(picture_.Get(1, 2) & 0xFFFFFF, 0x7B007Bu);
    EXPECT_EQ(mask_.Rows()[2], ".######.");
}

// The program's compositing of a real picture: mask and picture drawn apart, then the
// background ANDed with NOT mask and ORed with the picture, its transparent pixels black.
TEST_F(DrawTest, AMaskedRealPictureCompositesOverABackground) {
    drawtest::LoadFile(loadertest::kGifDir + "hat.gif", kLoadCornerTransparent);
    const CurrentPicture& p = CurPic();
    const int w = p.Header.Width, h = p.Header.Height;
    shared_.TransparentColor = 0;
    drawtest::Canvas picture(w, h);
    MaskCanvas mask(w, h);
    ASSERT_EQ(GetPartWithMsk(0, picture.Dc(), mask.Dc(), 0, 0, 0, 0, 0, 0, 0), 1);

    drawtest::Canvas scene(w, h);
    scene.Fill(0x808080);
    ASSERT_TRUE(plat::BitBlt(scene.dc, 0, 0, w, h, mask.dc, 0, 0, plat::ROP_DST_AND_NOT_SRC));
    ASSERT_TRUE(plat::BitBlt(scene.dc, 0, 0, w, h, picture.dc, 0, 0, plat::SRCPAINT));
    const drawtest::Model model = drawtest::CurrentModel();
    int transparent = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool clear = p.Row(y)[x] == p.Header.TransparentIndex;
            transparent += clear;
            ASSERT_EQ(mask.Get(x, y), clear ? 0u : 1u) << x << "," << y;
            ASSERT_EQ(scene.Get(x, y) & 0xFFFFFF, clear ? 0x808080u : model.At(x, y)) << x << "," << y;
        }
    EXPECT_GT(transparent, 0);
}

// The engine's off-screen buffers keep bottom-up masks: a top-down part mask lands in them
// row for row.
TEST_F(PartMasks, AMaskDrawnIntoAnOffScreenBufferKeepsItsRows) {
    testing::Load(Crafted(kPicTransparent, 2));
    const int32_t heights[] = {10};
    ASSERT_EQ(InitBuffer(0, 64, 1, heights, nullptr, nullptr), 0);
    LvHandle buffer = AllocBuffer(6, 3, 0);
    ASSERT_NE(buffer, 0u);
    LvHandle pictureDc = 0, maskDc = 0;
    int32_t bx = 0, by = 0;
    uint8_t* bits = nullptr;
    ASSERT_EQ(GetBufferData(buffer, &pictureDc, &maskDc, &bx, &by, &bits), 0);
    ASSERT_EQ(GetPartWithMsk(0, pictureDc, maskDc, bx, by, 0, 0, 0, 0, 0), 1);
    const size_t stride = 8;  // a 64-pixel strip
    Rows got;
    for (int y = 0; y < 3; ++y) {
        const uint8_t* row = bits + static_cast<size_t>(10 - 1 - (by + y)) * stride;
        std::string s;
        for (int x = bx; x < bx + 6; ++x) s += (row[x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
        got.push_back(s);
    }
    EXPECT_EQ(got, (Rows{"#.####", "###..#", "######"}));
    FreeBuffer(&buffer);
    ShutdownBuffer(0, nullptr, nullptr, nullptr);
}

TEST_F(PartMasks, TheMaskBufferGrowsForALargerPart) {
    testing::Load(Crafted(kPicTransparent, 2));
    ASSERT_EQ(Draw(0, 0, mask_.Dc()), 1);
    drawtest::LoadFile(loadertest::kGifDir + "harvesters.gif", kLoadCornerTransparent);
    MaskCanvas big(CurPic().Header.Width, CurPic().Header.Height);
    EXPECT_EQ(GetPartWithMsk(0, 0, big.Dc(), 0, 0, 0, 0, 0, 0, 0), 1);
    EXPECT_GE(CurPic().MaskBufferSize, ((1165u + 31) / 32) * 4 * 859);
}

}  // namespace
}  // namespace lvk
