// The whole picture of one stock entry, as a scene would show it, rendered into the service
// window's hidden picture box (WPic), sized to the picture, so that it can be copied or saved
// from a plain device context.
#pragma once

#include <cstdint>

#include "program/core/pictures/canvas_memdc.h"

namespace yov {

// Vehicle pictures leave this colour transparent.
inline constexpr uint32_t kVehicleTransparent = 0x00F300F3;  // RGB(243, 0, 243)

// The hidden picture box: a 32-bit memory DC and its size.
struct PictureBox {
    MemDC box;
    int32_t width = 0;
    int32_t height = 0;
};
PictureBox& WPic();
void FreeWPic();

// Renders stock entry n into WPic; false (WPic unchanged) when its picture cannot be found
// or built. A composed vehicle (no picture file of its own) is built on canvas 7 and copied;
// an entry with its own picture is drawn with its mask. The drawing background colour is
// the same afterwards.
bool GenWImg(int32_t entry);

}  // namespace yov
