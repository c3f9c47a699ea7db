// The program's line readers: the program's parameter table, the train being started
// (CurTrain), the error log, the frame step, and the script reader for the position of a
// script line in its errors.
#include <utility>

#include "lumvatek/shared.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/error_log.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/train_start_state.h"

namespace yov {

TrainStartState& trainStart() {
    static TrainStartState state;
    return state;
}

LineReaders& lineReaders() {
    static LineReaders readers = [] {
        LineReaders r(paramParser(), paramTable());
        r.hooks.currentTrain = []() -> TrainRec& { return trains().at(showState().CurTrain); };
        r.hooks.currentDirection = [] { return trainStart().CurDirection; };
        r.hooks.writeLog = [](std::u16string_view line) { WriteErrorLog(line); };
        r.hooks.checkStep = [](int32_t site) { frameStep(site); };
        r.hooks.raiseLineError = [](int32_t line, std::u16string_view message) {
            scriptReader().RaiseLineError(line, message);
        };
        r.hooks.currentLine = [] { return trainStart().CurLine; };
        return r;
    }();
    return readers;
}

void RaiseLineError(int32_t line, std::u16string_view message) { lineReaders().RaiseLineError(line, message); }
int16_t ParseDirection(std::u16string_view text, int16_t current, int16_t allowRandom) {
    return lineReaders().ParseDirection(text, current, allowRandom);
}
int32_t EvalPosition(std::u16string_view text, int32_t length, int32_t half, int32_t& dir, int32_t defaultPercent,
                     int32_t defaultPosition) {
    return lineReaders().EvalPosition(text, length, half, dir, defaultPercent, defaultPosition);
}
int32_t GetStopPosition(int32_t total, int32_t reference) { return lineReaders().GetStopPosition(total, reference); }
int32_t GetLimitedPosition(std::u16string_view aliases, int16_t sign, int32_t total, int32_t limitLeft,
                           int32_t limitRight) {
    return lineReaders().GetLimitedPosition(aliases, sign, total, limitLeft, limitRight);
}
void ParsePointList(int32_t train, std::u16string_view text) {
    // Read into a copy: no reference into the train table is held while the texts are read.
    TrainRec points;
    {
        const LineReaders::ForRecord scope(
            lineReaders(), [train]() -> TrainRec& { return trains().at(train); }, trains().at(train).Direction);
        lineReaders().ParsePointList(points, text);
    }
    TrainRec& r = trains().at(train);
    r.Points = std::move(points.Points);
    r.PointCount = points.PointCount;
}
int32_t EvalAreaPosition(TrainRec& area, std::u16string_view text, int32_t length, int32_t& dir) {
    const LineReaders::ForRecord scope(
        lineReaders(), [&area]() -> TrainRec& { return area; }, area.Direction);
    return lineReaders().EvalPosition(text, length, 0, dir, kNoValue, kNoValue);
}
void ParseAreaPointList(TrainRec& area, std::u16string_view text) {
    const LineReaders::ForRecord scope(
        lineReaders(), [&area]() -> TrainRec& { return area; }, area.Direction);
    lineReaders().ParsePointList(area, text);
}
float GetParamNonZero(std::u16string_view aliases, float defaultValue, std::u16string_view defaultText) {
    return lineReaders().GetParamNonZero(aliases, defaultValue, defaultText);
}
std::u16string GetStepText(std::u16string_view aliases, int32_t defaultValue) {
    return lineReaders().GetStepText(aliases, defaultValue);
}
void FillStepTexts(int32_t n) { lineReaders().FillStepTexts(n); }
void ExpandFollowList(std::u16string_view text) { lineReaders().ExpandFollowList(text); }

}  // namespace yov
