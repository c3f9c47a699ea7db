// What the layer builders and the area painting take from the show: the scene's drawing
// objects (the display start makes them) and the background colour. The flip count and the
// key colour are the show state's.
//
// The show fills this record when it starts the display. Main thread only.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

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
};

AreaShow& areaShow();

// The surfaces' key colour as a pixel value of the display.
uint32_t KeyColourValue();

}  // namespace yov
