// Every movement mode run through its step program until the train is handed back to the
// train start, twice: with a stand-in motion that takes one unit per frame straight to where
// its motion state leads (a stop point, short of it, off the line), carrying what it couples,
// a wait ending at the next frame; and with the show's own object motion in 20 ms steps. The test checks the phases passed, where units stood when
// the program went on, who carried whom when they left, and that no unit is left behind.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "modes_fixture.h"
#include "program/show/object_motion.h"
#include "program/show/object_steps.h"
#include "program/trains/show_queues.h"

namespace {

using namespace yov;
using modes_test::kLine;

struct Unit {
    int32_t X = 0, Width = 0;
    int16_t Dir = 0, Motion = 0;
    int32_t Carries = 0;  // member position carried, 0 none
};

// The members as a phase saw them: before and after its step.
struct Seen {
    std::array<Unit, 5> before{}, after{};
};

class ModePrograms : public modes_test::ModeLine {
protected:
    Unit Snap(int32_t k) {
        Unit u;
        const int32_t p = id(k);
        if (!trainPictures().valid(p)) return u;
        const TrainPicture& t = trainPictures()[p];
        u = Unit{t.X, t.Width, t.Dir, t.MotionState, 0};
        for (int32_t j = 1; j <= 4; ++j) {
            if (t.CoupledId != 0 && id(j) == t.CoupledId) u.Carries = j;
        }
        return u;
    }
    std::array<Unit, 5> SnapAll() {
        std::array<Unit, 5> out{};
        for (int32_t k = 1; k <= 4; ++k) out[static_cast<size_t>(k)] = Snap(k);
        return out;
    }

    void Carry(int32_t picture, int32_t delta) {
        int32_t c = trainPictures()[picture].CoupledId;
        for (int32_t hops = 0; c != 0 && trainPictures().valid(c) && hops < 20; ++hops) {
            trainPictures()[c].X += delta;
            c = trainPictures()[c].CoupledId;
        }
    }
    void MoveTo(int32_t picture, int32_t x) {
        TrainPicture& p = trainPictures()[picture];
        const int32_t delta = x - p.X;
        p.X = x;
        Carry(picture, delta);
    }

    // One frame of motion: the first unit in a moving state gets where it goes.
    bool MoveOne() {
        if ((rec().Flags & train_flag::kMoving) == 0) return false;
        for (int32_t k = 1; k <= rec().MemberCount; ++k) {
            const int32_t p = id(k);
            if (!trainPictures().valid(p)) continue;
            TrainPicture& u = trainPictures()[p];
            const int16_t s = u.MotionState;
            if (s == 5) {
                u.MotionState = 12;
                u.Speed = u.CreepSpeed;
                return true;
            }
            if (s >= 12 && s <= 17) {
                EXPECT_GT(u.Speed, 0) << "member " << k << " approaches without a speed";
                if (u.Speed <= 0) return false;
                const bool isShort = s == 13 || s == 14 || s == 16 || s == 17;
                const int32_t target = u.StopX - u.Dir * (isShort ? u.CoupleDist : 0);
                EXPECT_GE((target - u.X) * u.Dir, 0) << "member " << k << " would run backwards to its stop";
                MoveTo(p, target);
                TrainPicture& v = trainPictures()[p];
                if (s == 14 || s == 17) {
                    v.MotionState = 5;
                } else {
                    v.MotionState = 4;
                    QueueObjectStep(train);
                }
                return true;
            }
            if (s == 6 || s == 10 || s == 11) {
                EXPECT_GT(u.TargetSpeed, 0) << "member " << k << " leaves without a speed";
                MoveTo(p, u.Dir > 0 ? kLine : -u.Width);
                trainPictures()[p].MotionState = 2;  // gone and painted out
                if (rec().State != train_state::kRecomposing) QueueObjectStep(train);
                return true;
            }
            if (s == 7) {
                u.MotionState = 8;
                if (rec().State != train_state::kRecomposing) QueueObjectStep(train);
                return true;
            }
            if (s == 18) {
                slipAt = u.StopX;
                MoveTo(p, u.StopX);
                TrainPicture& v = trainPictures()[p];
                v.MotionState = 10;
                const int32_t c = v.CoupledId;
                v.CoupledId = 0;
                if (trainPictures().valid(c)) trainPictures()[c].MotionState = 11;
                return true;
            }
        }
        return false;
    }

    // The start (its actions, then the first step), then frames until the program hands the
    // train back through its event.
    void Start() {
        rec().WaitText = rec().StartText;
        rec().Flags |= train_flag::kStarted | train_flag::kWaiting;
        QueueObjectStep(train);
    }
    // The queued steps; true when the program handed the train back.
    bool Steps() {
        for (int guard = 0; guard < 200; ++guard) {
            const int32_t t = TakeObjectStep();
            if (t == 0) break;
            const uint8_t state = rec().State;
            if (phases.empty() || phases.back() != state) phases.push_back(state);
            Seen& s = seen[state];
            if (s.before[1].Width == 0 && s.before[2].Width == 0) s.before = SnapAll();
            StepObjectAnim(t);
            s.after = SnapAll();
        }
        if (TakeDueEvent() != event) return false;
        handedBack = rec().State;
        return true;
    }

    // The same with the show's own motion in steps of 20 ms: a unit that has left is painted
    // out at once, and the scene tick counts waits down every 200 ms.
    void RunWithMotion() {
        showState().SpeedFactor = 1;
        Start();
        for (int frame = 0; frame < 20000; ++frame) {
            if (Steps()) return;
            MoveObject(train, 20);
            for (int32_t k = 1; k <= rec().MemberCount; ++k) {
                if (!trainPictures().valid(id(k)) || unit(k).MotionState != motion_state::kLeft) continue;
                unit(k).MotionState = motion_state::kGone;
                if (rec().State != train_state::kRecomposing) QueueObjectStep(train);
            }
            if (frame % 10 == 9 && rec().WaitTicks > 0 && --rec().WaitTicks == 0) QueueObjectStep(train);
        }
    }

    void Run() {
        Start();
        for (int frame = 0; frame < 500; ++frame) {
            if (Steps()) return;
            if (MoveOne()) continue;
            if (rec().WaitTicks > 0) {
                rec().WaitTicks = 0;
                QueueObjectStep(train);
                continue;
            }
            break;
        }
    }

    // Every unit has left, on its own or carried by one that has.
    void ExpectAllGone() {
        for (int32_t k = 1; k <= rec().MemberCount; ++k) {
            const Unit u = Snap(k);
            const bool off = u.X >= kLine || u.X + u.Width <= 0;
            EXPECT_TRUE(off) << "member " << k << " still on the line at " << u.X;
        }
    }

    std::vector<uint8_t> phases;
    std::map<uint8_t, Seen> seen;
    uint8_t handedBack = 0;
    int32_t slipAt = 0;
};

std::vector<uint8_t> Range(int from, int to) {
    std::vector<uint8_t> v;
    for (int i = from; i <= to; ++i) v.push_back(static_cast<uint8_t>(i));
    return v;
}

struct ProgramCase {
    const char* name;
    std::u16string line;
    std::vector<uint8_t> phases;  // without the final 4
    std::function<void(const std::map<uint8_t, Seen>&)> check;
};

std::vector<ProgramCase> ProgramCases() {
    using M = const std::map<uint8_t, Seen>&;
    static const auto at = [](M s, int phase) -> const Seen& { return s.at(static_cast<uint8_t>(phase)); };
    return {
        {"NONE", u"M=NONE;T=1", {14, 15, 16}, nullptr},
        {"SIMPLE", u"M=SIMPLE;C=300", {12, 13, 14}, nullptr},
        {"STOP", u"M=STOP;C=300;T=1", Range(16, 20), [&](M s) { EXPECT_EQ(at(s, 18).before[1].X, 550); }},
        {"BACK", u"M=BACK;C=300;T=1", Range(20, 24),
         [&](M s) {
             EXPECT_EQ(at(s, 22).before[1].X, 550);
             EXPECT_EQ(at(s, 23).before[1].Dir, -1);
         }},
        {"OPEN without a first wait", u"M=OPEN;C=300;T2=1;T3=1", {54, 55, 56, 58, 59, 60}, nullptr},
        {"OPEN with a first wait", u"M=OPEN;C=300;T1=1;T2=1;T3=1", Range(54, 60), nullptr},
        {"CUT, both right, the front one first", u"M=CUT;C1=200;C2=200;D1=R;D2=R;P=50;T1=1;T2=1", Range(24, 31),
         [&](M s) {
             EXPECT_EQ(at(s, 26).before[1].X, 100);
             EXPECT_EQ(at(s, 26).before[2].X, 300);
             EXPECT_EQ(at(s, 26).before[1].Carries, 2);
             EXPECT_EQ(at(s, 28).after[2].Motion, 10);
             EXPECT_EQ(at(s, 28).after[1].Motion, 4);
         }},
        {"CUT parting", u"M=CUT;C1=200;C2=200;D1=L;D2=R;T1=1;T2=1", Range(24, 31),
         [&](M s) {
             EXPECT_EQ(at(s, 28).after[1].Motion, 10);
             EXPECT_EQ(at(s, 28).after[1].Dir, -1);
             EXPECT_EQ(at(s, 30).after[2].Dir, 1);
         }},
        {"CUT2: apart by the coupling distance before parting", u"M=CUT2;C1=200;C2=200;D1=R;D2=R", Range(31, 41),
         [&](M s) {
             EXPECT_EQ(at(s, 33).after[1].Carries, 0);
             EXPECT_EQ(at(s, 36).before[2].X, at(s, 36).before[1].X + 200 + modes_test::kCoupleDist);
         }},
        {"CHANGE", u"M=CHANGE;C=300;C1=100;C2=120", Range(41, 54),
         [&](M s) {
             const Seen& arrived = at(s, 43);
             EXPECT_EQ(arrived.before[2].X, arrived.before[1].X + 300);
             EXPECT_EQ(arrived.before[2].X + 100, 850);
             EXPECT_EQ(at(s, 48).before[3].X, arrived.before[1].X + 300 + modes_test::kCoupleDist);
             EXPECT_EQ(at(s, 51).before[3].X, arrived.before[1].X + 300);
             EXPECT_EQ(at(s, 51).after[3].Dir, 1);
             EXPECT_EQ(at(s, 53).after[1].Carries, 3);
         }},
        {"UNIT from behind", u"M=UNIT;C1=200;C2=200;D=R", Range(60, 70),
         [&](M s) {
             EXPECT_EQ(at(s, 62).before[1].X, 650);
             EXPECT_EQ(at(s, 64).before[2].X, 440);
             EXPECT_EQ(at(s, 67).before[2].X, 450);
             EXPECT_EQ(at(s, 68).after[2].Carries, 1);
             EXPECT_EQ(at(s, 69).after[2].Motion, 10);
         }},
        {"UNIT head on, leaving left", u"M=UNIT;C1=200;C2=200;D1=R;D2=L;D=L", Range(60, 70),
         [&](M s) {
             EXPECT_EQ(at(s, 62).before[1].X, 450);
             EXPECT_EQ(at(s, 64).before[2].X, 660);
             EXPECT_EQ(at(s, 68).after[2].Carries, 1);
             EXPECT_EQ(at(s, 69).after[2].Dir, -1);
         }},
        {"PUT", u"M=PUT;C=300;C1=200;C2=100", Range(70, 80),
         [&](M s) {
             EXPECT_EQ(at(s, 72).before[1].X, 550);
             EXPECT_EQ(at(s, 74).before[2].X, 350);
             EXPECT_EQ(at(s, 74).before[3].X, 250);
             EXPECT_EQ(at(s, 76).after[3].Dir, -1);
             EXPECT_EQ(at(s, 79).after[2].Carries, 1);
         }},
        {"GET", u"M=GET;C=300;C1=200;C2=100", Range(80, 89),
         [&](M s) {
             EXPECT_EQ(at(s, 82).before[1].X, 550);
             EXPECT_EQ(at(s, 82).before[2].X, 350);
             EXPECT_EQ(at(s, 84).before[3].X, 250);
             EXPECT_EQ(at(s, 86).after[2].Carries, 3);
             EXPECT_EQ(at(s, 86).after[2].Dir, -1);
         }},
        {"ECHG", u"M=ECHG;C=300;C1=100;C2=80;C3=120", Range(89, 101),
         [&](M s) {
             EXPECT_EQ(at(s, 91).before[4].X, 450);
             EXPECT_EQ(at(s, 91).before[1].X, 750);
             EXPECT_EQ(at(s, 93).before[2].X, 850);
             EXPECT_EQ(at(s, 95).after[1].Carries, 2);
             EXPECT_EQ(at(s, 98).before[3].X, 750);
             EXPECT_EQ(at(s, 99).after[4].Carries, 3);
         }},
        {"HEAD", u"M=HEAD;C1=100;C=300;C2=120", Range(101, 109),
         [&](M s) {
             EXPECT_EQ(at(s, 103).before[2].X, 450);
             EXPECT_EQ(at(s, 103).before[1].X, 750);
             EXPECT_EQ(at(s, 105).before[3].X, 330);
             EXPECT_EQ(at(s, 106).after[2].Carries, 3);
             EXPECT_EQ(at(s, 108).before[1].X, 750);
         }},
        {"PUSH", u"M=PUSH;C=300;C1=100;C2=120", Range(109, 117),
         [&](M s) {
             EXPECT_EQ(at(s, 111).before[1].X, 550);
             EXPECT_EQ(at(s, 111).before[2].X, 450);
             EXPECT_EQ(at(s, 112).after[2].Dir, -1);
             EXPECT_EQ(at(s, 115).before[3].X, 430);
             EXPECT_EQ(at(s, 116).after[1].Carries, 3);
         }},
        {"TURN behind the train", u"M=TURN;C1=100;C=300;BEHIND=1", Range(117, 132),
         [&](M s) {
             EXPECT_EQ(at(s, 119).before[1].X, 750);
             EXPECT_EQ(at(s, 122).before[1].X, 850);
             EXPECT_EQ(at(s, 124).before[1].X, 250);
             EXPECT_EQ(at(s, 126).before[1].X, 340);
             EXPECT_EQ(at(s, 129).before[1].X, 350);
             EXPECT_EQ(at(s, 131).after[2].Carries, 1);
             EXPECT_EQ(at(s, 131).after[2].Dir, -1);
         }},
        {"TURN before the train", u"M=TURN;C1=100;C=300;BEFORE=1", Range(117, 132),
         [&](M s) {
             // Running past, the locomotive is drawn after the train; coupled, it is member 1 again.
             EXPECT_EQ(at(s, 123).after[2].Width, 100);
             EXPECT_EQ(at(s, 124).before[2].X, 250);
             EXPECT_EQ(at(s, 125).after[1].Width, 100);
             EXPECT_EQ(at(s, 129).before[1].X, 350);
         }},
        {"RCUT", u"M=RCUT;C1=100;C2=300", {132, 133, 134, 135}, nullptr},
    };
}

TEST_F(ModePrograms, EveryModeRunsItsProgramToTheEndAndLeavesNothingBehind) {
    for (const bool motion : {false, true}) {
        for (const ProgramCase& c : ProgramCases()) {
            SCOPED_TRACE(std::string(c.name) + (motion ? " (object motion)" : " (stand-in motion)"));
            SetUp();
            phases.clear();
            seen.clear();
            handedBack = 0;
            SetUpLine(c.line);
            if (motion)
                RunWithMotion();
            else
                Run();
            std::vector<uint8_t> want = c.phases;
            want.push_back(train_state::kRunEnded);
            EXPECT_EQ(phases, want);
            EXPECT_EQ(handedBack, train_state::kRunEnded);
            ExpectAllGone();
            if (c.check) c.check(seen);
            TearDown();
        }
    }
}

TEST_F(ModePrograms, RcutSlipsItsSecondUnitAtTheStopPoint) {
    SetUpLine(u"M=RCUT;C1=100;C2=300");
    Run();
    EXPECT_EQ(slipAt, 750);
    EXPECT_EQ(unit(1).MotionState, 2);
    EXPECT_EQ(unit(2).MotionState, 2);
    EXPECT_EQ(unit(1).CoupledId, 0);
}

TEST_F(ModePrograms, FollowHandsEachEnteredUnitBackToTheTrainStart) {
    SetUpLine(u"M=FOLLOW;C=2*100");
    Run();
    EXPECT_EQ(phases, (std::vector<uint8_t>{9, 10, 11}));
    EXPECT_EQ(handedBack, train_state::kRegenerate);
}

TEST_F(ModePrograms, TheEndActionsRunBeforeTheTrainIsHandedBack) {
    SetUpLine(u"M=STOP;C=300;T=0");
    rec().StartText = u"[start";
    rec().EndText = u"1,[end";
    Run();
    EXPECT_EQ(ranActions, (std::vector<std::u16string>{u"start", u"end"}));
    EXPECT_EQ(handedBack, train_state::kRunEnded);
}

}  // namespace
