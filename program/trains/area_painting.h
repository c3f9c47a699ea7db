// The static drawing area of a line: cleared, its background layer, its track and
// overhead line from the way code, its temporary-background and foreground layers, the
// DirectDraw scene surface brought up to date and every back page told to repaint it.
#pragma once

#include <cstdint>
#include <string>

#include "program/trains/line_area.h"

namespace yov {

// Drawing bits of DrawObjectPicture.
namespace draw_bit {
inline constexpr uint8_t kBaseBand = 1;
inline constexpr uint8_t kSupport = 2;
inline constexpr uint8_t kWire = 4;
}  // namespace draw_bit

// Word i of BufferRedraw |= flag for every back page i up to the flip count.
void SetLayerFlags(TrainRec& area, int16_t flag);

// Draws the track and overhead line of the way code with the base line at (x, y) of the
// destination DC (decimal text; maskDc "0" none). A non-zero flag draws through the mask.
// The code is completed in place ("E" becomes "RE", "f" "aL31", "h" "H"). Returns the
// drawing bits. An "L" wire outside 30 to the vehicle picture height raises the "CPOS"
// message for the line's script line.
uint8_t DrawObjectPicture(std::u16string& code, const std::u16string& destDc, const std::u16string& maskDc, int32_t x,
                          int32_t y, TrainRec& area, uint8_t flag);

void PaintObject(TrainRec& area, std::u16string& way, std::u16string& fg, int32_t fgLine, std::u16string& bg,
                 int32_t bgLine, std::u16string& tg, int32_t tgLine, std::u16string& points);

// A path of a scene: its layers and way drawn over the scene's picture, which stays where the
// path draws nothing; the scene reads the path's points itself.
void PaintPathOverScene(TrainRec& area, std::u16string& way, std::u16string& fg, int32_t fgLine, std::u16string& bg,
                        int32_t bgLine, std::u16string& tg, int32_t tgLine);

}  // namespace yov
