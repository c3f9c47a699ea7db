// The painting of one scene line into the frame compositor: its member pictures with their
// running phases and part animations, its foreground, its way text, and the animation frames
// of its layers written into the layer pictures. Main thread only; nothing here takes a
// frame step.
//
// Where a line keeps its pictures:
// - its static background (its layers, track and wire) in the scene picture, the display's
//   scene DC (GDI) or scene surface (DirectDraw), at the line's screen place;
// - a member picture as a chain of picture parts, each with its image (frame 0 at SrcX,
//   PartY; running phases and frames in cells of Width x PartHeight beside it);
// - the foreground pieces (FgPieces) in draw buffers of their own, drawn over the trains;
// - a path's share of its scene's foreground as the picture of its FgPart;
// - the way text in TextBuffer (TextBufferData: DC, x, y of its pixels) or TextSurface,
//   TextWidth x TextHeight with its bottom left at (TextX, TextY).
#pragma once

#include <cstdint>

namespace yov {

// PicPart::Flags.
namespace part_flag {
inline constexpr uint8_t kMasked = 0x01;
inline constexpr uint8_t kBackwards = 0x02;  // running phases run backwards
inline constexpr uint8_t kBgAnimation = 0x08;
}  // namespace part_flag

// DrawBits: member pictures are composed into their whole-train buffer first.
inline constexpr uint8_t kComposedTrains = 0x04;

inline constexpr uint8_t kNoFrame = 255;

// Paints line `train`; yOffset is added to every y (a scene's path is painted into the scene
// record's area).
void PaintLine(int32_t train, int32_t yOffset);
// Brings the changed animation frames of a layer part of the line into the layer's pictures
// (the scene background for a background animation, the foreground piece of each slot
// otherwise) and marks their places dirty.
void WriteFgAnim(int32_t train, int32_t part, int32_t flag);
// Copies the current frame of the slot, cut to one band of the line, into the scene
// background: zone -1 below the rail line, 0 the vehicle band, 1 the band above it up to
// AboveBase; zone 2 lies above the line's area and holds nothing here.
void DrawLayerAnimFrame(int32_t train, int32_t slot, int32_t zone);

}  // namespace yov
