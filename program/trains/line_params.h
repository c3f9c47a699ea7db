// The readers of a script line's values while its train is started: directions by letter,
// numbers that may be percentages, rates that must not be 0, positions along the line as
// expressions (with names stored per train), the line's point list, the step texts of a
// movement mode and the follow list of FOLLOW.
//
// LineReaders works on a ParamParser and its ParamTable and reads the train being started
// (CurTrain) and its direction and line from the train start's records; the program's
// readers are lineReaders() (line_params_binding.cpp). GetParamNumber and GetParamOrRandom
// are the parameter table's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "program/trains/train_record.h"

namespace yov {

// The mark of a missing integer argument of the position and number readers.
inline constexpr int32_t kNoValue = static_cast<int32_t>(0x80000001u);

// Bounds of a follow list, so that a short composition cannot make the show wait for ever:
// compositions given, counts nested, and the work of the whole expansion (one unit per
// character walked and per item taken, repeated items counted each time), so that counts
// over items that give nothing ("95*9591*0*") end as surely as counts over items that do.
inline constexpr int32_t kMaxFollowLines = 10000;
inline constexpr int32_t kMaxFollowNesting = 32;
inline constexpr int64_t kMaxFollowWork = 1000000;

class LineReaders {
    // The record read against: the train being started, a train of the table or an area's.
    struct Target {
        bool set = false;
        TrainRec* area = nullptr;
        int32_t train = 0;
        int16_t direction = 0;
    };

public:
    LineReaders(ParamParser& parser, ParamTable& table) : parser_(parser), table_(table) {}

    // While one lives, positions and point lists are read against another record (its width
    // and named positions) and its own direction instead of the train being started: a line's
    // area is painted for its own record, which is not always the one a start works on.
    class ForRecord {
    public:
        // Train record `train`, looked up at each use: a frame step while the texts are read
        // may grow the train table.
        ForRecord(LineReaders& readers, int32_t train);
        // A record outside the train table (an area's).
        ForRecord(LineReaders& readers, TrainRec& area);
        ~ForRecord() { readers_.target_ = saved_; }
        ForRecord(const ForRecord&) = delete;
        ForRecord& operator=(const ForRecord&) = delete;

    private:
        LineReaders& readers_;
        Target saved_;
    };
    // FOLLOW's compositions, each ended by a carriage return.
    std::u16string FollowList;

    [[noreturn]] void RaiseLineError(int32_t line, std::u16string_view message);
    int16_t ParseDirection(std::u16string_view text, int16_t current, int16_t allowRandom);
    int32_t EvalPosition(std::u16string_view text, int32_t length, int32_t half, int32_t& dir, int32_t defaultPercent,
                         int32_t defaultPosition);
    int32_t GetStopPosition(int32_t total, int32_t reference);
    int32_t GetLimitedPosition(std::u16string_view aliases, int16_t sign, int32_t total, int32_t limitLeft,
                               int32_t limitRight);
    void ParsePointList(TrainRec& train, std::u16string_view text);
    float GetParamNonZero(std::u16string_view aliases, float defaultValue, std::u16string_view defaultText);
    std::u16string GetStepText(std::u16string_view aliases, int32_t defaultValue);
    void FillStepTexts(int32_t n);
    void ExpandFollowList(std::u16string_view text);

private:
    struct FollowBudget {
        int32_t lines = 0;
        int64_t work = 0;
    };
    void ExpandFollow(std::u16string_view text, int32_t depth, FollowBudget& budget);
    // RaiseLineError for the line being started.
    [[noreturn]] void RaiseAtLine(std::u16string_view message);
    // The direction and record read against: the train being started, or ForRecord's.
    int16_t currentDirection() const;
    TrainRec& record() const;

    ParamParser& parser_;
    ParamTable& table_;
    Target target_;
};

// --- The program's readers: the program's parameter table and CurTrain.
LineReaders& lineReaders();

// The points of train record `train`, read against it and its own direction.
void ParsePointList(int32_t train, std::u16string_view text);
// The area painting's readers: a place of a layer element and the points of the record whose
// area is painted, against that record and its own direction.
int32_t EvalAreaPosition(TrainRec& area, std::u16string_view text, int32_t length, int32_t& dir);
void ParseAreaPointList(TrainRec& area, std::u16string_view text);

}  // namespace yov
