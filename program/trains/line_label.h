// The text label of a train line: the line's "TX" text with its caption macros filled from
// the train's vehicles, measured and drawn in the show font in its own colours into a draw
// buffer (GDI) or a surface (DirectDraw), and announced as the train's text layer.
#pragma once

#include <cstdint>

namespace yov {

// Draws the label of the train being started on the section's line, when its text fits the
// zone below the vehicles and the line; nothing otherwise.
void DrawTrainText(int32_t train, int32_t sect);

}  // namespace yov
