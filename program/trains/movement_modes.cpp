#include "program/trains/movement_modes.h"

#include <string>

#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/trains/line_params.h"
#include "program/trains/mode_simple.h"
#include "program/trains/movement_cases.h"
#include "program/trains/train_start.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_placement.h"
#include "program/trains/train_start_state.h"

namespace yov {

namespace {

constexpr uint8_t kKindDefault = 1;
constexpr uint8_t kKindSimple = 2;
constexpr uint8_t kKindFollow = 3;

// The words of each mode in the order they are compared; the first match wins.
constexpr std::array<MovementModeRow, kMovementModes> kModes{{
    {MovementMode::None, {u"M0", u"NONE"}, 14, kKindDefault, 0},
    {MovementMode::Simple, {u"M1", u"SIMPLE", u"THROUGH"}, 12, kKindSimple, 1},
    {MovementMode::Follow, {u"M2", u"FOLLOW"}, 9, kKindFollow, 1},
    {MovementMode::Stop, {u"M3", u"STOP"}, 16, kKindSimple, 1},
    {MovementMode::Back, {u"M4", u"BACK"}, 20, kKindSimple, 1},
    {MovementMode::Cut, {u"M5", u"CUT"}, 24, kKindDefault, 2},
    {MovementMode::Cut2, {u"M14", u"CUT2"}, 31, kKindDefault, 2},
    {MovementMode::Change, {u"M6", u"CHANGE"}, 41, kKindDefault, 3},
    {MovementMode::Open, {u"M7", u"OPEN"}, 54, kKindSimple, 1},
    {MovementMode::Unit, {u"M8", u"UNIT"}, 60, kKindDefault, 2},
    {MovementMode::Put, {u"M9", u"PUT"}, 70, kKindDefault, 3},
    {MovementMode::Get, {u"M10", u"GET"}, 80, kKindDefault, 3},
    {MovementMode::Echg, {u"M11", u"ECHG", u"ECHANGE", u"SYSTEM_CHANGE"}, 89, kKindDefault, 4},
    {MovementMode::Head, {u"M12", u"HEAD", u"XBACK", u"TERMINUS_ARRIVE"}, 101, kKindDefault, 3},
    {MovementMode::Push, {u"M13", u"PUSH", u"TERMINUS_DEPART"}, 109, kKindDefault, 3},
    {MovementMode::Turn, {u"M15", u"TURN"}, 117, kKindDefault, 2},
    {MovementMode::Rcut, {u"M16", u"RCUT"}, 132, kKindDefault, 2},
}};

TrainRec& rec(int32_t train) { return trains().at(train); }

// NONE: no unit. The area height is the vehicle zone, as a unit standing there would give
// it, and the line area is painted with its background unless it already is.
void setUpNone(int32_t train) {
    {
        TrainRec& r = rec(train);
        if (r.AreaHeight == 0) r.AreaHeight = r.VehicleHeight;
    }
    if ((rec(train).Flags & train_flag::kAreaPainted) == 0) {
        unitBuilders().paintEmptyLine(train, paramTable().GetParam(u"BG,BACKGROUND", u""));
    }
    std::u16string wait = lineReaders().GetStepText(u"T", 5);
    rec(train).StepText[0] = std::move(wait);
}

// SIMPLE: the first unit runs through at its speed.
void setUpSimple(int32_t train) { SetupSimpleMode(train); }

}  // namespace

const std::array<MovementModeRow, kMovementModes>& movementModeTable() { return kModes; }

const MovementModeRow& movementModeRow(MovementMode mode) {
    for (const MovementModeRow& row : kModes) {
        if (row.Mode == mode) return row;
    }
    return kModes[1];
}

MovementMode SelectMovementMode(std::u16string_view word) {
    if (word.empty()) return MovementMode::Simple;
    for (const MovementModeRow& row : kModes) {
        for (std::u16string_view w : row.Words) {
            if (!w.empty() && w == word) return row.Mode;
        }
    }
    lineReaders().RaiseLineError(trainStart().CurLine, FormatText(u"UTC", {FormatArg(word)}));
}

uint8_t FirstProgramState(MovementMode mode) { return movementModeRow(mode).FirstState; }

int32_t UnitBuilders::placeTrain(int32_t train, std::u16string_view c, std::u16string_view a, std::u16string_view b,
                                 std::u16string_view v, std::u16string_view d) {
    return PlaceTrain(train, c, a, b, v, d);
}

int32_t UnitBuilders::makeTrainPicture(std::u16string_view key, int32_t member, uint8_t mirror) {
    std::u16string name(key);
    return MakeTrainPicture(name, member, mirror);
}

void UnitBuilders::coupleTrainPictures(int32_t first, int32_t second, int16_t side, uint8_t noMove) {
    CoupleTrainPictures(first, second, side, noMove);
}

void UnitBuilders::paintEmptyLine(int32_t train, const std::u16string& bg) {
    std::u16string way, fg, bgText = bg, tg, points;
    TrainRec& r = rec(train);
    PaintObject(r, way, fg, 0, bgText, r.Line, tg, 0, points);
}

void SetUpMovementMode(MovementMode mode, int32_t train, int32_t sect) {
    trainStart().TrainStartKind = movementModeRow(mode).StartKind;
    ModeCase c(train, sect);
    switch (mode) {
    case MovementMode::None: return setUpNone(train);
    case MovementMode::Simple: return setUpSimple(train);
    case MovementMode::Follow: return c.Follow();
    case MovementMode::Stop:
    case MovementMode::Back: return c.StopOrBack();
    case MovementMode::Open: return c.Open();
    case MovementMode::Cut: return c.Cut(false);
    case MovementMode::Cut2: return c.Cut(true);
    case MovementMode::Change: return c.Change();
    case MovementMode::Unit: return c.Unit();
    case MovementMode::Put: return c.Put();
    case MovementMode::Get: return c.Get();
    case MovementMode::Echg: return c.Echg();
    case MovementMode::Head: return c.Head();
    case MovementMode::Push: return c.Push();
    case MovementMode::Turn: return c.Turn();
    case MovementMode::Rcut: return c.Rcut();
    }
}

}  // namespace yov
