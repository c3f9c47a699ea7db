#include "program/show_data/compositor.h"

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/texts/program_error.h"

namespace yov {

namespace {

// Coordinate sums overflow into an error of the show, which the frame step's handler reports.
int32_t add(int32_t a, int32_t b) {
    int32_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) throw ProgramError(error_number::kOverflow, u"Overflow");
    return r;
}
int32_t sub(int32_t a, int32_t b) {
    int32_t r = 0;
    if (__builtin_sub_overflow(a, b, &r)) throw ProgramError(error_number::kOverflow, u"Overflow");
    return r;
}

bool overlaps(const DirtyRect& a, int32_t left, int32_t bottom, int32_t right, int32_t top) {
    return left < a.Right && right > a.Left && bottom < a.Top && top > a.Bottom;
}

DirtyRect clipped(const PaintOp& op, const DirtyRect& r) {
    return DirtyRect{std::max(op.Left, r.Left), std::max(op.Bottom, r.Bottom), std::min(op.Right, r.Right),
                     std::min(op.Top, r.Top), 0};
}

}  // namespace

void BlitList::make(int32_t cap) {
    records.assign(static_cast<size_t>(cap) + 1, BlitOp{});
    count = 0;
    made = true;
}

void BlitList::erase() {
    records.clear();
    records.shrink_to_fit();
    count = 0;
    made = false;
}

Compositor::Compositor() = default;

void Compositor::ClearBlitLists() {
    rectCapacity_ = kRectGrowth;
    rects_.assign(static_cast<size_t>(rectCapacity_) + 1, DirtyRect{});
    rectUsed_ = 0;
    freeHead_ = 0;
}

void Compositor::EraseLists() {
    rects_.clear();
    rects_.shrink_to_fit();
    rectUsed_ = rectCapacity_ = freeHead_ = 0;
    paintOps_.clear();
    paintOps_.shrink_to_fit();
    paintOpCount_ = 0;
    compositionList.erase();
}

void Compositor::MakeBlitLists(bool directDraw) {
    compositionList.make(kBlitGrowth);
    batchLists[0].make(kBlitGrowth);
    batchLists[1].make(directDraw ? 0 : kBlitGrowth);
    batchIndex = 0;
}

void Compositor::SetScreenRect(int32_t originX, int32_t originY, int32_t width, int32_t height, int32_t depth) {
    originX_ = originX;
    originY_ = originY;
    rightBound_ = width;
    lowBound_ = -depth;
    highBound_ = height;
    paintOpCount_ = 0;
    rectUsed_ = 0;
    freeHead_ = 0;
    if (rects_.empty()) ClearBlitLists();
    rects_[0].Next = 0;
}

void Compositor::AddDirtyRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t markDirty, int32_t sourceDc,
                              int32_t maskDc, int32_t sourceX, int32_t sourceYBase, uint8_t transparent,
                              int32_t sourceSurface, const char* /*label*/) {
    if (width <= 0 || height <= 0) return;
    int32_t right = add(x, width);
    int32_t top = add(y, height);
    if (right <= 0 || x >= rightBound_ || top <= lowBound_ || y >= highBound_) return;
    if (x < 0) {
        sourceX = sub(sourceX, x);
        x = 0;
    }
    right = std::min(right, rightBound_);
    y = std::max(y, lowBound_);
    top = std::min(top, highBound_);
    if (markDirty != 0) {
        if (rects_.empty()) ClearBlitLists();
        const int32_t slot = AllocRectSlot(0);
        DirtyRect& r = rects_[static_cast<size_t>(slot)];
        r.Left = x;
        r.Bottom = y;
        r.Right = right;
        r.Top = top;
    }
    if (sourceSurface == 0 && sourceDc == 0) return;
    ++paintOpCount_;
    if (paintOpCount_ >= static_cast<int32_t>(paintOps_.size())) {
        paintOps_.resize(paintOps_.size() + kPaintOpGrowth + (paintOps_.empty() ? 1 : 0));
    }
    paintOps_[static_cast<size_t>(paintOpCount_)] =
        PaintOp{x, y, right, top, sourceDc, maskDc, sourceSurface, sourceX, sourceYBase, transparent};
}

int32_t Compositor::AllocRectSlot(int32_t after) {
    int32_t slot = 0;
    if (freeHead_ != 0) {
        slot = freeHead_;
        freeHead_ = rects_[static_cast<size_t>(slot)].Next;
    } else {
        ++rectUsed_;
        if (rectUsed_ > rectCapacity_) {
            rectCapacity_ += kRectGrowth;
            rects_.resize(static_cast<size_t>(rectCapacity_) + 1);
        }
        slot = rectUsed_;
    }
    rects_[static_cast<size_t>(slot)].Next = rects_[static_cast<size_t>(after)].Next;
    rects_[static_cast<size_t>(after)].Next = slot;
    return slot;
}

namespace {

int32_t groupOf(std::vector<int32_t>& parent, int32_t i) {
    while (parent[static_cast<size_t>(i)] != i) {
        parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
        i = parent[static_cast<size_t>(i)];
    }
    return i;
}

}  // namespace

void Compositor::MergeDirtyRects() {
    if (rects_.empty() || rects_[0].Next == 0) return;
    // Rectangles that overlap one another (directly or through others) form a group; a
    // rectangle that overlaps none stays as it is. A group is cut at every bottom and top of
    // its rectangles, and each band between two such rows holds the runs of the group's
    // rectangles that span it, joined where they overlap: pairwise disjoint, the same area.
    // A walk that split each overlapping pair into their intersection and the strips around
    // it cost the square of the rectangles and cut a line with many trains into a thousand
    // pieces, each drawn apart.
    mergeIn_.clear();
    for (int32_t s = rects_[0].Next; s != 0; s = rects_[static_cast<size_t>(s)].Next) {
        mergeIn_.push_back(rects_[static_cast<size_t>(s)]);
    }
    const int32_t n = static_cast<int32_t>(mergeIn_.size());
    if (n == 1) return;
    mergeGroup_.resize(static_cast<size_t>(n));
    mergeOrder_.resize(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) mergeGroup_[static_cast<size_t>(i)] = mergeOrder_[static_cast<size_t>(i)] = i;
    // By left edge, each against those begun before it that still reach past it.
    std::sort(mergeOrder_.begin(), mergeOrder_.end(), [this](int32_t x, int32_t y) {
        return mergeIn_[static_cast<size_t>(x)].Left < mergeIn_[static_cast<size_t>(y)].Left;
    });
    bool anyOverlap = false;
    for (int32_t k = 0; k < n; ++k) {
        const DirtyRect& a = mergeIn_[static_cast<size_t>(mergeOrder_[static_cast<size_t>(k)])];
        for (int32_t j = k + 1; j < n; ++j) {
            const DirtyRect& b = mergeIn_[static_cast<size_t>(mergeOrder_[static_cast<size_t>(j)])];
            if (b.Left >= a.Right) break;
            if (b.Bottom >= a.Top || a.Bottom >= b.Top) continue;
            const int32_t ga = groupOf(mergeGroup_, mergeOrder_[static_cast<size_t>(k)]);
            const int32_t gb = groupOf(mergeGroup_, mergeOrder_[static_cast<size_t>(j)]);
            if (ga != gb) mergeGroup_[static_cast<size_t>(std::max(ga, gb))] = std::min(ga, gb);
            anyOverlap = true;
        }
    }
    if (!anyOverlap) return;
    for (int32_t i = 0; i < n; ++i) mergeGroup_[static_cast<size_t>(i)] = groupOf(mergeGroup_, i);

    rectUsed_ = 0;
    freeHead_ = 0;
    rects_[0].Next = 0;
    int32_t tail = 0;
    auto emit = [&](int32_t left, int32_t bottom, int32_t right, int32_t top) {
        tail = AllocRectSlot(tail);
        DirtyRect& out = rects_[static_cast<size_t>(tail)];
        out.Left = left;
        out.Bottom = bottom;
        out.Right = right;
        out.Top = top;
    };
    // Each group at the place of its first rectangle in the list, the list's order kept.
    for (int32_t g = 0; g < n; ++g) {
        if (mergeGroup_[static_cast<size_t>(g)] != g) continue;
        mergeMembers_.clear();
        mergeRows_.clear();
        for (int32_t i = g; i < n; ++i) {
            if (mergeGroup_[static_cast<size_t>(i)] != g) continue;
            const DirtyRect& r = mergeIn_[static_cast<size_t>(i)];
            mergeMembers_.push_back(r);
            mergeRows_.push_back(r.Bottom);
            mergeRows_.push_back(r.Top);
        }
        if (mergeMembers_.size() == 1) {
            const DirtyRect& r = mergeMembers_.front();
            emit(r.Left, r.Bottom, r.Right, r.Top);
            continue;
        }
        std::sort(mergeRows_.begin(), mergeRows_.end());
        mergeRows_.erase(std::unique(mergeRows_.begin(), mergeRows_.end()), mergeRows_.end());
        // Lowest bottom first, so that each band looks only at the rectangles begun below it.
        std::sort(mergeMembers_.begin(), mergeMembers_.end(),
                  [](const DirtyRect& x, const DirtyRect& y) { return x.Bottom < y.Bottom; });
        size_t begun = 0;
        for (size_t k = 0; k + 1 < mergeRows_.size(); ++k) {
            const int32_t bottom = mergeRows_[k];
            const int32_t top = mergeRows_[k + 1];
            while (begun < mergeMembers_.size() && mergeMembers_[begun].Bottom <= bottom) ++begun;
            mergeRuns_.clear();
            for (size_t i = 0; i < begun; ++i) {
                const DirtyRect& r = mergeMembers_[i];
                if (r.Top >= top) mergeRuns_.push_back({r.Left, r.Right});
            }
            std::sort(mergeRuns_.begin(), mergeRuns_.end());
            for (size_t i = 0; i < mergeRuns_.size();) {
                const int32_t left = mergeRuns_[i].first;
                int32_t right = mergeRuns_[i].second;
                for (++i; i < mergeRuns_.size() && mergeRuns_[i].first < right; ++i) {
                    right = std::max(right, mergeRuns_[i].second);
                }
                emit(left, bottom, right, top);
            }
        }
    }
}

void Compositor::AddBlitOp(BlitList& list, int32_t destDc, int32_t backDc, int32_t x, int32_t y, int32_t width,
                           int32_t height, int32_t sourceDc, int32_t maskDc, int32_t sourceX, int32_t sourceY,
                           int32_t /*tag*/) {
    if (!list.made) throw ProgramError(error_number::kSubscript, u"Subscript out of range");
    if (list.count > 0) {
        BlitOp& last = list.records[static_cast<size_t>(list.count)];
        if (last.SourceDC == sourceDc && last.Y == y && last.Height == height && last.DestDC == destDc &&
            last.MaskDC == maskDc) {
            if (add(last.X, last.Width) == x && (sourceDc == 0 || add(last.SourceX, last.Width) == sourceX)) {
                last.Width = add(last.Width, width);
                return;
            }
            if (add(x, width) == last.X && (sourceDc == 0 || add(sourceX, width) == last.SourceX)) {
                last.X = x;
                last.SourceX = sourceX;
                last.Width = add(last.Width, width);
                return;
            }
        }
    }
    ++list.count;
    if (list.count > list.capacity()) list.records.resize(list.records.size() + kBlitGrowth);
    list.records[static_cast<size_t>(list.count)] =
        BlitOp{destDc, backDc, x, y, width, height, sourceDc, maskDc, sourceX, sourceY};
}

void Compositor::FlushBlitOps() {
    if (static_cast<int32_t>(scratch_.size()) < paintOpCount_) scratch_.resize(paintOps_.size());
    if (rects_.empty()) return;
    for (int32_t slot = rects_[0].Next; slot != 0; slot = rects_[static_cast<size_t>(slot)].Next) {
        const DirtyRect r = rects_[static_cast<size_t>(slot)];
        if (frame.batchMode != 0) {
            flushDirectDraw(r);
        } else {
            flushGdi(r);
        }
        frameChanged = true;
    }
}

namespace {

// The indices of the operations visible in r, bottom first: an opaque operation that covers
// r whole hides everything announced before it.
int32_t collect(const std::vector<PaintOp>& ops, int32_t count, const DirtyRect& r, std::vector<int32_t>& out) {
    int32_t n = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const PaintOp& op = ops[static_cast<size_t>(i)];
        if (!overlaps(r, op.Left, op.Bottom, op.Right, op.Top)) continue;
        if (op.Transparent == 0 && op.Left <= r.Left && op.Right >= r.Right && op.Bottom <= r.Bottom &&
            op.Top >= r.Top) {
            n = 0;
        }
        out[static_cast<size_t>(n++)] = i;
    }
    return n;
}

}  // namespace

Compositor::ScreenRect Compositor::onScreen(const DirtyRect& r) const {
    return {add(originX_, r.Left), sub(originY_, r.Top), sub(r.Right, r.Left), sub(r.Top, r.Bottom)};
}

void Compositor::flushDirectDraw(const DirtyRect& r) {
    const auto [rx, ry, rw, rh] = onScreen(r);
    const uint32_t bg = frame.backgroundPixel;
    const int32_t n = collect(paintOps_, paintOpCount_, r, scratch_);
    int32_t p = 0;
    for (int32_t k = 0; k < n; ++k) {
        const PaintOp& op = paintOps_[static_cast<size_t>(scratch_[static_cast<size_t>(k)])];
        const DirtyRect c = clipped(op, r);
        const int32_t cx = add(originX_, c.Left);
        const int32_t cy = sub(originY_, c.Top);
        const int32_t cw = c.Right - c.Left;
        const int32_t ch = c.Top - c.Bottom;
        if (p == 0) {
            if (op.Transparent != 0) {
                lv::FillSurface(0, rx, ry, rw, rh, bg, 0, 16005);
                p = 1;
            } else {
                if (c.Top < r.Top) lv::FillSurface(0, rx, ry, rw, r.Top - c.Top, bg, 0, 16006);
                if (c.Bottom > r.Bottom)
                    lv::FillSurface(0, rx, sub(originY_, c.Bottom), rw, c.Bottom - r.Bottom, bg, 0, 16007);
                if (c.Left > r.Left) lv::FillSurface(0, rx, cy, c.Left - r.Left, ch, bg, 0, 16008);
                if (c.Right < r.Right)
                    lv::FillSurface(0, add(originX_, c.Right), cy, r.Right - c.Right, ch, bg, 0, 16009);
            }
        }
        const int32_t sx = add(op.SourceX, c.Left - op.Left);
        const int32_t sy = sub(op.SourceYBase, c.Top);
        lv::DDBlt(0, cx, cy, cw, ch, static_cast<LvHandle>(op.SourceSurface), sx, sy, p, 11001);
        p = 1;
    }
    if (p == 0) lv::FillSurface(0, rx, ry, rw, rh, bg, 0, 16010);
}

void Compositor::fillAround(BlitList& list, int32_t destDc, const DirtyRect& r, const DirtyRect& c, int32_t firstTag) {
    const int32_t rx = originX_ + r.Left;
    const int32_t rw = r.Right - r.Left;
    const int32_t cy = originY_ - c.Top;
    const int32_t ch = c.Top - c.Bottom;
    if (c.Top < r.Top) AddBlitOp(list, destDc, 0, rx, originY_ - r.Top, rw, r.Top - c.Top, 0, 0, 0, 0, firstTag);
    if (c.Bottom > r.Bottom) {
        AddBlitOp(list, destDc, 0, rx, originY_ - c.Bottom, rw, c.Bottom - r.Bottom, 0, 0, 0, 0, firstTag + 1);
    }
    if (c.Left > r.Left) AddBlitOp(list, destDc, 0, rx, cy, c.Left - r.Left, ch, 0, 0, 0, 0, firstTag + 2);
    if (c.Right < r.Right) {
        AddBlitOp(list, destDc, 0, originX_ + c.Right, cy, r.Right - c.Right, ch, 0, 0, 0, 0, firstTag + 3);
    }
}

void Compositor::flushGdi(const DirtyRect& r) {
    const auto [rx, ry, rw, rh] = onScreen(r);
    const int32_t dc = frame.compositionDc;
    const int32_t n = collect(paintOps_, paintOpCount_, r, scratch_);
    auto copy = [&](BlitList& list, int32_t destDc, const PaintOp& op, int32_t maskDc, int32_t tag) {
        const DirtyRect c = clipped(op, r);
        AddBlitOp(list, destDc, 0, add(originX_, c.Left), sub(originY_, c.Top), c.Right - c.Left, c.Top - c.Bottom,
                  op.SourceDC, maskDc, add(op.SourceX, c.Left - op.Left), sub(op.SourceYBase, c.Top), tag);
    };
    int32_t p = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t index = scratch_[static_cast<size_t>(k)];
        const PaintOp& op = paintOps_[static_cast<size_t>(index)];
        if (p == 0) {
            if (op.Transparent == 0) {
                p = index;
                continue;
            }
            AddBlitOp(compositionList, dc, 0, rx, ry, rw, rh, 0, 0, 0, 0, 1);
            p = -1;
        } else if (p > 0) {
            const PaintOp& below = paintOps_[static_cast<size_t>(p)];
            fillAround(compositionList, dc, r, clipped(below, r), 1);
            copy(compositionList, dc, below, 0, 5);
            p = -1;
        }
        copy(compositionList, dc, op, op.MaskDC, 6);
    }
    BlitList& batch = currentBatch();
    if (p == 0) {
        AddBlitOp(batch, 0, 0, rx, ry, rw, rh, 0, 0, 0, 0, 7);
    } else if (p > 0) {
        const PaintOp& only = paintOps_[static_cast<size_t>(p)];
        fillAround(batch, 0, r, clipped(only, r), 8);
        copy(batch, 0, only, 0, 12);
    } else {
        AddBlitOp(batch, 0, 0, rx, ry, rw, rh, dc, 0, rx, ry, 13);
    }
}

std::vector<DirtyRect> Compositor::dirtyRects() const {
    std::vector<DirtyRect> out;
    if (rects_.empty()) return out;
    // A well-formed list has at most one entry per slot.
    const size_t limit = rects_.size();
    for (int32_t s = rects_[0].Next; s != 0 && out.size() < limit; s = rects_[static_cast<size_t>(s)].Next) {
        out.push_back(rects_[static_cast<size_t>(s)]);
    }
    return out;
}

}  // namespace yov
