// The preview's little animation: one picture runs left to right along the rail, then the
// other right to left, a second's pause between runs, under an overhead wire when the
// pictures are tall enough to reach it. The window (program/ui/preview_window.h) owns the
// controls; this is the timer's logic, one step every 20 ms, on plain numbers.
#pragma once

#include <cstdint>

namespace yov {

inline constexpr int32_t kPreviewVehicleHeight = 58;  // the built-in pictures' height
inline constexpr int32_t kPreviewPauseTicks = 50;     // 1 s at the timer's 20 ms
inline constexpr int32_t kPreviewTickMs = 20;

// Window state: phase 0 not started, 1 the first picture runs right, 2 the second runs left.
struct PreviewState {
    int32_t Phase = 0;
    int32_t Pause = 0;  // ticks still to wait
    int32_t X = 0;      // x of the running picture
    int32_t Base = 0;   // the rail's top edge, where the pictures stand
};

// Sizes in pixels: the window's inner size (read at the first tick only) and the pictures.
struct PreviewSizes {
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t pic1Width = 0;
    int32_t pic1Height = 0;
    int32_t pic2Width = 0;
    int32_t pic2Height = 0;
};

// What one tick asks of the window.
struct PreviewStep {
    bool layout = false;  // first tick: place the rail at (0, railY), and the wire when shown
    int32_t railY = 0;
    bool wireShown = false;  // the wire runs from (0, wireY) to (windowWidth - 1, wireY)
    int32_t wireY = 0;
    int picture = 0;  // 1 or 2: that picture moves to (x, y); 0 none moves
    int32_t x = 0;
    int32_t y = 0;
};

// Timer1_Timer: one tick of the animation.
PreviewStep PreviewTick(PreviewState& state, const PreviewSizes& sizes);

}  // namespace yov
