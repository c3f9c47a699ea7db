#include "program/show/show_records.h"

namespace yov {

namespace {

ShowRecords*& current() {
    static ShowRecords own;
    static ShowRecords* records = &own;
    return records;
}

}  // namespace

ShowRecords& showRecords() { return *current(); }

ShowState& showState() { return current()->Show; }
DisplayState& displayState() { return current()->Show.Display; }
RunQueue& runQueue() { return current()->Queue; }
TrainTable& trains() { return current()->Trains; }
AnimWheelState& animWheel() { return current()->Wheel; }

FreshShowRecords::FreshShowRecords() : records_(std::make_unique<ShowRecords>()), previous_(current()) {
    current() = records_.get();
}

FreshShowRecords::~FreshShowRecords() { current() = previous_; }

}  // namespace yov
