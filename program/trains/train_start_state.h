// The values of the train start that its readers and builders share: the script line being
// started, the direction of the unit being composed or placed, and the kind of start, which
// sets how wide the first vehicle's plate may be.
#pragma once

#include <cstdint>

namespace yov {

struct TrainStartState {
    int32_t CurLine = 0;         // member index of the script line item being started
    int16_t CurDirection = 0;    // -1 left, +1 right, 0 not chosen yet (the expansion chooses)
    uint8_t TrainStartKind = 1;  // 1 by default, 2 for the simple modes, 3 for FOLLOW
};

TrainStartState& trainStart();

}  // namespace yov
