// What the display start needs of the show window, whichever kind it is: the windowed show's
// resizable window or the full-screen show's borderless one. program/ui implements it with
// Qt; tests put a recorder in its place.
//
// The window's device context stands for the screen: batches of blit records draw into it
// and the presenter puts what they changed on the window.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace yov {

class ShowView {
public:
    virtual ~ShowView() = default;

    virtual LvWindow handle() const = 0;
    // The screen DC of the window; it keeps its handle when the window is resized.
    virtual plat::HDC screenDc() const = 0;
    virtual void setBackgroundColour(uint32_t rgb) = 0;

    // Full-screen show: maximized or in its normal state, shown, topmost over the screen.
    virtual void placeOverScreen(bool maximized, int32_t width, int32_t height) = 0;
    // Windowed show: the screen DC made for the inner size, cleared to the background, shown.
    virtual void clearAndShow() = 0;
    virtual void innerSize(int32_t& width, int32_t& height) const = 0;
    // The size of the frames handed to the screen DC (the display mode's size under DirectDraw).
    virtual void setFrameSize(int32_t width, int32_t height) = 0;

    // False when the pointer was already hidden.
    virtual bool hideCursor() = 0;
    virtual void showCursor() = 0;
    // Pixel height of "Mg" in the show font.
    virtual int32_t showFontHeight() = 0;
    // The program closes the window at the show's end.
    virtual void closeFromProgram() = 0;
    // Main thread, after a frame was presented: what reached the screen DC is put on the
    // screen now, without waiting for the show to let the window system run.
    virtual void showPresented() {}
};

}  // namespace yov
