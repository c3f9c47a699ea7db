// The painting of one frame: every active scene line announced to the frame compositor in
// layer order (its background bands, background layers, foreground animation, its pictures,
// snow and the effect layer), the wipes that repaint or clear a line's area band by band,
// and the periodic full repaint of the screen background. Main thread only.
#pragma once

#include <cstdint>

#include "program/trains/train_record.h"

namespace yov {

// TrainRec::BufferRedraw bits of a page.
namespace page_bit {
inline constexpr int32_t kBgOnce = 0x001 | 0x002 | 0x004 | 0x010 | 0x040 | 0x800;
inline constexpr int32_t kPathCovered = 0x10 | 0x40;
inline constexpr int32_t kFgDirty = 0x020;  // the foreground is to be drawn on this page
inline constexpr int32_t kWayText = 0x080;  // the way text is to be drawn on this page
inline constexpr int32_t kFgStaysDirty = 0x100;
inline constexpr int32_t kWipeRepaint = 0x100;
inline constexpr int32_t kWipeClear = 0x200;
inline constexpr int32_t kWiping = kWipeRepaint | kWipeClear;
}  // namespace page_bit

inline constexpr int32_t kFullRepaintSteps = 100;

// The paint phase of the frame step for the current page.
void PaintFrame();
// Counts the current page's countdown down and repaints the whole screen background when due
// (true then). The frame step calls it before the lines, which are then drawn whole.
bool PaintBg();
// Announces the background strips of the line between fromX and toX (not dirty), and its
// temporary background (PaintTempBackground).
void PaintBgLayers(int32_t train, int32_t fromX, int32_t toX, int32_t flags);
// The line's temporary background between fromX and toX as far as it still stands (dirty with
// flags 0x800): the page first catches up with the span the trains left of it, marking what
// it lost or gained. A piece whose lying snow grows is shown as its grow copy; a growable
// background shows only those. yOffset is added to every y (a path painted into its scene).
void PaintTempBackground(int32_t train, int32_t fromX, int32_t toX, int32_t flags, int32_t yOffset = 0);
// The line has something PaintTempBackground shows.
bool HasTempBackground(const TrainRec& r);

}  // namespace yov
