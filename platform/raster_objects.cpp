// The handle table and the object calls: creating, selecting and deleting bitmaps, DCs and
// brushes, and the DC's colours and modes.
#include "platform/raster_objects.h"
#include "platform/raster_share.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <vector>

namespace plat::raster {

namespace {

// A handle is kind (bits 28-30), generation (bits 16-27) and slot index (bits 0-15); the
// generation changes each time a slot is reused, so a stale handle finds nothing.
enum Kind : std::uint32_t { kNone = 0, kBitmap = 1, kDc = 2, kBrush = 3 };
constexpr std::uint32_t kKindShift = 28;
constexpr std::uint32_t kGenerationShift = 16;
constexpr std::uint32_t kGenerationMask = 0xFFFu;
constexpr std::uint32_t kIndexMask = 0xFFFFu;
constexpr std::size_t kMaxSlots = kIndexMask + 1;

constexpr int kMaxDimension = 1 << 20;
constexpr std::size_t kMaxBitmapBytes = std::size_t{1} << 30;

thread_local std::uint32_t t_lastError = 0;

struct DcObject {
    std::uint32_t bitmapId = 0;
    std::shared_ptr<BitmapObject> bitmap;
    std::uint32_t brushId = 0;
    std::shared_ptr<BrushObject> brush;
    COLORREF text = RGB(0, 0, 0);
    COLORREF bk = RGB(255, 255, 255);
    int stretchMode = BLACKONWHITE;
};

struct Slot {
    std::uint32_t kind = kNone;
    std::uint32_t generation = 0;
    bool stock = false;
    std::shared_ptr<BitmapObject> bitmap;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<DcObject> dc;
    std::uint32_t ownerDc = 0;  // a bitmap: the DC it is selected into
    int selections = 0;         // a brush: how many DCs hold it
};

class Table {
public:
    Table();

    std::uint32_t Add(Slot slot) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.front();
            free_.pop_front();
        } else if (slots_.size() < kMaxSlots) {
            index = static_cast<std::uint32_t>(slots_.size());
            try {
                slots_.emplace_back();
            } catch (const std::bad_alloc&) {
                return 0;
            }
        } else {
            return 0;
        }
        Slot& s = slots_[index];
        const std::uint32_t generation = (s.generation % kGenerationMask) + 1;
        s = std::move(slot);
        s.generation = generation;
        return (s.kind << kKindShift) | (generation << kGenerationShift) | index;
    }

    Slot* Find(std::uint32_t id, std::uint32_t kind) {
        const std::uint32_t index = id & kIndexMask;
        if ((id >> kKindShift) != kind || index >= slots_.size()) {
            return nullptr;
        }
        Slot& s = slots_[index];
        if (s.kind != kind || s.generation != ((id >> kGenerationShift) & kGenerationMask)) {
            return nullptr;
        }
        return &s;
    }

    void Remove(std::uint32_t id) {
        const std::uint32_t index = id & kIndexMask;
        const std::uint32_t generation = slots_[index].generation;
        slots_[index] = Slot{};
        slots_[index].generation = generation;
        free_.push_back(index);
    }

    std::mutex mutex;
    std::uint32_t stockBitmap = 0;
    std::uint32_t stockBrushes[6] = {};

private:
    std::vector<Slot> slots_;
    std::deque<std::uint32_t> free_;  // oldest first, so a freed id is reused as late as possible
};

Table& OwnTableInstance() {
    static Table table;
    return table;
}

// Set when this copy of the raster draws with another copy's objects (raster_share.h).
std::atomic<Table*> g_usedTable{nullptr};

Table& GetTable() {
    Table* used = g_usedTable.load(std::memory_order_acquire);
    return used != nullptr ? *used : OwnTableInstance();
}

// Changes whenever the objects' layout does, so two differently built copies never mix.
constexpr std::uint32_t kTableLayout =
    0x52540000u ^ static_cast<std::uint32_t>(sizeof(Table) << 8) ^ static_cast<std::uint32_t>(sizeof(Slot)) ^
    static_cast<std::uint32_t>(sizeof(BitmapObject) << 4) ^ static_cast<std::uint32_t>(sizeof(DcObject) << 12);

std::shared_ptr<BrushObject> SolidBrushObject(COLORREF c) {
    auto brush = std::make_shared<BrushObject>();
    brush->desc.kind = BrushDesc::Kind::Solid;
    brush->desc.colour = c & 0x00FFFFFFu;
    return brush;
}

Table::Table() {
    Slot bitmap;
    bitmap.kind = kBitmap;
    bitmap.stock = true;
    bitmap.bitmap = MakeBitmap(1, 1, 1, false);
    stockBitmap = Add(std::move(bitmap));

    const COLORREF colours[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                                 RGB(0, 0, 0)};
    for (int i = 0; i < 6; ++i) {
        Slot brush;
        brush.kind = kBrush;
        brush.stock = true;
        if (i < 5) {
            brush.brush = SolidBrushObject(colours[i]);
        } else {
            brush.brush = std::make_shared<BrushObject>();
            brush.brush->desc.kind = BrushDesc::Kind::Null;
        }
        stockBrushes[i] = Add(std::move(brush));
    }
}

DcObject* FindDc(Table& t, HDC dc) {
    Slot* s = t.Find(dc.id, kDc);
    if (s == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return s->dc.get();
}

// The new object's handle, or 0 with the thread's error set when the table is full. The
// caller holds t.mutex.
std::uint32_t AddObject(Table& t, Slot slot) {
    const std::uint32_t id = t.Add(std::move(slot));
    if (id == 0) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
    }
    return id;
}

HBRUSH RegisterBrush(std::shared_ptr<BrushObject> brush) {
    Slot slot;
    slot.kind = kBrush;
    slot.brush = std::move(brush);
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    return HBRUSH(AddObject(t, std::move(slot)));
}

void FillSnapshot(const DcObject& dc, DcSnapshot& out) {
    out.bitmap = dc.bitmap;
    out.brush = dc.brush;
    out.text = dc.text;
    out.bk = dc.bk;
    out.stretchMode = dc.stretchMode;
}

void MakePalette(Palette& p, int count, const RgbQuad* entries) {
    p.count = count;
    for (int i = 0; i < count; ++i) {
        p.entries[i] = entries[i];
        p.entries[i].reserved = 0;
    }
}

}  // namespace

void SetError(std::uint32_t code) { t_lastError = code; }

const Palette& MonoPalette() {
    static const Palette palette = [] {
        Palette p;
        p.count = 2;
        p.entries[1] = RgbQuad{255, 255, 255, 0};
        return p;
    }();
    return palette;
}

const Palette& DefaultPalette8() {
    static const Palette palette = [] {
        Palette p;
        p.count = 256;
        int i = 0;
        for (int r = 0; r < 6; ++r) {
            for (int g = 0; g < 6; ++g) {
                for (int b = 0; b < 6; ++b, ++i) {
                    p.entries[i] = RgbQuad{static_cast<std::uint8_t>(b * 51), static_cast<std::uint8_t>(g * 51),
                                           static_cast<std::uint8_t>(r * 51), 0};
                }
            }
        }
        for (int k = 0; i < 256; ++i, ++k) {
            const auto level = static_cast<std::uint8_t>((k + 1) * 255 / 41);
            p.entries[i] = RgbQuad{level, level, level, 0};
        }
        return p;
    }();
    return palette;
}

std::shared_ptr<BitmapObject> MakeBitmap(int width, int height, int bpp, bool bottomUp) {
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::size_t stride = PaddedStride(width, bpp);
    if (stride == 0 || stride > kMaxBitmapBytes / static_cast<std::size_t>(height)) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::shared_ptr<BitmapObject> bitmap;
    try {
        bitmap = std::make_shared<BitmapObject>();
    } catch (const std::bad_alloc&) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bitmap->bytes = stride * static_cast<std::size_t>(height);
    bitmap->memory.reset(static_cast<std::uint8_t*>(std::calloc(bitmap->bytes, 1)));
    if (!bitmap->memory) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (bpp == 1) {
        bitmap->palette = MonoPalette();
    } else if (bpp == 8) {
        bitmap->palette = DefaultPalette8();
    }
    Surface& s = bitmap->surface;
    s.width = width;
    s.height = height;
    s.bpp = bpp;
    s.palette = bpp <= 8 ? &bitmap->palette : nullptr;
    if (bottomUp) {
        s.top = bitmap->memory.get() + (static_cast<std::size_t>(height) - 1) * stride;
        s.stride = -static_cast<std::ptrdiff_t>(stride);
    } else {
        s.top = bitmap->memory.get();
        s.stride = static_cast<std::ptrdiff_t>(stride);
    }
    bitmap->dibBits = bitmap->memory.get();
    return bitmap;
}

HBITMAP RegisterBitmap(std::shared_ptr<BitmapObject> bitmap) {
    if (!bitmap) {
        return HBITMAP{};
    }
    Slot slot;
    slot.kind = kBitmap;
    slot.bitmap = std::move(bitmap);
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    return HBITMAP(AddObject(t, std::move(slot)));
}

bool SnapshotDc(HDC dc, DcSnapshot& out) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    if (d == nullptr) {
        return false;
    }
    FillSnapshot(*d, out);
    return true;
}

bool SnapshotDcs(HDC dst, DcSnapshot& dstOut, HDC src, DcSnapshot& srcOut, bool needSource) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dst);
    if (d == nullptr) {
        return false;
    }
    FillSnapshot(*d, dstOut);
    if (needSource) {
        const DcObject* s = FindDc(t, src);
        if (s == nullptr) {
            return false;
        }
        FillSnapshot(*s, srcOut);
    }
    return true;
}

std::shared_ptr<BitmapObject> LookupBitmap(HBITMAP bitmap) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(bitmap.id, kBitmap);
    if (s == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return s->bitmap;
}

std::shared_ptr<const BrushObject> LookupBrush(HBRUSH brush) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(brush.id, kBrush);
    if (s == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return s->brush;
}

SharedTableRef OwnTable() { return SharedTableRef{&OwnTableInstance(), kTableLayout}; }

bool UseTable(SharedTableRef ref) {
    if (ref.table != nullptr && ref.layout != kTableLayout) {
        return false;
    }
    Table* table = static_cast<Table*>(ref.table);
    g_usedTable.store(table == &OwnTableInstance() ? nullptr : table, std::memory_order_release);
    return true;
}

}  // namespace plat::raster

namespace plat {

using namespace raster;

std::uint32_t GetLastRasterError() { return t_lastError; }

HDC CreateCompatibleDC(HDC reference) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    if (reference && FindDc(t, reference) == nullptr) {
        return HDC{};
    }
    auto dc = std::make_shared<DcObject>();
    dc->bitmapId = t.stockBitmap;
    dc->bitmap = t.Find(t.stockBitmap, kBitmap)->bitmap;
    dc->brushId = t.stockBrushes[WHITE_BRUSH];
    Slot* brush = t.Find(dc->brushId, kBrush);
    dc->brush = brush->brush;
    Slot slot;
    slot.kind = kDc;
    slot.dc = std::move(dc);
    return HDC(AddObject(t, std::move(slot)));
}

bool DeleteDC(HDC dc) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    if (d == nullptr) {
        return false;
    }
    if (Slot* b = t.Find(d->bitmapId, kBitmap); b != nullptr && !b->stock) {
        b->ownerDc = 0;
    }
    if (Slot* b = t.Find(d->brushId, kBrush); b != nullptr) {
        --b->selections;
    }
    t.Remove(dc.id);
    return true;
}

HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) {
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) ||
        width < 0 || height < 0) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return HBITMAP{};
    }
    if (width == 0 || height == 0) {
        return RegisterBitmap(MakeBitmap(1, 1, 1, false));
    }
    auto bitmap = MakeBitmap(width, height, static_cast<int>(bitsPerPixel), false);
    if (bitmap && bits != nullptr) {
        // Initial rows come top-down, each padded to 16 bits.
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
        const std::size_t inStride = (static_cast<std::size_t>(width) * bitsPerPixel + 15) / 16 * 2;
        const auto* in = static_cast<const std::uint8_t*>(bits);
        for (int y = 0; y < height; ++y) {
            std::memcpy(bitmap->surface.Row(y), in + inStride * static_cast<std::size_t>(y), rowBytes);
        }
    }
    return RegisterBitmap(std::move(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    int bpp = 32;
    Palette palette;
    if (dc) {
        DcSnapshot snap;
        if (!SnapshotDc(dc, snap)) {
            return HBITMAP{};
        }
        bpp = snap.bitmap->surface.bpp;
        palette = snap.bitmap->palette;
    }
    if (width < 0 || height < 0) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return HBITMAP{};
    }
    if (width == 0 || height == 0) {
        return RegisterBitmap(MakeBitmap(1, 1, 1, false));
    }
    auto bitmap = MakeBitmap(width, height, bpp, false);
    if (bitmap && bpp == 8) {
        bitmap->palette = palette;
    }
    return RegisterBitmap(std::move(bitmap));
}

HBITMAP CreateDIBSection(HDC /*dc*/, const DibInfo* info, unsigned usage, void** bits) {
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (info == nullptr || usage != DIB_RGB_COLORS) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return HBITMAP{};
    }
    const DibHeader& h = info->header;
    const int bpp = h.bitCount;
    if (h.size < sizeof(DibHeader) || h.planes != 1 || h.compression != 0 ||
        (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32) || h.width <= 0 || h.height == 0 || h.height == INT32_MIN) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return HBITMAP{};
    }
    auto bitmap = MakeBitmap(h.width, h.height > 0 ? h.height : -h.height, bpp, h.height > 0);
    if (!bitmap) {
        return HBITMAP{};
    }
    bitmap->dibSection = true;
    if (bpp <= 8) {
        const int full = 1 << bpp;
        const int count =
            (h.clrUsed == 0 || h.clrUsed > static_cast<std::uint32_t>(full)) ? full : static_cast<int>(h.clrUsed);
        MakePalette(bitmap->palette, count, info->colors);
    }
    void* memory = bitmap->dibBits;
    const HBITMAP handle = RegisterBitmap(std::move(bitmap));
    if (handle && bits != nullptr) {
        *bits = memory;
    }
    return handle;
}

HBRUSH CreateSolidBrush(COLORREF colour) { return RegisterBrush(SolidBrushObject(colour)); }

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    const auto source = LookupBitmap(bitmap);
    if (!source) {
        return HBRUSH{};
    }
    auto brush = std::make_shared<BrushObject>();
    const Surface& s = source->surface;
    if (s.bpp == 1) {
        brush->desc.kind = BrushDesc::Kind::Mono8x8;
        for (int y = 0; y < 8; ++y) {
            std::uint8_t bits = 0;
            for (int x = 0; x < 8; ++x) {
                bits = static_cast<std::uint8_t>((bits << 1) | ReadValue(s, x % s.width, y % s.height));
            }
            brush->desc.bits[y] = bits;
        }
    } else {
        brush->desc.kind = BrushDesc::Kind::Colour8x8;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                brush->desc.cells[y * 8 + x] = ValueToColour(s, ReadValue(s, x % s.width, y % s.height));
            }
        }
    }
    return RegisterBrush(std::move(brush));
}

HBRUSH GetStockBrush(int which) {
    if (which < 0 || which > NULL_BRUSH) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return HBRUSH{};
    }
    return HBRUSH(GetTable().stockBrushes[which]);
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    Slot* b = t.Find(bitmap.id, kBitmap);
    if (d == nullptr || b == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return HBITMAP{};
    }
    if (!b->stock && b->ownerDc != 0 && b->ownerDc != dc.id) {
        SetError(RASTER_ERROR_BUSY);
        return HBITMAP{};
    }
    const HBITMAP previous(d->bitmapId);
    if (Slot* old = t.Find(d->bitmapId, kBitmap); old != nullptr && !old->stock) {
        old->ownerDc = 0;
    }
    if (!b->stock) {
        b->ownerDc = dc.id;
    }
    d->bitmapId = bitmap.id;
    d->bitmap = b->bitmap;
    return previous;
}

HBRUSH SelectObject(HDC dc, HBRUSH brush) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    Slot* b = t.Find(brush.id, kBrush);
    if (d == nullptr || b == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return HBRUSH{};
    }
    const HBRUSH previous(d->brushId);
    if (Slot* old = t.Find(d->brushId, kBrush); old != nullptr) {
        --old->selections;
    }
    ++b->selections;
    d->brushId = brush.id;
    d->brush = b->brush;
    return previous;
}

bool DeleteObject(HGDIOBJ object) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(object.id, kBitmap);
    if (s == nullptr) {
        s = t.Find(object.id, kBrush);
    }
    if (s == nullptr) {
        SetError(RASTER_ERROR_INVALID_HANDLE);
        return false;
    }
    if (s->stock) {
        return true;
    }
    if (s->ownerDc != 0 || s->selections > 0) {
        SetError(RASTER_ERROR_BUSY);
        return false;
    }
    t.Remove(object.id);
    return true;
}

HBITMAP GetCurrentBitmap(HDC dc) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    return d != nullptr ? HBITMAP(d->bitmapId) : HBITMAP{};
}

HBRUSH GetCurrentBrush(HDC dc) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    return d != nullptr ? HBRUSH(d->brushId) : HBRUSH{};
}

bool GetObject(HBITMAP bitmap, BitmapDesc& desc) {
    const auto b = LookupBitmap(bitmap);
    if (!b) {
        return false;
    }
    const Surface& s = b->surface;
    desc.width = s.width;
    desc.height = s.height;
    desc.widthBytes = static_cast<int>(s.stride < 0 ? -s.stride : s.stride);
    desc.bitsPerPixel = s.bpp;
    desc.bits = b->dibSection ? b->dibBits : nullptr;
    return true;
}

bool AccessPixels(HBITMAP bitmap, PixelAccess& access) {
    const auto b = LookupBitmap(bitmap);
    if (!b) {
        return false;
    }
    const Surface& s = b->surface;
    access.topRow = s.top;
    access.stride = s.stride;
    access.width = s.width;
    access.height = s.height;
    access.bitsPerPixel = s.bpp;
    access.palette = s.palette != nullptr ? s.palette->entries : nullptr;
    access.paletteSize = s.palette != nullptr ? s.palette->count : 0;
    return true;
}

int GetDeviceCaps(HDC dc, int index) {
    DcSnapshot snap;
    if (!SnapshotDc(dc, snap)) {
        return 0;
    }
    // Memory DCs answer for the display they are compatible with, which is true colour.
    switch (index) {
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    default: return 0;
    }
}

namespace {

template <class Field>
COLORREF SwapColour(HDC dc, COLORREF colour, Field field) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    if (d == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = d->*field;
    d->*field = colour & 0x00FFFFFFu;
    return previous;
}

template <class Field>
COLORREF ReadColour(HDC dc, Field field) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    return d != nullptr ? d->*field : CLR_INVALID;
}

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour) { return SwapColour(dc, colour, &DcObject::text); }

COLORREF SetBkColor(HDC dc, COLORREF colour) { return SwapColour(dc, colour, &DcObject::bk); }

COLORREF GetTextColor(HDC dc) { return ReadColour(dc, &DcObject::text); }

COLORREF GetBkColor(HDC dc) { return ReadColour(dc, &DcObject::bk); }

int SetStretchBltMode(HDC dc, int mode) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    if (d == nullptr) {
        return 0;
    }
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetError(RASTER_ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = d->stretchMode;
    d->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC dc) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    return d != nullptr ? d->stretchMode : 0;
}

unsigned GetDIBColorTable(HDC dc, unsigned start, unsigned count, RgbQuad* colours) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    const DcObject* d = FindDc(t, dc);
    if (d == nullptr || colours == nullptr || d->bitmap->surface.bpp > 8) {
        return 0;
    }
    const Palette& p = d->bitmap->palette;
    unsigned n = 0;
    for (unsigned i = start; i < static_cast<unsigned>(p.count) && n < count; ++i, ++n) {
        colours[n] = p.entries[i];
    }
    return n;
}

unsigned SetDIBColorTable(HDC dc, unsigned start, unsigned count, const RgbQuad* colours) {
    Table& t = GetTable();
    std::lock_guard lock(t.mutex);
    DcObject* d = FindDc(t, dc);
    if (d == nullptr || colours == nullptr || d->bitmap->surface.bpp > 8 || t.Find(d->bitmapId, kBitmap)->stock) {
        return 0;
    }
    Palette& p = d->bitmap->palette;
    unsigned n = 0;
    for (unsigned i = start; i < static_cast<unsigned>(p.count) && n < count; ++i, ++n) {
        p.entries[i] = colours[n];
        p.entries[i].reserved = 0;
    }
    return n;
}

}  // namespace plat
