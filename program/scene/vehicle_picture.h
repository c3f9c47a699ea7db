// A vehicle's picture description: the bracketed items that finish the picture already
// loaded onto the current canvas as the current picture part (colours, rectangles, overlays,
// joined ends, doors, pantographs, lamps, plates, texts and their animations).
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

// Applies description item by item to the current part. value is the caller's (door
// heights are compared with it, and it is handed on); variant places the picture at the
// part's x plus variant part widths; flags bit 0 keeps "M" and "R" from marking the picture.
void BuildVehiclePicture(std::u16string_view description, int32_t& value, uint8_t variant, int32_t flags);

}  // namespace yov
