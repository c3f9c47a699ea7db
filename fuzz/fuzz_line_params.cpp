// The line readers of a train start over arbitrary texts: positions with named values,
// point lists and follow lists, with the engine's own bracket search.
//
// Input: byte 0 seeds the random draws, byte 1 the direction the train runs and the
// readers' arguments; the rest is the text, one byte per character. Errors of the language
// are expected; anything else, a hang, a follow list past its bound, or a point list past
// its five points is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lumvatek/exports.h"
#include "platform/random.h"
#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "program/trains/line_params.h"
#include "param_fuzz_hooks.h"

using fuzz_param::Try;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    plat::Random random(data[0]);
    const uint8_t pick = data[1];
    const std::u16string text = fuzz_param::TextFrom(data, size, 2);

    yov::ParamParser p;
    yov::ParamTable table(p);
    fuzz_param::WireParser(p, table, random);
    yov::TrainRec train;
    train.Width = 640;
    yov::LineReaders r(p, table);
    r.hooks.currentTrain = [&]() -> yov::TrainRec& { return train; };
    r.hooks.currentDirection = [pick] { return static_cast<int16_t>((pick & 1) != 0 ? -1 : 1); };

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
