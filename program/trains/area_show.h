// What the layer builders and the area painting take from the show and from the line
// readers: the scene's drawing objects (the display start makes them), the background
// colour, and the position and point readers of a script line. The flip count and the
// key colour are the show state's.
//
// The show fills this record when it starts the display; the line readers wire their
// procedures in. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

struct TrainRec;

struct AreaShow {
    int32_t SceneDC = 0;                  // the scene's memory DC, the whole scene
    LvHandle SceneSurface = 0;            // the DirectDraw scene surface, 0 in GDI operation
    bool DirectDraw = false;              // DirectDraw operation
    plat::COLORREF BackgroundColour = 0;  // the scene's background colour (0x00BBGGRR)
    // The drawing buffer of a section's objects and the scene point of its top-left pixel.
    int32_t SectionDC = 0;
    int32_t SectionMaskDC = 0;
    int32_t SectionOriginX = 0;
    int32_t SectionOriginY = 0;

    // Where a range end of a layer element lies: EvalPosition of the line readers (text,
    // length, half, direction by reference, no default percentage, no default position).
    // Without it, a plain percentage of the area's width (or a leading "<", ">", "*"
    // choosing the end that is placed).
    std::function<int32_t(const TrainRec& area, std::u16string_view text, int32_t length, int32_t half, int32_t& dir)>
        evalPosition;
    // ParsePointList of the line readers; nothing without it.
    std::function<void(TrainRec& area, std::u16string_view points)> parsePointList;
    // RaiseLineError of the line readers (never returns); without it the message is raised
    // as a program error as it is.
    std::function<void(int32_t line, const std::u16string& message)> raiseLineError;
    // A new picture slot owned by the part (AllocPictureSlot with the owner set), and the
    // frame list of a slot (InitPictureFrames). Animated layers need both.
    std::function<int32_t(int32_t ownerPart)> allocPictureSlot;
    std::function<void(int32_t slot)> initPictureFrames;
};

AreaShow& areaShow();

// The surfaces' key colour as a pixel value of the display.
uint32_t KeyColourValue();

}  // namespace yov
