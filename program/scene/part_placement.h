// Placement inside the picture part being built, shared by the vehicle picture builder and
// the door, font and pantograph procedures: rectangles resolved against the part's edges,
// the part and canvas grown for taller pictures, neighbour names, and text placement.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// A coordinate that was not given.
inline constexpr int32_t kNotGiven = -2147483647;

// Where and how a text is written on the picture; kept from item to item of one build.
struct TextPlacement {
    std::u16string Font;
    int32_t X = kNotGiven;
    int32_t Y = kNotGiven;
    int16_t XKind = 0;  // the letter kind GetLetterNumber gave
    int16_t YKind = 0;
    std::u16string Text;
    int32_t TextColour = -1;
    int32_t BackColour = -1;
    int32_t Border = 1;
    int32_t Spacing = -1;
};

// Reads X, Y, T, C, B and D of the current item into the record.
void ReadTextPlacement(TextPlacement& placement);
// Adds name to the current part's left list (side < 1) and/or right list (side >= 0).
void AddNeighbourName(std::u16string_view name, int32_t side);
// Lets the picture being built grow to height rows (current is its height so far): "OPNP"
// with item unless the settings allow it; the canvas, the part and the tallest heights
// follow. flags bit 0: an overlay, which does not count for the tallest plain picture.
void GrowPictureHeight(int32_t height, int32_t& current, std::u16string_view item, int32_t flags);

// Alignments of PlaceInPart, horizontal and vertical alike.
inline constexpr int32_t kAlignStart = 0;   // x (y) is the left (top) edge
inline constexpr int32_t kAlignCentre = 1;  // x (y) is the centre; none given: centred in the part
inline constexpr int32_t kAlignEnd = 2;     // x (y) is the right (bottom) edge; none: flush with it

// Resolves a rectangle inside the current part, from its top-left with y downwards. A
// negative x or y counts from the right or bottom edge (-1 flush with it). "OPNP" with
// name when the rectangle leaves the part. Returns 0.
int32_t PlaceInPart(int32_t& x, int32_t& y, int32_t hAlign, int32_t vAlign, int32_t width, int32_t height,
                    std::u16string_view name);

}  // namespace yov
