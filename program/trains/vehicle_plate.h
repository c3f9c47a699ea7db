// The number plate of a vehicle in a composed train: its description's short text in a
// framed box, kept as an image of the part for the label painter.
#pragma once

#include <cstdint>

namespace yov {

// Builds the plate of the part when its vehicle has a plate text; nothing otherwise.
void BuildVehiclePlate(int32_t part);

}  // namespace yov
