// The display modes the engine offers. There is no real mode switch: the program tells the
// engine what the screen is (window operations), and a mode "set" from this list only makes
// the DirectDraw layer render at that size.
#pragma once

#include <vector>

#include "lumvatek/window_ops.h"

namespace lvk {

// More modes than any dialog lists; a program answering for ever stops here.
inline constexpr int kMaxOfferedModes = 1000;

// The screen's current mode: the program's mode 0, else its screen size at 32 bits, else
// 1024 x 768 x 32.
LvDisplayMode DesktopMode();

// The program's modes when it offers more than the current one, in its order; else the current
// mode and the common sizes up to the screen's, at 16 and 32 bits, smallest first. No repeats,
// no mode without a size or depth.
std::vector<LvDisplayMode> OfferedModes();

// Whether a request names an offered mode: width, height and depth equal, and the rates equal
// unless either is 0 (the default rate).
bool IsOffered(const LvDisplayMode& request);

}  // namespace lvk
