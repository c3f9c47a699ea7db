// The frame compositor of a show: while one scene line is painted, every changed layer is
// announced to it as a piece with its source; when the line is complete its dirty rectangles
// are made pairwise disjoint and, inside each, only the visible pieces are drawn, bottom to
// top, straight onto the DirectDraw back surface or as blit records that the engine runs in
// one batch.
//
// Line coordinates: x to the right from the line's left edge, y upward from its base; a line
// point (x, y) is the screen pixel (OriginX + x, OriginY - y). Rectangles are half-open:
// Left <= x < Right, Bottom <= y < Top.
//
// Everything lives on flat arrays with index links and free lists that only grow, so a frame
// makes no allocation once the arrays have reached their working size. Main thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "lumvatek/blit.h"

namespace yov {

// One announced piece of a line's picture.
struct PaintOp {
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t SourceDC = 0;       // 0 = none
    int32_t MaskDC = 0;         // as BlitOp::MaskDC
    int32_t SourceSurface = 0;  // the same picture as an engine surface, 0 = none
    int32_t SourceX = 0;        // source column drawn at Left
    int32_t SourceYBase = 0;    // source row of line height 0: height y is row SourceYBase - y
    uint8_t Transparent = 0;    // 0 = opaque: hides everything below it
};

// One rectangle to redraw, threaded into the dirty list (slot 0 is the head) or the free list.
struct DirtyRect {
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Next = 0;
};

// A growable list of blit records: records 1..count, record 0 all zero and never run. A list
// that display start has not made refuses records (an error of the show).
struct BlitList {
    std::vector<BlitOp> records;  // capacity + 1 entries once made
    int32_t count = 0;
    bool made = false;

    int32_t capacity() const { return made ? static_cast<int32_t>(records.size()) - 1 : 0; }
    void make(int32_t capacity);
    void erase();
};

// What the compositor reads of the show while it flushes: the drawing method, the scene's
// background as a pixel of the primary surface (DirectDraw fills) and the composition DC.
struct CompositorFrame {
    uint8_t batchMode = 0;
    uint32_t backgroundPixel = 0;
    int32_t compositionDc = 0;
};

class Compositor {
public:
    static constexpr int32_t kRectGrowth = 20;
    static constexpr int32_t kPaintOpGrowth = 20;
    static constexpr int32_t kBlitGrowth = 100;

    Compositor();

    // Display start: the dirty-rectangle array anew (slots 0..20). Display stop: the arrays
    // and the composition list erased.
    void ClearBlitLists();
    void EraseLists();

    // Display creation without page flipping: the composition list and batch list 0 for 100
    // records, batch list 1 for 100 records with GDI drawing and none under DirectDraw.
    void MakeBlitLists(bool directDraw);

    // Starts one line: origin, clip box x in [0, width), y in [-depth, height); empties the
    // paint operations and the dirty list.
    void SetScreenRect(int32_t originX, int32_t originY, int32_t width, int32_t height, int32_t depth);
    // Announces one piece; x, y are its left and bottom in line coordinates. label names the
    // calling place for diagnostics only.
    void AddDirtyRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t markDirty, int32_t sourceDc,
                      int32_t maskDc, int32_t sourceX, int32_t sourceYBase, uint8_t transparent, int32_t sourceSurface,
                      const char* label = "");
    // Makes the dirty rectangles pairwise disjoint, covering the same area.
    void MergeDirtyRects();
    // Draws the dirty rectangles of the line from the paint operations.
    void FlushBlitOps();

    // Appends a record to a list or widens its last one (same source, row, height,
    // destination and mask, continuing it to the right or the left). tag names the calling place.
    static void AddBlitOp(BlitList& list, int32_t destDc, int32_t backDc, int32_t x, int32_t y, int32_t width,
                          int32_t height, int32_t sourceDc, int32_t maskDc, int32_t sourceX, int32_t sourceY,
                          int32_t tag);

    // Threads a new or freed slot into the dirty list after slot `after`.
    int32_t AllocRectSlot(int32_t after);

    // The dirty list in list order.
    std::vector<DirtyRect> dirtyRects() const;
    const std::vector<PaintOp>& paintOps() const { return paintOps_; }  // 1..paintOpCount()
    int32_t paintOpCount() const { return paintOpCount_; }
    int32_t rectCapacity() const { return rectCapacity_; }

    // The three blit lists and the batch index (0 or 1) of the current step.
    BlitList compositionList;
    std::array<BlitList, 2> batchLists;
    int32_t batchIndex = 0;
    BlitList& currentBatch() { return batchLists[static_cast<size_t>(batchIndex & 1)]; }

    CompositorFrame frame;
    // Something was drawn into the frame since the frame step last cleared it.
    bool frameChanged = false;

    int32_t originX() const { return originX_; }
    int32_t originY() const { return originY_; }

private:
    struct ScreenRect {
        int32_t x, y, width, height;
    };
    // A rectangle of the line on the screen: its top-left pixel and size.
    ScreenRect onScreen(const DirtyRect& r) const;
    void flushDirectDraw(const DirtyRect& r);
    void flushGdi(const DirtyRect& r);
    void fillAround(BlitList& list, int32_t destDc, const DirtyRect& r, const DirtyRect& c, int32_t firstTag);

    int32_t originX_ = 0;
    int32_t originY_ = 0;
    int32_t rightBound_ = 0;
    int32_t lowBound_ = 0;
    int32_t highBound_ = 0;

    std::vector<PaintOp> paintOps_;  // slot 0 unused
    int32_t paintOpCount_ = 0;

    std::vector<DirtyRect> rects_;  // slot 0 is the head
    int32_t rectUsed_ = 0;
    int32_t rectCapacity_ = 0;
    int32_t freeHead_ = 0;
    // The merge's work lists, kept so that a frame allocates nothing once they have grown.
    std::vector<DirtyRect> mergeIn_;
    std::vector<int32_t> mergeGroup_;  // per rectangle of mergeIn_: the first of its group
    std::vector<int32_t> mergeOrder_;
    std::vector<DirtyRect> mergeMembers_;
    std::vector<int32_t> mergeRows_;
    std::vector<std::pair<int32_t, int32_t>> mergeRuns_;

    std::vector<int32_t> scratch_;  // indices of the paint operations collected for one rectangle
};

}  // namespace yov
