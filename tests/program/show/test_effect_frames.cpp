// Golden frames of a line in single-step mode: a door opening, a pantograph rising, snow
// falling and snow lying, each started by the line's actions and taken step by step
// (20 ms a step, the real animation wheel) onto a GDI screen through the frame compositor,
// pinned as checksums of the seeded frames. The picture is placed on the line directly and
// a small stand-in paints it and the lying snow's copies (that is the frame painter's to
// test). Every run
// writes the frames side by side to build/release/effect_<name>.png to look at.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame_step_stand_ins.h"
#include "stepped_clock.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/scene/picture_slot.h"
#include "program/core/startup/program_state.h"
#include "program/show/anim_wheel.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_paint.h"
#include "program/show/frame_step.h"
#include "program/show/object_steps.h"
#include "program/show/lying_snow.h"
#include "program/show/part_anims.h"
#include "program/show/snow.h"
#include "program/trains/picture_file.h"
#include "program/trains/train_picture.h"
#include "immediate_blit_engine.h"
#include "show_fixture.h"
#include "trains_fixture.h"

namespace {

using namespace yov;
using rastertest::Canvas;

constexpr int kW = 96;
constexpr int kH = 72;
constexpr int kBase = 60;  // the line's rail on the screen
constexpr int kVehicleHeight = 36;
constexpr plat::COLORREF kGround = plat::RGB(90, 80, 70);
constexpr plat::COLORREF kBody = plat::RGB(40, 90, 160);
constexpr plat::COLORREF kDoorway = plat::RGB(32, 32, 32);
constexpr plat::COLORREF kLeaf = plat::RGB(200, 170, 60);
constexpr plat::COLORREF kArm = plat::RGB(230, 230, 230);

using EffectBase = show_test::ShowTestOn<trains_test::AreaTest>;

void Fill(const Canvas& c, int x, int y, int w, int h, plat::COLORREF colour) {
    for (int r = y; r < y + h; ++r)
        for (int k = x; k < x + w; ++k) plat::SetPixelV(c.dc, k, r, colour);
}

uint64_t Checksum(const Canvas& c) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            h ^= c.Get(x, y) & 0xFFFFFFu;
            h *= 1099511628211ull;
        }
    return h;
}

class EffectFrames : public EffectBase {
protected:
    void SetUp() override {
        EffectBase::SetUp();
        ForgetBufferClasses();
        MakeScene(kW, kH);
        Fill(*scene, 0, kBase, kW, kH - kBase, kGround);
        Fill(*scene, 60, kBase - 30, 24, 30, plat::RGB(150, 60, 50));  // a shed beside the track
        screen = std::make_unique<Canvas>(kW, kH, 32);
        work = std::make_unique<Canvas>(kW, kH, 32);
        black = plat::CreateSolidBrush(0);
        plat::SelectObject(work->dc, black);
        plat::SelectObject(screen->dc, black);

        ProgramState& ps = programState();
        ps.run.RunFlags = run_flag::kFramesDrawn;
        ps.run.BatchMode = 0;
        programState().machine.MsPerCounterTick = 1.0f;
        programState().settings.Music = 0;
        ShowState& ss = showState();
        ss.StepMode = 1;
        ss.NoFullRepaint = 1;
        ss.CompositionDC.dc = work->dc;
        ss.Display.ShowDC = screen->dc;
        displayState().Frame = Compositor{};
        displayState().Frame.MakeBlitLists(false);
        displayState().Frame.frame.compositionDc = work->dc.Value();

        movers.onMove = [](int32_t, int32_t) {};
        movers.onTick = [] { return 0; };
        engine_.emplace();

        ResetTrainPictures();
        animWheel() = AnimWheelState{};
        line = NewTrainRec(0);
        TrainRec& r = trains().at(line);
        r.Flags = train_flag::kMoving | train_flag::kStarted;
        r.Width = kW;
        r.OriginX = 0;
        r.OriginY = kBase;
        r.AboveBase = kBase;
        r.BelowBase = kH - kBase;
        r.VehicleHeight = kVehicleHeight;
        r.SceneDC = scene->dc.Value();
        r.AreaLeftX = 0;
        r.BaseY = kBase;
        InsertActiveTrain(line);
    }
    void TearDown() override {
        for (LvHandle& b : pieceBuffers) FreeDrawBuffer(b);
        ResetTrainPictures();
        animWheel() = AnimWheelState{};
        pictureSlots() = PictureSlotTable{};
        engine_.reset();
        displayState().Frame = Compositor{};
        showState() = ShowState{};
        programState().machine.MsPerCounterTick = 0;
        plat::DeleteObject(black);
        EffectBase::TearDown();
    }

    // One single step of 20 ms (or a paused step): the wheel turns, the line is painted as
    // the frame painter paints it (its pictures, then its snow and effect layer) and the
    // frame's lists run onto the screen.
    void Frame(bool moves) {
        ShowState& ss = showState();
        ss.StepMoves = moves ? 1 : 0;
        ss.StepClock = 20;
        if (moves) StepAnimations(20);
        Compositor& c = displayState().Frame;
        c.currentBatch().count = 0;
        c.compositionList.count = 0;
        TrainRec& r = trains().at(line);
        c.SetScreenRect(r.OriginX, r.OriginY, r.Width, r.AboveBase, r.BelowBase);
        PaintLineStandIn(r);
        if ((r.Flags & train_flag::kFallingSnow) != 0) PaintSnow(r, ss.StepClock);
        if ((r.LayerFlags & kLyingSnowLayer) != 0) PaintEffectLayer(r, ss.StepClock);
        c.MergeDirtyRects();
        c.FlushBlitOps();
        if (c.compositionList.count > 0)
            lv::DoBlt(c.compositionList.count, c.compositionList.records.data() + 1, work->dc.Value());
        BlitList& batch = c.currentBatch();
        if (batch.count > 0) lv::DoBlt(batch.count, batch.records.data() + 1, screen->dc.Value());
    }

    // The line painter's stand-in: the scene behind the line, the lying snow's copies, the
    // vehicle body and the current frame of each of its slotTable, all as changed.
    void PaintLineStandIn(const TrainRec& r) {
        Compositor& c = displayState().Frame;
        c.AddDirtyRect(0, -r.BelowBase, r.Width, r.AboveBase + r.BelowBase, 1, r.SceneDC, 0, r.OriginX, r.OriginY, 0, 0,
                       "Scene");
        for (int32_t j = 1; j <= r.GrowPieceCount; ++j) {
            const LayerPiece& g = r.GrowPieces[static_cast<size_t>(j)];
            c.AddDirtyRect(g.Left, 0, g.Right - g.Left, r.VehicleHeight, 1, g.Values[4], g.Values[5], g.Values[2],
                           g.Values[3] + r.VehicleHeight, 1, 0, "Grow copy");
        }
        if (!body) return;
        c.AddDirtyRect(kBodyX, 0, body->width, body->height, 1, body->dc.Value(), bodyMask->dc.Value(), 0, body->height,
                       1, 0, "Body");
        PictureSlotTable& slotTable = pictureSlots();
        for (int32_t s = picParts()[part].FirstSlot; slotTable.valid(s); s = slotTable[s].NextSlot) {
            const PictureSlot& slot = slotTable[s];
            if (slot.ShowFrame == 255 || slot.ShowFrame >= slot.Frames.size()) continue;
            const SlotFrame& f = slot.Frames[slot.ShowFrame];
            c.AddDirtyRect(kBodyX + slot.PosX, slot.PosY, slot.FrameWidth, slot.FrameHeight, 1, f.DC, f.MaskDC, f.X,
                           f.Y + slot.PosY + slot.FrameHeight, 1, 0, "Slot");
        }
    }

    // A coach on the line: body 56 x 22 at x 8 with a door (4 frames: the leaf slides away)
    // and a pantograph on the roof (4 frames: the arm rises).
    void PlaceCoach() {
        body = std::make_unique<Canvas>(56, 22, 32);
        bodyMask = std::make_unique<Canvas>(56, 22, 1);
        Fill(*body, 0, 0, 56, 18, kBody);
        Fill(*body, 4, 4, 48, 5, plat::RGB(170, 210, 230));  // windows
        Fill(*body, 0, 18, 56, 4, kDoorway);                 // bogies
        Fill(*bodyMask, 0, 0, 56, 22, plat::RGB(255, 255, 255));
        frames = std::make_unique<Canvas>(4 * 12, 14, 32);
        frameMasks = std::make_unique<Canvas>(4 * 12, 14, 1);
        Fill(*frameMasks, 0, 0, 4 * 12, 14, plat::RGB(255, 255, 255));
        for (int k = 0; k < 4; ++k) {
            Fill(*frames, 12 * k, 0, 12, 14, kDoorway);
            Fill(*frames, 12 * k + 3 * k, 0, 12 - 3 * k, 14, kLeaf);
        }
        pans = std::make_unique<Canvas>(4 * 16, 10, 32);
        panMasks = std::make_unique<Canvas>(4 * 16, 10, 1);
        for (int k = 0; k < 4; ++k) {
            const int rise = 2 + 2 * k;  // arm height above the roof
            for (int i = 0; i < 12; ++i) {
                const int y = 9 - (i * rise) / 12;
                plat::SetPixelV(pans->dc, 16 * k + 2 + i, y, kArm);
                plat::SetPixelV(panMasks->dc, 16 * k + 2 + i, y, plat::RGB(255, 255, 255));
            }
            Fill(*pans, 16 * k + 1, 9 - rise, 14, 1, kArm);
            Fill(*panMasks, 16 * k + 1, 9 - rise, 14, 1, plat::RGB(255, 255, 255));
        }
        PicPartPool& parts = picParts();
        part = AllocPicPart(static_cast<uint8_t>(line));
        parts[part].Name = u"COACH";
        const int32_t door = NewSlot(u"|DOOR: ", 34, 4, 12, 14, *frames, *frameMasks, 12);
        const int32_t pan = NewSlot(u"|PAN: ", 20, 22, 16, 10, *pans, *panMasks, 16);
        parts[part].FirstSlot = door;
        pictureSlots()[door].NextSlot = pan;
        TrainPicture p;
        p.FirstPart = part;
        p.Dir = 1;
        p.X = kBodyX;
        p.Width = 56;
        p.MotionState = 4;
        p.SourceName = u"COACH";
        trainPictures().Entries.push_back(p);
        const int32_t picture = ++trainPictures().Count;
        TrainRec& r = trains().at(line);
        r.Members[1] = picture;
        r.MemberCount = 1;
    }

    int32_t NewSlot(std::u16string name, int32_t x, int32_t y, int32_t w, int32_t h, const Canvas& strip,
                    const Canvas& mask, int32_t step) {
        PictureSlotTable& slotTable = pictureSlots();
        slotTable.Slots.emplace_back();
        const int32_t s = ++slotTable.Count;
        PictureSlot& slot = slotTable[s];
        slot.Name = std::move(name);
        slot.PosX = x;
        slot.PosY = y;
        slot.FrameWidth = w;
        slot.FrameHeight = h;
        slot.LastFrame = 3;
        slot.StepDelay = 4;  // 40 ms a frame: a new frame every second single step
        slot.OwnerPart = part;
        for (int k = 0; k < 4; ++k)
            slot.Frames.push_back(SlotFrame{0, 0, strip.dc.Value(), mask.dc.Value(), step * k, 0});
        return s;
    }

    // A temporary-background piece along the line: its picture is the drifts of snow that
    // will lie there, 12 to 18 rows deep.
    void SnowyPiece() {
        TrainRec& r = trains().at(line);
        constexpr int kLeft = 4, kRight = 92, kHeight = 32;
        const LvHandle buffer = AllocDrawBuffer(kRight - kLeft, kHeight, 0, 1);
        ASSERT_NE(buffer, 0);
        pieceBuffers.push_back(buffer);
        LvHandle dc = 0, mask = 0;
        int32_t bx = 0, by = 0;
        lv::GetBufferData(buffer, &dc, &mask, &bx, &by, nullptr);
        const plat::HDC pdc = plat::HDC::FromValue(static_cast<int32_t>(dc));
        const plat::HDC pmask = plat::HDC::FromValue(static_cast<int32_t>(mask));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kRight - kLeft; ++x) {
                const int height = kHeight - 1 - y;  // the piece covers heights 0..31
                const int depth = 12 + std::abs(x % 24 - 12) / 2;
                const bool snow = height < depth;
                const plat::COLORREF white = ((x * 7 + y * 3) % 11) == 0 ? plat::RGB(215, 225, 240) : 0xFFFFFF;
                plat::SetPixelV(pdc, bx + x, by + y, snow ? white : 0);
                plat::SetPixelV(pmask, bx + x, by + y, snow ? 0xFFFFFF : 0);
            }
        r.TgPieces.assign(2, LayerPiece{});
        LayerPiece& p = r.TgPieces[1];
        p.Left = kLeft;
        p.Right = kRight;
        p.Values = {kVehicleHeight - kHeight, kHeight, bx, by, static_cast<int32_t>(dc), static_cast<int32_t>(mask)};
        r.TgPieceCount = 1;
    }

    // Runs single steps, the line's actions after the first, and keeps every `every`th
    // frame; their checksums.
    std::vector<uint64_t> Steps(int count, int every, const std::string& name, std::u16string_view actions = u"") {
        std::vector<uint64_t> sums;
        std::vector<std::unique_ptr<Canvas>> kept;
        for (int i = 1; i <= count; ++i) {
            if (i == 2 && !actions.empty()) DoActionList(trains().at(line), actions);
            Frame(true);
            if (i % every != 0) continue;
            sums.push_back(Checksum(*screen));
            kept.push_back(std::make_unique<Canvas>(kW, kH, 32));
            plat::BitBlt(kept.back()->dc, 0, 0, kW, kH, screen->dc, 0, 0, plat::SRCCOPY);
        }
        Canvas strip(kW * static_cast<int>(kept.size()), kH, 32);
        for (size_t k = 0; k < kept.size(); ++k)
            plat::BitBlt(strip.dc, kW * static_cast<int>(k), 0, kW, kH, kept[k]->dc, 0, 0, plat::SRCCOPY);
        SaveDcAsPng(strip.dc.Value(), strip.width, kH, std::string(YOV_BIN_DIR) + "/../effect_" + name + ".png");
        return sums;
    }

    static constexpr int32_t kBodyX = 8;
    std::optional<engine_test::ImmediateBlitEngine> engine_;  // batches drawn as handed over
    program_test::ShowFrameSteps showSteps_;                  // the steps run, not recorded
    program_test::TestMovers movers;
    program_test::FrameCountClock clock_;  // frame steps of exactly 20 ms
    int32_t line = 0;
    int32_t part = 0;
    std::vector<LvHandle> pieceBuffers;
    std::unique_ptr<Canvas> screen, work, body, bodyMask, frames, frameMasks, pans, panMasks;
    plat::HBRUSH black;
};

std::string Hex(const std::vector<uint64_t>& sums) {
    std::string out;
    char buf[24];
    for (uint64_t s : sums) {
        std::snprintf(buf, sizeof buf, "0x%016llx, ", static_cast<unsigned long long>(s));
        out += buf;
    }
    return out;
}

TEST_F(EffectFrames, DoorOpensAndPantographRises) {
    struct Case {
        const char* name;
        std::u16string_view action;
        int32_t moving, resting;  // the slot that animates and the one that stays
        std::vector<uint64_t> want;
    };
    // At rest, then the slot at frames 1, 1, 2, 2, 3: the wheel shows each frame for 40 ms.
    const Case cases[] = {
        {"door",
         u"OPEN",
         1,
         2,
         {0x87cfeddd1677c2ab, 0x23846b953f14e93b, 0x23846b953f14e93b, 0x9abd5b23a2610a5b, 0x9abd5b23a2610a5b,
          0x9f8ae24d45cbe6bb}},
        {"pantograph",
         u"PU",
         2,
         1,
         {0x87cfeddd1677c2ab, 0x8981165737604bcb, 0x8981165737604bcb, 0xc643c08be4a670ab, 0xc643c08be4a670ab,
          0x3076088c98aed3cb}},
    };
    for (const Case& c : cases) {
        if (&c != &cases[0]) {
            TearDown();
            SetUp();
        }
        PlaceCoach();
        const std::vector<uint64_t> sums = Steps(6, 1, c.name, c.action);
        EXPECT_EQ(pictureSlots()[c.moving].ShowFrame, 3) << c.name << " at its last frame";
        EXPECT_EQ(pictureSlots()[c.resting].ShowFrame, 0) << c.name << ": the other slot stays";
        EXPECT_EQ(sums, c.want) << c.name << ": " << Hex(sums);
    }
}

TEST_F(EffectFrames, SnowFalls) {
    // Every 200 ms: the flakes have fallen five rows further down the band.
    const std::vector<uint64_t> sums = Steps(61, 10, "snow_falling", u"[SNOW: B=0;H=54;V=40;I=6;S=0;AX=24]");
    const std::vector<uint64_t> want = {0xe40b0d9b6f930fa6, 0x5608997eaca1ece1, 0x86f1d6bea3516c4d,
                                        0xd3c0668ce375a9a5, 0x1f383d406521c6a5, 0xa43ff27995919323};
    EXPECT_EQ(sums, want) << Hex(sums);
}

TEST_F(EffectFrames, SnowLies) {
    SnowyPiece();
    // Every 240 ms about five rows more of the drifts, the top row blended; 20 rows after 1 s.
    const std::vector<uint64_t> sums = Steps(61, 12, "snow_lying", u"[GROW: F=0;TO=20;T=1]");
    EXPECT_EQ(trains().at(line).GrowLevel, 20);
    const std::vector<uint64_t> want = {0xe2e8bbf6aa7f9b8f, 0xc554b94f15bbf6d7, 0x3722f56f9ea1222b, 0xcaa15eaf05363e82,
                                        0xcaa15eaf05363e82};
    EXPECT_EQ(sums, want) << Hex(sums);
}

TEST_F(EffectFrames, APausedStepMovesNeitherSnowNorDoors) {
    PlaceCoach();
    Steps(3, 1, "pause", u"[SNOW: B=0;H=54;V=40;I=6;S=0],OPEN");
    const uint64_t before = Checksum(*screen);
    const int32_t row = trains().at(line).SnowRow;
    for (int i = 0; i < 5; ++i) Frame(false);  // no single steps left: paused
    EXPECT_EQ(trains().at(line).SnowRow, row);
    EXPECT_EQ(Checksum(*screen), before);
}

// A scene's path is painted by its scene record, shifted into the scene's area, and its
// falling snow with it: the flakes fall in the path's band on the screen and nowhere else.
TEST_F(EffectFrames, APathsSnowFallsWithItsScene) {
    const int32_t record = NewTrainRec(0);
    {
        TrainRec& s = trains().at(record);
        s.Flags = train_flag::kSceneRecord | train_flag::kStarted;
        s.Width = kW;
        s.OriginY = kBase;
        s.AboveBase = kBase;
        s.BelowBase = kH - kBase;
        s.SceneDC = scene->dc.Value();
        s.NextLinked = line;
    }
    InsertActiveTrain(record);
    constexpr int32_t kPathRail = kBase - 6;
    TrainRec& path = trains().at(line);
    path.Flags |= train_flag::kDependent;
    path.OriginY = kPathRail;
    DoAction(path, u"[SNOW: B=10;H=20;V=20;I=50;S=0]");
    ShowState& ss = showState();
    ss.StepMoves = 1;
    ss.StepClock = 20;
    Compositor& c = displayState().Frame;
    for (int i = 0; i < 10; ++i) {
        PaintFrame();
        if (c.compositionList.count > 0)
            lv::DoBlt(c.compositionList.count, c.compositionList.records.data() + 1, work->dc.Value());
        BlitList& batch = c.currentBatch();
        if (batch.count > 0) lv::DoBlt(batch.count, batch.records.data() + 1, screen->dc.Value());
    }
    int inBand = 0;
    int outside = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const bool flake = (screen->Get(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
            const bool band = y >= kPathRail - 30 && y < kPathRail - 10;
            (band ? inBand : outside) += flake ? 1 : 0;
        }
    }
    EXPECT_GT(inBand, 0) << "the path's snow is on the screen";
    EXPECT_EQ(outside, 0);
}

TEST_F(EffectFrames, SnowBandIsTwoPiecesOfTheRingAndOtherPagesRepaintIt) {
    showState().FlipCount = 2;
    TrainRec& r = trains().at(line);
    DoAction(r, u"[SNOW: B=10;H=40;V=20;S=0]");
    ASSERT_NE(r.SnowBuffer, 0);
    Compositor& c = displayState().Frame;
    c.SetScreenRect(0, kBase, kW, r.AboveBase, r.BelowBase);
    showState().PageIndex = 0;
    PaintSnow(r, 70);  // three rows
    EXPECT_EQ(r.SnowRow, 3);
    EXPECT_EQ(r.BufferRedraw[0] & kSnowBandRedraw, 0);
    EXPECT_NE(r.BufferRedraw[1] & kSnowBandRedraw, 0);
    EXPECT_NE(r.BufferRedraw[2] & kSnowBandRedraw, 0);
    ASSERT_EQ(c.paintOpCount(), 2);
    const PaintOp& bottom = c.paintOps()[1];
    const PaintOp& top = c.paintOps()[2];
    EXPECT_EQ(bottom.Bottom, 10);
    EXPECT_EQ(bottom.Top, 47);
    EXPECT_EQ(top.Bottom, 47);
    EXPECT_EQ(top.Top, 50);
    // The top piece's first row is ring row 37, the newest; the bottom piece starts at row 0.
    EXPECT_EQ(top.SourceYBase - top.Top, r.SnowBufferData[2] + 37);
    EXPECT_EQ(bottom.SourceYBase - bottom.Top, r.SnowBufferData[2]);
    EXPECT_EQ(top.MaskDC, 1) << "flakes are ORed over the scene";
    EXPECT_EQ(c.dirtyRects().size(), 2u);

    // Page 1 has not received the new rows: its whole band is redrawn once.
    c.SetScreenRect(0, kBase, kW, r.AboveBase, r.BelowBase);
    showState().PageIndex = 1;
    PaintSnow(r, 5);
    EXPECT_EQ(r.BufferRedraw[1] & kSnowBandRedraw, 0);
    EXPECT_EQ(c.dirtyRects().size(), 2u);
    r.BufferRedraw[1] = 0;
    c.SetScreenRect(0, kBase, kW, r.AboveBase, r.BelowBase);
    PaintSnow(r, 5);
    EXPECT_TRUE(c.dirtyRects().empty()) << "no new rows, nothing pending: nothing to redraw";

    const auto flakes = [&r] {
        int n = 0;
        const plat::HDC dc = plat::HDC::FromValue(r.SnowBufferData[0]);
        for (int y = 0; y < r.SnowBufferHeight; ++y)
            for (int x = 0; x < r.Width; ++x)
                n += plat::GetPixel(dc, r.SnowBufferData[1] + x, r.SnowBufferData[2] + y) != 0 ? 1 : 0;
        return n;
    };
    EXPECT_GT(flakes(), 0);
    const int32_t buffer = r.SnowBuffer;
    DoAction(r, u"[BEGIN_SNOW: H=20;S=0]");
    EXPECT_EQ(r.SnowBuffer, buffer) << "a lower band keeps its picture";
    EXPECT_EQ(flakes(), 0) << "and starts without flakes";
}

TEST_F(EffectFrames, LyingSnowDefaultsReachAndRowsToRepaint) {
    SnowyPiece();
    TrainRec& r = trains().at(line);
    EXPECT_EQ(GrowDefaultTo(r), 32);
    EXPECT_EQ(GrowDefaultFrom(r), 0);
    showState().FlipCount = 1;

    DoAction(r, u"[GROW: F=10;TO=4]");
    EXPECT_NE(r.LayerFlags & kLyingSnowLayer, 0);
    EXPECT_NE(r.Flags & train_flag::kSmoothSnowGrowth, 0);
    ASSERT_EQ(r.GrowPieceCount, 1);
    PaintEffectLayer(r, 20);
    EXPECT_EQ(r.GrowLevel, 4) << "a fall reaches its end in the first step";
    EXPECT_EQ(r.GrowRate, 0);

    DoAction(r, u"[GR: F=0;TO=200;T=0.05;STEP]");
    EXPECT_EQ(r.GrowTo, kVehicleHeight) << "held to the vehicle zone";
    EXPECT_EQ(r.Flags & train_flag::kSmoothSnowGrowth, 0);
    EXPECT_FLOAT_EQ(r.GrowRate, kVehicleHeight / 1000.0f) << "a time below 0.1 s is 1 s";
    r.BufferRedraw = {};
    PaintEffectLayer(r, 100);
    PaintEffectLayer(r, 100);
    for (size_t b : {0u, 1u}) {
        EXPECT_NE(r.BufferRedraw[b] & kLyingSnowLayer, 0);
        EXPECT_EQ(r.GrowRepaintFrom[b], 0) << "from where the first unpainted change began";
        EXPECT_EQ(r.GrowRepaintTo[b], 8);
    }
    EXPECT_EQ(r.BufferRedraw[2], 0) << "no third page";
}

TEST_F(EffectFrames, NoTemporaryBackgroundNoLyingSnow) {
    TrainRec& r = trains().at(line);
    DoAction(r, u"[GROW: TO=10]");
    EXPECT_EQ(r.LayerFlags & kLyingSnowLayer, 0);
    EXPECT_EQ(r.GrowRate, 0);
}

}  // namespace
