// The motion of the pictures of a running train: each member's motion state counts a wait
// down or turns its speed and acceleration into whole pixels of the step, steers towards a
// target speed, a stop point or the member ahead, carries the pictures coupled to it, fires
// the action points its group crosses and queues the train for its step program at the
// milestones (entered the scene, arrived, passed the stop point).
//
// Main thread only, inside the frame step; arithmetic on the records in place.
#pragma once

#include <cstdint>

namespace yov {

// TrainPicture::MotionState. 0 and 1 are the composition's (train_picture.h).
namespace motion_state {
inline constexpr int16_t kGone = 2;             // painted out of every back buffer
inline constexpr int16_t kLeft = 3;             // has left the scene
inline constexpr int16_t kArrived = 4;          // stands on its stop point
inline constexpr int16_t kWaiting = 5;          // counts WaitMs down, then approaches (12)
inline constexpr int16_t kRunOut = 6;           // constant speed until it leaves
inline constexpr int16_t kEntering = 7;         // following the member ahead until inside the scene
inline constexpr int16_t kFollowing = 8;        // following the member ahead
inline constexpr int16_t kPassStop = 9;         // queues its train once past the stop point
inline constexpr int16_t kSpeedUp = 10;         // to the target speed, then 6
inline constexpr int16_t kSlowDown = 11;        // to the target speed, then 6
inline constexpr int16_t kApproach = 12;        // coast, brake onto the stop point, arrive (4)
inline constexpr int16_t kApproachShort = 13;   // as 12, CoupleDist short of it
inline constexpr int16_t kApproachCouple = 14;  // as 13, then wait 1000 ms and approach (5)
inline constexpr int16_t kRunToStop = 15;       // 15 to 17: as 12 to 14, speeding up first
inline constexpr int16_t kRunToStopShort = 16;
inline constexpr int16_t kRunToCouple = 17;
inline constexpr int16_t kCut = 18;  // past the stop point: speeds up, the carried picture brakes
}  // namespace motion_state

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
