// The starting frames of the animated sub-pictures of a composed train picture: the ends of
// neighbouring vehicles agree with each other, and pantographs are raised or lowered by the
// vehicle's pantograph code and the direction of travel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// Both current frames of the slot at its last frame (atEnd) or at 0, and the owning part's
// frame timing refreshed.
void SetSlotFrame(int32_t slot, uint8_t atEnd);
// The part's sub-pictures whose name holds the marker are on when the states list names
// their state; of a group only the first one on stays on.
void ApplyPartStates(int32_t part, std::u16string_view marker, std::u16string_view states);
// The end sub-pictures of the picture's parts, and of the following picture (0 none), as one row.
void LinkPartChain(int32_t picture, int32_t following);
void InitPartStates(int32_t picture, int32_t direction);

}  // namespace yov
