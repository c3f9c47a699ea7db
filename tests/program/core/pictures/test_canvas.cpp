// Memory DCs, the canvas slots, the engine's buffers as the program asks for them, and the
// one raster that program and engine draw on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "canvas_fixture.h"
#include "lumvatek/blit.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/program_state.h"

namespace {

using canvas_test::Colour;
using canvas_test::DrawingTest;
using canvas_test::LetterValue;
using canvas_test::Picture;
using Rows = std::vector<std::string>;

int BitsPerPixel(plat::HDC dc) {
    plat::BitmapDesc desc;
    plat::GetObject(plat::GetCurrentBitmap(dc), desc);
    return desc.bitsPerPixel;
}

TEST_F(DrawingTest, MemoryDcsOfEachDepth) {
    yov::MemDC screenLike;
    yov::CreateMemoryDC(5, 3, 0, screenLike, plat::WHITENESS, 0);
    EXPECT_EQ(BitsPerPixel(screenLike.dc), 32) << "like the screen, not like a new memory DC";
    EXPECT_EQ(screenLike.bits, nullptr);
    EXPECT_EQ(plat::GetPixel(screenLike.dc, 4, 2), plat::RGB(255, 255, 255)) << "cleared with the operation";

    yov::MemDC mono;
    yov::CreateMemoryDC(9, 2, 1, mono, 0, 0);
    EXPECT_EQ(BitsPerPixel(mono.dc), 1);
    ASSERT_NE(mono.bits, nullptr);
    plat::PatBlt(mono.dc, 0, 1, 1, 1, plat::WHITENESS);
    EXPECT_EQ(static_cast<const uint8_t*>(mono.bits)[0], 0x80) << "bottom-up, black and white";

    const plat::HDC dc = screenLike.dc;
    yov::DeleteMemoryDC(screenLike);
    EXPECT_FALSE(screenLike.dc);
    EXPECT_EQ(plat::GetPixel(dc, 0, 0), plat::CLR_INVALID) << "the DC is gone";
    yov::DeleteMemoryDC(screenLike);
    yov::DeleteMemoryDC(mono);
}

TEST_F(DrawingTest, ABitmapThatCannotBeMadeIsMemoryOverflow) {
    yov::MemDC huge;
    try {
        yov::CreateMemoryDC(3'000'000, 2, 32, huge, 0, 0);
        FAIL() << "no error";
    } catch (const yov::ProgramError& e) {
        EXPECT_EQ(e.number(), 6001);
        EXPECT_EQ(e.description(), u"Memory overflow");
    }
    EXPECT_FALSE(huge.dc);
}

TEST_F(DrawingTest, CanvasDcsAreFilledWhenAColourIsGiven) {
    yov::MaskedPicture p;
    yov::CreateCanvasDC(3, 2, p, 32, Colour('c'), plat::WHITENESS, 0);
    EXPECT_EQ(plat::GetPixel(p.picture.dc, 2, 1), Colour('c'));
    EXPECT_EQ(BitsPerPixel(p.mask.dc), 1);
    EXPECT_EQ(plat::GetPixel(p.mask.dc, 0, 0), plat::RGB(255, 255, 255));
    yov::DeleteCanvasDC(p);
    yov::CreateCanvasDC(3, 2, p, 32, -1, plat::WHITENESS, 0);
    EXPECT_EQ(plat::GetPixel(p.picture.dc, 2, 1), 0u) << "a negative colour fills nothing";
    EXPECT_EQ(plat::GetPixel(p.mask.dc, 0, 0), 0u);
    yov::DeleteCanvasDC(p);
    EXPECT_FALSE(p.picture.dc);
    EXPECT_FALSE(p.mask.dc);
}

TEST_F(DrawingTest, FillRectColorFillsEitherDc) {
    Picture dest(3, 1);
    canvas_test::Mask mask(3, 1);
    yov::FillRectColor(dest.dc, mask.dc, 1, 0, 2, 1, Colour('y'), plat::WHITENESS, 0);
    EXPECT_EQ(dest.Rows(), (Rows{".yy"}));
    EXPECT_EQ(mask.Rows(), (Rows{".##"}));
    yov::FillRectColor(plat::HDC{}, mask.dc, 0, 0, 3, 1, Colour('y'), plat::BLACKNESS, 0);
    yov::FillRectColor(dest.dc, plat::HDC{}, 0, 0, 0, 1, Colour('r'), 0, 0);
    EXPECT_EQ(dest.Rows(), (Rows{".yy"}));
    EXPECT_EQ(mask.Rows(), (Rows{"..."}));
}

TEST_F(DrawingTest, TheScratchDcOnlyGrows) {
    yov::CreateScratchDC(20, 10);
    const plat::HDC first = yov::ScratchDC().dc;
    EXPECT_EQ(BitsPerPixel(first), 1);
    yov::CreateScratchDC(10, 10);
    EXPECT_EQ(yov::ScratchDC().dc, first);
    yov::CreateScratchDC(30, 5);
    EXPECT_NE(yov::ScratchDC().dc, first);
    EXPECT_EQ(yov::ScratchWidth(), 30);
    yov::DeleteScratchDC();
    EXPECT_FALSE(yov::ScratchDC().dc);
}

class Canvases : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        yov::programState().Shared.PictureHeight = 58;
    }
    void TearDown() override {
        for (int slot = 0; slot < yov::kCanvasSlots; ++slot) yov::FreeCanvas(slot);
        DrawingTest::TearDown();
    }
};

TEST_F(Canvases, UseCanvasWithDefaultsIsEightUnitsByOne) {
    yov::UseCanvas(3, Colour('b'), 0, 0, 9);
    const yov::CurrentCanvas& cur = yov::currentCanvas();
    EXPECT_EQ(cur.slot, 3);
    EXPECT_EQ(cur.width, 464);
    EXPECT_EQ(cur.height, 58);
    EXPECT_EQ(cur.mode, 9);
    EXPECT_EQ(cur.secondPosition, 58);
    EXPECT_EQ(cur.fillPosition, 0);
    EXPECT_EQ(static_cast<uint32_t>(yov::programState().Shared.TransparentColor), Colour('b'));
    EXPECT_EQ(BitsPerPixel(cur.pictureDc), 32);
    EXPECT_EQ(BitsPerPixel(cur.maskDc), 1);

    const plat::HDC made = cur.pictureDc;
    yov::UseCanvas(3, Colour('r'), 100, 20, 1);
    EXPECT_EQ(yov::currentCanvas().pictureDc, made) << "large enough: kept";
    EXPECT_EQ(yov::currentCanvas().colour, Colour('r'));
    yov::UseCanvas(3, Colour('r'), 500, 20, 1);
    EXPECT_EQ(yov::currentCanvas().width, 500);
}

TEST_F(Canvases, SelectingKeepsEachSlotsPositions) {
    yov::UseCanvas(1, 0, 50, 10, 0);
    yov::currentCanvas().fillPosition = 17;
    yov::UseCanvas(2, 0, 50, 10, 0);
    EXPECT_EQ(yov::currentCanvas().fillPosition, 0);
    yov::currentCanvas().fillPosition = 4;
    EXPECT_EQ(yov::SelectCanvas(1), 0u);
    EXPECT_EQ(yov::currentCanvas().fillPosition, 17);
    yov::SelectCanvas(2);
    EXPECT_EQ(yov::currentCanvas().fillPosition, 4);
}

TEST_F(Canvases, SelectingAnUnusedSlotMakesItAtTheDefaults) {
    EXPECT_EQ(yov::SelectCanvas(6), 0u) << "black";
    EXPECT_EQ(yov::currentCanvas().width, 464);
    EXPECT_TRUE(yov::canvasSlot(6).inUse);
}

TEST_F(Canvases, FreeingTheCurrentSlotLeavesNoneSelected) {
    yov::UseCanvas(4, 0, 10, 10, 0);
    yov::UseCanvas(5, 0, 10, 10, 0);
    yov::FreeCanvas(4);
    EXPECT_EQ(yov::currentCanvas().slot, 5);
    yov::FreeCanvas(5);
    EXPECT_EQ(yov::currentCanvas().slot, 0);
    EXPECT_FALSE(yov::currentCanvas().pictureDc);
    yov::FreeCanvas(5);
    EXPECT_THROW(yov::FreeCanvas(8), std::out_of_range);
}

struct RebuildCase {
    const char* name;
    int32_t more;
    int32_t expectedWidth;
};

class RebuildWidths : public Canvases, public ::testing::WithParamInterface<RebuildCase> {};

TEST_P(RebuildWidths, GrowWithSlack) {
    yov::UseCanvas(1, 0, 400, 58, 0);
    yov::currentCanvas().fillPosition = 200;
    yov::RebuildCanvas(GetParam().more, 10);
    EXPECT_EQ(yov::currentCanvas().width, GetParam().expectedWidth);
    EXPECT_EQ(yov::currentCanvas().height, 58);
    EXPECT_EQ(yov::currentCanvas().fillPosition, 200);
    EXPECT_EQ(steps, (std::vector<int32_t>{10001, 11701, 10002}));
}

INSTANTIATE_TEST_SUITE_P(Canvas, RebuildWidths,
                         ::testing::Values(RebuildCase{"more_300", 300, 800}, RebuildCase{"more_700", 700, 1400},
                                           RebuildCase{"more_1200", 1200, 1400}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Canvases, RebuildKeepsTheContentBottomAlignedAndFillsAbove) {
    yov::UseCanvas(2, Colour('y'), 4, 2, 0);
    yov::CurrentCanvas& cur = yov::currentCanvas();
    yov::FillRectColor(cur.pictureDc, cur.maskDc, 0, 0, 3, 2, Colour('r'), plat::WHITENESS, 0);
    yov::FillRectColor(cur.pictureDc, cur.maskDc, 0, 1, 3, 1, Colour('b'), plat::WHITENESS, 0);
    cur.fillPosition = 3;
    steps.clear();

    yov::RebuildCanvas(1, 2);
    EXPECT_TRUE(steps.empty()) << "room enough: nothing";
    yov::RebuildCanvas(1, 4);
    ASSERT_EQ(yov::currentCanvas().height, 4);
    ASSERT_EQ(yov::currentCanvas().width, 4);
    Rows picture, mask;
    for (int y = 0; y < 4; ++y) {
        std::string p, m;
        for (int x = 0; x < 3; ++x) {
            const plat::COLORREF c = plat::GetPixel(yov::currentCanvas().pictureDc, x, y);
            p += c == Colour('y') ? 'y' : c == Colour('r') ? 'r' : c == Colour('b') ? 'b' : '?';
            m += plat::GetPixel(yov::currentCanvas().maskDc, x, y) != 0 ? '#' : '.';
        }
        picture.push_back(p);
        mask.push_back(m);
    }
    EXPECT_EQ(picture, (Rows{"yyy", "yyy", "rrr", "bbb"}));
    EXPECT_EQ(mask, (Rows{"...", "...", "###", "###"}));
    EXPECT_EQ(static_cast<uint32_t>(yov::programState().Shared.TransparentColor), Colour('y'));
}

TEST(BufferClasses, FromTheCanvasUnitUpToTheScreen) {
    const yov::BufferClasses c = yov::BufferClassesFor(58, 1024, 768);
    EXPECT_EQ(c.heights, (std::vector<int32_t>{19, 43, 58, 87, 174, 348, 768}));
    EXPECT_EQ(c.widths, (std::vector<int32_t>{5000, 5000, 5000, 5000, 1024, 1024, 1024}));
    EXPECT_EQ(yov::BufferClassesFor(58, 1920, 1080).heights,
              (std::vector<int32_t>{19, 43, 58, 87, 174, 348, 696, 1080}));
    EXPECT_EQ(yov::BufferClassesFor(3, 800, 10000).heights.size(), 10u) << "ten at most";
}

TEST_F(DrawingTest, AnEngineBufferTheProgramDrawsInto) {
    LvHandle buffer = yov::AllocDrawBuffer(16, 8, 0, 1);
    ASSERT_NE(buffer, 0u);
    LvHandle dc = 0;
    int32_t x = -1, y = -1;
    ASSERT_EQ(yov::lv::GetBufferData(buffer, &dc, nullptr, &x, &y, nullptr), 0);
    EXPECT_TRUE(plat::SetPixelV(plat::HDC(dc), x, y, Colour('m'))) << "the engine's DC is in the program's raster";
    EXPECT_EQ(plat::GetPixel(plat::HDC(dc), x, y), Colour('m'));
    yov::FreeDrawBuffer(buffer);
    EXPECT_EQ(buffer, 0u);
    EXPECT_TRUE(boxes.requests.empty());
}

TEST_F(DrawingTest, NoBufferIsToldToTheUser) {
    EXPECT_EQ(yov::AllocDrawBuffer(10, 1'000'000, 0, 1), 0u);
    ASSERT_EQ(boxes.texts(), (std::vector<std::u16string>{u"No buffer"}));
    EXPECT_EQ(boxes.requests[0].style, 64);
}

TEST_F(DrawingTest, TheEngineBlitsTheProgramsDcs) {
    Picture source({"rg", "by"});
    Picture screen(3, 2);
    screen.Fill('.');
    const BlitOp op{0, 0, 1, 0, 2, 2, source.Value(), 0, 0, 0};
    EXPECT_EQ(yov::lv::DoBlt(1, &op, screen.dc.id), 0);
    EXPECT_EQ(screen.Rows(), (Rows{".rg", ".by"}));
}

}  // namespace
