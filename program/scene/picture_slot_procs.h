// The picture-slot procedures the vehicle picture builders share: handing out a slot on the
// current part, its buffer and frames, the surface its frames end in, the animation labels
// of the slot being built, the pantograph position codes, and placing a rectangle inside
// the current part.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

int32_t AllocPictureSlot();
void InitPictureFrames(int32_t slot);
void GetPictureSlotBuffer(int32_t slot, int32_t width, int32_t height);
// A slot of two frames side by side, width x height each, frame time 1.
int32_t AllocPairSlot(int32_t width, int32_t height);
// Moves the frames into an engine surface while the show presents through one; false (and
// the message) when the frames do not fit width x height.
bool CreateAnimSurface(int32_t slot, int32_t width, int32_t height);

void AddAnimLabel(std::u16string_view name, std::u16string_view mode);
// "(ON=C;*OFF=E)" and "ON=C;*OFF=E": labels of the slot being built, with their modes.
void ParseAnimParams(int32_t slot, std::u16string_view text);
// The pantograph mask of a position code ("PLU", "P12U", "PD"...); -1 for anything else.
int32_t PantoCodeToMask(std::u16string_view code);

// Adds name to the current part's left list (side < 1) and/or right list (side >= 0).
void AddNeighbourName(std::u16string_view name, int32_t side);

// Alignments of PlaceInPart.
inline constexpr int kAlignStart = 0;   // x, y name the left or top edge
inline constexpr int kAlignCentre = 1;  // x, y name the centre; not given: centred in the part
inline constexpr int kAlignEnd = 2;     // x, y name the right or bottom edge; not given: flush
// Resolves x and y (part coordinates, y downwards) of a width x height rectangle inside
// the current part: a negative value counts from the right or bottom edge, kNotGiven
// takes the alignment's default. Raises "OPNP" when the rectangle leaves the part.
void PlaceInPart(int32_t& x, int32_t& y, int halign, int valign, int32_t width, int32_t height,
                 std::u16string_view item);
// Height asked of the picture by an item that reaches above it: refused ("OPNP") unless the
// show allows taller pictures.
void GrowPictureHeight(int32_t height, int32_t& current, std::u16string_view item, int32_t flags);

// The current part's place on the current canvas for the variant being built.
struct PartArea {
  int32_t x = 0;  // canvas column of the picture's left edge
  int32_t y = 0;  // canvas row of its top
  int32_t width = 0;
  int32_t height = 0;
};
PartArea CurrentPartArea();

}  // namespace yov
