// The picture table: slots from the free list and the table, their chain on the part being
// built, the slot stack that a failed build unwinds, frames, surfaces, animation labels,
// pantograph codes and placement in the part.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "frame_step_stand_ins.h"
#include "engine_fake.h"
#include "freed_handles_engine.h"
#include "picture_ref_fixture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/program_error.h"
#include "program/scene/anim_labels.h"
#include "program/scene/part_placement.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"

namespace {

class PictureSlots : public picref_test::PictureRefTest {
protected:
    void SetUp() override {
        PictureRefTest::SetUp();
        core_test::defaultTexts()[u"ANPAR"] = u"Error in animation parameters %1";
        core_test::defaultTexts()[u"OPNP"] = u"Overlay picture \"%1\" not in parent area";
        freeing_.emplace();
        yov::ClearPicturePools();
        yov::pictureSlots() = yov::PictureSlotTable{};
        yov::picParts().CurPart = 0;
        yov::pictureBuildState() = {};
    }
    void TearDown() override {
        yov::ClearPicturePools();
        yov::pictureSlots() = yov::PictureSlotTable{};
        freeing_.reset();
        PictureRefTest::TearDown();
    }
    static std::vector<int32_t> Chain(int32_t part) {
        std::vector<int32_t> out;
        for (int32_t s = yov::picParts()[part].FirstSlot; s != 0 && out.size() < 100;
             s = yov::pictureSlots()[s].NextSlot)
            out.push_back(s);
        return out;
    }
    program_test::RecordedFrameSteps frameSteps;
    std::vector<int32_t>& steps = frameSteps.sites;
    std::function<void(int32_t)>& onStep = frameSteps.onStep;

private:
    // The slots' surfaces and buffers here are made up: their freeing stays with the fake.
    std::optional<engine_test::FreedHandlesEngine> freeing_;
};

TEST_F(PictureSlots, SlotsChainToTheCurrentPartAndFreedOnesComeBackFirst) {
    const int32_t part = yov::AllocPicPart(0);
    yov::picParts().CurPart = part;
    const int32_t a = yov::AllocPictureSlot(), b = yov::AllocPictureSlot(), c = yov::AllocPictureSlot();
    EXPECT_EQ(Chain(part), (std::vector<int32_t>{a, b, c}));
    EXPECT_EQ(yov::picParts()[part].LastSlot, c);
    EXPECT_EQ(yov::pictureSlots()[b].OwnerPart, part);
    EXPECT_EQ(steps, (std::vector<int32_t>{10401, 10401, 10401}));
    yov::FreePictureSlot(b);
    EXPECT_EQ(yov::AllocPictureSlot(), b) << "the free list is used before the table grows";
    EXPECT_EQ(yov::pictureSlots().StackCount, 4);
    for (int i = 0; i < 40; ++i) yov::AllocPictureSlot();
    EXPECT_EQ(yov::pictureSlots().Count, 43);
    EXPECT_EQ(yov::pictureSlots().Alloc, 60) << "grown in steps of 20";
}

TEST_F(PictureSlots, ReleaseToMarkFreesTheBuildEvenWhenAFrameStepFreesAndAllocatesInside) {
    // An earlier build: one part with two slots, below the mark.
    const int32_t earlier = yov::AllocPicPart(0);
    yov::picParts().CurPart = earlier;
    const int32_t kept = yov::AllocPictureSlot();
    const int32_t leaving = yov::AllocPictureSlot();
    const int32_t partMark = yov::picParts().StackCount, slotMark = yov::pictureSlots().StackCount;

    const int32_t built = yov::AllocPicPart(0);
    yov::picParts().CurPart = built;
    // The show's frame step inside the build lets a slot of the earlier picture go, and the
    // build then reuses it.
    onStep = [&](int32_t) {
        onStep = nullptr;
        yov::FreePictureSlot(leaving);
    };
    const int32_t first = yov::AllocPictureSlot();
    const int32_t second = yov::AllocPictureSlot();
    EXPECT_EQ(second, leaving);
    EXPECT_EQ(yov::pictureSlots()[second].OwnerPart, built);

    yov::ReleaseToMark(partMark, slotMark);
    EXPECT_EQ(yov::pictureSlots()[first].State, yov::kSlotFree);
    EXPECT_EQ(yov::pictureSlots()[second].State, yov::kSlotFree);
    EXPECT_EQ(yov::picParts()[built].State, yov::kPartFree);
    EXPECT_EQ(yov::pictureSlots()[kept].State, yov::kSlotAtRest) << "the earlier picture keeps its slot";
    EXPECT_EQ(yov::picParts()[earlier].State, yov::kPartInUse);
}

TEST_F(PictureSlots, FramesFollowTheStepsAndKeepSurfacesOfTheirOwn) {
    const int32_t s = yov::AllocPictureSlot();
    yov::PictureSlot& slot = yov::pictureSlots()[s];
    slot.SrcX = 2, slot.SrcY = 1, slot.BufX = 100, slot.BufY = 10, slot.StepX = 8, slot.StepY = 0;
    slot.BufDC = 5, slot.BufMaskDC = 6, slot.LastFrame = 2;
    yov::InitPictureFrames(s);
    ASSERT_EQ(slot.Frames.size(), 3u);
    EXPECT_EQ(slot.Frames[2].X, 118);
    EXPECT_EQ(slot.Frames[2].Y, 11);
    EXPECT_EQ(slot.Frames[1].DC, 5);

    slot.Flags = yov::kSlotSurfacePerFrame;
    for (size_t k = 0; k < 3; ++k) slot.Frames[k] = {static_cast<int32_t>(40 + k), 0, 0, 0, 0, 0};
    yov::InitPictureFrames(s);
    EXPECT_EQ(slot.Frames[1].Surface, 41) << "surfaces of their own are not overwritten";
}

// The engine's surfaces, faked: surfaces are numbered from `next` on, fills do nothing.
struct SlotSurfaceEngine final : engine_test::EngineFake {
    explicit SlotSurfaceEngine(LvHandle first) : next(first) {}
    LvHandle CreateSurface(int32_t, int32_t, uint32_t, int32_t) override {
        ++created;
        return next++;
    }
    LvResult FillSurface(LvHandle, int32_t, int32_t, int32_t, int32_t, uint32_t, int32_t, int32_t) override {
        return 0;
    }
    LvHandle next;
    int created = 0;
};

TEST_F(PictureSlots, AnAnimationReachingPastItsPictureGetsNoSurface) {
    yov::programState().run.BatchMode = 1;
    SlotSurfaceEngine engine(9);
    const int& created = engine.created;
    const int32_t s = yov::AllocPictureSlot();
    yov::PictureSlot& slot = yov::pictureSlots()[s];
    slot.FrameWidth = 10, slot.FrameHeight = 5, slot.StepX = 10, slot.LastFrame = 3;
    EXPECT_EQ(ErrorOf([&] { yov::CreateAnimSurface(s, 30, 5); }), u"Animation picture is smaller as needed");
    EXPECT_EQ(created, 0);
    EXPECT_EQ(yov::pictureSlots()[s].Surface, 0);
    EXPECT_EQ(ErrorOf([&] { yov::CreateAnimSurface(s, 40, 5); }), u"");
    EXPECT_EQ(created, 1);
    EXPECT_EQ(yov::pictureSlots()[s].Surface, 9);
    EXPECT_EQ(yov::pictureSlots()[s].Frames[3].X, 30);
}

TEST_F(PictureSlots, PerFrameSurfacesStayAfterTheSurfacesAreMade) {
    yov::programState().run.BatchMode = 1;
    SlotSurfaceEngine engine(20);
    const int32_t s = yov::AllocPictureSlot();
    yov::PictureSlot& slot = yov::pictureSlots()[s];
    slot.FrameWidth = 4, slot.FrameHeight = 4, slot.StepX = 4, slot.LastFrame = 1,
    slot.Flags = yov::kSlotSurfacePerFrame;
    yov::CreateAnimSurface(s, 8, 4);
    ASSERT_EQ(yov::pictureSlots()[s].Frames.size(), 2u);
    EXPECT_EQ(yov::pictureSlots()[s].Frames[0].Surface, 20);
    EXPECT_EQ(yov::pictureSlots()[s].Frames[1].Surface, 21);
}

TEST_F(PictureSlots, AnimationParametersBecomeLabels) {
    struct Case {
        std::u16string text;
        int16_t direction;
        std::vector<std::u16string> names, modes;
        int32_t defaultLabel;
    };
    const std::vector<Case> cases = {
        {u"(ON=C;*OFF=E)", 0, {u"ON", u"OFF"}, {u"C", u"E"}, 2},
        {u"<UP=FW;>DOWN=7", -1, {u"UP", u"DOWN"}, {u"F", u"P7"}, 1},
        {u"<UP=FW;>DOWN=7", 1, {u"UP", u"DOWN"}, {u"F", u"P7"}, 2},
        {u"OPEN;OPEN=BACKWARD;OPEN=C", 0, {u"OPEN"}, {u"B"}, 0},
        {u"A= ;B=CYCLE;C=EXIT", 0, {u"A", u"B", u"C"}, {u"", u"C", u"E"}, 0},
    };
    for (const Case& c : cases) {
        yov::AllocPictureSlot();  // empties the label list
        yov::pictureSlots().DefaultLabel = 0;
        yov::pictureSlots().PictureDirection = c.direction;
        yov::ParseAnimParams(1, c.text);
        const yov::PictureSlotTable& t = yov::pictureSlots();
        ASSERT_EQ(t.LabelCount, static_cast<int32_t>(c.names.size())) << core_test::utf8(c.text);
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(t.AnimLabelName[i + 1], c.names[i]) << core_test::utf8(c.text);
            EXPECT_EQ(t.AnimLabelMode[i + 1], c.modes[i]) << core_test::utf8(c.text);
        }
        EXPECT_EQ(t.DefaultLabel, c.defaultLabel) << core_test::utf8(c.text);
    }
    // A new slot starts without the last one's default label.
    yov::ParseAnimParams(1, u"*A;B");
    yov::AllocPictureSlot();
    yov::ParseAnimParams(1, u"A;*B");
    EXPECT_EQ(yov::pictureSlots().DefaultLabel, 2);
    EXPECT_NE(ErrorOf([] { yov::ParseAnimParams(1, u"(ON=C) X"); }), u"");
    EXPECT_NE(ErrorOf([] { yov::ParseAnimParams(1, u"(ON=C"); }), u"");
}

TEST_F(PictureSlots, PantographCodes) {
    const std::vector<std::pair<std::u16string, int16_t>> cases = {
        {u"P12U", 3}, {u"PTU", 80}, {u"PX", -1}, {u"PLU", 1}, {u"PBIU", 144}, {u"PN", 16384}, {u"", -1}, {u"plu", -1}};
    for (const auto& [code, value] : cases) EXPECT_EQ(yov::PantoCodeToMask(code), value) << core_test::utf8(code);
}

TEST_F(PictureSlots, RectanglesArePlacedInsideThePart) {
    const int32_t part = yov::AllocPicPart(0);
    yov::picParts().CurPart = part;
    yov::picParts()[part].Width = 100;
    yov::picParts()[part].PartHeight = 40;
    struct Case {
        int32_t x, y, h, v, w, hh;
        int32_t wantX, wantY;
        bool fails;
    };
    const std::vector<Case> cases = {
        {yov::kNotGiven, yov::kNotGiven, yov::kAlignCentre, yov::kAlignCentre, 20, 10, 40, 15, false},
        {50, 20, yov::kAlignCentre, yov::kAlignStart, 20, 10, 40, 20, false},
        {-1, -1, yov::kAlignStart, yov::kAlignStart, 20, 10, 80, 30, false},
        {yov::kNotGiven, yov::kNotGiven, yov::kAlignEnd, yov::kAlignEnd, 20, 10, 80, 30, false},
        {90, 0, yov::kAlignStart, yov::kAlignStart, 20, 10, 0, 0, true},
        {0, 35, yov::kAlignStart, yov::kAlignStart, 20, 10, 0, 0, true},
        // Far-off positions and sizes are refused, never wrapped into the part.
        {-2147483646, 0, yov::kAlignStart, yov::kAlignStart, 200, 10, 0, 0, true},
        {2147483600, 0, yov::kAlignEnd, yov::kAlignStart, -100, 10, 0, 0, true},
        {10, 0, yov::kAlignStart, yov::kAlignStart, -5, 10, 0, 0, true},
    };
    for (const Case& c : cases) {
        int32_t x = c.x, y = c.y;
        const std::u16string error = ErrorOf([&] { yov::PlaceInPart(x, y, c.h, c.v, c.w, c.hh, u"LAMP"); });
        EXPECT_EQ(!error.empty(), c.fails) << c.x << "," << c.y;
        if (!c.fails) {
            EXPECT_EQ(x, c.wantX) << c.x << "," << c.y;
            EXPECT_EQ(y, c.wantY) << c.x << "," << c.y;
        }
    }
    yov::AddNeighbourName(u"CAB", -1);
    yov::AddNeighbourName(u"BELLOWS", 0);
    yov::AddNeighbourName(u"HOOK", 1);
    EXPECT_EQ(yov::picParts()[part].LeftStates, u",CAB,BELLOWS,");
    EXPECT_EQ(yov::picParts()[part].RightStates, u",BELLOWS,HOOK,");
}

TEST_F(PictureSlots, APictureGrowsOnlyWhereTheSettingsAllowIt) {
    int32_t current = 40;
    EXPECT_NE(ErrorOf([&] { yov::GrowPictureHeight(50, current, u"LAMP", 0); }), u"");
    EXPECT_EQ(current, 40);
    yov::pictureBuildState().GrowOptions = 8;
    yov::pictureBuildState().GrowLimit = 60;
    EXPECT_EQ(ErrorOf([&] { yov::GrowPictureHeight(50, current, u"LAMP", 1); }), u"");
    EXPECT_EQ(current, 50);
    EXPECT_EQ(yov::pictureBuildState().TallestHeight, 50);
    EXPECT_EQ(yov::pictureBuildState().TallestPlain, 0) << "an overlay does not count as a plain picture";
    EXPECT_NE(ErrorOf([&] { yov::GrowPictureHeight(61, current, u"LAMP", 0); }), u"");
}

}  // namespace
