// What a flip has to put on the screen. The presenter keeps the frame it was shown last, so a
// flip hands over only those regions of the new front page that may differ from it: the rectangles
// drawn on that page since it was last shown, and what the flips in between changed on the
// screen. Those parts are compared with the page shown until the flip (still intact at that
// moment) and the rows that differ are presented; the rest of the page is never read, so a
// flip costs what was drawn, not the screen's area.
//
// A new chain's first flip presents its page whole (what the screen showed before is not
// known), and so does the flip after something was drawn on the screen directly
// (DrawnOnScreen); a page that has never been compared with the screen is compared whole.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "lumvatek/blit.h"
#include "platform/raster.h"

namespace lvk {

// A set of rectangles kept as a few bands of rows, each with the columns its rectangles
// cover. Rectangles closer than kJoinRows rows share a band; past kMaxBands the closest
// bands join. It may cover more than was added, never less.
class RowBands {
public:
    static constexpr int kJoinRows = 4;
    static constexpr size_t kMaxBands = 32;

    struct Band {
        int top = 0;
        int bottom = 0;  // exclusive
        int left = 0;
        int right = 0;  // exclusive
    };

    void Add(const LvRect& r);
    void Add(const RowBands& other);
    void Clear() { bands_.clear(); }
    bool Empty() const { return bands_.empty(); }
    const std::vector<Band>& Bands() const { return bands_; }
    std::vector<LvRect> Rects() const;

private:
    void Insert(Band b);
    std::vector<Band> bands_;  // by top, apart by kJoinRows rows or more
};

class PageChanges {
public:
    // A chain of this many pages, of this size: every page is presented whole at its first flip.
    void Reset(int pages, int width, int height);
    // Drawn on a page that is not shown (clipped to the page).
    void Drawn(int page, const LvRect& r);
    // Drawn on the front page, which the screen shows at once.
    void DrawnOnScreen(int front);
    // page has become the front, replacing shown (both in pixels of one size): the rectangles
    // to present. Afterwards the screen shows page.
    std::vector<LvRect> Flip(int page, const plat::PixelAccess& now, const plat::PixelAccess& shown);

private:
    enum class Known : unsigned char {
        Bands,     // alike to the screen outside mayDiffer
        Anywhere,  // may differ anywhere from the screen
        Nothing,   // the screen's pixels bear no relation to it: presented whole
    };
    struct Page {
        Known known = Known::Nothing;
        RowBands mayDiffer;
    };
    Page* At(int page);
    std::vector<Page> pages_;
    int width_ = 0;
    int height_ = 0;
};

// What was drawn on a flip chain whose pages share one bitmap, since its last flip. The page
// a flip shows then holds every frame drawn since, and the screen differs from it only where
// something was drawn: no comparison, and no page of the past to compare with.
class DrawnArea {
public:
    // Past this many rectangles the whole page counts as drawn.
    static constexpr size_t kMaxRects = 4096;

    // A page of this size; the next Take gives it whole (the screen's old pixels are unknown).
    void Reset(int width, int height);
    void Add(const LvRect& r);  // clipped to the page
    void Whole();
    // The area drawn as pairwise disjoint rectangles, by bands of rows; afterwards empty.
    std::vector<LvRect> Take();

private:
    std::vector<LvRect> rects_;
    std::vector<int> rows_;
    std::vector<std::pair<int, int>> runs_;
    bool whole_ = false;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace lvk
