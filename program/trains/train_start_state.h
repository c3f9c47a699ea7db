// The values of the train start that its readers share: the script line being started and
// the direction it is started in.
#pragma once

#include <cstdint>

namespace yov {

struct TrainStartState {
    int32_t CurLine = 0;       // member index of the script line item being started
    int16_t CurDirection = 0;  // -1 left, +1 right, 0 not chosen yet
};

TrainStartState& trainStart();

}  // namespace yov
