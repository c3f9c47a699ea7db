// The program's line readers of a train start over arbitrary texts: positions with named
// values, point lists and follow lists, against the train being started.
//
// Input: byte 0 seeds the random draws, byte 1 the direction the train runs and the
// readers' arguments; the rest is the text, one byte per character. Errors of the language
// are expected; anything else, a hang, a follow list past its bound, or a point list past
// its five points is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/core/params/param_table.h"
#include "program/show_data/show_state.h"
#include "program/trains/line_params.h"
#include "program/trains/train_records.h"
#include "program/trains/train_start_state.h"
#include "param_fuzz.h"

using fuzz_param::Try;

namespace {

// The train being started: one record for the whole run, made anew for each input.
yov::TrainRec& StartedTrain() {
    static const int32_t train = [] {
        fuzz_param::StartProgram();
        return yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kDependent));
    }();
    yov::TrainRec& rec = yov::trains().at(train);
    rec = yov::TrainRec{};
    rec.Index = static_cast<uint8_t>(train);
    rec.State = yov::train_state::kNew;
    rec.Flags = yov::train_flag::kDependent;
    rec.Width = 640;
    yov::showState().CurTrain = train;
    return rec;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    yov::TrainRec& train = StartedTrain();
    fuzz_param::SeedDraws(data[0]);
    const uint8_t pick = data[1];
    const std::u16string text = fuzz_param::TextFrom(data, size, 2);

    yov::paramTable().ParseParams(u"");
    yov::trainStart().CurDirection = static_cast<int16_t>((pick & 1) != 0 ? -1 : 1);
    yov::LineReaders& r = yov::lineReaders();
    r.FollowList.clear();

    const int32_t length = (pick >> 1) & 0x3F;
    for (int round = 0; round < 2; ++round) {
        int32_t dir = static_cast<int32_t>(pick >> 6) - 1;
        Try([&] { r.EvalPosition(text, length, 0, dir, yov::kNoValue, round == 0 ? yov::kNoValue : 5); });
    }
    Try([&] { r.ParsePointList(train, text); });
    if (train.PointCount < 0 || train.PointCount > yov::kMaxPathPoints) std::abort();
    Try([&] { r.ExpandFollowList(text); });
    size_t lines = 0;
    for (char16_t c : r.FollowList) lines += c == u'\r';
    if (lines > static_cast<size_t>(yov::kMaxFollowLines)) std::abort();
    Try([&] { r.ParseDirection(text, static_cast<int16_t>(pick % 3) - 1, pick & 4); });
    return 0;
}
