// The frames of a moving part and its compiled animation: frames cut out of a loaded part
// picture (pantographs, animated parts, end pictures) or out of the vehicle picture itself
// (lamps, pantograph elements), and the slot's labels compiled into step programs.
#pragma once

#include <cstdint>

namespace yov {

// Frame layout of a slot: frame size, first frame's place in its source, frame time, frame
// count (0: as many as fit) and the step from frame to frame.
struct FrameLayout {
    int32_t width = 0;
    int32_t height = 0;
    int32_t firstX = 0;
    int32_t firstY = 0;
    int32_t time = 15;
    int32_t count = 0;
    int32_t stepX = 0;
    int32_t stepY = 0;
};

// Reads W, H, FX, FY, T, N, SX and SY of the current parameters into layout (frame size
// defaulting to the given one, steps to one frame to the right).
void ReadFrameLayout(FrameLayout& layout, int32_t pictureWidth, int32_t pictureHeight);

// The last opened picture drawn with its mask into the slot's buffer; the slot stands at
// (x, y) of the current part and shows the layout's frames, mirrored when mirror is set.
void ExtractPantographParts(int32_t slot, int16_t mirror, FrameLayout& layout, int32_t x, int32_t y);

// The frames cut out of the vehicle picture at (x, y) of the current part: the slot's
// buffer takes them, the picture's mask under the first frame is cleared.
void DrawSlotFrames(int32_t slot, FrameLayout& layout, int32_t x, int32_t y);

// The labels of the slot being built become its label list and step programs.
void CompileAnimScript(int32_t slot);

}  // namespace yov
