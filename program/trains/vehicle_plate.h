// The number plate of a vehicle in a composed train: its description's short text in a
// framed box, kept as an image of the part for the label painter.
#pragma once

#include <cstdint>

namespace yov {

// Builds the plate of the part when its vehicle has a plate text; nothing otherwise.
void BuildVehiclePlate(int32_t part);

// TrainStartKind of the train start: 2 for SIMPLE, STOP, BACK and OPEN, 3 for FOLLOW, 1 else.
struct PlateLimits {
    uint8_t StartKind = 1;
};
PlateLimits& plateLimits();

}  // namespace yov
