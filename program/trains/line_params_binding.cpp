// The program's line readers over the program's parameter table, and the readers of a
// line's area against a record of its own.
#include <utility>

#include "lumvatek/shared.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/train_start_state.h"

namespace yov {

TrainStartState& trainStart() {
    static TrainStartState state;
    return state;
}

LineReaders& lineReaders() {
    static LineReaders readers(paramParser(), paramTable());
    return readers;
}

void ParsePointList(int32_t train, std::u16string_view text) {
    // Read into a copy: no reference into the train table is held while the texts are read.
    TrainRec points;
    {
        const LineReaders::ForRecord scope(lineReaders(), train);
        lineReaders().ParsePointList(points, text);
    }
    TrainRec& r = trains().at(train);
    r.Points = std::move(points.Points);
    r.PointCount = points.PointCount;
}
int32_t EvalAreaPosition(TrainRec& area, std::u16string_view text, int32_t length, int32_t& dir) {
    const LineReaders::ForRecord scope(lineReaders(), area);
    return lineReaders().EvalPosition(text, length, 0, dir, kNoValue, kNoValue);
}
void ParseAreaPointList(TrainRec& area, std::u16string_view text) {
    const LineReaders::ForRecord scope(lineReaders(), area);
    lineReaders().ParsePointList(area, text);
}

}  // namespace yov
