// The rows of a stock window over a stock of the demo's pictures, built by the real engine and
// picture builder: texts by option, pictures shrunk to the row or cut at the box and built
// again when the box grows, several frames stepped, a failed build that gives back only what
// it made, categories nested deeper than a row shows, and the layout's rows.
#include <gtest/gtest.h>

#include "platform/raster.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/stock/stock_image.h"
#include "program/stock/stock_layout.h"
#include "program/stock/window_support.h"
#include "stock_drawing_fixture.h"

namespace {

using stock_drawing_test::Window;

const std::vector<std::string> kStock = {
    "$AUTHCNT 2",
    "$AUTHK K=YOV;S=Yov;N=The Yov project;E=yov@example.org;H=http://example.org/yov;D=Our own artwork",
    "$AUTHK K=ADA;S=AL;N=Ada Lovelace",
    "$IMGY 60",
    "$CATCNT 9",
    "$STOCKCNT 10",
    "$CAT L=0;K=MAIN;T=Main;N=Main",
    "$CAT L=1;K=LOCO;T=Locomotives;N=Locomotives",
    "E40;RE *YOV;G;;e40.gif;[ET:PANTO,21,0][ET:PANTO,101,0]",
    "DIESEL;YR *ADA;G;;diesel.gif;[FL:X=69;Y=0;W=2;H=2;C=#FF9C00;T=25]",
    "STATION;NS *YOV;G;;demo_station.gif",
    "PHASED;N  *YOV;G;;wagon_box.gif;+DOOR_A+DOOR_B",
    "BROKEN;N  ;G;;missing.gif",
    "PAIR;;M;WAGON_BOX+DOOR_A",
    "$CAT L=0;K=A;T=A;N=A",
    "$CAT L=1;K=B;T=B;N=B",
    "$CAT L=2;K=C;T=C;N=C",
    "$CAT L=3;K=D;T=D;N=D",
    "$CAT L=4;K=E;T=E;N=E",
    "$CAT L=5;K=F;T=F;N=F",
    "$CAT L=6;K=G;T=G;N=G",
    "WAGON_BOX;N  *YOV;G;;wagon_box.gif",
    "PANTO;K  *YOV;G;;panto.gif;[PAN:W=28;H=16;N=4;SX=28;T=15][ANIM:PAN,*PAN=B]",
    "DOOR_A;G  *YOV;G;;door_a.gif",
    "DOOR_B;B  *YOV;G;;door_b.gif",
    "$ENDSTOCK",
};

enum Row { kE40 = 1, kDiesel, kStation, kPhased, kBroken, kPair, kWagon, kPanto };

class StockRowsDrawn : public stock_drawing_test::StockDrawingTest {
protected:
    void SetUp() override {
        StockDrawingTest::SetUp();
        LoadStock(kStock);
        ASSERT_EQ(yov::programState().Shared.StockCount, 10);
    }
};

TEST_F(StockRowsDrawn, EveryRowShowsItsPictureAndTexts) {
    yov::SaveRegNumber(u"ShowHeight", 1);
    Window& w = Open(10);
    ASSERT_EQ(w.window->CellCount, 10);
    ASSERT_EQ(w.window->BoxWidth, 600 - 17 - 100 - 2);
    const yov::StockCell& e40 = Cell(w, kE40);
    EXPECT_TRUE(e40.BoxVisible);
    EXPECT_EQ(e40.ErrorText, u"");
    EXPECT_EQ(e40.BuiltWidth, 150);
    EXPECT_EQ(e40.BuiltHeight, 60);
    EXPECT_EQ(e40.DrawWidth, 150);
    EXPECT_EQ(e40.SizeText, u"150\u00D760");
    EXPECT_EQ(yov::programState().Arrays.Stock[kE40].Width, 150) << "the entry learns its size";
    EXPECT_EQ(e40.CategoryText, u"Main : Locomotives");
    EXPECT_EQ(e40.CategoryDepth, 2);
    EXPECT_EQ(e40.TypeIndex, 2) << "R is the second letter after the blank";
    EXPECT_TRUE(e40.DotVisible);
    EXPECT_EQ(e40.WayCaption, u"E");
    EXPECT_EQ(e40.CaptionName, u"E40");
    EXPECT_NE(e40.Part, 0);
    EXPECT_GT(e40.PaletteSize, 0);
    EXPECT_GT(w.view->rows.paints[kE40], 0) << "the box was painted";
    EXPECT_EQ(Cell(w, kDiesel).CategoryText, u"") << "no category begins there";

    // A picture of its own: its buffer holds the picture, not the white canvas.
    const plat::HDC buffer{e40.BufDC};
    int coloured = 0;
    for (int x = 0; x < e40.DrawWidth; x += 5)
        coloured += (plat::GetPixel(buffer, e40.BufX + x, e40.BufY + 40) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(coloured, 10);

    EXPECT_EQ(Cell(w, kPair).PaletteSize, -1) << "a macro has no picture file";
    EXPECT_TRUE(Cell(w, kPair).BoxVisible);
    EXPECT_EQ(Cell(w, kPair).FileTip, u"WAGON_BOX+DOOR_A");
}

TEST_F(StockRowsDrawn, ATallPictureIsShrunkToTheRowAndACutOneIsBuiltAgainWhenTheBoxGrows) {
    Window& w = Open(5, 250);
    const int32_t narrow = w.window->BoxWidth;
    ASSERT_EQ(narrow, 250 - 17 - 100 - 2);
    const yov::StockCell& station = Cell(w, kStation);
    EXPECT_EQ(station.BuiltWidth, 420);
    EXPECT_EQ(station.BuiltHeight, 160);
    EXPECT_EQ(station.FitWidth, 158) << "420 x 60 / 160 = 157.5, to even";
    EXPECT_EQ(station.FitHeight, 60);
    EXPECT_EQ(station.DrawWidth, narrow) << "cut at the box";
    const int32_t part = station.Part;

    w.view->width = 600;
    w.window->Layout(5 * yov::StockRowHeight(60));
    w.window->Rfsh0();
    EXPECT_EQ(station.DrawWidth, 158) << "the wider box shows it whole";
    EXPECT_NE(station.Part, 0);
    (void)part;
    // The area average leaves colours the picture's palette may not hold: compare with the
    // nearest pixel, not exactly.
    const plat::HDC buffer{station.BufDC};
    int differing = 0;
    for (int x = 0; x < 158; x += 3)
        differing += plat::GetPixel(buffer, station.BufX + x, station.BufY + 59) !=
                     plat::GetPixel(buffer, station.BufX + x, station.BufY + 58);
    EXPECT_LT(differing, 53) << "rows of the shrunk picture are not all the same";

    const yov::StockCell& e40 = Cell(w, kE40);
    EXPECT_EQ(e40.FitWidth, 150) << "a picture of the row's height is not scaled";
}

TEST_F(StockRowsDrawn, FramesRunByDirectionAndASinglePictureStaysStill) {
    Window& w = Open(6);
    yov::StockCell& phased = w.window->Cells[kPhased];
    ASSERT_EQ(phased.LastFrame, 2) << "two phase pictures: three frames";
    EXPECT_EQ(phased.DrawDir, -1) << "StockDir 0 draws facing left";
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        yov::StepStockFrames(*w.window);
        seen.push_back(phased.Frame);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 0, 2})) << "left-facing, not reversed: backwards";
    EXPECT_EQ(Cell(w, kE40).Frame, 0);

    yov::stockWindows().Options.FaceRight = 1;
    yov::InvalidateAllStock();
    w.window->Rfsh0();
    ASSERT_EQ(phased.DrawDir, 1);
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        yov::StepStockFrames(*w.window);
        seen.push_back(phased.Frame);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1}));

    // The frames differ in the buffer (a door opens in each phase).
    const plat::HDC buffer{phased.BufDC};
    int differing = 0;
    for (int x = 0; x < phased.DrawWidth; ++x)
        for (int y = 20; y < 60; y += 4)
            differing += plat::GetPixel(buffer, phased.BufX + x, phased.BufY + y) !=
                         plat::GetPixel(buffer, phased.BufX + phased.DrawWidth + x, phased.BufY + y);
    EXPECT_GT(differing, 0);

    w.window->DrawState = -1;
    const int before = phased.Frame;
    yov::StepStockFrames(*w.window);
    EXPECT_EQ(phased.Frame, before) << "no step while a refresh runs";
}

TEST_F(StockRowsDrawn, AFailedBuildGivesBackOnlyWhatItMade) {
    // Another picture's part on the stacks, as a running show's train would leave it.
    const int32_t foreign = yov::AllocPicPart(0);
    const int32_t partsBefore = yov::picParts().StackCount;
    const int32_t slotsBefore = yov::pictureSlots().StackCount;
    Window& w = Open(10);
    const yov::StockCell& broken = Cell(w, kBroken);
    EXPECT_NE(broken.ErrorText, u"") << "the reason is shown in the row";
    EXPECT_EQ(broken.DrawWidth, 0);
    EXPECT_EQ(broken.Part, 0);
    EXPECT_TRUE(broken.BoxVisible);
    EXPECT_EQ(broken.CaptionName, u"BROKEN") << "the row keeps its texts";
    EXPECT_EQ(yov::picParts()[foreign].State, yov::kPartInUse) << "the other picture stays";
    EXPECT_NE(Cell(w, kE40).Part, 0);
    EXPECT_EQ(yov::picParts()[Cell(w, kE40).Part].State, yov::kPartInUse) << "and so do the rows built before";
    EXPECT_EQ(yov::picParts().StackCount, partsBefore) << "the rows' pictures are the rows', not the stack's";
    EXPECT_EQ(yov::pictureSlots().StackCount, slotsBefore);
}

TEST_F(StockRowsDrawn, CategoriesDeeperThanFiveLevelsKeepTheOutermostAndTheInnermost) {
    Window& w = Open(10);
    const yov::StockCell& wagon = Cell(w, kWagon);
    EXPECT_EQ(wagon.CategoryDepth, yov::kCategoryStackDepth);
    EXPECT_EQ(wagon.CategoryText, u"A : B : C : D : G");
    // Right ends: names of 6 pixels, colons of ColonWidth.
    const int32_t colon = w.window->ColonWidth;
    EXPECT_EQ(wagon.CategoryStack[0].Right, 5 + 6 + colon / 2);
    EXPECT_EQ(wagon.CategoryStack[4].Right, 5 + 5 * 6 + 4 * colon);
    EXPECT_EQ(wagon.CategoryWidth, 95) << "the column's width when the text is shorter";
}

TEST_F(StockRowsDrawn, AShortStockHidesTheSurplusRowsAndSelectionMarksTheCaption) {
    auto& stock = yov::programState().Arrays.Stock;
    Window& w = Open(12);
    stock[kDiesel].SelectMask = static_cast<uint16_t>(w.window->SelectionBit);
    w.window->Rfsh0();
    EXPECT_FALSE(w.view->scrollEnabled);
    EXPECT_FALSE(Cell(w, 11).BoxVisible);
    EXPECT_FALSE(Cell(w, 12).NameVisible);
    EXPECT_TRUE(Cell(w, kDiesel).FrameVisible);
    EXPECT_TRUE(Cell(w, kDiesel).NameBold);
    EXPECT_EQ(Cell(w, kDiesel).NameWidth, 95) << "the column's width, the name being shorter";
    EXPECT_FALSE(Cell(w, kE40).FrameVisible);
}

TEST_F(StockRowsDrawn, AnUnchangedRowIsNotBuiltAgain) {
    Window& w = Open(4);
    const int32_t part = Cell(w, kE40).Part;
    const int paints = w.view->rows.paints[kE40];
    w.window->Rfsh0();
    EXPECT_EQ(Cell(w, kE40).Part, part);
    EXPECT_EQ(w.view->rows.paints[kE40], paints) << "kept and not repainted without a new layout";
    w.window->Layout(4 * yov::StockRowHeight(60));
    w.window->Rfsh0();
    EXPECT_EQ(Cell(w, kE40).Part, part);
    EXPECT_EQ(w.view->rows.paints[kE40], paints + 1) << "repainted after a layout";
}

TEST_F(StockRowsDrawn, ThePicturesCanBeBuiltAgainAndAgain) {
    // Each build starts a vehicle of its own: two pantographs a time never add up to too many.
    Window& w = Open(4);
    for (int i = 0; i < 4; ++i) {
        w.window->InvalS();
        w.window->Rfsh0();
        EXPECT_EQ(Cell(w, kE40).ErrorText, u"") << i;
        EXPECT_NE(Cell(w, kE40).Part, 0) << i;
        EXPECT_EQ(Cell(w, kDiesel).BuildFlags, Cell(w, kE40).BuildFlags) << "no flags carried over";
    }
}

TEST_F(StockRowsDrawn, AnEntrysWholePictureGoesIntoTheHiddenBox) {
    yov::FreeWPic();
    yov::ProgramState& st = yov::programState();
    st.Shared.TransparentColor = 0x123456;
    const int32_t foreign = yov::AllocPicPart(0);
    ASSERT_TRUE(yov::GenWImg(kE40)) << "a picture of its own, drawn with its mask";
    EXPECT_EQ(yov::WPic().width, 150);
    EXPECT_EQ(yov::WPic().height, 60);
    EXPECT_NE(plat::GetPixel(yov::WPic().box.dc, 75, 40) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(st.Shared.TransparentColor, 0x123456) << "the drawing colour comes back";

    ASSERT_TRUE(yov::GenWImg(kPair)) << "a composed vehicle, built and copied";
    EXPECT_EQ(yov::WPic().width, 110);
    EXPECT_EQ(yov::WPic().height, 41);
    EXPECT_EQ(st.Shared.TransparentColor, 0x123456);
    EXPECT_EQ(yov::picParts()[foreign].State, yov::kPartInUse) << "only what the build made is released";

    const uint32_t box = yov::WPic().box.dc.id;
    EXPECT_FALSE(yov::GenWImg(kBroken));
    EXPECT_FALSE(yov::GenWImg(99));
    EXPECT_EQ(yov::WPic().box.dc.id, box) << "the box keeps the last picture";
    EXPECT_EQ(yov::WPic().width, 110);
    EXPECT_EQ(st.Shared.TransparentColor, 0x123456);
    yov::FreeWPic();
}

// --- Texts by option ------------------------------------------------------------------

struct FileCase {
    const char* name;
    uint8_t kind;  // of the stock file; 0x7FFF: a macro entry
    uint8_t showFile;
    std::u16string fileLine;
    std::u16string second;
};

class EntryTextsByKind : public stock_window_test::StockWindowTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(EntryTextsByKind, FollowShowFile) {
    const FileCase& c = GetParam();
    yov::ProgramState& st = yov::programState();
    st.Arrays.StockFiles.redim(1);
    st.Shared.StockFileCount = 1;
    st.Arrays.StockFiles[1].Kind = c.kind;
    st.Arrays.StockFiles[1].Path = u"C:\\pics";
    st.Arrays.StockFiles[1].Name = u"lib.dll";
    StockEntry e;
    e.Name = u"LOCO";
    e.Text2 = u"Loco";
    e.Text3 = u"[X]";
    e.FileIndex = c.kind == 0xFF ? 32767 : 1;
    const yov::EntryTexts t = yov::StockEntryTexts(e, c.showFile);
    EXPECT_EQ(t.fileLine, c.fileLine);
    EXPECT_EQ(t.secondLine, c.second);
    EXPECT_EQ(t.pictureName, c.kind == 0xFF ? u"Loco" : u"LOCO[X]");
}

INSTANTIATE_TEST_SUITE_P(Stock, EntryTextsByKind,
                         ::testing::Values(FileCase{"GifNone", 1, 0, u"C:\\pics\\Loco.GIF", u""},
                                           FileCase{"GifName", 1, 1, u"C:\\pics\\Loco.GIF", u"Loco.GIF"},
                                           FileCase{"GifOffset", 1, 2, u"C:\\pics\\Loco.GIF", u"Loco.GIF"},
                                           FileCase{"GifPath", 1, 3, u"C:\\pics\\Loco.GIF", u"C:\\pics\\Loco.GIF"},
                                           FileCase{"LibraryNone", 7, 0, u"C:\\pics  Loco", u""},
                                           FileCase{"LibraryName", 7, 1, u"C:\\pics  Loco", u"lib.dll"},
                                           FileCase{"LibraryOffset", 7, 2, u"C:\\pics  Loco", u"lib.dll  Loco"},
                                           FileCase{"LibraryPath", 7, 3, u"C:\\pics  Loco", u"C:\\pics  Loco"},
                                           FileCase{"MacroNone", 0xFF, 2, u"Loco", u""},
                                           FileCase{"MacroPath", 0xFF, 3, u"Loco", u"Loco"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StockSizeText, JoinsTheChosenFigures) {
    struct Case {
        uint8_t width, height, pal, size;
        int32_t palCount, dataSize;
        std::u16string text;
    } cases[] = {
        {1, 0, 0, 0, 16, 900, u"150"}, {1, 1, 0, 0, 16, 900, u"150\u00D760"},
        {0, 1, 0, 0, 16, 900, u"60"},  {1, 1, 1, 1, 16, 900, u"150\u00D760/16:900"},
        {0, 0, 1, 0, 0, 900, u"#"},    {0, 0, 1, 1, -1, 900, u"900"},
        {0, 0, 0, 1, 16, 0, u""},      {0, 0, 0, 0, 16, 900, u""},
    };
    for (const Case& c : cases) {
        yov::StockOptions o;
        o.ShowWidth = c.width;
        o.ShowHeight = c.height;
        o.ShowPaletteSize = c.pal;
        o.ShowPictureSize = c.size;
        yov::StockCell cell;
        cell.BuiltWidth = 150;
        cell.BuiltHeight = 60;
        cell.PaletteSize = c.palCount;
        cell.DataSize = c.dataSize;
        EXPECT_EQ(yov::StockSizeText(cell, o), c.text);
    }
}

TEST_F(StockRowsDrawn, TheAuthorShownFollowsShowAuth) {
    yov::ProgramState& st = yov::programState();
    EXPECT_EQ(yov::StockAuthorText(1, 0), u"");
    EXPECT_EQ(yov::StockAuthorText(1, 1), u"Yov");
    EXPECT_EQ(yov::StockAuthorText(2, 2), u"Ada Lovelace");
    EXPECT_EQ(yov::StockAuthorText(0, 2), u"");
    EXPECT_EQ(yov::StockAuthorText(99, 2), u"") << "no such author";
    // A picture library stands for the author of its pictures, named as the stock file names it.
    st.Arrays.StockFiles[1].Kind = 6;
    st.Arrays.StockFiles[1].Name = u"CarLib.DLL";
    EXPECT_EQ(yov::StockAuthorText(-1, 1), u"CarLib.DLL");
    st.Arrays.StockFiles[1].Kind = 1;
    EXPECT_EQ(yov::StockAuthorText(-1, 1), u"") << "a plain picture file does not";

    yov::SaveRegNumber(u"ShowAuth", 1);
    Window& w = Open(2);
    EXPECT_EQ(Cell(w, kE40).AuthorText, u"Yov");
    EXPECT_EQ(Cell(w, kE40).AuthorWidth, 18);
    EXPECT_EQ(Cell(w, kDiesel).AuthorText, u"AL");
}

// --- Layout ---------------------------------------------------------------------------

TEST(StockLayout, RowsFollowTheHeight) {
    EXPECT_EQ(yov::StockRowGeometry(30, 100).rowHeight, 63);
    EXPECT_EQ(yov::StockRowGeometry(100, 100).rowHeight, 105);
    const int32_t rh = 65;
    EXPECT_EQ(yov::RowsThatFit(4 * rh + rh - 1, rh), 4);
    EXPECT_EQ(yov::RowsThatFit(40 * rh, rh), 30);
    EXPECT_EQ(yov::RowsThatFit(rh - 1, rh), 0);
    EXPECT_EQ(yov::BoxWidthFor(100, 17, 100), 0) << "too narrow a window has no picture area";
    const yov::StockRowGeometry g(60, 100);
    EXPECT_EQ(g.lineStep, 14);
    EXPECT_EQ(g.top(2), 5 + 65);
    EXPECT_EQ(g.name(1).y, 5 + 14 + 4);
    EXPECT_EQ(g.frame(1, 200).x, 98);
    EXPECT_EQ(g.frame(1, 200).width, 204);
}

TEST_F(StockRowsDrawn, LayoutMakesRowsOnceAndRegistersEachShownBox) {
    Window& w = Open(6);
    EXPECT_EQ(w.window->CreatedCells, 6);
    const std::map<uintptr_t, int16_t> subclassed = Subclassed();
    EXPECT_EQ(subclassed.size(), 7u) << "six boxes and the status bar";
    EXPECT_EQ(subclassed.at(1003), 3) << "box 3 reports as row 3";
    w.window->Input.MouseCell = 4;
    w.window->Layout(2 * yov::StockRowHeight(60));
    EXPECT_EQ(w.window->CellCount, 2);
    EXPECT_EQ(w.window->CreatedCells, 6) << "rows are kept";
    EXPECT_EQ(w.window->Input.MouseCell, 0);
    EXPECT_EQ(Cell(w, 5).Part, 0) << "rows that no longer fit give their pictures back";
    EXPECT_EQ(Cell(w, 5).DrawWidth, 0);
    w.window->Layout(5 * yov::StockRowHeight(60));
    EXPECT_EQ(w.window->CreatedCells, 6);
    w.window->Rfsh0();
    EXPECT_TRUE(Cell(w, 5).BoxVisible);
}

}  // namespace
