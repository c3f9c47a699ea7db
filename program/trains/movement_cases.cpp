#include "program/trains/movement_cases.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/text.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/scene/script_reader.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/motion_states.h"
#include "program/trains/movement_modes.h"
#include "program/trains/part_states.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_start_state.h"

namespace yov {

namespace {

constexpr int16_t kStopAndGo = motion_state::kApproach;
constexpr int32_t kWaitDefault = 5;
constexpr int32_t kCoupleWaitDefault = 2;

TrainRec& rec(int32_t train) { return trains().at(train); }

void link(int32_t picture) { LinkPartChain(picture, 0); }

}  // namespace

std::u16string NumberStepText(float value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) return u"0";
    return plat::widen(std::string_view(buf, static_cast<size_t>(end - buf)));
}

ModeCase::ModeCase(int32_t train, int32_t sect) : train_(train) {
    const SceneScript& s = scriptReader().S;
    if (sect >= 0 && static_cast<size_t>(sect) < s.Sections.size()) {
        const SectRec& r = s.Sections[static_cast<size_t>(sect)];
        speedText_ = r.Speed;
        accelText_ = r.Accel;
        decelText_ = r.Decel;
        directionText_ = r.Direction;
    }
    if (accelText_.empty()) accelText_ = s.Run.Accel;
    if (decelText_.empty()) decelText_ = s.Run.Decel;
}

TrainPicture& ModeCase::unit(int32_t picture) { return trainPictures()[picture]; }

int32_t ModeCase::width(int32_t picture) { return trainPictures().valid(picture) ? unit(picture).Width : 0; }

int16_t ModeCase::dir() const { return trainStart().CurDirection; }

void ModeCase::setDir(int16_t d) const { trainStart().CurDirection = d; }

int32_t ModeCase::place(std::u16string_view c, std::u16string_view a, std::u16string_view b, std::u16string_view v,
                        std::u16string_view d) {
    const int32_t picture = PlaceFirstUnit(train_, c, a, b, v, d);
    if (!trainPictures().valid(picture)) throw ProgramError(6002, u"Train unit not built");
    if (unit(picture).Dir != 0) setDir(unit(picture).Dir);
    return picture;
}

int32_t ModeCase::make(std::u16string_view key, int32_t member, uint8_t mirror) {
    UnitBuilders& builders = unitBuilders();
    int32_t picture = 0;
    if (builders.makeTrainPicture) {
        picture = builders.makeTrainPicture(key, member, mirror);
    } else {
        std::u16string name(key);
        picture = MakeTrainPicture(name, member, mirror);
    }
    if (!trainPictures().valid(picture)) throw ProgramError(6002, u"Train unit not built");
    return picture;
}

void ModeCase::couple(int32_t first, int32_t second, int16_t side) const { CoupleUnits(first, second, side, 0); }

float ModeCase::speed(std::u16string_view key, float fallback) const {
    return GetParamOrRandom(key, fallback, speedText_);
}

float ModeCase::accel(std::u16string_view key) const { return GetParamNonZero(key, 0, accelText_); }

float ModeCase::decel(std::u16string_view key) const { return GetParamNonZero(key, 0, decelText_); }

std::u16string ModeCase::direction(std::u16string_view key, std::u16string_view fallback, int16_t current) const {
    return decimal(ParseDirection(GetParam(key, fallback), current, -1));
}

void ModeCase::stepText(int32_t k, std::u16string text) const {
    rec(train_).StepText[static_cast<size_t>(k)] = std::move(text);
}

int32_t ModeCase::rowStop(int32_t left, int32_t right) const {
    return GetStopPosition(width(left) + width(right), width(left));
}

void ModeCase::Follow() {
    lineReaders().FollowList.clear();
    ExpandFollowList(GetParam(u"C", u""));
    stepText(0, lineReaders().FollowList);
    stepText(1, GetParam(u"V", u""));
    stepText(2, GetParam(u"A", u""));
    stepText(3, GetParam(u"B", u""));
    const int32_t u1 = place(u"*", u"A", u"B", u"V", u"D");
    TrainRec& r = rec(train_);
    if (r.AreaHeight == 0) r.AreaHeight = r.SavedAreaHeight != 0 ? r.SavedAreaHeight : r.VehicleHeight;
    unit(u1).MotionState = motion_state::kEntering;
}

void ModeCase::StopOrBack() {
    const int32_t u1 = place(u"C", u"A", u"B", u"V", u"D");
    link(u1);
    const int32_t stop = GetStopPosition(width(u1), 0);
    unit(u1).StopX = stop;
    unit(u1).MotionState = kStopAndGo;
    stepText(0, GetStepText(u"T", kWaitDefault));
}

void ModeCase::Open() {
    const int32_t u1 = place(u"C", u"A", u"B", u"V", u"D");
    link(u1);
    const int32_t stop = GetStopPosition(width(u1), 0);
    unit(u1).StopX = stop;
    unit(u1).MotionState = kStopAndGo;
    stepText(0, GetStepText(u"T1", 0));
    stepText(1, GetStepText(u"T2", 10));
    stepText(2, GetStepText(u"T3", 2));
}

// Two units coupled, unit 1 on the left; at the stop they part, each the way its step text
// says, the front one first.
void ModeCase::Cut(bool cut2) {
    const int32_t u1 = place(u"C1", u"A1", u"B", u"V", u"D");
    const int32_t u2 = make(u"C2", 2);
    const int32_t stop = rowStop(u1, u2);
    unit(u1).StopX = stop;
    couple(u1, u2, -1);
    FillStepTexts(2);
    const int16_t d = dir();
    stepText(2, direction(u"D1", u"", d));
    stepText(3, direction(u"D2", u"", d));
    const float v = unit(u1).Speed;
    const float v1 = speed(u"V1", v);
    const float v2 = speed(u"V2", v);
    const float a2 = GetParamNonZero(u"A2", unit(u1).AccelRate, u"0.05");
    unit(u1).TargetSpeed = v1;
    unit(u2).TargetSpeed = v2;
    unit(u2).AccelRate = a2;
    TrainRec& r = rec(train_);
    // Unit 1 going right and unit 2 left would run into each other: both go the way unit 1 faces.
    if (r.StepText[2] > r.StepText[3]) {
        if (unit(u1).Dir > 0)
            r.StepText[3] = u"1";
        else
            r.StepText[2] = u"-1";
    }
    if (cut2) stepText(4, GetStepText(u"T1C", kCoupleWaitDefault));
    unit(u1).MotionState = kStopAndGo;
}

// The train (unit 1) comes in behind its locomotive (unit 2), which leaves forward; a new
// locomotive (unit 3, built mirrored) comes from the front, couples on and takes the train on.
void ModeCase::Change() {
    const int32_t u1 = place(u"C", u"A2", u"", u"V", u"D");
    const int16_t d = dir();
    const int32_t u2 = make(u"C1", 2);
    int32_t trainAt = 0;
    if (d > 0) {
        trainAt = rowStop(u1, u2);
        unit(u2).StopX = trainAt + width(u1);
    } else {
        const int32_t at = rowStop(u2, u1);
        unit(u2).StopX = at;
        trainAt = at + width(u2);
    }
    couple(u2, u1, d);
    const int32_t u3 = make(u"C2", 3, 1);
    setDir(static_cast<int16_t>(-d));
    unit(u3).StopX = d > 0 ? trainAt + width(u1) : trainAt - width(u3);
    const float v = unit(u1).Speed;
    const float b1 = decel(u"B1");
    const float a1 = accel(u"A1");
    const float v1 = speed(u"V1", v);
    const float b2 = decel(u"B2");
    const float v2 = speed(u"V2", 2);
    const float v3 = speed(u"V3", v);
    TrainPicture& loco = unit(u2);
    loco.Speed = v;
    loco.TargetSpeed = v1;
    loco.BrakeRate = b1;
    loco.AccelRate = a1;
    loco.MotionState = kStopAndGo;
    unit(u3).Speed = v2;
    unit(u3).TargetSpeed = v2;
    unit(u3).BrakeRate = b2;
    unit(u1).TargetSpeed = v3;
    link(u3);
    FillStepTexts(3);
    stepText(3, GetStepText(u"T3C", kCoupleWaitDefault));
}

// Unit 1 comes in from "D1" and stops; unit 2 comes from "D2" (behind it, or head on for the
// opposite direction) and couples on; both leave together the way "D" says.
void ModeCase::Unit() {
    const int16_t lineDir = rec(train_).Direction;
    int16_t d1 = ParseDirection(GetParam(u"D1", u""), lineDir, 0);
    if (d1 == 0) d1 = lineDir != 0 ? lineDir : ParseDirection(u"", 0, 1);
    setDir(d1);
    trainStart().CurDirection = d1;
    const int32_t u1 = place(u"C1", u"A", u"B1", u"V1", u"");
    d1 = dir();
    int16_t d2 = ParseDirection(GetParam(u"D2", u""), d1, 0);
    if (d2 == 0) d2 = d1;
    setDir(d2);
    const int32_t u2 = make(u"C2", 2);
    const float v = unit(u1).Speed;
    const float target = speed(u"V", v);
    const float v2 = speed(u"V2", v);
    const float b2 = decel(u"B2");
    const float a = accel(u"A");
    const float target2 = speed(u"V", v);
    unit(u1).TargetSpeed = target;
    TrainPicture& second = unit(u2);
    second.Speed = v2;
    second.BrakeRate = b2;
    second.AccelRate = a;
    second.TargetSpeed = target2;
    FillStepTexts(2);
    stepText(2, direction(u"D", directionText_, d1));
    stepText(3, GetStepText(u"T2C", kCoupleWaitDefault));
    // The stop is read in the arriving unit's direction; unit 2 ends on the side it comes from.
    setDir(d1);
    if (unit(u2).Dir < 0) {
        const int32_t at = rowStop(u1, u2);
        unit(u1).StopX = at;
        unit(u2).StopX = at + width(u1);
    } else {
        const int32_t at = rowStop(u2, u1);
        unit(u2).StopX = at;
        unit(u1).StopX = at + width(u2);
    }
    link(u1);
    link(u2);
    unit(u1).MotionState = kStopAndGo;
}

// The train (unit 1) stops; unit 2 pushed by a locomotive (unit 3) couples to its rear, the
// locomotive goes back, and the train leaves with unit 2.
void ModeCase::Put() {
    const int32_t u1 = place(u"C", u"A", u"B", u"V", u"D");
    const int32_t u2 = make(u"C1", 2);
    const int32_t u3 = make(u"C2", 3);
    const float v = unit(u1).Speed;
    const float v1 = speed(u"V1", v);
    const float v3 = speed(u"V3", v);
    const float b1 = decel(u"B1");
    const float a2 = accel(u"A2");
    const float v2 = speed(u"V2", v);
    TrainPicture& put = unit(u2);
    put.Speed = v1;
    put.TargetSpeed = v3;
    put.BrakeRate = b1;
    put.AccelRate = unit(u1).AccelRate;
    unit(u3).AccelRate = a2;
    unit(u3).TargetSpeed = v2;
    link(u1);
    const int32_t w1 = width(u1);
    const int32_t w2 = width(u2);
    if (dir() < 0) {
        const int32_t at = rowStop(u1, u2);
        unit(u1).StopX = at;
        unit(u2).StopX = at + w1;
    } else {
        const int32_t at = rowStop(u2, u1);
        unit(u2).StopX = at;
        unit(u1).StopX = at + w2;
    }
    couple(u2, u3, dir());
    FillStepTexts(3);
    unit(u1).MotionState = kStopAndGo;
}

// The train (unit 1 with unit 2 behind) stops; a locomotive (unit 3) comes up behind, takes
// unit 2 back the way it came, and the train leaves.
void ModeCase::Get() {
    const int32_t u1 = place(u"C", u"A", u"B", u"V", u"D");
    const int32_t u2 = make(u"C1", 2);
    const int32_t u3 = make(u"C2", 3);
    const float v = unit(u1).Speed;
    const float v3 = speed(u"V3", v);
    const float a2 = accel(u"A2");
    const float v2 = speed(u"V2", v);
    const float v1 = speed(u"V1", v);
    const float b1 = decel(u"B1");
    unit(u1).TargetSpeed = v3;
    unit(u2).AccelRate = a2;
    unit(u2).TargetSpeed = v2;
    unit(u3).Speed = v1;
    unit(u3).BrakeRate = b1;
    const int32_t w1 = width(u1);
    const int32_t w2 = width(u2);
    if (dir() < 0) {
        const int32_t at = rowStop(u1, u2);
        unit(u1).StopX = at;
        unit(u3).StopX = at + w1 + w2;
    } else {
        const int32_t at = rowStop(u2, u1) + w2;
        unit(u1).StopX = at;
        unit(u3).StopX = at - w2 - width(u3);
    }
    couple(u1, u2, dir());
    link(u3);
    FillStepTexts(3);
    unit(u1).MotionState = kStopAndGo;
}

// The train (unit 4) comes in behind its locomotive (unit 1); a shunter (unit 2) comes from
// the front and takes the locomotive away forward; the new locomotive (unit 3) comes from the
// front too, couples on and the train leaves. Units 2 and 3 face the other way.
void ModeCase::Echg() {
    const int32_t u1 = place(u"C1", u"A2", u"B", u"V", u"D");
    const int16_t d = dir();
    const int32_t u4 = make(u"C", 4);
    couple(u1, u4, d);
    setDir(static_cast<int16_t>(-d));
    const int32_t u2 = make(u"C2", 2);
    const int32_t u3 = make(u"C3", 3);
    setDir(d);
    const int32_t w1 = width(u1);
    const int32_t w4 = width(u4);
    if (d > 0) {
        const int32_t at = rowStop(u4, u1);
        unit(u1).StopX = at + w4;
        unit(u2).StopX = at + w4 + w1;
        unit(u3).StopX = at + w4;
    } else {
        const int32_t at = rowStop(u1, u4);
        unit(u1).StopX = at;
        unit(u2).StopX = at - width(u2);
        unit(u3).StopX = at + w1 - width(u3);
    }
    const float v = unit(u1).Speed;
    const float v2 = speed(u"V2", 3);
    const float v1 = speed(u"V1", 6);
    const float b1 = decel(u"B1");
    const float v3 = speed(u"V3", v);
    const float b3 = GetParamNonZero(u"B3", unit(u1).BrakeRate, decelText_);
    const float v4 = speed(u"V4", v);
    const float a4 = accel(u"A4");
    unit(u1).TargetSpeed = v2;
    unit(u2).Speed = v1;
    unit(u2).BrakeRate = b1;
    unit(u3).Speed = v3;
    unit(u3).BrakeRate = b3;
    unit(u4).TargetSpeed = v4;
    unit(u4).AccelRate = a4;
    link(u2);
    link(u3);
    FillStepTexts(4);
    unit(u1).MotionState = kStopAndGo;
}

// The train (unit 2) comes in with its locomotive (unit 1) at the head; a locomotive (unit 3)
// comes up behind and couples on, the train goes back the way it came, and the locomotive
// that brought it follows.
void ModeCase::Head() {
    const int32_t u1 = place(u"C1", u"A4", u"B1", u"V4", u"D");
    const int16_t d = dir();
    const int32_t u2 = make(u"C", 2);
    const int32_t u3 = make(u"C2", 3);
    couple(u2, u1, static_cast<int16_t>(-d));
    if (d > 0) {
        const int32_t at = rowStop(u2, u1);
        unit(u2).StopX = at;
        unit(u3).StopX = at - width(u3);
    } else {
        const int32_t at = rowStop(u1, u2);
        unit(u2).StopX = at + width(u1);
        unit(u3).StopX = at + width(u1) + width(u2);
    }
    const float v = unit(u1).Speed;
    const float v1 = speed(u"V1", 0);
    const float v2 = speed(u"V2", 3);
    const float b2 = decel(u"B2");
    const float v3 = speed(u"V3", v);
    const float a3 = accel(u"A3");
    TrainPicture& coaches = unit(u2);
    coaches.Speed = v1;
    coaches.TargetSpeed = v3;
    coaches.BrakeRate = unit(u1).BrakeRate;
    coaches.AccelRate = a3;
    unit(u3).Speed = v2;
    unit(u3).BrakeRate = b2;
    link(u3);
    FillStepTexts(3);
    unit(u2).MotionState = kStopAndGo;
}

// The train (unit 1) comes in pushed by a locomotive (unit 2), which goes back; a locomotive
// (unit 3) comes up behind, couples on and takes the train back the way it came.
void ModeCase::Push() {
    const int32_t u3 = place(u"C2", u"A4", u"B3", u"V3", u"D");
    const int16_t d = dir();
    {
        // The placed unit is the third member: the train and its pushing locomotive are
        // members 1 and 2, which the step program moves by position.
        TrainRec& r = rec(train_);
        if (r.Members[1] == u3) r.Members[1] = 0;
        r.Members[3] = u3;
        r.MemberCount = std::max<uint8_t>(r.MemberCount, 3);
        unit(u3).MemberPos = 3;
    }
    const int32_t u1 = make(u"C", 1);
    const int32_t u2 = make(u"C1", 2);
    couple(u1, u2, d);
    if (d > 0) {
        const int32_t at = rowStop(u2, u1) + width(u2);
        unit(u1).StopX = at;
        unit(u3).StopX = at - width(u3);
    } else {
        const int32_t at = rowStop(u1, u2);
        unit(u1).StopX = at;
        unit(u3).StopX = at + width(u1);
    }
    const float v4 = speed(u"V4", 0);
    const float v1 = speed(u"V1", 0);
    const float b1 = decel(u"B1");
    const float v2 = speed(u"V2", 0);
    const float a2 = accel(u"A2");
    TrainPicture& coaches = unit(u1);
    coaches.TargetSpeed = v4;
    coaches.Speed = v1;
    coaches.BrakeRate = b1;
    coaches.AccelRate = unit(u3).AccelRate;
    unit(u2).TargetSpeed = v2;
    unit(u2).AccelRate = a2;
    link(u3);
    FillStepTexts(3);
    unit(u1).MotionState = kStopAndGo;
}

// The locomotive (unit 1) brings the train (unit 2) in, runs forward to P1, back past the
// train to P2 (in front of it or behind it), couples to the other end and takes the train
// back the way it came. P1 and P2 keep at least a locomotive's length from the train.
void ModeCase::Turn() {
    rec(train_).Flags |= train_flag::kTurned;
    const int32_t u1 = place(u"C1", u"A", u"B", u"V", u"D");
    const int16_t d = dir();
    const int32_t u2 = make(u"C", 2);
    const int32_t w1 = width(u1);
    const int32_t w2 = width(u2);
    unit(u2).AccelRate = unit(u1).AccelRate;
    const float v2 = speed(u"V2", unit(u1).Speed);
    unit(u2).TargetSpeed = v2;
    const int32_t stop = d > 0 ? rowStop(u2, u1) + w2 : rowStop(u1, u2);
    unit(u1).StopX = stop;
    couple(u1, u2, d);
    const float v1 = speed(u"V1", unit(u1).Speed);
    stepText(4, NumberStepText(v1));
    const float b1 = GetParamNonZero(u"B1", unit(u1).BrakeRate, u"0.05");
    stepText(5, NumberStepText(b1));
    const float a1 = GetParamNonZero(u"A1", unit(u1).AccelRate, u"0.05");
    unit(u1).AccelRate = a1;
    const int32_t limitLeft = d > 0 ? stop - w2 - 2 * w1 : stop - w1;
    const int32_t limitRight = d > 0 ? stop + w1 : stop + 2 * w1 + w2;
    stepText(6, decimal(GetLimitedPosition(u"P1", d, w1, limitLeft, limitRight)));
    stepText(7, decimal(GetLimitedPosition(u"P2", static_cast<int16_t>(-d), w1, limitLeft, limitRight)));
    FillStepTexts(4);
    stepText(9, GetStepText(u"T4C", kCoupleWaitDefault));
    int32_t side = 0;
    if (!GetParam(u"BEFORE", u"").empty()) {
        side = 1;
    } else if (!GetParam(u"BEHIND", u"").empty()) {
        side = -1;
    } else {
        side = static_cast<int32_t>(std::nearbyint(2 * programRandom().next01() - 1));
    }
    stepText(10, decimal(side));
    unit(u1).MotionState = kStopAndGo;
}

// Unit 1 slips unit 2 as it passes the stop point: unit 1 speeds up, unit 2 brakes down.
void ModeCase::Rcut() {
    const int32_t u1 = place(u"C1", u"A1", u"", u"V", u"D");
    const int32_t u2 = make(u"C2", 2);
    const int16_t d = dir();
    const int32_t stop = rowStop(u1, u2) + (d > 0 ? width(u2) : 0);
    unit(u1).StopX = stop;
    couple(u1, u2, d);
    const float v = unit(u1).Speed;
    const float v1 = speed(u"V1", 1.1f * v);
    const float v2 = speed(u"V2", 0.9f * v);
    const float b2 = GetParamNonZero(u"B2", 0, u"0.05");
    unit(u1).TargetSpeed = v1;
    unit(u2).TargetSpeed = v2;
    unit(u2).BrakeRate = b2;
    unit(u1).MotionState = motion_state::kCut;
}

}  // namespace yov
