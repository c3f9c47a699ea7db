// A freshly built train picture made ready for the frame painter: parts wider than the scene
// cut under DirectDraw, each part's own image copied from the canvas, its animated
// sub-pictures prepared, and the picture entered into its train.
#pragma once

#include <cstdint>

namespace yov {

struct TrainRec;

void SplitTrainPicture(TrainRec& train, int32_t picture, int32_t memberPos);

// Frames per row and rows of a part's frame grid under DirectDraw.
struct FrameGrid {
    int32_t PerRow = 1;
    int32_t Rows = 1;
};
FrameGrid FrameGridFor(int32_t extraFrames, int32_t width, int32_t sceneWidth);

}  // namespace yov
