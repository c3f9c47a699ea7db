// The line painter's pieces and dirty rectangles: a picture new on a page, the trail of a
// moving one, running phases, animation frames drawn into a vehicle once per phase and shown
// on each page once, the foreground over the trains, and the way text taken down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/scene/picture_slot.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_paint.h"
#include "program/show/line_paint.h"
#include "program/show_data/display_state.h"
#include "program/trains/line_area.h"
#include "program/trains/train_picture.h"
#include "show_fixture.h"

namespace {

using namespace yov;

constexpr int32_t kPartDc = 501;
constexpr int32_t kPartMask = 502;
constexpr int32_t kFrameDc = 601;

using ShowTest = show_test::ShowTest;

class LinePaint : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        ResetTrainPictures();
        pictureSlots() = PictureSlotTable{};
        programState().run.BatchMode = 0;
        displayState().DrawBits = draw_bits::kVehicles;
        displayState().Frame = Compositor{};
        displayState().Frame.MakeBlitLists(false);
        line = NewTrainRec(static_cast<int16_t>(train_flag::kMoving));
        TrainRec& r = trains().at(line);
        r.Width = 400;
        r.VehicleHeight = 40;
        r.AboveBase = 60;
        r.BelowBase = 10;
        r.OriginY = 100;
    }
    void TearDown() override {
        displayState().Frame = Compositor{};
        pictureSlots() = PictureSlotTable{};
        ResetTrainPictures();
        ShowTest::TearDown();
    }

    // A one-vehicle picture at x, 50 wide and 30 high.
    int32_t Picture(int32_t x, uint8_t runFrames = 0, uint8_t pixelsPerFrame = 3) {
        TrainPictureTable& t = trainPictures();
        t.Entries.resize(2);
        t.Count = t.Alloc = 1;
        t[1] = TrainPicture{};
        const int32_t part = AllocPicPart(static_cast<uint8_t>(line));
        PicPart& q = picParts()[part];
        q.DC = kPartDc;
        q.MaskDC = kPartMask;
        q.SrcX = 10;
        q.PartY = 5;
        q.Width = 50;
        q.PartHeight = 30;
        q.Flags = part_flag::kMasked;
        q.RunFrames = runFrames;
        q.ExtraFrames = runFrames;
        q.PixelsPerFrame = pixelsPerFrame;
        q.OwnerPicture = 1;
        t[1].FirstPart = part;
        t[1].X = x;
        t[1].Width = 50;
        t[1].Height = 30;
        t[1].PaintedX.fill(kNeverPainted);
        trains().at(line).Members[1] = 1;
        trains().at(line).MemberCount = 1;
        return part;
    }

    // A door of two frames on the part, standing on frame `frame`.
    int32_t Door(int32_t part, uint8_t frame) {
        PictureSlotTable& t = pictureSlots();
        t.Slots.resize(2);
        t.Count = t.Alloc = 1;
        PictureSlot& s = t[1];
        s = PictureSlot{};
        s.PosX = 20;
        s.PosY = 4;
        s.FrameWidth = 8;
        s.FrameHeight = 20;
        s.OwnerPart = part;
        s.LastFrame = 1;
        s.Frames = {SlotFrame{0, 0, kFrameDc, 0, 0, 0}, SlotFrame{0, 0, kFrameDc, 0, 8, 0}};
        s.LayerTable.fill(0);
        s.PageFrame.fill(0);
        s.ShowFrame = frame;
        picParts()[part].FirstSlot = 1;
        picParts()[part].PhaseMask = 1;
        return 1;
    }

    void Paint(uint8_t page = 0) {
        showState().PageIndex = page;
        showState().PageBit = static_cast<uint8_t>(1u << page);
        const TrainRec& r = trains().at(line);
        displayState().Frame.SetScreenRect(r.OriginX, r.OriginY, r.Width, r.AboveBase, r.BelowBase);
        PaintLine(line, 0);
    }
    static std::vector<DirtyRect> Dirty() { return displayState().Frame.dirtyRects(); }
    static std::vector<PaintOp> Ops() {
        const Compositor& c = displayState().Frame;
        return {c.paintOps().begin() + 1, c.paintOps().begin() + 1 + c.paintOpCount()};
    }

    int32_t line = 0;
};

bool Same(const DirtyRect& r, int32_t left, int32_t bottom, int32_t right, int32_t top) {
    return r.Left == left && r.Bottom == bottom && r.Right == right && r.Top == top;
}

TEST_F(LinePaint, APictureNewOnAPageIsDrawnWholeAndAMovedOneMarksItsTrail) {
    Picture(100);
    Paint();
    ASSERT_EQ(Ops().size(), 1u);
    const PaintOp op = Ops()[0];
    EXPECT_EQ(op.Left, 100);
    EXPECT_EQ(op.Right, 150);
    EXPECT_EQ(op.Top, 30);
    EXPECT_EQ(op.SourceDC, kPartDc);
    EXPECT_EQ(op.MaskDC, kPartMask);
    EXPECT_EQ(op.SourceX, 10);
    EXPECT_EQ(op.SourceYBase - op.Top, 5) << "its top row is the part's first";
    EXPECT_EQ(op.Transparent, 1);
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_TRUE(Same(Dirty()[0], 100, 0, 150, 30));
    EXPECT_EQ(trainPictures()[1].PaintedX[0], 100);

    struct Case {
        const char* what;
        int32_t x;
        std::vector<std::vector<int32_t>> dirty;  // newest first
    } cases[] = {
        {"standing", 100, {}},
        {"5 to the right", 105, {{100, 0, 105, 30}, {105, 0, 155, 30}}},
        {"7 to the left", 98, {{148, 0, 155, 30}, {98, 0, 148, 30}}},
    };
    for (const Case& c : cases) {
        trainPictures()[1].X = c.x;
        Paint();
        const std::vector<DirtyRect> dirty = Dirty();
        ASSERT_EQ(dirty.size(), c.dirty.size()) << c.what;
        for (size_t i = 0; i < dirty.size(); ++i) {
            EXPECT_TRUE(Same(dirty[i], c.dirty[i][0], c.dirty[i][1], c.dirty[i][2], c.dirty[i][3])) << c.what << i;
        }
    }
}

TEST_F(LinePaint, ANewPictureDrawnOnEveryPageQueuesItsLineForTheNextObjectStep) {
    showState().FlipCount = 1;
    Picture(100);
    trainPictures()[1].MotionState = 3;
    Paint(0);
    EXPECT_EQ(trainPictures()[1].MotionState, 3) << "page 1 has not drawn it";
    EXPECT_EQ(showState().Lists.StepHead, 0);
    Paint(1);
    EXPECT_EQ(trainPictures()[1].MotionState, 2);
    EXPECT_EQ(showState().Lists.StepHead, line);
}

TEST_F(LinePaint, RunningPhasesChangeEveryFewPixelsAndRunBackwardsWithTheDirectionBit) {
    const int32_t part = Picture(0, 3, 8);
    struct Case {
        int32_t x;
        int32_t phase;
        int32_t backwards;
    } cases[] = {{0, 0, 3}, {7, 0, 3}, {8, 1, 2}, {16, 2, 1}, {24, 3, 0}, {32, 0, 3}};
    for (const Case& c : cases) {
        for (bool back : {false, true}) {
            picParts()[part].Flags = static_cast<uint8_t>(part_flag::kMasked | (back ? part_flag::kBackwards : 0));
            trainPictures()[1].X = c.x;
            Paint();
            ASSERT_EQ(Ops().size(), 1u);
            EXPECT_EQ(Ops()[0].SourceX, 10 + 50 * (back ? c.backwards : c.phase)) << c.x << (back ? " backwards" : "");
        }
    }
}

TEST_F(LinePaint, WholeTrainDrawingComposesThePhaseCellsInTheTrainBufferAndShowsTheBuffer) {
    displayState().DrawBits = draw_bits::kWholeTrains;
    const int32_t part = Picture(8, 3, 8);  // phase 1
    TrainPicture& pic = trainPictures()[1];
    pic.BufferDC = 901;
    pic.BufferMaskDC = 902;
    pic.BufferX = 40;
    pic.BufferY = 2;
    picParts()[part].OffsetX = 0;
    Paint();
    const BlitList& list = displayState().Frame.compositionList;
    ASSERT_EQ(list.count, 1);
    const BlitOp& cell = list.records[1];
    EXPECT_EQ(cell.DestDC, 901);
    EXPECT_EQ(cell.BackDC, 902);
    EXPECT_EQ(cell.X, 40);
    EXPECT_EQ(cell.Y, 2);
    EXPECT_EQ(cell.SourceDC, kPartDc);
    EXPECT_EQ(cell.SourceX, 10 + 50) << "the cell of phase 1";
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].SourceDC, 901) << "the train is shown from its buffer";
    EXPECT_EQ(Ops()[0].SourceX, 40);
    pic.X = 12;  // still phase 1: nothing to compose again
    Paint();
    EXPECT_EQ(list.count, 1);
    pic.X = 16;  // phase 2
    Paint();
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.records[2].SourceX, 10 + 100);
}

TEST_F(LinePaint, AChangedDoorFrameIsDrawnIntoTheVehicleOnceAndShownOnEachPageOnce) {
    showState().FlipCount = 1;
    const int32_t part = Picture(100);
    Door(part, 1);
    Paint(0);
    const BlitList& list = displayState().Frame.compositionList;
    ASSERT_EQ(list.count, 1);
    const BlitOp& copy = list.records[1];
    EXPECT_EQ(copy.DestDC, kPartDc);
    EXPECT_EQ(copy.BackDC, kPartMask);
    EXPECT_EQ(copy.SourceDC, kFrameDc);
    EXPECT_EQ(copy.SourceX, 8) << "frame 1";
    EXPECT_EQ(copy.X, 10 + 20);
    EXPECT_EQ(copy.Y, 5 + 4);
    EXPECT_EQ(picParts()[part].PhaseMask, 1) << "page 1 has not shown it yet";
    // The door on the line: 20 from the vehicle's left, 4 rows under its top.
    bool door = false;
    for (const DirtyRect& r : Dirty()) door = door || Same(r, 120, 6, 128, 26);
    EXPECT_TRUE(door);

    Paint(0);
    EXPECT_EQ(list.count, 1) << "drawn into the vehicle once";
    Paint(1);
    EXPECT_EQ(list.count, 1);
    door = false;
    for (const DirtyRect& r : Dirty()) door = door || Same(r, 120, 6, 128, 26);
    EXPECT_TRUE(door) << "page 1 shows it";
    EXPECT_EQ(picParts()[part].PhaseMask, 0) << "every page shows it";
}

TEST_F(LinePaint, ASlotShowingNoFrameIsNotCopied) {
    const int32_t part = Picture(100);
    Door(part, kNoFrame);
    Paint(0);
    EXPECT_EQ(displayState().Frame.compositionList.count, 0);
    EXPECT_EQ(pictureSlots()[1].LayerTable[0], kNoFrame);
}

TEST_F(LinePaint, ForegroundPiecesLieOverTheTrainAndAreDirtyOncePerPage) {
    Picture(100);
    TrainRec& r = trains().at(line);
    r.LayerFlags |= layer_flag::kForeground;
    LayerPiece k;
    k.Left = 120;
    k.Right = 180;
    k.Values[piece_value::kTop] = 10;  // band rows 10 to 30: line 10 to 30
    k.Values[piece_value::kHeight] = 20;
    k.Values[piece_value::kBufferX] = 3;
    k.Values[piece_value::kBufferY] = 7;
    k.Values[piece_value::kBufferDC] = 701;
    k.Values[piece_value::kBufferMaskDC] = 702;
    r.FgPieces = {LayerPiece{}, k};
    r.FgPieceCount = 1;
    r.BufferRedraw[0] = page_bit::kFgDirty;
    Paint(0);
    const std::vector<PaintOp> ops = Ops();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[1].SourceDC, 701) << "announced after the train: drawn over it";
    EXPECT_EQ(ops[1].Bottom, 10);
    EXPECT_EQ(ops[1].Top, 30);
    EXPECT_EQ(ops[1].SourceX, 3);
    EXPECT_EQ(ops[1].SourceYBase - ops[1].Top, 7);
    EXPECT_EQ(trains().at(line).BufferRedraw[0] & page_bit::kFgDirty, 0);
    trainPictures()[1].X = 100;
    Paint(0);
    EXPECT_TRUE(Dirty().empty()) << "nothing changed";
}

TEST_F(LinePaint, AWayTextTakenDownComesOffEveryPageThenGoes) {
    showState().FlipCount = 1;
    TrainRec& r = trains().at(line);
    r.Flags = 0;
    r.Event = AddTimedEvent(event_kind::kTrainLine, line, Root(), 0, 100);
    r.TextBuffer = 42;
    r.TextBufferData = {801, 0, 0};
    r.TextX = 30;
    r.TextY = -10;
    r.TextWidth = 70;
    r.TextHeight = 9;
    r.BufferRedraw = {page_bit::kWayText, page_bit::kWayText, 0};
    Paint(0);
    ASSERT_EQ(Ops().size(), 1u);
    EXPECT_EQ(Ops()[0].SourceDC, 801);
    ASSERT_EQ(Dirty().size(), 1u);
    trains().at(line).State = train_state::kAwaitTextLayer;
    trains().at(line).BufferRedraw = {page_bit::kWayText, page_bit::kWayText, 0};
    Paint(0);
    EXPECT_TRUE(Ops().empty());
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_TRUE(Same(Dirty()[0], 30, -10, 100, -1));
    EXPECT_EQ(trains().at(line).State, train_state::kAwaitTextLayer) << "page 1 still shows it";
    Paint(1);
    EXPECT_EQ(trains().at(line).State, train_state::kRunOver);
    EXPECT_EQ(trains().at(line).TextBuffer, 0);
    EXPECT_EQ(freedBuffers, std::vector<int32_t>{42});
    EXPECT_EQ(Due(), std::vector<int32_t>{trains().at(line).Event}) << "the line's next event is due";
}

TEST_F(LinePaint, ABackgroundAnimationFrameGoesIntoTheScenePictureBandByBand) {
    displayState().SceneDC = plat::HDC(900);
    const int32_t part = trains().at(line).BgPart;
    ASSERT_EQ(picParts()[part].Kind, kBgPartKind);
    const int32_t slot = Door(part, 1);
    PictureSlot& s = pictureSlots()[slot];
    s.PosX = 10;  // a layer's slot: line x, the line y of its bottom
    s.PosY = -5;
    s.FrameHeight = 80;  // from below the rail line to above the line's area
    const TrainRec& r = trains().at(line);
    displayState().Frame.SetScreenRect(r.OriginX, r.OriginY, r.Width, r.AboveBase, r.BelowBase);
    WriteFgAnim(line, part, 0);
    const BlitList& list = displayState().Frame.compositionList;
    ASSERT_EQ(list.count, 3);
    struct Band {
        int32_t y, height, sourceY;
    } bands[] = {{100 - 60, 20, 15}, {100 - 40, 40, 35}, {100, 5, 75}};  // above, vehicles, below
    for (int i = 0; i < 3; ++i) {
        const BlitOp& b = list.records[static_cast<size_t>(i) + 1];
        EXPECT_EQ(b.DestDC, 900) << i;
        EXPECT_EQ(b.X, 10) << i;
        EXPECT_EQ(b.Y, bands[i].y) << i;
        EXPECT_EQ(b.Height, bands[i].height) << i;
        EXPECT_EQ(b.SourceY, bands[i].sourceY) << i;
        EXPECT_EQ(b.SourceX, 8) << "frame 1";
    }
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_TRUE(Same(Dirty()[0], 10, -5, 18, 60)) << "its place, cut to the line";
    EXPECT_EQ(picParts()[part].PhaseMask, 0);
    displayState().SceneDC = {};
}

}  // namespace
