// A train unit on its line: the first member picture of a train made with everything its
// path needs (direction, vehicle height, way, area layers, temporary or growable background
// with its span and overlap, speeds and rates), and two pictures coupled end to end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// Builds the first unit of the train from the current script line and enters it as member 1.
// Each name is the alias list of the parameter read for that value: composition,
// acceleration, braking rate, speed and direction; an empty name leaves the value unread.
// Returns the new picture.
int32_t PlaceTrain(int32_t train, std::u16string_view composition, std::u16string_view accel, std::u16string_view brake,
                   std::u16string_view speed, std::u16string_view direction);

// The second picture goes with the first (its direction, the first's CoupledId); unless
// noMove is set, it is put end to end with the first on the side given (negative: the first
// on the left) and the ends of the row are linked.
void CoupleTrainPictures(int32_t first, int32_t second, int16_t side, uint8_t noMove);

// The default acceleration and braking texts of a section's trains: the section's own "A"
// and "B", else the scene's.
std::u16string DefaultAccelText(int32_t sect);
std::u16string DefaultDecelText(int32_t sect);

}  // namespace yov
