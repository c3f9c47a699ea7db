// The train start: turns a train line of the scene into a running train and takes the train
// back off its line when its run is over. All or nothing: what an attempt allocated is freed
// when any part of it fails, the error is reported once and the next line is tried.
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

// The row of a train's label below its vehicles: kept inside the band's lower zone, at most
// 254 and never below 0.
int32_t ClampLabelRow(double wanted, int32_t belowHeight, int32_t fontHeight);

// A failing recomposition is retried this many times before the run is ended.
inline constexpr int32_t kMaxRecomposeAttempts = 3;

// Runs the train start's state machine on a train for a due event of kind 3.
void GenTrain(int32_t train, int32_t sect);

}  // namespace yov
