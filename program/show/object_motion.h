// The motion of the pictures of a running train: each member's motion state counts a wait
// down or turns its speed and acceleration into whole pixels of the step, steers towards a
// target speed, a stop point or the member ahead, carries the pictures coupled to it, fires
// the action points its group crosses and queues the train for its step program at the
// milestones (entered the scene, arrived, passed the stop point).
//
// Main thread only, inside the frame step; arithmetic on the records in place.
#pragma once

#include <cstdint>

#include "program/trains/motion_states.h"

namespace yov {

// Pixels inside the line's ends that a member must be in before it counts as entered.
inline constexpr int32_t kEnteredMargin = 160;
// The longest whole-pixel move of one step; the rest stays in the remainder.
inline constexpr int32_t kMaxStepPixels = 20;
// A state 14 picture waits this long, short of its stop point, before it closes up.
inline constexpr int32_t kCoupleWaitMs = 1000;
// A rate of 0 or less (from script text) counts as this; the train start gives the same.
inline constexpr float kFallbackRate = 0.05f;

// Motion time units of a step: stepMs x speedFactor / 1.6, in single precision.
float MotionTime(int32_t stepMs, float speedFactor);

// Moves the members of train record `train` (an index: actions of its points may grow
// tables) by a step of stepMs milliseconds.
void MoveObject(int32_t train, int32_t stepMs);

// Every started train repaints its layers in the back buffers of PagesToRepaint.
void MarkObjectsForRepaint();

}  // namespace yov
