// The movement modes at a train's start: which word picks which mode, the units each builds
// and how, the parameters it reads with their defaults, its step texts, where its units stop
// and which unit carries the train. The line is 1000 wide and runs to the right unless it
// says otherwise, so a missing "P" puts the front of what stops at 850.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "modes_fixture.h"
#include "platform/codepage.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader.h"
#include "program/show/object_steps.h"

namespace {

using namespace yov;
using modes_test::ModeLine;

class MovementModes : public ModeLine {};

TEST_F(MovementModes, EveryWordPicksItsModeAndEveryFirstStateStartsAPhase) {
    std::map<std::u16string, MovementMode> seen;
    for (const MovementModeRow& row : movementModeTable()) {
        for (std::u16string_view w : row.Words) {
            if (w.empty()) continue;
            EXPECT_EQ(SelectMovementMode(w), row.Mode) << plat::utf16ToUtf8(w);
            seen[std::u16string(w)] = row.Mode;
        }
        // The first state is used up by the start's wait, so the table never names it; the
        // state after it sets the train going (NONE only waits).
        EXPECT_EQ(FindPhase(row.FirstState).Op, PhaseOp::End) << int(row.FirstState);
        const PhaseOp second = FindPhase(static_cast<uint8_t>(row.FirstState + 1)).Op;
        EXPECT_EQ(second, row.Mode == MovementMode::None ? PhaseOp::Wait : PhaseOp::Go) << int(row.FirstState);
    }
    EXPECT_EQ(seen.size(), 40u);
    EXPECT_EQ(SelectMovementMode(u""), MovementMode::Simple);
    EXPECT_EQ(seen[u"M14"], MovementMode::Cut2);
    EXPECT_EQ(seen[u"M16"], MovementMode::Rcut);
}

TEST_F(MovementModes, AnUnknownWordRaisesUtcWithTheScriptLine) {
    SceneScript& s = scriptReader().S;
    s.FileNames = {u"", u"demo.ttt"};
    s.FileCount = 1;
    s.Members.resize(3);
    s.Members[2].FileIndex = 1;
    s.Members[2].Line = 17;
    trainStart().CurLine = 2;
    try {
        SelectMovementMode(u"FLY");
        FAIL() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), 6002);
        const std::string text = plat::utf16ToUtf8(e.description());
        EXPECT_THAT(text, ::testing::HasSubstr("FLY"));
        EXPECT_THAT(text, ::testing::HasSubstr("17"));
    }
    // A lower-case word is upper-cased by the train start before it is compared.
    EXPECT_THROW(SelectMovementMode(u"stop"), ProgramError);
}

struct SetUpCase {
    const char* name;
    std::u16string line;
    std::u16string placed;                // the names PlaceTrain read
    std::vector<std::u16string> made;     // further units: key@member, "m" mirrored
    std::map<int, std::u16string> texts;  // step texts by index
    int carrier;                          // member with the mode's first motion state
    int16_t motion;
    uint8_t startKind;
    std::function<void(ModeLine&)> more;
};

class ModeSetUp : public ModeLine {
public:
    using ModeLine::couplings;
    using ModeLine::id;
    using ModeLine::paintedBg;
    using ModeLine::rec;
    using ModeLine::unit;
};

TEST_F(MovementModes, EachModeBuildsItsUnitsAndStepTexts) {
    const auto stops = [](std::vector<int32_t> want) {
        return [want](ModeLine& t) {
            auto& m = static_cast<ModeSetUp&>(t);
            for (size_t k = 0; k < want.size(); ++k) {
                if (want[k] != INT32_MIN) {
                    EXPECT_EQ(m.unit(static_cast<int32_t>(k) + 1).StopX, want[k]) << "member " << k + 1;
                }
            }
        };
    };
    constexpr int32_t kAny = INT32_MIN;
    const SetUpCase cases[] = {
        {"NONE waits", u"M=NONE", u"", {}, {{0, u"5"}}, 0, 0, 1, nullptr},
        {"SIMPLE runs through", u"M=;C=300", u"C,A,B,V,D", {}, {}, 1, 6, 2, nullptr},
        {"FOLLOW keeps its compositions",
         u"M=FOLLOW;C=2*100;V=5;A=0.1",
         u"*,A,B,V,D",
         {},
         {{0, u"100\r100\r"}, {1, u"5"}, {2, u"0.1"}, {3, u""}},
         1,
         7,
         3,
         nullptr},
        {"STOP from m3", u"M=m3;C=300", u"C,A,B,V,D", {}, {{0, u"5"}}, 1, 12, 2, stops({550})},
        {"BACK", u"M=BACK;C=300;T=2", u"C,A,B,V,D", {}, {{0, u"2"}}, 1, 12, 2, stops({550})},
        {"OPEN waits 0, 10 and 2 s",
         u"M=OPEN;C=300",
         u"C,A,B,V,D",
         {},
         {{0, u"0"}, {1, u"10"}, {2, u"2"}},
         1,
         12,
         2,
         stops({550})},
        {"CUT with D1 right and D2 left: both go right",
         u"M=CUT;C1=200;C2=200;D1=R;D2=L",
         u"C1,A1,B,V,D",
         {u"C2@2"},
         {{0, u"5"}, {1, u"5"}, {2, u"1"}, {3, u"1"}},
         1,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(1).StopX, 450);
             ASSERT_EQ(m.couplings.size(), 1u);
             EXPECT_EQ(m.couplings[0].side, -1);
             EXPECT_EQ(m.unit(1).CoupledId, m.id(2));
         }},
        {"CUT2 parting keeps its directions",
         u"M=CUT2;C1=200;C2=200;D1=L;D2=R",
         u"C1,A1,B,V,D",
         {u"C2@2"},
         {{2, u"-1"}, {3, u"1"}, {4, u"2"}},
         1,
         12,
         1,
         nullptr},
        {"CHANGE: the old locomotive carries, the new one comes mirrored",
         u"M=CHANGE;C=300;C1=100;C2=120",
         u"C,A2,,V,D",
         {u"C1@2", u"C2@3m"},
         {{0, u"5"}, {1, u"5"}, {2, u"5"}, {3, u"2"}},
         2,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(2).StopX, 750);
             EXPECT_EQ(m.unit(3).StopX, 750);
             EXPECT_EQ(m.unit(2).CoupledId, m.id(1));
             EXPECT_EQ(m.unit(3).Dir, -1);
             EXPECT_FLOAT_EQ(m.unit(3).Speed, 2);
             EXPECT_FLOAT_EQ(m.unit(2).BrakeRate, 0.3f);
             EXPECT_EQ(trainStart().CurDirection, -1);
         }},
        {"UNIT: the second unit follows and couples",
         u"M=UNIT;C1=200;C2=200",
         u"C1,A,B1,V1,",
         {u"C2@2"},
         {{0, u"5"}, {1, u"5"}, {2, u"1"}, {3, u"2"}},
         1,
         12,
         1,
         stops({650, 450})},
        {"UNIT head on", u"M=UNIT;C1=200;C2=200;D2=V", u"C1,A,B1,V1,", {u"C2@2"}, {}, 1, 12, 1, stops({450, 650})},
        {"PUT",
         u"M=PUT;C=300;C1=200;C2=100",
         u"C,A,B,V,D",
         {u"C1@2", u"C2@3"},
         {{0, u"5"}, {2, u"5"}},
         1,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(1).StopX, 550);
             EXPECT_EQ(m.unit(2).StopX, 350);
             EXPECT_EQ(m.unit(2).CoupledId, m.id(3));
         }},
        {"GET", u"M=GET;C=300;C1=200;C2=100", u"C,A,B,V,D", {u"C1@2", u"C2@3"}, {}, 1, 12, 1, stops({550, kAny, 250})},
        {"ECHG: two units face the other way",
         u"M=SYSTEM_CHANGE;C=300;C1=100;C2=80;C3=120",
         u"C1,A2,B,V,D",
         {u"C@4", u"C2@2", u"C3@3"},
         {{3, u"5"}},
         1,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(1).StopX, 750);
             EXPECT_EQ(m.unit(2).StopX, 850);
             EXPECT_EQ(m.unit(3).StopX, 750);
             EXPECT_EQ(m.unit(2).Dir, -1);
             EXPECT_EQ(m.unit(3).Dir, -1);
             EXPECT_EQ(m.unit(4).Dir, 1);
             EXPECT_FLOAT_EQ(m.unit(2).Speed, 6);
             EXPECT_FLOAT_EQ(m.unit(1).TargetSpeed, 3);
         }},
        {"HEAD: the train carries its locomotive in front",
         u"M=XBACK;C1=100;C=300;C2=120",
         u"C1,A4,B1,V4,D",
         {u"C@2", u"C2@3"},
         {},
         2,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(2).StopX, 450);
             EXPECT_EQ(m.unit(3).StopX, 330);
             EXPECT_EQ(m.unit(2).CoupledId, m.id(1));
             EXPECT_GT(m.unit(1).X, m.unit(2).X);
             EXPECT_FLOAT_EQ(m.unit(3).Speed, 3);
         }},
        {"PUSH: the placed unit is the third member",
         u"M=TERMINUS_DEPART;C=300;C1=100;C2=120",
         u"C2,A4,B3,V3,D",
         {u"C@1", u"C1@2"},
         {},
         1,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.rec().MemberCount, 3);
             EXPECT_EQ(m.unit(3).Width, 120);
             EXPECT_EQ(m.unit(3).MemberPos, 3);
             EXPECT_EQ(m.unit(1).StopX, 550);
             EXPECT_EQ(m.unit(3).StopX, 430);
             EXPECT_EQ(m.unit(1).CoupledId, m.id(2));
         }},
        {"TURN runs round within its limits",
         u"M=TURN;C1=100;C=300",
         u"C1,A,B,V,D",
         {u"C@2"},
         {{4, u"4"}, {5, u"0.05"}, {6, u"850"}, {7, u"250"}, {9, u"2"}},
         1,
         12,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(1).StopX, 750);
             EXPECT_NE(m.rec().Flags & train_flag::kTurned, 0);
             const std::u16string& side = m.rec().StepText[10];
             EXPECT_TRUE(side == u"-1" || side == u"0" || side == u"1") << plat::utf16ToUtf8(side);
         }},
        {"TURN before, with P1 and P2 inside the limits taken as the limits",
         u"M=TURN;C1=100;C=300;BEFORE=x;P1=60;P2=70",
         u"C1,A,B,V,D",
         {u"C@2"},
         {{6, u"850"}, {7, u"250"}, {10, u"1"}},
         1,
         12,
         1,
         nullptr},
        {"TURN behind", u"M=TURN;C1=100;C=300;BEHIND=1", u"C1,A,B,V,D", {u"C@2"}, {{10, u"-1"}}, 1, 12, 1, nullptr},
        {"RCUT slips its second unit",
         u"M=RCUT;C1=100;C2=300;V=10",
         u"C1,A1,,V,D",
         {u"C2@2"},
         {},
         1,
         18,
         1,
         [](ModeLine& t) {
             auto& m = static_cast<ModeSetUp&>(t);
             EXPECT_EQ(m.unit(1).StopX, 750);
             EXPECT_FLOAT_EQ(m.unit(1).TargetSpeed, 11);
             EXPECT_FLOAT_EQ(m.unit(2).TargetSpeed, 9);
             EXPECT_FLOAT_EQ(m.unit(2).BrakeRate, 0.05f);
         }},
    };
    for (const SetUpCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        SetUpLine(c.line);
        EXPECT_EQ(placed, c.placed);
        EXPECT_EQ(made, c.made);
        for (const auto& [k, text] : c.texts) EXPECT_EQ(rec().StepText[static_cast<size_t>(k)], text) << "text " << k;
        if (c.carrier != 0) {
            EXPECT_EQ(unit(c.carrier).MotionState, c.motion);
        }
        EXPECT_EQ(trainStart().TrainStartKind, c.startKind);
        EXPECT_EQ(rec().MemberCount, movementModeRow(mode).Units);
        if (c.more) c.more(*this);
        TearDown();
    }
}

TEST_F(MovementModes, NonePaintsTheLineWithItsBackgroundUnlessItIsPainted) {
    rec().Flags &= ~train_flag::kAreaPainted;
    SetUpLine(u"M=NONE;BG=grass.gif;T=3");
    EXPECT_EQ(paintedBg, std::vector<std::u16string>{u"grass.gif"});
    EXPECT_EQ(rec().StepText[0], u"3");
    EXPECT_EQ(rec().AreaHeight, rec().VehicleHeight);
    paintedBg.clear();
    rec().Flags |= train_flag::kAreaPainted;
    SetUpLine(u"M=NONE;BG=grass.gif");
    EXPECT_TRUE(paintedBg.empty());
}

TEST_F(MovementModes, AWeightedModeValuePicksByWeight) {
    int cuts = 0;
    for (int i = 0; i < 300; ++i) {
        const std::u16string word = plat::ucase(paramParser().PickWeightedAlternative(u"2:CUT|1:SIMPLE"));
        if (SelectMovementMode(word) == MovementMode::Cut) ++cuts;
    }
    EXPECT_GT(cuts, 170);
    EXPECT_LT(cuts, 230);
}

TEST_F(MovementModes, TurnsSideIsRandomAQuarterBeforeAQuarterBehindAndHalfNeither) {
    std::map<std::u16string, int> sides;
    for (int i = 0; i < 400; ++i) {
        ResetTrainPictures();
        SetUpLine(u"M=TURN;C1=100;C=300");
        ++sides[rec().StepText[10]];
    }
    EXPECT_EQ(sides.size(), 3u);
    EXPECT_GT(sides[u"0"], sides[u"1"]);
    EXPECT_GT(sides[u"0"], sides[u"-1"]);
}

TEST_F(MovementModes, AUnitThatCannotBeBuiltFailsTheStart) {
    EXPECT_THROW(SetUpLine(u"M=CUT;C1=200"), ProgramError);
    // A placement that builds no picture fails the start too.
    placeNothing = true;
    EXPECT_THROW(SetUpLine(u"M=STOP;C=300"), ProgramError);
}

}  // namespace
