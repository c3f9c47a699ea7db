// A train's first unit placed on its line (direction, vehicle height, way, temporary
// background span and overlap, speeds and rates) on the real area painting, and two
// pictures coupled end to end in both directions.
#include <string>
#include <vector>

#include "fake_vehicles.h"
#include "frame_step_stand_ins.h"
#include "show_fixture.h"
#include "trains_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/show/frame_step.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_placement.h"
#include "program/trains/train_start_state.h"

namespace {

using namespace yov;
namespace tf = train_flag;

constexpr int32_t kHeight = 30;

class TrainPlacement : public show_test::ShowTestOn<trains_test::AreaTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        ResetTrainPictures();
        MakeScene(800, 200);
        UseCanvas(0, 0, 3000, kHeight + 10, 0);
        vehicles_.emplace(kHeight);
        vehicles_->afterExpand = [this] {
            programState().Shared.ExpandState1 = wayKind;
            programState().Shared.ExpandState2 = wayNumber;
        };
        SectRec& s = Sect(1);
        s.WayDefs = RunSettings{}.WayDefs;
        s.Speed = u"4";
        trainStart() = TrainStartState{};
        train = NewTrainRec(0);
        TrainRec& r = trains().at(train);
        r.Sect = 1;
        r.Width = 640;
        r.BandHeight = 110;
        r.VehicleHeight = kHeight;
        r.AboveBase = 90;
        r.BelowBase = 20;
        r.Direction = 1;
        paramTable().ClearParams();
    }
    void TearDown() override {
        paramTable().ClearParams();
        vehicles_.reset();
        FreeCanvas(0);
        ResetTrainPictures();
        ShowTestOn::TearDown();
    }
    TrainRec& rec() { return trains().at(train); }
    int32_t Place(const std::u16string& params) {
        paramTable().ClearParams();
        paramTable().ParseParams(params);
        return PlaceTrain(train, u"C", u"A", u"B", u"V", u"D");
    }

    int32_t train = 0;
    uint8_t wayKind = 1;
    uint8_t wayNumber = 0;

private:
    program_test::NoFrameSteps noSteps_;
    std::optional<vehicles_test::FakeVehicles> vehicles_;
};

TEST_F(TrainPlacement, TheUnitIsMemberOneWithItsSpeedsRatesAndDirection) {
    const int32_t pic = Place(u"C=E40,COACH_A;V=6;A=0;B=0.4;D=C");
    const TrainPicture& p = trainPictures()[pic];
    EXPECT_EQ(rec().Members[1], pic);
    EXPECT_EQ(rec().MemberCount, 1);
    EXPECT_EQ(p.MemberPos, 1);
    EXPECT_EQ(p.Width, 140);
    EXPECT_FLOAT_EQ(p.Speed, 6);
    EXPECT_FLOAT_EQ(p.TargetSpeed, 6);
    EXPECT_FLOAT_EQ(p.AccelRate, 0.05f) << "a rate of 0 becomes the least one";
    EXPECT_FLOAT_EQ(p.BrakeRate, 0.4f);
    EXPECT_EQ(p.Dir, -1) << "C turns the train's direction";
    EXPECT_EQ(rec().Direction, -1);
    EXPECT_EQ(p.X, 640) << "a unit moving left enters at the right end";
}

TEST_F(TrainPlacement, WithoutSpeedTheSectionsSpeedAndWithoutNamesNothingIsRead) {
    paramTable().ClearParams();
    paramTable().ParseParams(u"C=E40;V=9;A=0.7");
    const int32_t pic = PlaceTrain(train, u"C", u"", u"", u"", u"");
    EXPECT_FLOAT_EQ(trainPictures()[pic].Speed, 0) << "no speed name: not read";
    EXPECT_FLOAT_EQ(trainPictures()[pic].AccelRate, 0.05f) << "as built";
    const int32_t second = Place(u"C=E40");
    EXPECT_FLOAT_EQ(trainPictures()[second].Speed, 4) << "the section's speed";
}

TEST_F(TrainPlacement, TheWayComesFromWTheVehiclesOrTheKindOfLine) {
    struct Case {
        const char* name;
        std::u16string params;
        uint8_t kind, number;
        int32_t wire;
    };
    const std::vector<Case> cases = {
        {"W with its wire", u"C=E40;W=RE", 1, 0, kHeight},
        {"an electric line by its kind", u"C=E40", 3, 0, kHeight},
        {"a plain line by its kind", u"C=E40", 2, 0, 0},
        {"a plain line with the expansion's wire height", u"C=E40", 2, 40, 40},
        {"the kind's parameter before the section's way", u"C=E40;WR=RL45", 2, 0, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wayKind = c.kind;
        wayNumber = c.number;
        rec().WireHeight = -1;
        Place(c.params);
        EXPECT_EQ(rec().WireHeight, c.wire);
    }
}

TEST_F(TrainPlacement, TheTemporaryBackgroundSpanOverlapAndOrder) {
    struct Case {
        const char* name;
        std::u16string params;
        int32_t flagsBefore;
        bool after;
        int32_t overlap;
    };
    const std::vector<Case> cases = {
        {"an overlap counted from the width", u"C=E40,COACH_A,COACH_B,COACH_A2;TO=-10", 0, false, 290},
        {"a plain overlap", u"C=E40;TBGO=12", 0, false, 12},
        {"after and before given: after wins", u"C=E40;TGA=1;TGB=1", 0, true, 0},
        {"before clears after", u"C=E40;TGB=1", tf::kTbgAfterTrains, false, 0},
        {"neither keeps it", u"C=E40", tf::kTbgAfterTrains, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rec().Flags = c.flagsBefore;
        rec().BufferRedraw = {};
        Place(c.params);
        EXPECT_EQ((rec().Flags & tf::kTbgAfterTrains) != 0, c.after);
        EXPECT_EQ(rec().TbgOverlap, c.overlap);
        // No segments: an empty span on every page.
        EXPECT_EQ(rec().TbgFrom, 0);
        EXPECT_EQ(rec().TbgTo, 0);
        EXPECT_EQ(rec().BufferRedraw[0] & 0x50, 0x50);
    }
}

TEST_F(TrainPlacement, AnAreaPaintedAtSetUpKeepsItsHeightAndLayers) {
    rec().Flags = tf::kAreaPainted;
    rec().LayerFlags = 0x48;
    rec().WireHeight = 7;
    const int32_t pic = Place(u"C=E40;VH=50;W=RE;V=3;TGH=1;TO=5");
    EXPECT_EQ(rec().VehicleHeight, kHeight);
    EXPECT_EQ(rec().WireHeight, 7) << "not painted again";
    EXPECT_EQ(rec().LayerFlags, 0x08) << "a hidden temporary background has no layer";
    EXPECT_EQ(rec().TbgOverlap, 5);
    EXPECT_FLOAT_EQ(trainPictures()[pic].Speed, 3);
    rec().Flags = 0;
    Place(u"C=E40;VH=50");
    EXPECT_EQ(rec().VehicleHeight, 50) << "a line not painted takes the vehicle height";
}

TEST(Coupling, PutsTheSecondPictureEndToEndInBothDirections) {
    struct Case {
        const char* name;
        int16_t dir, side;
        uint8_t noMove;
        int32_t firstX, secondX;
    };
    // The first picture stands at 100 and is 60 wide, the second 40 wide at 500.
    const std::vector<Case> cases = {
        {"moving left, second behind on the right", -1, -1, 0, 100, 160},
        {"moving left, second ahead on the left", -1, 1, 0, 540, 500},
        {"moving right, first behind on the left", 1, -1, 0, 440, 500},
        {"moving right, second behind on the left", 1, 1, 0, 100, 60},
        {"no move: places stay", -1, -1, 1, 100, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetTrainPictures();
        TrainPictureTable& t = trainPictures();
        t.Entries.resize(3);
        t.Count = 2;
        t[1].MotionState = 1;
        t[1].X = 100;
        t[1].Width = 60;
        t[1].Dir = c.dir;
        t[2].MotionState = 1;
        t[2].X = 500;
        t[2].Width = 40;
        t[2].Dir = static_cast<int16_t>(-c.dir);
        CoupleTrainPictures(1, 2, c.side, c.noMove);
        EXPECT_EQ(t[1].CoupledId, 2);
        EXPECT_EQ(t[2].Dir, c.dir) << "the second goes the first's way";
        EXPECT_EQ(t[1].X, c.firstX);
        EXPECT_EQ(t[2].X, c.secondX);
    }
    ResetTrainPictures();
}

}  // namespace
