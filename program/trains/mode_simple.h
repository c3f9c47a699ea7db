// The movement mode that runs a train straight through its line: one unit, placed and
// linked, moving from the start (motion state 6); its step program starts at state 12.
#pragma once

#include <cstdint>

namespace yov {

// Builds the unit of a simple run on the train being started; returns the first state of the
// mode's step program.
uint8_t SetupSimpleMode(int32_t train);

}  // namespace yov
