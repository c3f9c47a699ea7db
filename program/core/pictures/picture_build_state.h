// What the picture builders know about the vehicle picture being built, read by the
// parameter parser's named numbers ("$BW", "$BH") and pixel colours ("x,y").
//
// The stock-picture loader sets the base size after it opened a description's main
// picture; the vehicle picture builder sets the horizontal origin.
#pragma once

#include <cstdint>

namespace yov {

struct PictureBuildState {
    int32_t BaseWidth = 0;  // of the base picture of the description being built
    int32_t BaseHeight = 0;
    int32_t PartOriginX = 0;  // column of the vehicle picture's left edge on the canvas

    // --- Kept by the stock-picture loader.
    // Where the pictures of the last description came from: 0 nothing yet, above 0 an author
    // number, below 0 minus a stock file that is a picture source of its own, -1 several.
    int32_t PictureSource = 0;
    int32_t PaletteCount = 0;  // of the base picture, as the engine reports it
    int32_t PictureFlags = 0;
    int32_t DataLength = 0;
    // Options: bit 0 scales a picture taller than the height limit down to it (nearest pixel);
    // without it the caller's width budget is scaled instead (WidthBudget).
    uint8_t PictureOptions = 0;
    int32_t WidthBudget = 0;
    // While set only the pictures are built: no pixels-per-phase setting, no pantograph slots.
    uint8_t PicturesOnly = 0;
    uint8_t PictureMarks = 0;   // bit 0 a direction marker met (set by the description builder)
    float PhaseNumber = 0.0f;   // the "/" number of the phase pictures
    uint8_t HashFlag = 0;       // the last picture named with a leading "#" (drawn mirrored)
    int32_t PhaseCount = 0;     // phase pictures of the vehicle being built
    int32_t TallestHeight = 0;  // the tallest picture of the build, and the tallest but overlays
    int32_t TallestPlain = 0;
    // GrowPictureHeight: with option bit 8 a picture may grow up to GrowLimit rows.
    int32_t GrowOptions = 0;
    int32_t GrowLimit = 0;
};

inline PictureBuildState& pictureBuildState() {
    static PictureBuildState state;
    return state;
}

}  // namespace yov
