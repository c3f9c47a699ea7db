// CopyRectEx mode by mode on small pictures, BlitSurfaceDC's bands and surfaces, and the
// tiling of BlitFromBuffer.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "program/show/frame_step.h"
#include "canvas_fixture.h"
#include "engine_fake.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/texts/program_error.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"

namespace {

using canvas_test::Colour;
using canvas_test::DrawingTest;
using canvas_test::Mask;
using canvas_test::Picture;
using Rows = std::vector<std::string>;

const Rows kSource = {"rgby", "cmbw"};
const Rows kSourceMask = {"#..#", "##.."};
const Rows kDestMask = {"##..", "...."};

struct ModeCase {
    const char* name;
    int32_t mode;
    bool sourceMask;
    int32_t maskFlag;
    Rows dest;      // the destination started all "g"
    Rows destMask;  // started as kDestMask
    Rows source;    // afterwards
};

const ModeCase kModeCases[] = {
    {"mode1_copy", 1, true, 1, {"rgby", "cmbw"}, {"#..#", "##.."}, kSource},
    {"mode1_no_source_mask_whitens", 1, false, 1, {"rgby", "cmbw"}, {"####", "####"}, kSource},
    {"mode1_mask_flag_0", 1, true, 0, {"rgby", "cmbw"}, kDestMask, kSource},
    {"mode2_masked_paint", 2, true, 1, {"rggy", "cmgg"}, {"##.#", "##.."}, {"r..y", "cm.."}},
    {"mode2_without_source_mask_is_mode1", 2, false, 1, {"rgby", "cmbw"}, {"####", "####"}, kSource},
    {"mode3_masked_or", 3, true, 1, {"rgcy", "cmcw"}, {"##.#", "##.."}, kSource},
    {"mode3_without_source_mask_ors", 3, false, 1, {"ygcy", "cwcw"}, {"####", "####"}, kSource},
    {"mode4_behind", 4, true, 1, {"ggby", "cmbw"}, {"##.#", "##.."}, {"..by", "cmbw"}},
    {"mode5_mirrored", 5, true, 1, {"ybgr", "wbmc"}, {"#..#", "..##"}, kSource},
    {"mode5_mask_only_with_both", 5, false, 1, {"ybgr", "wbmc"}, kDestMask, kSource},
    {"mode6_blackens_the_transparent_part", 6, true, 1, {"r..y", "cm.."}, {"#..#", "##.."}, kSource},
    {"mode7_first_brush", 7, true, 1, {"rooy", "cmoo"}, {"#..#", "##.."}, kSource},
    {"mode8_second_brush", 8, true, 1, {"rkky", "cmkk"}, {"#..#", "##.."}, kSource},
    {"mode10_and", 10, true, 1, {".g.g", "g..g"}, kDestMask, kSource},
    {"mode11_or", 11, true, 1, {"ygcy", "cwcw"}, kDestMask, kSource},
    {"mode12_behind_leaves_the_source", 12, true, 1, {"ggby", "cmbw"}, {"##.#", "##.."}, kSource},
    {"mode13_black", 13, true, 1, {"....", "...."}, {"....", "...."}, kSource},
    {"unknown_mode", 14, true, 1, {"gggg", "gggg"}, kDestMask, kSource},
};

class CopyRectModes : public DrawingTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(CopyRectModes, DrawPictureAndMask) {
    const ModeCase& c = GetParam();
    Picture source(kSource);
    Mask sourceMask(kSourceMask);
    Picture dest(4, 2);
    dest.Fill('g');
    Mask destMask(kDestMask);
    const plat::HBRUSH first = plat::CreateSolidBrush(Colour('o'));
    const plat::HBRUSH second = plat::CreateSolidBrush(Colour('k'));
    yov::displayState().BackBrush = first;
    yov::displayState().KeyBrush = second;

    yov::CopyRectEx(dest.Value(), destMask.Value(), 0, 0, 4, 2, source.Value(), c.sourceMask ? sourceMask.Value() : 0,
                    0, 0, c.mode, c.maskFlag, 0, 0, 1);
    EXPECT_EQ(dest.Rows(), c.dest);
    EXPECT_EQ(destMask.Rows(), c.destMask);
    EXPECT_EQ(source.Rows(), c.source);
    EXPECT_EQ(steps, (std::vector<int32_t>{11701}));
    EXPECT_TRUE(plat::DeleteObject(first)) << "the show brush was not left selected";
    EXPECT_TRUE(plat::DeleteObject(second));
}

INSTANTIATE_TEST_SUITE_P(Canvas, CopyRectModes, ::testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingTest, Mode9FillsWithTheColourAndAppliesTheMaskOperation) {
    Picture dest(4, 2);
    dest.Fill('g');
    Mask destMask(kDestMask);
    yov::CopyRectEx(dest.Value(), destMask.Value(), 1, 0, 2, 2, static_cast<int32_t>(Colour('b')),
                    static_cast<int32_t>(plat::WHITENESS), 0, 0, 9, 1, 0, 0, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"gbbg", "gbbg"}));
    EXPECT_EQ(destMask.Rows(), (Rows{"###.", ".##."}));
    yov::CopyRectEx(dest.Value(), destMask.Value(), 0, 0, 1, 1, static_cast<int32_t>(Colour('r')),
                    static_cast<int32_t>(plat::BLACKNESS), 0, 0, 9, 0, 0, 0, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"rbbg", "gbbg"}));
    EXPECT_EQ(destMask.Rows(), (Rows{"###.", ".##."})) << "mask flag 0";
}

TEST_F(DrawingTest, CopyRectExTakesTheRectangleAndSourcePosition) {
    Picture source(kSource);
    Mask sourceMask(kSourceMask);
    Picture dest(4, 2);
    dest.Fill('g');
    Mask destMask(kDestMask);
    yov::CopyRectEx(dest.Value(), destMask.Value(), 2, 0, 2, 1, source.Value(), sourceMask.Value(), 1, 1, 1, 1, 0, 0,
                    1);
    EXPECT_EQ(dest.Rows(), (Rows{"ggmb", "gggg"}));
    EXPECT_EQ(destMask.Rows(), (Rows{"###.", "...."}));
}

TEST_F(DrawingTest, Mode5MirrorsColumns100To109) {
    Picture source(10, 1);
    Picture dest(120, 1);
    dest.Fill('.');
    const std::string letters = "rgbycmkowr";
    source.Paint({letters});
    yov::CopyRectEx(dest.Value(), 0, 100, 0, 10, 1, source.Value(), 0, 0, 0, 5, 0, 0, 0, 1);
    const std::string row = dest.Rows()[0];
    EXPECT_EQ(row.substr(100, 10), std::string(letters.rbegin(), letters.rend()));
    EXPECT_EQ(row.substr(0, 100), std::string(100, '.'));
    EXPECT_EQ(row.substr(110), std::string(10, '.'));
}

TEST_F(DrawingTest, ZeroSizesNeitherDrawNorStep) {
    Picture source(kSource);
    Picture dest(4, 2);
    dest.Fill('g');
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 0, 2, source.Value(), 0, 0, 0, 1, 0, 0, 0, 1);
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, -1, source.Value(), 0, 0, 0, 1, 0, 0, 0, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"gggg", "gggg"}));
    EXPECT_TRUE(steps.empty());
}

TEST_F(DrawingTest, NoFrameStepWhileOneRuns) {
    Picture source(kSource);
    Picture dest(4, 2);
    yov::showState().StepState = 1;
    yov::showState().StartedTrains = 3;
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, 2, source.Value(), 0, 0, 0, 1, 0, 0, 0, 1);
    EXPECT_EQ(dest.Rows(), kSource);
    EXPECT_TRUE(steps.empty());
}

// A fake of the engine's surfaces: each surface is a picture lending its DC.
class Surfaces : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        destSurface.Fill('g');
    }

    // The engine's surfaces, faked: the two surfaces lend their pictures' DCs.
    struct SurfaceEngine final : engine_test::EngineFake {
        explicit SurfaceEngine(Surfaces& test) : test_(test) {}
        LvHandle GetDDC(LvHandle surface) override {
            ++test_.lent;
            return surface == kDestSurface     ? test_.destSurface.dc.id
                   : surface == kSourceSurface ? test_.sourceSurface.dc.id
                                               : 0;
        }
        LvResult ReleaseDDC(LvHandle surface, LvHandle) override {
            test_.released.push_back(surface);
            return 0;
        }
        LvResult DDBlt(LvHandle dest, int32_t x, int32_t y, int32_t w, int32_t h, LvHandle source, int32_t sx,
                       int32_t sy, int32_t flags, int32_t) override {
            test_.ddBlts.push_back(
                {static_cast<int32_t>(dest), x, y, w, h, static_cast<int32_t>(source), sx, sy, flags});
            return 0;
        }
        Surfaces& test_;
    };

    static constexpr LvHandle kDestSurface = 7001;
    static constexpr LvHandle kSourceSurface = 7002;
    Picture destSurface{4, 2};
    Picture sourceSurface{kSource};
    int lent = 0;
    std::vector<LvHandle> released;
    std::vector<std::vector<int32_t>> ddBlts;
    SurfaceEngine engine_{*this};
};

TEST_F(Surfaces, ASurfaceLendsItsDcInPlaceOfTheDc) {
    Picture dest(4, 2);
    dest.Fill('.');
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, 2, 0, 0, 0, 0, 1, 0, kDestSurface, kSourceSurface, 1);
    EXPECT_EQ(destSurface.Rows(), kSource);
    EXPECT_EQ(dest.Rows(), (Rows{"....", "...."}));
    EXPECT_EQ(released, (std::vector<LvHandle>{kSourceSurface, kDestSurface})) << "source first, then destination";
}

TEST_F(Surfaces, ASourceSurfaceStandsInForTheSourceOnlyInModes1To4) {
    Picture source({"kkkk", "kkkk"});
    Picture dest(4, 2);
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, 2, source.Value(), 0, 0, 0, 6, 0, 0, kSourceSurface, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"kkkk", "kkkk"}));
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, 2, source.Value(), 0, 0, 0, 1, 0, 0, kSourceSurface, 1);
    EXPECT_EQ(dest.Rows(), kSource);
}

TEST_F(Surfaces, Mode3BetweenTwoSurfacesIsOneColourKeyedSurfaceCopy) {
    Picture dest(4, 2);
    Mask destMask(kDestMask);
    yov::CopyRectEx(dest.Value(), destMask.Value(), 1, 0, 2, 2, 0, 0, 1, 1, 3, 1, kDestSurface, kSourceSurface, 44);
    ASSERT_EQ(ddBlts.size(), 1u);
    EXPECT_EQ(ddBlts[0], (std::vector<int32_t>{7001, 1, 0, 2, 2, 7002, 1, 1, 1}));
    EXPECT_EQ(lent, 0);
    EXPECT_EQ(destMask.Rows(), kDestMask) << "nothing else";
}

// Mode 2 with a destination surface: the source is masked in its own DC, the masked paint
// lands on the surface.
TEST_F(Surfaces, Mode2IntoADestinationSurfaceMasksTheSourceInItsDc) {
    Picture source(kSource);
    Mask sourceMask(kSourceMask);
    Picture dest(4, 2);
    dest.Fill('.');
    yov::CopyRectEx(dest.Value(), 0, 0, 0, 4, 2, source.Value(), sourceMask.Value(), 0, 0, 2, 0, kDestSurface, 0, 1);
    EXPECT_EQ(source.Rows(), (Rows{"r..y", "cm.."}));
    EXPECT_EQ(destSurface.Rows(), (Rows{"rggy", "cmgg"}));
    EXPECT_EQ(dest.Rows(), (Rows{"....", "...."}));
    EXPECT_EQ(sourceSurface.Rows(), kSource);
}

TEST_F(Surfaces, LongCopiesAreCutIntoBandsWhileTrainsMove) {
    yov::showState().StartedTrains = 1;
    Picture wide(100, 500);
    Picture target(100, 500);
    yov::BlitSurfaceDC(0, 0, 0, 100, 500, wide.Value(), 0, 0, plat::SRCCOPY, kDestSurface, 0, {}, 1);
    EXPECT_EQ(steps, (std::vector<int32_t>{11601, 11602, 11602, 11602})) << "200 rows a band";
    EXPECT_EQ(lent, 3) << "each band takes the surface's DC anew";
    EXPECT_EQ(released.size(), 3u);

    steps.clear();
    yov::BlitSurfaceDC(target.Value(), 0, 0, 100, 500, wide.Value(), 0, 0, plat::SRCPAINT, 0, 0, {}, 1);
    EXPECT_EQ(steps.size(), 1u + 9u) << "60 rows a band for other operations";

    steps.clear();
    yov::BlitSurfaceDC(target.Value(), 0, 0, 100, 500, wide.Value(), 0, 0, plat::SRCCOPY, 0, 0, {}, 1);
    yov::showState().StartedTrains = 0;
    yov::BlitSurfaceDC(target.Value(), 0, 0, 100, 500, wide.Value(), 0, 0, plat::SRCCOPY, 0, 0, {}, 1);
    EXPECT_EQ(steps.size(), 4u) << "one copy without trains in motion";
}

TEST_F(Surfaces, AStopDuringTheBandsGivesTheSurfaceBack) {
    yov::showState().StartedTrains = 1;
    frameSteps.onStep = [](int32_t site) {
        if (site == 11602) throw yov::ProgramError(yov::error_number::kReported, u"");
    };
    Picture wide(100, 500);
    EXPECT_THROW(yov::BlitSurfaceDC(0, 0, 0, 100, 500, wide.Value(), 0, 0, plat::SRCCOPY, kDestSurface, 0, {}, 1),
                 yov::ProgramError);
    EXPECT_EQ(lent, 1);
    EXPECT_EQ(released.size(), 1u);
}

TEST_F(DrawingTest, BlitSurfaceDcNeedsADestinationAndASourceWhenTheOperationReadsOne) {
    Picture dest(4, 2);
    dest.Fill('g');
    yov::BlitSurfaceDC(dest.Value(), 0, 0, 4, 2, 0, 0, 0, plat::SRCCOPY, 0, 0, {}, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"gggg", "gggg"}));
    yov::BlitSurfaceDC(dest.Value(), 0, 0, 2, 2, 0, 0, 0, plat::BLACKNESS, 0, 0, {}, 1);
    yov::BlitSurfaceDC(dest.Value(), 2, 0, 2, 1, 0, 0, 0, plat::DSTINVERT, 0, 0, {}, 1);
    EXPECT_EQ(dest.Rows(), (Rows{"..mm", "..gg"}));
    yov::BlitSurfaceDC(0, 0, 0, 4, 2, dest.Value(), 0, 0, plat::SRCCOPY, 0, 0, {}, 1);
}

TEST_F(DrawingTest, CopyRectClippedCutsToTheClipAndTurnsSceneRowsOver) {
    Picture source({"rgbycm", "kowrgb", "cmykow"});
    Picture dest(6, 3);
    dest.Fill('.');
    yov::ClipState& clip = yov::clipState();
    clip = yov::ClipState{1, 0, 5, 2, source.Value(), 0, 0, 3};
    // Scene rows 0 and 1 (of 0..3) are device rows 2 and 1 at a y origin of 3.
    yov::CopyRectClipped(dest.Value(), 0, 0, 0, 6, 3, 0, 3, 1, 0);
    EXPECT_EQ(dest.Rows(), (Rows{"......", ".owrg.", ".myko."}));
    dest.Fill('.');
    yov::CopyRectClipped(dest.Value(), 0, 5, 0, 3, 3, 0, 3, 1, 0);
    EXPECT_EQ(dest.Rows(), (Rows{"......", "......", "......"})) << "nothing left after clipping";
    clip = yov::ClipState{};
}

TEST_F(DrawingTest, BlitFromBufferTilesThePicture) {
    Picture tile({"rgb", "cmy"});
    const yov::PictureBox box{tile.dc, 3, 2};
    Picture dest(8, 3);
    dest.Fill('.');
    EXPECT_EQ(yov::BlitFromBuffer(box, dest.Value(), 0, 0, 0, 7, 2, false), 2);
    EXPECT_EQ(dest.Rows(), (Rows{"rgbrgbr.", "cmycmyc.", "........"}));
    dest.Fill('.');
    EXPECT_EQ(yov::BlitFromBuffer(box, dest.Value(), 0, 1, 3, 4, 0, false), 2) << "standing on y = 3";
    EXPECT_EQ(dest.Rows(), (Rows{"........", ".rgbr...", ".cmyc..."}));
    dest.Fill('.');
    EXPECT_EQ(yov::BlitFromBuffer(box, dest.Value(), 0, 0, 0, 3, 1, false), 1);
    EXPECT_EQ(dest.Rows(), (Rows{"rgb.....", "........", "........"}));
}

TEST_F(DrawingTest, BlitFromBufferBehindFillsOnlyWhatTheMaskLeavesClear) {
    Picture tile({"rgb", "cmy"});
    const yov::PictureBox box{tile.dc, 3, 2};
    Picture dest(6, 2);
    Mask destMask({"#.#...", "......"});
    dest.Paint({"k.k...", "......"});
    EXPECT_EQ(yov::BlitFromBuffer(box, dest.Value(), destMask.Value(), 0, 0, 6, 2, true), 2);
    EXPECT_EQ(dest.Rows(), (Rows{"kgkrgb", "cmycmy"}));
    EXPECT_EQ(destMask.Rows(), (Rows{"######", "######"}));
}

}  // namespace
