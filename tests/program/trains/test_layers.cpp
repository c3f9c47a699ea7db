// Layer strips, their placed copies and whole layers, on pictures drawn here: a strip's
// gaps and bottom alignment, the JPEG box, tiling and clipping into the scene and the band
// buffers, the element parameters, visible blocks and the temporary background's span.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>

#include "trains_fixture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/trains/area_painting.h"
#include "program/trains/bg_layers.h"
#include "program/trains/fg_bg_areas.h"
#include "program/trains/temp_background.h"

namespace {

using trains_test::kSky;
constexpr plat::COLORREF kRed = plat::RGB(200, 20, 20);
constexpr plat::COLORREF kBlue = plat::RGB(20, 20, 200);
constexpr plat::COLORREF kGreen = plat::RGB(20, 160, 20);

class Layers : public trains_test::AreaTest {
protected:
    void SetUp() override {
        AreaTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        yov::programState().scene.StockDir = core_test::u16(dir.path().toStdString());
        // Pictures the platform loads, named as JPEG files.
        Write("red.jpg", 10, 20, kRed);
        Write("blue.jpg", 6, 8, kBlue);
        Write("green.jpg", 4, 30, kGreen);
        MakeScene(200, 130);
        area.OriginX = 20;
        area.Width = 100;
        area.BandTop = 10;
        area.BandHeight = 100;
        area.AboveBase = 80;
        area.BelowBase = 20;
        area.VehicleHeight = 40;
        area.AreaLeftX = 20;
        area.BaseY = 90;
        area.SceneDC = scene->dc.Value();
        yov::SelectCanvas(5);
    }
    void TearDown() override {
        yov::FreeLayerPieces(area);
        AreaTest::TearDown();
    }
    void Write(const char* name, int w, int h, plat::COLORREF c) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)));
        ASSERT_TRUE(image.save(dir.filePath(name), "PNG"));
    }
    struct Strip {
        int32_t width = -1, height = -1, anim = 99;
    };
    Strip Build(std::u16string text, int32_t owner = 0) {
        Strip s;
        yov::LoadTempBackground(text, s.width, s.height, s.anim, owner);
        return s;
    }
    // Pixel of the current canvas at strip column x and row y from the strip's top.
    plat::COLORREF StripPixel(int x, int y, int stripHeight) const {
        const yov::CurrentCanvas& cc = yov::currentCanvas();
        return plat::GetPixel(cc.pictureDc, x, cc.height - stripHeight + y);
    }
    bool StripOpaque(int x, int y, int stripHeight) const {
        const yov::CurrentCanvas& cc = yov::currentCanvas();
        return plat::GetPixel(cc.maskDc, x, cc.height - stripHeight + y) != 0;
    }
    // Scene pixel of line point (x, y): the row just above line height y.
    plat::COLORREF At(int x, int y) const { return Pixel(area.AreaLeftX + x, area.BaseY - 1 - y); }
    static void ExpectPiece(const yov::LayerPiece& p, int left, int right, int top, int height) {
        EXPECT_EQ(std::vector<int32_t>(
                      {p.Left, p.Right, p.Values[yov::piece_value::kTop], p.Values[yov::piece_value::kHeight]}),
                  std::vector<int32_t>({left, right, top, height}));
        EXPECT_NE(p.Buffer, 0);
    }
    int Count(int site) const { return static_cast<int>(std::count(steps_.begin(), steps_.end(), site)); }

    QTemporaryDir dir;
    yov::TrainRec area;
};

TEST_F(Layers, EmptyTextsLeaveCanvasAndChainAlone) {
    for (const char16_t* text : {u"", u",,", u" "}) {
        const Strip s = Build(text);
        EXPECT_EQ(s.width, 0) << core_test::utf8(text);
        EXPECT_EQ(s.anim, 99) << "the chain head is untouched";
    }
}

TEST_F(Layers, AnExpansionErrorIsAProgramErrorBeforeAnythingIsDrawn) {
    Strip s;
    std::u16string text = u"red.jpg,(blue.jpg";
    try {
        yov::LoadTempBackground(text, s.width, s.height, s.anim, 0);
        ADD_FAILURE() << "no error";
    } catch (const yov::ProgramError& e) {
        EXPECT_EQ(e.number(), 6002);
    }
    EXPECT_EQ(s.width, -1) << "the sizes are not yet set";
    EXPECT_EQ(s.anim, 99);
}

TEST_F(Layers, AStripOfTwoPicturesAndAGapStandsOnItsBottom) {
    const Strip s = Build(u"red.jpg,40,blue.jpg");
    ASSERT_EQ(s.width, 56);
    ASSERT_EQ(s.height, 20);
    EXPECT_EQ(s.anim, 0);
    struct Probe {
        int x, y;
        plat::COLORREF colour;
        bool opaque;
    };
    const Probe probes[] = {
        {0, 0, kRed, true},    {9, 19, kRed, true},    // the first picture, full height
        {10, 10, 0, false},    {49, 19, 0, false},     // the gap: black and clear
        {50, 12, kBlue, true}, {55, 19, kBlue, true},  // the lower picture on the bottom
        {50, 11, 0, false},    {55, 0, 0, false},      // black above it
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(StripPixel(p.x, p.y, s.height), p.colour) << p.x << "," << p.y;
        EXPECT_EQ(StripOpaque(p.x, p.y, s.height), p.opaque) << p.x << "," << p.y;
    }
    EXPECT_EQ(yov::currentCanvas().fillPosition, 56);
}

TEST_F(Layers, TheSameJpegInARowIsLoadedOnceAndAFailedOneIsEmpty) {
    const Strip s = Build(u"red.jpg,red.jpg,missing.jpg,blue.jpg");
    EXPECT_EQ(s.width, 26);
    EXPECT_EQ(Count(yov::strip_site::kJpegMeasureBefore), 3) << "red once, missing, blue";
    EXPECT_EQ(Count(yov::strip_site::kJpegDrawBefore), 3);
    EXPECT_EQ(StripPixel(19, 5, s.height), kRed);
    EXPECT_EQ(StripPixel(20, 19, s.height), kBlue) << "the missing picture takes no room";
}

TEST_F(Layers, RootedJpegNamesAreNotTakenFromTheStockFolder) {
    const std::u16string rooted = core_test::u16(dir.filePath("green.jpg").toStdString());
    yov::programState().scene.StockDir = u"/nowhere";
    std::u16string backslashed = rooted;
    std::replace(backslashed.begin(), backslashed.end(), u'/', u'\\');
    const Strip s = Build(backslashed);
    EXPECT_EQ(s.width, 4);
    EXPECT_EQ(s.height, 30);
    EXPECT_EQ(Build(u"green.jpg").width, 0) << "relative names come from the stock folder";
}

TEST_F(Layers, CopiesTileClipAndFlagTheBackground) {
    struct Case {
        const char* name;
        int32_t left, right, offset, y;
        // Expected: colour at line x for a few columns (y = 5 above the copy's bottom).
        std::vector<std::pair<int, plat::COLORREF>> columns;
        int32_t flags;
    };
    // The strip: red 10 wide, a 5 gap, blue 6 wide (21 columns, 20 rows).
    const Case cases[] = {
        {"once, cut at the right", 0, 15, 0, 0, {{0, kRed}, {9, kRed}, {12, kSky}, {15, kSky}}, 0x10},
        {"repeats after its end", 0, 50, 0, 0, {{12, kSky}, {16, kBlue}, {21, kRed}, {42, kRed}}, 0x10},
        {"negative offset continues the pattern",
         10,
         30,
         -21 + 5,
         0,
         {{9, kSky}, {10, kRed}, {15, kSky}, {20, kBlue}, {26, kRed}},
         0x10},
        {"nothing for an empty range", 30, 30, 0, 0, {{30, kSky}}, 0x10},
        {"below the base", 0, 10, 0, -10, {{5, kRed}}, 0x11},
        {"above the vehicle band", 0, 10, 0, 30, {{5, kRed}}, 0x14},
        {"wholly below the area", 0, 10, 0, -40, {{5, kSky}}, 0},
        {"wholly above the area", 0, 10, 0, 80, {{5, kSky}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeScene(200, 130);
        area.SceneDC = scene->dc.Value();
        area.LayerFlags = 0;
        const Strip s = Build(u"red.jpg,5,blue.jpg");
        ASSERT_EQ(s.width, 21);
        yov::LayerRecord layer;
        yov::BuildBgLayers(area, c.left, c.right, s.width, c.offset, c.y, s.height, 0, yov::layer_kind::kBackground, 0,
                           layer);
        for (const auto& [x, colour] : c.columns) EXPECT_EQ(At(x, std::max(c.y, -20) + 5), colour) << "column " << x;
        EXPECT_EQ(area.LayerFlags, c.flags);
        yov::FreeLayerRecord(layer);
    }
}

TEST_F(Layers, AStripWithoutColumnsIsNeverRepeated) {
    yov::LayerRecord layer;
    yov::BuildBgLayers(area, 0, 100, 0, -5, 0, 20, 0, yov::layer_kind::kBackground, 0, layer);
    yov::BuildBgLayers(area, 0, 100, -3, 0, 0, 20, 0, yov::layer_kind::kBackground, 0, layer);
    EXPECT_EQ(area.LayerFlags, 0);
    EXPECT_EQ(At(0, 5), kSky);
}

TEST_F(Layers, ForegroundRowsSplitBetweenSceneAndBand) {
    Build(u"green.jpg");  // 4 x 30
    yov::LayerRecord layer;
    // From 10 below the base to 20 above it; the vehicle band is 0..40.
    yov::BuildBgLayers(area, 0, 4, 4, 0, -10, 30, 0, yov::layer_kind::kForeground, 0, layer);
    EXPECT_EQ(At(1, -5), kGreen) << "below the base: the scene";
    EXPECT_EQ(At(1, 5), kSky) << "the vehicle band stays out of the scene";
    ASSERT_TRUE(layer.Band.picture.dc);
    EXPECT_EQ(plat::GetPixel(layer.Band.picture.dc, 1, 40 - 1 - 5), kGreen) << "band row of line y 5";
    EXPECT_EQ(area.LayerFlags, 0x21);
    EXPECT_EQ(area.LayerBottom, 10);
    EXPECT_EQ(area.LayerTop, 20);
    yov::FreeLayerRecord(layer);
}

TEST_F(Layers, BracketsAndEmptyParametersPlaceAsWithout) {
    for (const char16_t* text : {u"(red.jpg)", u"red.jpg", u"red.jpg:"}) {
        SCOPED_TRACE(core_test::utf8(text));
        MakeScene(200, 130);
        area.SceneDC = scene->dc.Value();
        yov::GetFgBg(text, area, 0, yov::layer_kind::kBackground);
        // Centred on the middle (50 - 5), standing on the base line.
        EXPECT_EQ(At(44, 0), kSky);
        EXPECT_EQ(At(45, 0), kRed);
        EXPECT_EQ(At(54, 19), kRed);
        EXPECT_EQ(At(55, 0), kSky);
        EXPECT_EQ(At(50, 20), kSky);
        EXPECT_EQ(At(50, -1), kSky);
        ASSERT_EQ(area.BgBlockCount, 1);
        const yov::VisibleBlock& b = area.BgBlocks[1];
        EXPECT_EQ(std::vector<int32_t>({b.Left, b.Width, b.Top, b.Height}), std::vector<int32_t>({45, 10, 20, 20}));
    }
}

TEST_F(Layers, HeightClassesPlaceTheStripBottom) {
    struct Case {
        const char16_t* params;
        int bottom;
    };
    // Strip height 20, vehicle height 40.
    for (const Case& c : {Case{u"0..10,7", 7}, Case{u"0..10", 0}, Case{u"0..10,M", 10}, Case{u"0..10,M30", 20},
                          Case{u"0..10,>", 20}, Case{u"0..10,>50", 30}}) {
        SCOPED_TRACE(core_test::utf8(c.params));
        MakeScene(200, 130);
        area.SceneDC = scene->dc.Value();
        yov::GetFgBg(u"red.jpg:" + std::u16string(c.params), area, 0, yov::layer_kind::kBackground);
        EXPECT_EQ(At(2, c.bottom - 1), kSky);
        EXPECT_EQ(At(2, c.bottom), kRed);
        EXPECT_EQ(At(2, c.bottom + 19), kRed);
        EXPECT_EQ(At(2, c.bottom + 20), kSky);
    }
}

TEST_F(Layers, FitShrinksATallStripToTheAreaTop) {
    Write("tall.jpg", 20, 100, kGreen);
    yov::GetFgBg(u"tall.jpg:<0,0,FIT", area, 0, yov::layer_kind::kBackground);
    EXPECT_EQ(At(0, 79), kGreen) << "the top meets the area top";
    EXPECT_EQ(At(15, 10), kGreen) << "16 = 80 x 20 / 100 columns wide";
    EXPECT_EQ(At(16, 10), kSky);
    EXPECT_EQ(area.LayerTop, 80);
}

TEST_F(Layers, PlacementWordsCutAndRepeat) {
    struct Case {
        const char16_t* text;
        std::vector<std::pair<int, plat::COLORREF>> columns;  // at line y 2
    };
    // red 10, gap 5, blue 6: 21 columns.
    const Case cases[] = {
        {u"red.jpg,5,blue.jpg:0..100,0,*", {{0, kSky}, {50, kSky}}},
        {u"red.jpg,5,blue.jpg:0..20,0,<,10", {{0, kSky}, {5, kBlue}, {10, kBlue}, {11, kSky}}},
        {u"red.jpg,5,blue.jpg:0..20,0,>,6", {{0, kRed}, {9, kRed}, {10, kSky}, {15, kSky}}},
        {u"red.jpg,5,blue.jpg:0..20,0,<>,3,3", {{0, kRed}, {6, kRed}, {7, kSky}, {12, kBlue}, {14, kBlue}, {15, kSky}}},
        {u"red.jpg,5,blue.jpg:0..42,0,15", {{0, kBlue}, {5, kBlue}, {6, kRed}, {27, kRed}}},
        {u"red.jpg,5,blue.jpg:0..42,0,50%", {{0, kSky}, {4, kSky}, {5, kBlue}, {11, kRed}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(core_test::utf8(c.text));
        MakeScene(200, 130);
        area.SceneDC = scene->dc.Value();
        yov::GetFgBg(c.text, area, 0, yov::layer_kind::kBackground);
        for (const auto& [x, colour] : c.columns) EXPECT_EQ(At(x, 2), colour) << "column " << x;
    }
}

TEST_F(Layers, SidePartsFillTheRoomBesideTheMainStrip) {
    // The main strip 6 wide somewhere in 0..60; red on its left, green on its right.
    yov::GetFgBg(u"blue.jpg:0..60,0,#,red.jpg,green.jpg", area, 0, yov::layer_kind::kBackground);
    int blueStart = -1;
    for (int x = 0; x < 60 && blueStart < 0; ++x) {
        if (At(x, 2) == kBlue) blueStart = x;
    }
    ASSERT_GE(blueStart, 0);
    for (int x = 0; x < 60; ++x) {
        const plat::COLORREF want = x < blueStart ? kRed : x < blueStart + 6 ? kBlue : kGreen;
        ASSERT_EQ(At(x, 2), want) << "column " << x << ", main strip at " << blueStart;
    }
    EXPECT_EQ(At(60, 2), kSky);
    // A side part that expands to nothing is skipped instead of placed by a modulo of 0.
    MakeScene(200, 130);
    area.SceneDC = scene->dc.Value();
    yov::GetFgBg(u"blue.jpg:0..60,0,#,missing.jpg", area, 0, yov::layer_kind::kBackground);
    int blue = 0;
    for (int x = 0; x < 60; ++x) blue += At(x, 2) == kBlue ? 1 : 0;
    EXPECT_EQ(blue, 6);
}

TEST_F(Layers, TemporaryBackgroundSpanIsItsBlocksOnEveryPage) {
    yov::showState().FlipCount = 2;
    yov::GetFgBg(u"red.jpg:5;blue.jpg:75", area, 0, yov::layer_kind::kTemporary);
    ASSERT_EQ(area.TgPieceCount, 2);
    ExpectPiece(area.TgPieces[1], 0, 10, 20, 20);
    ExpectPiece(area.TgPieces[2], 72, 78, 32, 8);
    EXPECT_EQ(area.TbgFrom, 0);
    EXPECT_EQ(area.TbgTo, 78);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(area.TbgBufferFrom[static_cast<size_t>(i)], 0);
        EXPECT_EQ(area.TbgBufferTo[static_cast<size_t>(i)], 78);
    }
    const yov::LayerPiece& blue = area.TgPieces[2];
    EXPECT_EQ(plat::GetPixel(plat::HDC::FromValue(blue.Values[yov::piece_value::kBufferDC]),
                             blue.Values[yov::piece_value::kBufferX], blue.Values[yov::piece_value::kBufferY]),
              kBlue)
        << "the piece keeps its pixels";
    EXPECT_EQ(At(3, 2), kSky) << "the temporary background stays out of the scene";
    EXPECT_EQ(area.LayerFlags, 0x40);
}

TEST_F(Layers, ForegroundAnimationsFindTheirBlock) {
    yov::ClearPicturePools();
    const int32_t part = yov::AllocPicPart(1);
    area.FgPart = part;
    yov::PictureSlotTable& table = yov::pictureSlots();
    auto addSlot = [&](int32_t x) {
        table.Slots.resize(static_cast<size_t>(table.Count) + 2);
        const int32_t s = ++table.Count;
        table[s] = yov::PictureSlot{};
        table[s].PosX = x;
        table[s].FrameWidth = 4;
        table[s].FrameHeight = 4;
        table[s].Flags = 0x04;
        table[s].NextSlot = yov::picParts()[part].FirstSlot;
        yov::picParts()[part].FirstSlot = s;
        return s;
    };
    const int32_t inside = addSlot(8);
    yov::GetFgBg(u"red.jpg:5", area, part, yov::layer_kind::kForeground);
    EXPECT_EQ(table[inside].OwnerBlock, 1);
    const int32_t outside = addSlot(90);
    yov::FreeLayerPieces(area);
    yov::GetFgBg(u"red.jpg:5", area, part, yov::layer_kind::kForeground);
    EXPECT_EQ(table[outside].OwnerBlock, 0) << "no block there: \"FgAnim Area not found\" is reported";
    yov::picParts()[part].FirstSlot = 0;
    table.Count = 0;
    table.Slots.resize(1);
    yov::ClearPicturePools();
}

}  // namespace

namespace {

TEST_F(Layers, ATemporaryBackgroundOutsideTheBandHasAnEmptySpan) {
    yov::showState().FlipCount = 1;
    area.TbgFrom = area.TbgTo = 7;
    area.TbgBufferFrom = {7, 7, 7};
    yov::GetFgBg(u"red.jpg:5,50", area, 0, yov::layer_kind::kTemporary);  // wholly above the band
    EXPECT_EQ(area.TgPieceCount, 0);
    EXPECT_EQ(area.TbgFrom, 0);
    EXPECT_EQ(area.TbgTo, 0);
    EXPECT_EQ(area.TbgBufferFrom[0], 0);
    EXPECT_EQ(area.TbgBufferFrom[1], 0);
}

TEST_F(Layers, PaintObjectClearsLayersTrackAndMarksThePages) {
    yov::showState().FlipCount = 1;
    yov::ClearPicturePools();
    area.BgPart = yov::AllocPicPart(1);
    area.FgPart = yov::AllocPicPart(1);
    std::u16string way = u"aE", fg = u"blue.jpg:90", bg = u"red.jpg:<0,-10", tg = u"green.jpg:40", points;
    plat::HBRUSH dirt = plat::CreateSolidBrush(kGreen);
    const plat::RECT band{20, 10, 120, 110};
    plat::FillRect(scene->dc, &band, dirt);
    plat::DeleteObject(dirt);
    yov::PaintObject(area, way, fg, 3, bg, 4, tg, 5, points);
    EXPECT_EQ(area.BaseY, 90);
    EXPECT_EQ(way, u"aE");
    EXPECT_EQ(At(50, 50), kSky) << "the band was cleared";
    EXPECT_EQ(At(2, -5), kRed) << "the background reaches below the base";
    EXPECT_EQ(Pixel(20 + 50, 90), plat::RGB(192, 192, 192)) << "the track over the background";
    EXPECT_EQ(At(50, 40), plat::RGB(192, 192, 192)) << "the wire at the vehicle height";
    EXPECT_EQ(At(88, 2), kSky) << "the foreground stays in its band";
    ASSERT_EQ(area.FgPieceCount, 1);
    ASSERT_EQ(area.TgPieceCount, 1);
    EXPECT_EQ(area.LayerFlags, 0x08 | 0x10 | 0x01 | 0x05 | 0x40 | 0x20);
    EXPECT_EQ(area.BufferRedraw[0], area.LayerFlags & 0x77);
    EXPECT_EQ(area.BufferRedraw[1], area.LayerFlags & 0x77);
    EXPECT_EQ(area.BufferRedraw[2], 0);
    EXPECT_EQ(area.BgText, bg);
    EXPECT_EQ(area.TgLine, 5);
    const yov::PicPart& bgPart = yov::picParts()[area.BgPart];
    EXPECT_EQ(bgPart.DC, area.SceneDC);
    EXPECT_EQ(bgPart.Width, 100);
    EXPECT_EQ(bgPart.PartHeight, 100);
    yov::ClearPicturePools();
}

}  // namespace

#include "program/trains/train_records.h"

namespace {

TEST_F(Layers, ASectionLineIsPaintedAtItsSetUp) {
    yov::ResetTrainTable();
    const int32_t t = yov::NewTrainRec(0);
    ASSERT_GT(t, 0);
    yov::TrainRec& r = yov::trains().at(t);
    r.BandTop = area.BandTop;
    r.BandHeight = area.BandHeight;
    yov::LineSection sect;
    sect.Left = area.OriginX;
    sect.Width = area.Width;
    sect.Height = area.AboveBase + area.BelowBase;
    sect.Above = area.AboveBase - area.VehicleHeight;
    sect.Vehicle = area.VehicleHeight;
    sect.Below = area.BelowBase;
    sect.Flags = yov::kSectPaintAtSetUp;
    sect.BgText = u"red.jpg:<0";
    sect.BgLine = 9;
    yov::InitTrainFromSect(t, sect, -1, -1, -1);
    const yov::TrainRec& painted = yov::trains().at(t);
    EXPECT_NE(painted.Flags & yov::train_flag::kAreaPainted, 0);
    EXPECT_EQ(painted.BgLine, 9);
    EXPECT_EQ(painted.BgBlockCount, 1);
    EXPECT_EQ(Pixel(20, 89), kRed);
    yov::ResetTrainTable();
}

}  // namespace
