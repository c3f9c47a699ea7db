// Part animations and scene actions of a train line: the action lists its path points,
// step programs and movement modes carry, the door, pantograph and tag animations they
// start on the animation wheel, and the rescheduling of a train's running animations when
// it (re)enters the scene.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/trains/train_record.h"

namespace yov {

inline constexpr int32_t kMaxAnimDelaySeconds = 15;

// Runs each action of a comma list, empty pieces included.
void DoActionList(TrainRec& train, std::u16string_view list);
// Runs one action: a scene command (bracketed or bare) or a part animation.
void DoAction(TrainRec& train, std::u16string_view action);

// Starts the matching part animations of a train picture (target > 0) or of one picture
// part (target <= 0 is minus the part). The longest started animation in whole seconds,
// rounded up.
int32_t AnimateParts(int32_t target, std::u16string_view action, std::u16string_view vehicle, int32_t vehicleIndex,
                     int32_t slotIndex, uint8_t fromFront, float probability, std::u16string_view delay);

// Starts one picture slot's animation in the mode (1 whole row, 2 forward, 3 backward,
// 4 cycle, 5 to the end, 6 step program); `longest` grows to its time in wheel slots.
void StartPictureAnim(int32_t slot, uint8_t mode, int32_t& longest, int16_t programStart, float probability,
                      std::u16string_view delay);

// Puts the running animations of a part, of a picture's parts, or of a train's members
// (and, unless the train is already on the scene, its foreground and background parts) back
// on the wheel.
void ScheduleAnim(int32_t part);
void ScheduleAnimEntry(int32_t picture);
void ScheduleObjectAnims(TrainRec& train);

}  // namespace yov
