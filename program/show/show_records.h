// The records of a show, one object: the show state (with the display's record), the run
// queue of timed events, the train table, the animation wheel and the section table.
//
// The program makes one at its first use. A test that must start clean installs a fresh one
// for its lifetime with FreshShowRecords, so nothing it leaves reaches the next test and
// nothing an earlier test left reaches it. Main thread only.
#pragma once

#include <memory>

#include "program/core/pictures/anim_wheel_state.h"
#include "program/show_data/show_state.h"
#include "program/trains/section_table.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"

namespace yov {

struct ShowRecords {
    ShowState Show;
    RunQueue Queue;
    TrainTable Trains;
    AnimWheelState Wheel;
    SectTableState Sections;
};

ShowRecords& showRecords();

class FreshShowRecords {
public:
    FreshShowRecords();
    ~FreshShowRecords();
    FreshShowRecords(const FreshShowRecords&) = delete;
    FreshShowRecords& operator=(const FreshShowRecords&) = delete;

private:
    std::unique_ptr<ShowRecords> records_;
    ShowRecords* previous_;
};

}  // namespace yov
