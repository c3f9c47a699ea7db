// The animation wheel's record: 200 places of 10 ms, each the head of a chain of picture
// slots (linked through PictureSlot::WheelNext) whose next frame falls due there, and the far
// list of slots due more than a turn ahead (their remaining ticks in PictureSlot::DueCount).
//
// The show turns the wheel (program/show/anim_wheel.h); the pools unlink the slots they free
// from it. The record is one of the show's records (program/show/show_records.h), which put
// the one in use in place. Main thread only.
#pragma once

#include <array>
#include <cstdint>

namespace yov {

inline constexpr int kWheelPlaces = 200;
inline constexpr int kWheelPlaceMs = 10;
// The longest step the wheel turns by at once; a longer one (never granted by the frame
// step) counts as this.
inline constexpr int kMaxWheelStepMs = 2000;

struct AnimWheelState {
    std::array<int32_t, kWheelPlaces + 1> AnimWheel{};  // places 0..199 used; 0 = empty
    int32_t AnimWheelPos = 0;                           // the place the wheel stands on
    int32_t AnimWheelCarry = 0;                         // milliseconds not yet turned into places, 0..9
    int32_t AnimOverflow = 0;                           // head of the far list
    int32_t AnimScheduled = 0;                          // slots on the wheel or the far list ("AnimRunning")
};

// The wheel of the show records in use; reached on every slot the wheel turns past, so the
// accessor stays inline.
namespace show_records_detail {
extern AnimWheelState* currentWheel;
}
inline AnimWheelState& animWheel() { return *show_records_detail::currentWheel; }

}  // namespace yov
