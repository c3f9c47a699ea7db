// The blit record the program builds its frame lists from, and the presenter through which
// the engine's blit thread has the changed screen rectangles shown.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"

// One queued rectangle copy; the program keeps arrays of these and hands their address to
// DoBlt and BatchBlt. Device contexts are raster handles (their 32-bit values).
struct BlitOp {
    int32_t DestDC;  // 0: the call's default DC (only for plain copies and fills)
    int32_t BackDC;  // not 0: receives the mask (white without one) and the source first
    int32_t X;
    int32_t Y;
    int32_t Width;
    int32_t Height;
    int32_t SourceDC;  // 0: fill with the destination's brush
    int32_t MaskDC;    // 0 plain copy, 1 OR the source in, else the 1-bit mask DC
    int32_t SourceX;   // in the source and in the mask
    int32_t SourceY;
};
static_assert(sizeof(BlitOp) == 40);

struct LvRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// The screen side of a batch. After a batch handed over with BatchBlt has been drawn into
// its default DC (on the blit thread, or on the caller's thread when BatchBlt drew it at
// once), present receives that DC and the rectangles of the batch's records that drew into
// it, in record order, unclipped.
//
// The DirectDraw layer presents through the same table on the main thread: a flip hands over
// the whole new front surface as one rectangle at (0, 0), and drawing on the primary (the
// screen itself, as in a single-frame show) hands over the rectangles drawn. Such a DC holds a frame of the display mode's
// size, which need not be the window's: present scales it to the window.
//
// present must not block: it copies the pixels it needs out of the DC before it returns
// (the next batch may draw into the DC as soon as it has returned) and leaves the rest to
// its own thread. It must not call back into the engine's blit exports. Once SetPresenter
// has returned, the table it replaced is never called again.
struct LvPresenter {
    uint32_t size;  // sizeof(LvPresenter)
    void* context;  // handed back to present
    void (*present)(void* context, LvHandle screenDc, const LvRect* rects, int32_t count) noexcept;
};

// The window side of a DirectDraw flip chain whose pages share one bitmap (SetPageSharing).
// Only the main thread draws on that bitmap, between its calls; instead of copying, the viewer
// shows the rectangles of pageDc's bitmap from the bitmap itself. A call with pageDc 0 ends
// the loan before the bitmap goes: the viewer keeps a copy of what it shows from then on.
struct LvPageView {
    uint32_t size;  // sizeof(LvPageView)
    void* context;  // handed back to showPage
    void (*showPage)(void* context, LvHandle pageDc, const LvRect* rects, int32_t count) noexcept;
};
