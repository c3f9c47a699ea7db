// The motion states of a train's pictures (TrainPicture::MotionState): the movement modes
// set them, the object motion (program/show/object_motion.h) steps a
// picture by its state. 0 and 1 are the composition's (train_picture.h).
#pragma once

#include <cstdint>

namespace yov {

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

}  // namespace yov
