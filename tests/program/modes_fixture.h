// A train line with stand-in unit builders for the movement modes: a composition parameter
// holds the unit's length ("C1=100"), units are placed at the end of the line they enter
// from, and the placement and coupling do what the train placement does with positions,
// directions and carried units. What the mode asked for is recorded.
#pragma once

#include <gtest/gtest.h>

#include "program/core/startup/core_hooks.h"
#include "program/core/startup/program_state.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/trains/show_queues.h"
#include "program/trains/line_params.h"
#include "program/trains/movement_modes.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_start.h"
#include "program/trains/train_start_state.h"
#include "show_fixture.h"

namespace modes_test {

inline constexpr int32_t kLine = 1000;
inline constexpr int32_t kCoupleDist = 10;
inline constexpr float kSectSpeed = 4;

struct Coupling {
    int32_t first, second;
    int16_t side;
    uint8_t noMove;
};

class ModeLine : public show_test::ShowTest {
protected:
    void SetUp() override {
        show_test::ShowTest::SetUp();
        placed.clear();
        made.clear();
        couplings.clear();
        paintedBg.clear();
        yov::ResetTrainPictures();
        yov::ClearParams();
        yov::trainStart() = yov::TrainStartState{};
        yov::trainStart().CurDirection = 0;
        yov::SectRec& s = Sect(1);
        s.Speed = u"4";
        s.Accel = u"0.2";
        s.Decel = u"0.3";
        s.Direction = u"R";
        yov::showState().CurSect = 1;
        const int32_t root = Root();
        train = yov::NewTrainRec(0);
        event = yov::AddTimedEvent(yov::event_kind::kTrainLine, train, root, 0, 60);
        yov::TrainRec& r = rec();
        r.Event = event;
        r.Width = kLine;
        r.VehicleHeight = 40;
        r.Direction = 1;
        r.Sect = 1;
        r.Flags |= yov::train_flag::kAreaPainted;
        yov::InsertActiveTrain(train);
        yov::showState().CurTrain = train;
        yov::UnitBuilders& b = yov::unitBuilders();
        b.placeTrain = [this](int32_t, std::u16string_view c, std::u16string_view a, std::u16string_view br,
                              std::u16string_view v, std::u16string_view d) { return Place(c, a, br, v, d); };
        b.makeTrainPicture = [this](std::u16string_view key, int32_t member, uint8_t mirror) {
            const int16_t dir = yov::trainStart().CurDirection;
            made.push_back(std::u16string(key) + u"@" + yov::decimal(member) + (mirror != 0 ? u"m" : u""));
            return NewUnit(key, static_cast<int16_t>(mirror != 0 ? -dir : dir), member);
        };
        b.coupleTrainPictures = [this](int32_t first, int32_t second, int16_t side, uint8_t noMove) {
            Couple(first, second, side, noMove);
        };
        b.paintEmptyLine = [this](int32_t, const std::u16string& bg) { paintedBg.push_back(bg); };
        // The tests' actions are unclosed brackets: each one that runs names itself in the
        // error log, read here through the log view.
        yov::programState().run.RunMode = 14;
        yov::coreHooks().appendToLogView = [this](const std::u16string& line) {
            const size_t end = line.find(u" (column");
            const size_t at = end == std::u16string::npos ? end : line.rfind(u'[', end);
            if (at != std::u16string::npos) ranActions.push_back(line.substr(at + 1, end - at - 1));
        };
    }
    void TearDown() override {
        yov::coreHooks().appendToLogView = {};
        yov::programState().run.RunMode = 0;
        yov::unitBuilders() = yov::UnitBuilders{};
        yov::ResetTrainPictures();
        yov::ClearParams();
        show_test::ShowTest::TearDown();
    }

    yov::TrainRec& rec() { return yov::trains().at(train); }
    yov::TrainPicture& unit(int32_t member) { return yov::trainPictures()[rec().Members[static_cast<size_t>(member)]]; }
    int32_t id(int32_t member) { return rec().Members[static_cast<size_t>(member)]; }

    // Reads the line and runs the mode's case.
    void SetUpLine(std::u16string_view line) {
        yov::ClearParams();
        yov::ParseParams(line);
        const std::u16string word = plat::ucase(yov::GetParam(u"M", u""));
        mode = yov::SelectMovementMode(word);
        yov::SetUpMovementMode(mode, train, 1);
        rec().State = yov::FirstProgramState(mode);
    }

    int32_t NewUnit(std::u16string_view key, int16_t dir, int32_t member) {
        const int32_t width = static_cast<int32_t>(plat::val(yov::GetParam(key, u"")));
        if (width <= 0) throw yov::ProgramError(6002, u"No composition " + std::u16string(key));
        yov::TrainPictureTable& t = yov::trainPictures();
        const int32_t picture = ++t.Count;
        t.Entries.resize(std::max<size_t>(t.Entries.size(), static_cast<size_t>(picture) + 1));
        t[picture] = yov::TrainPicture{};
        yov::TrainPicture& p = t[picture];
        p.Width = width;
        p.Dir = dir;
        p.X = dir > 0 ? -width : kLine;
        p.MotionState = 1;
        p.CoupleDist = kCoupleDist;
        p.CreepSpeed = 0.5f;
        p.StartSpeed = 0.1f;
        p.AccelRate = 0.05f;
        p.BrakeRate = 0.05f;
        p.MemberPos = member;
        yov::TrainRec& r = rec();
        r.Members[static_cast<size_t>(member)] = picture;
        r.MemberCount = static_cast<uint8_t>(std::max<int32_t>(r.MemberCount, member));
        return picture;
    }

    int32_t Place(std::u16string_view c, std::u16string_view a, std::u16string_view b, std::u16string_view v,
                  std::u16string_view d) {
        placed = std::u16string(c) + u"," + std::u16string(a) + u"," + std::u16string(b) + u"," + std::u16string(v) +
                 u"," + std::u16string(d);
        int16_t dir = yov::trainStart().CurDirection;
        if (!d.empty()) {
            const int16_t given = yov::ParseDirection(yov::GetParam(d, u""), rec().Direction, 0);
            if (given != 0) dir = given;
        }
        if (dir == 0) dir = rec().Direction;
        const int32_t u1 = NewUnit(c, dir, 1);
        yov::TrainPicture& p = yov::trainPictures()[u1];
        const float speed = yov::GetParamOrRandom(v, 0, u"4");
        p.Speed = speed;
        p.TargetSpeed = speed;
        p.AccelRate = a.empty() ? 0.05f : yov::GetParamNonZero(a, 0, u"0.05");
        p.BrakeRate = b.empty() ? 0.05f : yov::GetParamNonZero(b, 0, u"0.05");
        rec().Direction = dir;
        return u1;
    }

    void Couple(int32_t first, int32_t second, int16_t side, uint8_t noMove) {
        couplings.push_back({first, second, side, noMove});
        yov::TrainPicture& a = yov::trainPictures()[first];
        yov::TrainPicture& b = yov::trainPictures()[second];
        a.CoupledId = static_cast<uint8_t>(second);
        b.Dir = a.Dir;
        if (noMove != 0) return;
        yov::TrainPicture& left = side < 0 ? a : b;
        yov::TrainPicture& right = side < 0 ? b : a;
        if (a.Dir < 0)
            right.X = left.X + left.Width;
        else
            left.X = right.X - left.Width;
    }

    int32_t train = 0;
    int32_t event = 0;
    yov::MovementMode mode = yov::MovementMode::Simple;
    std::u16string placed;
    std::vector<std::u16string> made;
    std::vector<Coupling> couplings;
    std::vector<std::u16string> paintedBg;
    std::vector<std::u16string> ranActions;  // the actions that ran, in order
};

}  // namespace modes_test
