// Placeholder until the vehicle picture builder lands.
#include "program/scene/vehicle_picture.h"

namespace yov {

void BuildVehiclePicture(std::u16string_view, int32_t&, uint8_t, int32_t) {}

}  // namespace yov
