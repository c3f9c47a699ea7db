#include "engine/display/page_changes.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace lvk {

namespace {

using Band = RowBands::Band;

bool Near(const Band& a, const Band& b) {
    return a.top < b.bottom + RowBands::kJoinRows && b.top < a.bottom + RowBands::kJoinRows;
}

void Join(Band& into, const Band& b) {
    into.top = std::min(into.top, b.top);
    into.bottom = std::max(into.bottom, b.bottom);
    into.left = std::min(into.left, b.left);
    into.right = std::max(into.right, b.right);
}

}  // namespace

void RowBands::Insert(Band b) {
    // Every band that the new one comes near joins it; the rest keep their order.
    auto it = std::lower_bound(bands_.begin(), bands_.end(), b,
                               [](const Band& x, const Band& y) { return x.bottom + kJoinRows <= y.top; });
    auto end = it;
    while (end != bands_.end() && Near(*end, b)) Join(b, *end++);
    it = bands_.erase(it, end);
    bands_.insert(it, b);
    if (bands_.size() <= kMaxBands) return;
    // Too many: the two closest neighbours become one.
    size_t best = 0;
    int gap = INT_MAX;
    for (size_t i = 0; i + 1 < bands_.size(); ++i) {
        const int g = bands_[i + 1].top - bands_[i].bottom;
        if (g < gap) {
            gap = g;
            best = i;
        }
    }
    Join(bands_[best], bands_[best + 1]);
    bands_.erase(bands_.begin() + static_cast<std::ptrdiff_t>(best) + 1);
}

void RowBands::Add(const LvRect& r) {
    if (r.width <= 0 || r.height <= 0) return;
    Insert(Band{r.y, r.y + r.height, r.x, r.x + r.width});
}

void RowBands::Add(const RowBands& other) {
    for (const Band& b : other.bands_) Insert(b);
}

std::vector<LvRect> RowBands::Rects() const {
    std::vector<LvRect> rects;
    rects.reserve(bands_.size());
    for (const Band& b : bands_) rects.push_back(LvRect{b.left, b.top, b.right - b.left, b.bottom - b.top});
    return rects;
}

void PageChanges::Reset(int pages, int width, int height) {
    pages_.assign(static_cast<size_t>(std::max(0, pages)), Page{});
    width_ = width;
    height_ = height;
}

PageChanges::Page* PageChanges::At(int page) {
    return page >= 0 && static_cast<size_t>(page) < pages_.size() ? &pages_[static_cast<size_t>(page)] : nullptr;
}

void PageChanges::Drawn(int page, const LvRect& r) {
    Page* p = At(page);
    if (p == nullptr || p->known != Known::Bands) return;
    const int left = std::max(0, r.x);
    const int top = std::max(0, r.y);
    const int right = static_cast<int>(std::min<long long>(width_, static_cast<long long>(r.x) + r.width));
    const int bottom = static_cast<int>(std::min<long long>(height_, static_cast<long long>(r.y) + r.height));
    if (left < right && top < bottom) p->mayDiffer.Add(LvRect{left, top, right - left, bottom - top});
}

void PageChanges::DrawnOnScreen(int front) {
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (static_cast<int>(i) != front) pages_[i].known = Known::Nothing;
    }
}

std::vector<LvRect> PageChanges::Flip(int page, const plat::PixelAccess& now, const plat::PixelAccess& shown) {
    Page* p = At(page);
    if (p == nullptr) return {};
    const bool comparable = now.topRow != nullptr && shown.topRow != nullptr && now.width == shown.width &&
                            now.height == shown.height && now.bitsPerPixel == 32 && shown.bitsPerPixel == 32;
    RowBands presented;
    if (p->known == Known::Nothing || !comparable) {
        presented.Add(LvRect{0, 0, now.width, now.height});
    } else {
        RowBands whole;
        if (p->known == Known::Anywhere) whole.Add(LvRect{0, 0, now.width, now.height});
        const RowBands& candidates = p->known == Known::Anywhere ? whole : p->mayDiffer;
        // The rows of each band that differ, cut to the columns that do.
        for (const Band& b : candidates.Bands()) {
            const int left = std::clamp(b.left, 0, now.width);
            const int right = std::clamp(b.right, left, now.width);
            const size_t bytes = static_cast<size_t>(right - left) * 4;
            if (bytes == 0) continue;
            for (int y = std::max(0, b.top); y < std::min(b.bottom, now.height); ++y) {
                const std::uint8_t* a = now.topRow + static_cast<std::ptrdiff_t>(y) * now.stride + left * 4;
                const std::uint8_t* s = shown.topRow + static_cast<std::ptrdiff_t>(y) * shown.stride + left * 4;
                if (std::memcmp(a, s, bytes) == 0) continue;
                size_t first = 0;
                while (a[first] == s[first]) ++first;
                size_t last = bytes - 1;
                while (a[last] == s[last]) --last;
                presented.Add(LvRect{left + static_cast<int>(first / 4), y,
                                     static_cast<int>(last / 4) - static_cast<int>(first / 4) + 1, 1});
            }
        }
    }
    p->known = Known::Bands;
    p->mayDiffer.Clear();
    // The other pages are as alike to the screen as before where it stayed as it was; one
    // that bore no relation to it can now at least be compared with it.
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (static_cast<int>(i) == page) continue;
        Page& q = pages_[i];
        if (q.known == Known::Nothing) q.known = Known::Anywhere;
        if (q.known == Known::Bands) q.mayDiffer.Add(presented);
    }
    return presented.Rects();
}

void DrawnArea::Reset(int width, int height) {
    width_ = width;
    height_ = height;
    rects_.clear();
    whole_ = true;
}

void DrawnArea::Whole() { whole_ = true; }

void DrawnArea::Add(const LvRect& r) {
    if (whole_) return;
    const int left = std::max(0, r.x);
    const int top = std::max(0, r.y);
    const int right = static_cast<int>(std::min<long long>(width_, static_cast<long long>(r.x) + r.width));
    const int bottom = static_cast<int>(std::min<long long>(height_, static_cast<long long>(r.y) + r.height));
    if (left >= right || top >= bottom) return;
    // The pieces of one repaint lie inside the one before them, often as not.
    if (!rects_.empty()) {
        const LvRect& last = rects_.back();
        if (left >= last.x && right <= last.x + last.width && top >= last.y && bottom <= last.y + last.height) return;
    }
    if (rects_.size() >= kMaxRects) {
        whole_ = true;
        rects_.clear();
        return;
    }
    rects_.push_back(LvRect{left, top, right - left, bottom - top});
}

std::vector<LvRect> DrawnArea::Take() {
    std::vector<LvRect> out;
    if (whole_) {
        whole_ = false;
        rects_.clear();
        if (width_ > 0 && height_ > 0) out.push_back(LvRect{0, 0, width_, height_});
        return out;
    }
    if (rects_.empty()) return out;
    // Cut at every rectangle's top and bottom; in each band the runs of the rectangles that
    // cross it, joined where they meet.
    rows_.clear();
    for (const LvRect& r : rects_) {
        rows_.push_back(r.y);
        rows_.push_back(r.y + r.height);
    }
    std::sort(rows_.begin(), rows_.end());
    rows_.erase(std::unique(rows_.begin(), rows_.end()), rows_.end());
    std::sort(rects_.begin(), rects_.end(), [](const LvRect& a, const LvRect& b) { return a.y < b.y; });
    size_t begun = 0;
    for (size_t k = 0; k + 1 < rows_.size(); ++k) {
        const int top = rows_[k];
        const int bottom = rows_[k + 1];
        while (begun < rects_.size() && rects_[begun].y <= top) ++begun;
        runs_.clear();
        for (size_t i = 0; i < begun; ++i) {
            if (rects_[i].y + rects_[i].height >= bottom)
                runs_.emplace_back(rects_[i].x, rects_[i].x + rects_[i].width);
        }
        std::sort(runs_.begin(), runs_.end());
        for (size_t i = 0; i < runs_.size();) {
            const int left = runs_[i].first;
            int right = runs_[i].second;
            for (++i; i < runs_.size() && runs_[i].first <= right; ++i) right = std::max(right, runs_[i].second);
            out.push_back(LvRect{left, top, right - left, bottom - top});
        }
    }
    rects_.clear();
    return out;
}

}  // namespace lvk
