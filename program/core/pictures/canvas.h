// The eight canvas slots on which train pictures and labels are built, and the current
// canvas that the picture builders draw on.
//
// A canvas is a 32-bit picture with a 1-bit mask. Its fill position tells how far from the
// left it is filled; the content stays bottom-aligned when the canvas grows. The current
// canvas's colour is also the engine's transparent drawing colour (SharedState). Slot 0 is
// a slot like the others, but a current slot number of 0 also means "none selected": the
// positions of slot 0 are not saved back when another slot is selected. Main thread only.
#pragma once

#include <cstdint>

#include "program/core/pictures/canvas_memdc.h"

namespace yov {

inline constexpr int kCanvasSlots = 8;

struct Canvas {
    MemDC picture;
    MemDC mask;
    uint32_t colour = 0;  // 0x00BBGGRR background
    int32_t width = 0;
    int32_t height = 0;
    int32_t fillPosition = 0;
    int32_t secondPosition = 0;  // the height when made
    uint8_t inUse = 0;
    uint8_t mode = 0;  // the slot user's own
};

struct CurrentCanvas {
    uint8_t slot = 0;
    plat::HDC pictureDc;
    plat::HDC maskDc;
    void* pictureBits = nullptr;
    void* maskBits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t mode = 0;
    int32_t fillPosition = 0;
    int32_t secondPosition = 0;
    uint32_t colour = 0;
};

Canvas& canvasSlot(int slot);  // 0..7
CurrentCanvas& currentCanvas();

// The canvas unit: the stock's picture height (58 when it sets none).
int32_t canvasUnit();

// Makes the slot at least width x height (0: 8 units wide, 1 unit high) and current.
void UseCanvas(int slot, uint32_t colour, int32_t width, int32_t height, uint8_t mode);
// Makes the slot current (made first, at the default size and show colour, when unused);
// returns its colour.
uint32_t SelectCanvas(int slot);
// Releases the slot; no slot is current afterwards if it was.
void FreeCanvas(int slot);
// Grows the current canvas so that neededWidth more pixels fit right of the fill position
// and neededHeight rows fit, keeping its content bottom-aligned; takes frame steps.
void RebuildCanvas(int32_t neededWidth, int32_t neededHeight);

}  // namespace yov
