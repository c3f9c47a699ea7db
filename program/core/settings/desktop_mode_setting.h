// Whether the full-screen show keeps the desktop's display mode ("DDA"), or asks for the mode
// stored in "DDX", "DDY", "DDB" and "DDF". The settings dialog reads and stores it through its
// table of settings, the display start reads it when a show starts: both by the rule here, so
// that they agree on what a stored number means.
#pragma once

#include <cstdint>

#include "program/core/settings/settings.h"

namespace yov {

inline constexpr char16_t kKeepDesktopModeName[] = u"DDA";
// Kept by default: there is no mode switch, a chosen mode is only rendered at its size and
// scaled to the screen.
inline constexpr int32_t kKeepDesktopModeDefault = 1;
// An odd stored number keeps the mode.
inline constexpr int32_t kKeepDesktopModeMask = 1;

inline int32_t KeepDesktopModeOf(int32_t stored) { return stored & kKeepDesktopModeMask; }

inline bool KeepsDesktopMode() {
    return KeepDesktopModeOf(GetRegNumber(kKeepDesktopModeName, kKeepDesktopModeDefault)) != 0;
}

}  // namespace yov
