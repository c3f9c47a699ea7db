#include "platform/surfaces.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/raster_surface.h"

namespace plat {
namespace {

constexpr std::uint32_t kIndexBits = 16;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
// Generations stay within 15 bits, so an id is a positive 32-bit value.
constexpr std::uint16_t kGenerationMax = 0x7FFF;
constexpr std::size_t kMaxEntries = kIndexMask;  // index + 1 must fit the index bits

bool MakePage(int width, int height, HBITMAP& bitmap, HDC& dc) {
    bitmap = CreateBitmap(width, height, 1, 32, nullptr);
    if (!bitmap) {
        return false;
    }
    dc = CreateCompatibleDC(HDC{});
    if (!dc) {
        DeleteObject(bitmap);
        return false;
    }
    SelectObject(dc, bitmap);
    return true;
}

void FreePage(HBITMAP bitmap, HDC dc) {
    // Deleting the DC lets go of the bitmap, which can then be deleted too.
    DeleteDC(dc);
    DeleteObject(bitmap);
}

struct Clip {
    int x, y, w, h, sx, sy;
};

// Cuts the copy to both rectangles; false when nothing is left. Sums are taken in 64 bits, so
// callers' extreme coordinates cannot wrap.
bool ClipCopy(Clip& c, int dstW, int dstH, int srcW, int srcH) {
    const auto cut = [](int& d, int& s, int& n, int dLimit, int sLimit) {
        std::int64_t d64 = d, s64 = s, n64 = n;
        const std::int64_t lead = std::max<std::int64_t>({0, -d64, -s64});
        d64 += lead;
        s64 += lead;
        n64 = std::min<std::int64_t>({n64 - lead, dLimit - d64, sLimit - s64});
        if (n64 <= 0) {
            return false;
        }
        d = static_cast<int>(d64);
        s = static_cast<int>(s64);
        n = static_cast<int>(n64);
        return true;
    };
    return cut(c.x, c.sx, c.w, dstW, srcW) && cut(c.y, c.sy, c.h, dstH, srcH);
}

std::uint32_t Load(const PixelAccess& a, int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, a.topRow + a.stride * y + 4 * static_cast<std::ptrdiff_t>(x), 4);
    return v & 0x00FFFFFFu;
}

void Store(const PixelAccess& a, int x, int y, std::uint32_t v) {
    std::memcpy(a.topRow + a.stride * y + 4 * static_cast<std::ptrdiff_t>(x), &v, 4);
}

}  // namespace

std::uint32_t SurfacePixelValue(COLORREF colour) { return raster::ColourToRgbValue(colour); }

std::chrono::microseconds RefreshPeriod(int refreshRate) {
    return std::chrono::microseconds(1000000 / (refreshRate > 0 ? refreshRate : 60));
}

std::int32_t ScanLineAt(std::chrono::microseconds sinceFlip, int height, int refreshRate) {
    if (height <= 0) {
        return -1;
    }
    const std::int64_t period = RefreshPeriod(refreshRate).count();
    const std::int64_t total = static_cast<std::int64_t>(height) + height / 20 + 1;
    std::int64_t into = sinceFlip.count() % period;
    if (into < 0) {
        into += period;
    }
    const std::int64_t line = into * total / period;
    return line < height ? static_cast<std::int32_t>(line + 1) : -1;
}

SurfaceTable::SurfaceTable() : lastFlip_(std::chrono::steady_clock::now()) {}

SurfaceTable::~SurfaceTable() { DeleteAll(); }

SurfaceId SurfaceTable::Add(Kind kind, int chainPos, Page page, int width, int height, std::uint32_t key) {
    std::uint32_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        if (entries_.size() >= kMaxEntries) {
            return 0;
        }
        entries_.emplace_back();
        index = static_cast<std::uint32_t>(entries_.size() - 1);
    }
    Entry& e = entries_[index];
    e.kind = kind;
    e.chainPos = chainPos;
    e.page = page;
    e.width = width;
    e.height = height;
    e.key = key;
    return (static_cast<std::uint32_t>(e.generation) << kIndexBits) | (index + 1);
}

const SurfaceTable::Entry* SurfaceTable::Find(SurfaceId id) const {
    const std::uint32_t slot = id & kIndexMask;
    if (slot == 0 || slot > entries_.size()) {
        return nullptr;
    }
    const Entry& e = entries_[slot - 1];
    if (e.kind == Kind::Free || e.generation != (id >> kIndexBits)) {
        return nullptr;
    }
    return &e;
}

void SurfaceTable::Remove(SurfaceId id) {
    const std::uint32_t index = (id & kIndexMask) - 1;
    Entry& e = entries_[index];
    const std::uint16_t next = e.generation >= kGenerationMax ? 1 : static_cast<std::uint16_t>(e.generation + 1);
    e = Entry{};
    e.generation = next;
    free_.push_back(index);
}

const SurfaceTable::Page* SurfaceTable::PageOf(const Entry& e) const {
    if (e.kind == Kind::Offscreen) {
        return &e.page;
    }
    if (pages_.empty()) {
        return nullptr;
    }
    return &pages_[(static_cast<std::size_t>(front_) + static_cast<std::size_t>(e.chainPos)) % pages_.size()];
}

std::int32_t SurfaceTable::CreateChain(int width, int height, int backBuffers, bool sharedPages) {
    if (primary_ != 0) {
        return DDERR_PRIMARYSURFACEALREADYEXISTS;
    }
    if (backBuffers < 0 || backBuffers > kMaxBackBuffers || width < 1 || height < 1 || width > kMaxSurfaceSide ||
        height > kMaxSurfaceSide) {
        return DDERR_INVALIDPARAMS;
    }
    for (int i = 0; i <= backBuffers; ++i) {
        if (sharedPages && i > 0) {
            pages_.push_back(pages_.front());
            continue;
        }
        Page p{};
        if (!MakePage(width, height, p.bitmap, p.dc)) {
            for (const Page& made : pages_) {
                FreePage(made.bitmap, made.dc);
            }
            pages_.clear();
            return DDERR_OUTOFMEMORY;
        }
        pages_.push_back(p);
    }
    front_ = 0;
    sharedPages_ = sharedPages;
    primary_ = Add(Kind::Chain, 0, Page{}, width, height, 0);
    back_ = backBuffers > 0 ? Add(Kind::Chain, 1, Page{}, width, height, 0) : 0;
    if (primary_ == 0 || (backBuffers > 0 && back_ == 0)) {
        DeleteChain();
        return DDERR_OUTOFMEMORY;
    }
    lastFlip_ = std::chrono::steady_clock::now();
    return DD_OK;
}

void SurfaceTable::DeleteChainSurface(SurfaceId& id) {
    if (id != 0) {
        Remove(id);
        id = 0;
    }
}

void SurfaceTable::DeleteChain() {
    DeleteChainSurface(back_);
    DeleteChainSurface(primary_);
    for (const Page& p : pages_) {
        FreePage(p.bitmap, p.dc);
        if (sharedPages_) break;  // one bitmap behind every page
    }
    pages_.clear();
    sharedPages_ = false;
    front_ = 0;
}

int SurfaceTable::PageIndex(SurfaceId id) const {
    const Entry* e = Find(id);
    if (e == nullptr || e->kind != Kind::Chain || pages_.empty()) {
        return -1;
    }
    return static_cast<int>((static_cast<std::size_t>(front_) + static_cast<std::size_t>(e->chainPos)) % pages_.size());
}

HDC SurfaceTable::PageDc(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= pages_.size()) {
        return {};
    }
    return pages_[static_cast<std::size_t>(index)].dc;
}

int SurfaceTable::BackBufferCount() const { return pages_.empty() ? 0 : static_cast<int>(pages_.size()) - 1; }

std::int32_t SurfaceTable::Flip() {
    if (pages_.size() < 2) {
        return DDERR_NOTFLIPPABLE;
    }
    front_ = (front_ + 1) % static_cast<int>(pages_.size());
    lastFlip_ = std::chrono::steady_clock::now();
    return DD_OK;
}

SurfaceId SurfaceTable::Create(int width, int height, std::uint32_t key, std::int32_t* error) {
    std::int32_t result = DD_OK;
    SurfaceId id = 0;
    Page p{};
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
        result = DDERR_INVALIDPARAMS;
    } else if (!MakePage(width, height, p.bitmap, p.dc)) {
        result = DDERR_OUTOFMEMORY;
    } else if ((id = Add(Kind::Offscreen, 0, p, width, height, key & 0x00FFFFFFu)) == 0) {
        FreePage(p.bitmap, p.dc);
        result = DDERR_OUTOFMEMORY;
    }
    if (error != nullptr) {
        *error = result;
    }
    return id;
}

bool SurfaceTable::Delete(SurfaceId id) {
    const Entry* e = Find(id);
    if (e == nullptr || e->kind != Kind::Offscreen) {
        return false;
    }
    FreePage(e->page.bitmap, e->page.dc);
    Remove(id);
    return true;
}

void SurfaceTable::DeleteAll() {
    DeleteChain();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == Kind::Offscreen) {
            Delete((static_cast<std::uint32_t>(e.generation) << kIndexBits) | static_cast<std::uint32_t>(i + 1));
        }
    }
}

int SurfaceTable::OffscreenCount() const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.kind == Kind::Offscreen; }));
}

bool SurfaceTable::Valid(SurfaceId id) const { return Find(id) != nullptr; }

HDC SurfaceTable::Dc(SurfaceId id) const {
    const Entry* e = Find(id);
    const Page* p = e != nullptr ? PageOf(*e) : nullptr;
    return p != nullptr ? p->dc : HDC{};
}

bool SurfaceTable::OwnsDc(SurfaceId id, HDC dc) const {
    const Entry* e = Find(id);
    if (e == nullptr || !dc) {
        return false;
    }
    if (e->kind == Kind::Offscreen) {
        return e->page.dc == dc;
    }
    return std::any_of(pages_.begin(), pages_.end(), [dc](const Page& p) { return p.dc == dc; });
}

bool SurfaceTable::Size(SurfaceId id, int& width, int& height) const {
    const Entry* e = Find(id);
    if (e == nullptr) {
        return false;
    }
    width = e->width;
    height = e->height;
    return true;
}

std::int32_t SurfaceTable::Blt(SurfaceId dst, int x, int y, int width, int height, SurfaceId src, int srcX, int srcY,
                               std::uint32_t flags) {
    const Entry* d = Find(dst);
    const Entry* s = Find(src);
    if (d == nullptr || s == nullptr) {
        return DDERR_INVALIDOBJECT;
    }
    Clip c{x, y, width, height, srcX, srcY};
    if (!ClipCopy(c, d->width, d->height, s->width, s->height)) {
        return DD_OK;
    }
    const HDC dstDc = PageOf(*d)->dc;
    const HDC srcDc = PageOf(*s)->dc;
    const bool sourceKey = (flags & SURFACE_SRCCOLORKEY) != 0 && s->key != 0;
    const bool destKey = (flags & SURFACE_DESTCOLORKEY) != 0 && d->key != 0;
    if (!destKey) {
        const bool ok = sourceKey ? TransparentBlt(dstDc, c.x, c.y, c.w, c.h, srcDc, c.sx, c.sy, c.w, c.h,
                                                   raster::RgbValueToColour(s->key))
                                  : BitBlt(dstDc, c.x, c.y, c.w, c.h, srcDc, c.sx, c.sy, SRCCOPY);
        return ok ? DD_OK : DDERR_OUTOFMEMORY;
    }
    // Only pixels still showing the destination's key take the source; the source rectangle is
    // read out first, as source and destination may be one surface.
    PixelAccess da, sa;
    if (!AccessPixels(GetCurrentBitmap(dstDc), da) || !AccessPixels(GetCurrentBitmap(srcDc), sa)) {
        return DDERR_INVALIDOBJECT;
    }
    std::vector<std::uint32_t> block;
    try {
        block.resize(static_cast<std::size_t>(c.w) * static_cast<std::size_t>(c.h));
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    for (int row = 0; row < c.h; ++row) {
        for (int col = 0; col < c.w; ++col) {
            block[static_cast<std::size_t>(row) * c.w + col] = Load(sa, c.sx + col, c.sy + row);
        }
    }
    for (int row = 0; row < c.h; ++row) {
        for (int col = 0; col < c.w; ++col) {
            const std::uint32_t v = block[static_cast<std::size_t>(row) * c.w + col];
            if ((sourceKey && v == s->key) || Load(da, c.x + col, c.y + row) != d->key) {
                continue;
            }
            Store(da, c.x + col, c.y + row, v);
        }
    }
    return DD_OK;
}

std::int32_t SurfaceTable::Fill(SurfaceId dst, int x, int y, int width, int height, std::uint32_t value,
                                std::uint32_t flags) {
    const Entry* d = Find(dst);
    if (d == nullptr) {
        return DDERR_INVALIDOBJECT;
    }
    // A fill has no source to run out of.
    constexpr int kUnbounded = std::numeric_limits<int>::max();
    Clip c{x, y, width, height, 0, 0};
    if (!ClipCopy(c, d->width, d->height, kUnbounded, kUnbounded)) {
        return DD_OK;
    }
    PixelAccess da;
    if (!AccessPixels(GetCurrentBitmap(PageOf(*d)->dc), da)) {
        return DDERR_INVALIDOBJECT;
    }
    value &= 0x00FFFFFFu;
    const bool destKey = (flags & SURFACE_DESTCOLORKEY) != 0 && d->key != 0;
    if (destKey) {
        for (int row = c.y; row < c.y + c.h; ++row) {
            for (int col = c.x; col < c.x + c.w; ++col) {
                if (Load(da, col, row) == d->key) Store(da, col, row, value);
            }
        }
        return DD_OK;
    }
    // Without a key every pixel of a row is the same: one row made once is copied into each,
    // which is what clearing a whole page at the display start costs.
    const std::vector<std::uint32_t> line(static_cast<std::size_t>(c.w), value);
    const std::size_t bytes = line.size() * sizeof(std::uint32_t);
    for (int row = c.y; row < c.y + c.h; ++row) {
        std::memcpy(da.topRow + da.stride * row + 4 * static_cast<std::ptrdiff_t>(c.x), line.data(), bytes);
    }
    return DD_OK;
}

}  // namespace plat
