#include "program/show/show_records.h"

namespace yov {

namespace {

ShowRecords& own() {
    static ShowRecords records;
    return records;
}

ShowRecords*& current() {
    static ShowRecords* records = &own();
    return records;
}

}  // namespace

namespace show_records_detail {
// Set before any show code runs, to the program's own records.
ShowState* currentShow = &own().Show;
DisplayState* currentDisplay = &own().Show.Display;
RunQueue* currentQueue = &own().Queue;
TrainTable* currentTrains = &own().Trains;
AnimWheelState* currentWheel = &own().Wheel;
SectTableState* currentSections = &own().Sections;

void point(ShowRecords& records) {
    currentShow = &records.Show;
    currentDisplay = &records.Show.Display;
    currentQueue = &records.Queue;
    currentTrains = &records.Trains;
    currentWheel = &records.Wheel;
    currentSections = &records.Sections;
}
}  // namespace show_records_detail

ShowRecords& showRecords() { return *current(); }

FreshShowRecords::FreshShowRecords() : records_(std::make_unique<ShowRecords>()), previous_(current()) {
    current() = records_.get();
    show_records_detail::point(*records_);
}

FreshShowRecords::~FreshShowRecords() {
    current() = previous_;
    show_records_detail::point(*previous_);
}

}  // namespace yov
