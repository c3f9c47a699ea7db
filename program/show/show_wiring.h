// Hands the show's procedures and values to the program core: RunShow to start-up, the train
// records' animation lists to the picture pools, and the step state, the count of trains in
// motion and the two show brushes to the drawing toolbox. Called once at start-up.
#pragma once

#include <cstdint>

#include "program/core/pictures/canvas_hooks.h"

namespace yov {

// The show's answers to the drawing toolbox (showDrawing()).
extern const ShowDrawing kShowDrawing;

// The train records' lists of running animations (trainSlotHead()).
int32_t* kTrainSlotHead(uint8_t train);

void WireShow();

}  // namespace yov
