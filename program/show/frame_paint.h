// The painting of one frame: every active scene line announced to the frame compositor in
// layer order (its background bands, background layers, foreground animation, its pictures,
// snow and the effect layer), the wipes that repaint or clear a line's area band by band,
// and the periodic full repaint of the screen background. Main thread only.
#pragma once

#include <cstdint>

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
// temporary background as far as it stands on this page (dirty with flags 0x800).
void PaintBgLayers(int32_t train, int32_t fromX, int32_t toX, int32_t flags);

}  // namespace yov
