// One row (cell) of a stock window: the vehicle picture it keeps built in a draw buffer,
// the texts drawn beside and over it, what its controls show, and what the status bar reads
// of the picture. The window owns the picture part and the buffer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "lumvatek/exports.h"

namespace yov {

// Category levels a row shows at most; deeper levels replace the innermost one.
inline constexpr int kCategoryStackDepth = 5;

struct CategoryLevel {
    int32_t Row = 0;    // the category
    int16_t Level = 0;  // its level
    int32_t Right = 0;  // right end of its name in the category label, pixels
};

struct StockCell {
    // --- The picture.
    int32_t Part = 0;      // picture part of the composed vehicle picture, 0 = none
    int32_t FitWidth = 0;  // size after scaling to the vehicle picture height
    int32_t FitHeight = 0;
    int32_t BuiltWidth = 0;  // size as built
    int32_t BuiltHeight = 0;
    int32_t PaletteSize = 0;  // palette colours, -1 for an entry without a picture file
    int32_t DrawWidth = 0;    // width of one frame in the buffer, 0 = nothing drawn
    int32_t DataSize = 0;     // data size of the loaded picture
    LvHandle Buffer = 0;      // all frames side by side, DrawWidth x the picture height each
    LvHandle BufDC = 0;
    int32_t BufX = 0;
    int32_t BufY = 0;
    uint8_t PictureFlags = 0;  // the loaded picture's flags: bit 0 a transparent colour
    uint8_t BuildFlags = 0;    // of the description: bit 0 "<" or ">", bit 1 "L", bit 2 "E", bit 3 "C"
    int16_t Reverse = 0;       // the frames run backwards
    int16_t DrawDir = 0;       // drawing direction of the vehicle, -1 or +1
    uint8_t LastFrame = 0;     // 0 = a single picture
    uint8_t Frame = 0;         // shown now

    // --- Texts of the picture box.
    std::u16string FileLine;  // the second text line, lower case
    int32_t FileLineWidth = 0;
    std::u16string AuthorText;
    int32_t AuthorWidth = 0;   // 0 = no author shown
    std::u16string ErrorText;  // why the picture could not be built

    // --- What the refresh drew, so that an unchanged row is left alone.
    std::u16string PictureName;  // entry name the picture was built for; empty = rebuild
    std::u16string CaptionName;  // entry name the caption was drawn for
    uint8_t CaptionSelected = 255;
    uint8_t TypeIndex = 255;  // type letter position shown by the dot

    // --- The category labels that begin at this row, outermost first.
    std::array<CategoryLevel, kCategoryStackDepth> CategoryStack{};
    int32_t CategoryDepth = 0;

    // --- What the row's controls show.
    bool BoxVisible = false;
    bool NameVisible = false;  // the name
    bool NameBold = false;     // selected
    int32_t NameWidth = 0;
    std::u16string FileTip;  // the name's tool tip: the file line
    bool CategoryVisible = false;
    std::u16string CategoryText;
    int32_t CategoryWidth = 0;
    bool SizeVisible = false;
    std::u16string SizeText;
    std::u16string SizeTip;
    bool DescVisible = false;
    std::u16string DescCaption;  // "D" with a description
    bool WayVisible = false;
    std::u16string WayCaption;
    bool DotVisible = false;    // the type dot, coloured by TypeIndex
    bool FrameVisible = false;  // the selection frame
};

}  // namespace yov
