// Text on the program's off-screen pictures in the show font: measured as the label and plate
// builders measure it, drawn onto a raster device context.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/raster.h"

namespace yov {

struct TextExtent {
    int32_t Width = 0;
    int32_t Height = 0;
};
TextExtent MeasureShowText(std::u16string_view text);

// Draws the text with its top left at (x, y), in the colour, over what the DC shows.
void DrawShowText(plat::HDC dc, int32_t x, int32_t y, std::u16string_view text, plat::COLORREF colour);

}  // namespace yov
