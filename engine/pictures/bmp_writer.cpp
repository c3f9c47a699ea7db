// Capture slots: bitmaps taken from device contexts, trimmed against each other and
// written as BMP files.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "engine/base/events.h"
#include "engine/base/memory.h"
#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace lvk {

namespace {

constexpr int kSlotCount = 32;

// Option flags of a slot.
constexpr int kTrimBlackRows = 0x10;
constexpr int kWhiteNotBlack = 0x80;
constexpr int kTrimFirstRows = 0x02;
constexpr int kTrimFirstRowsToo = 0x20;
constexpr int kTrimLastRows = 0x01;
constexpr int kTrimRight = 0x04;
constexpr int kTrimLeft = 0x08;
constexpr int kRowsOfSlot9 = 0x40;
constexpr int kMarkMargins = 0x100;  // read in slot 8
constexpr int kAllowTrueColour = 0x200;

struct CaptureSlot {
    char* name = nullptr;        // tag 34029
    uint32_t* pixels = nullptr;  // tag 34028; bottom-up rows of width pixels
    int width = 0;
    int bufferRows = 0;  // rows the buffer holds
    int rows = 0;        // rows still taking part (trimming drops the last ones)
    int top = 0;
    int left = 0;
    int right = 0;
    int flags = 0;

    bool TakesPart() const { return name != nullptr && pixels != nullptr; }
    uint32_t At(int row, int column) const { return pixels[static_cast<size_t>(row) * width + column] & 0xFFFFFF; }
};

CaptureSlot g_slots[kSlotCount];

void EmptySlot(CaptureSlot& s) {
    MemFree(s.pixels, 35028);
    MemFree(s.name, 35029);
    s = CaptureSlot{};
}

bool Near(uint32_t a, uint32_t b) { return (a > b ? a - b : b - a) <= 7; }

// Comparisons with slot 0 look at the same place of its buffer; a slot of another width, or
// a row slot 0 does not have, never matches, so nothing is read outside either buffer. Slot 0
// is not compared with itself: every row would match and nothing would be left to write.
bool Comparable(const CaptureSlot& s) {
    const CaptureSlot& base = g_slots[0];
    return &s != &base && base.pixels != nullptr && base.width == s.width;
}

bool RowMatchesBase(const CaptureSlot& s, int row) {
    const CaptureSlot& base = g_slots[0];
    if (!Comparable(s) || row >= base.bufferRows) return false;
    for (int x = 0; x < s.width; ++x)
        if (!Near(s.At(row, x), base.At(row, x))) return false;
    return true;
}

bool ColumnMatchesBase(const CaptureSlot& s, int column) {
    const CaptureSlot& base = g_slots[0];
    if (!Comparable(s) || s.rows > base.bufferRows) return false;
    for (int y = s.top; y < s.rows; ++y)
        if (!Near(s.At(y, column), base.At(y, column))) return false;
    return true;
}

bool RowIs(const CaptureSlot& s, int row, uint32_t colour) {
    for (int x = 0; x < s.width; ++x)
        if (s.At(row, x) != colour) return false;
    return true;
}

void TrimSlot(CaptureSlot& s) {
    if (s.flags & kTrimBlackRows) {
        const uint32_t edge = (s.flags & kWhiteNotBlack) ? 0xFFFFFF : 0;
        while (s.rows > 1 && RowIs(s, s.rows - 1, edge)) --s.rows;
    }
    if (s.flags & (kTrimFirstRows | kTrimFirstRowsToo))
        while (s.top < s.rows && RowMatchesBase(s, s.top)) ++s.top;
    if (s.flags & kTrimLastRows)
        while (s.rows > 1 && RowMatchesBase(s, s.rows - 1)) --s.rows;
    if (s.flags & kTrimRight)
        while (s.right < s.width && ColumnMatchesBase(s, s.width - 1 - s.right)) ++s.right;
    if (s.flags & kTrimLeft)
        while (s.left + s.right < s.width && ColumnMatchesBase(s, s.left)) ++s.left;
}

void SetBlack(CaptureSlot& s, int row, int column) {
    if (row < s.bufferRows && column >= 0 && column < s.width)
        s.pixels[static_cast<size_t>(row) * s.width + column] = 0;
}

// Slots 1 to 7 are frames of one picture and share their margins; with slot 8's flag 0x100
// the margins are drawn instead, as black end pixels in slots 0 to 7 and a black line in 8.
void CommonMargins() {
    int left = g_slots[0].width;
    int right = g_slots[0].width;
    int top = 0;
    for (int i = 1; i <= 7; ++i) {
        const CaptureSlot& s = g_slots[i];
        if (!s.TakesPart()) continue;
        left = std::min(left, s.left);
        right = std::min(right, s.right);
        top = std::max(top, s.top);
    }
    if (!(g_slots[8].flags & kMarkMargins)) {
        for (int i = 1; i <= 7; ++i) {
            g_slots[i].left = left;
            g_slots[i].right = right;
            g_slots[i].top = top;
        }
        return;
    }
    for (int i = 0; i <= 8; ++i) {
        CaptureSlot& s = g_slots[i];
        if (!s.TakesPart()) continue;
        const int last = s.width - 1 - right;
        for (int row = 0; row < top; ++row) {
            if (i == 8) {
                for (int x = left; x <= last; ++x) SetBlack(s, row, x);
            } else {
                SetBlack(s, row, left);
                SetBlack(s, row, last);
            }
        }
        if (i != 8) {
            s.left = 0;
            s.right = 0;
            s.top = top;
        }
    }
}

// Writes one slot; returns the file's size, or a negative code after telling the user.
int64_t WriteSlot(const CaptureSlot& s) {
    int rows = s.rows;
    if (s.flags & kRowsOfSlot9) {
        const CaptureSlot& nine = g_slots[9];
        if (nine.pixels != nullptr) rows = std::min(rows, nine.rows);
    }
    rows = std::min(rows, s.bufferRows);
    const int left = std::min(s.left, s.width);
    const int right = std::min(s.right, s.width - left);
    const int top = std::min(s.top, rows);

    BmpArea area;
    area.first = s.pixels + static_cast<size_t>(top) * s.width + left;
    area.stride = static_cast<size_t>(s.width);
    area.width = s.width - left - right;
    area.height = rows - top;

    std::vector<uint8_t> bytes;
    int32_t r;
    try {
        r = EncodeBmp(area, (s.flags & kAllowTrueColour) != 0, bytes);
    } catch (const std::bad_alloc&) {
        r = kErrWriteMemory;
    }
    if (r == kBmpTooManyColours) {
        RaiseMessage("Too much colors: %s", s.name);
        return 0;
    }
    if (r != 0) {
        RaiseMessage("FlushBmpPicture: %s: no memory for the picture", s.name);
        return r;
    }
    std::string error;
    if (WriteWholeFile(s.name, bytes.data(), bytes.size(), error) != 0) {
        RaiseMessage("FlushBmpPicture: cannot write %s (%s)", s.name, error.c_str());
        return kErrWriteFile;
    }
    return static_cast<int64_t>(bytes.size());
}

}  // namespace

}  // namespace lvk

LV_EXPORT LvResult WriteBmpPicture(LvHandle dc, const char* file, int32_t slot, int32_t options) noexcept {
    // Failures are negative: -(the raster's error number) - 20000, as for other drawing calls.
    constexpr LvResult kBadParameter = -20000 - static_cast<LvResult>(plat::RASTER_ERROR_INVALID_PARAMETER);
    constexpr LvResult kNoMemory = -20000 - static_cast<LvResult>(plat::RASTER_ERROR_NOT_ENOUGH_MEMORY);
    if (slot < 0 || slot >= lvk::kSlotCount) return kBadParameter;
    const plat::HDC hdc(dc);

    // The selected bitmap is swapped out for the time it is read, as a bitmap selected into
    // a DC is not to be read.
    const plat::HBITMAP one = plat::CreateCompatibleBitmap(hdc, 1, 1);
    const plat::HBITMAP taken = one ? plat::SelectObject(hdc, one) : plat::HBITMAP{};
    auto restore = [&] {
        if (taken) plat::SelectObject(hdc, taken);
        if (one) plat::DeleteObject(one);
    };
    auto fail = [&](LvResult code) {
        restore();
        return code;
    };
    auto failRaster = [&] {
        const uint32_t err = plat::GetLastRasterError();
        return fail(-20000 - static_cast<LvResult>(err != 0 ? err : plat::RASTER_ERROR_INVALID_HANDLE));
    };
    if (!taken) return failRaster();
    plat::BitmapDesc desc;
    if (!plat::GetObject(taken, desc)) return failRaster();
    if (desc.width <= 0 || desc.height <= 0 || desc.width > 0xFFFF || desc.height > 0xFFFF) return fail(kBadParameter);

    const size_t bytes = static_cast<size_t>(desc.width) * static_cast<size_t>(desc.height) * 4;
    auto* pixels = static_cast<uint32_t*>(lvk::MemAlloc(bytes, 34028));
    if (pixels == nullptr) return fail(kNoMemory);
    plat::DibInfo info{};
    info.header.width = desc.width;
    info.header.height = desc.height;  // bottom-up
    info.header.bitCount = 32;
    const int lines =
        plat::GetDIBits(hdc, taken, 0, static_cast<unsigned>(desc.height), pixels, &info, plat::DIB_RGB_COLORS);
    if (lines <= 0) {
        lvk::MemFree(pixels, 35028);
        return failRaster();
    }
    char* name = nullptr;
    if (file != nullptr && *file != 0) {
        const size_t n = std::strlen(file);
        name = static_cast<char*>(lvk::MemAlloc(n + 1, 34029));
        if (name == nullptr) {
            lvk::MemFree(pixels, 35028);
            return fail(kNoMemory);
        }
        std::memcpy(name, file, n + 1);
    }

    lvk::CaptureSlot& s = lvk::g_slots[slot];
    lvk::EmptySlot(s);
    s.name = name;
    s.pixels = pixels;
    s.width = desc.width;
    s.bufferRows = desc.height;
    s.rows = desc.height;
    s.flags = options & 0xFFFF;
    restore();
    return lines;
}

LV_EXPORT LvResult FlushBmpPicture(int32_t, int32_t, int32_t) noexcept {
    using lvk::g_slots;
    for (lvk::CaptureSlot& s : g_slots)
        if (s.TakesPart()) lvk::TrimSlot(s);
    lvk::CommonMargins();

    int64_t total = 0;
    LvResult failure = 0;
    for (lvk::CaptureSlot& s : g_slots) {
        if (!s.TakesPart()) continue;
        const int64_t r = lvk::WriteSlot(s);
        if (r < 0 && failure == 0) failure = static_cast<LvResult>(r);
        if (r > 0) total += r;
    }
    for (lvk::CaptureSlot& s : g_slots) lvk::EmptySlot(s);
    if (failure != 0) return failure;
    return static_cast<LvResult>(std::min<int64_t>(total, std::numeric_limits<LvResult>::max()));
}
