// Off-screen buffers carved from strips of height classes: InitBuffer, AllocBuffer,
// FreeBuffer, GetBufferData, ShutdownBuffer.
#include "engine/display/buffers.h"

#include <algorithm>
#include <new>

#include "engine/base/events.h"
#include "engine/base/memory.h"
#include "lumvatek/exports.h"
#include "platform/raster.h"

namespace lvk {
namespace {

constexpr int kRecordsPerBlock = 256;
constexpr int32_t kTagRecordBlock = 34001;
constexpr int32_t kTagFreeRecordBlock = 35001;

// A buffer id: generation in bits 20 to 30, record index + 1 below. The generation
// changes whenever a record stops being the buffer it was, so a freed id finds nothing.
constexpr unsigned kIndexBits = 20;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr uint16_t kGenerationMask = 0x7FF;
constexpr int kMaxRecordBlocks = static_cast<int>(kIndexMask / kRecordsPerBlock);

enum : uint8_t { kFree = 0, kUsed = 1, kSpare = 2 };  // kSpare: on the record free list

struct Record {
    plat::HDC pictureDc;
    plat::HDC maskDc;
    uint8_t* maskBits = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t strip = -1;
    int32_t next = -1;  // in the strip, left to right; the free list for spare records
    int32_t prev = -1;
    int32_t value = 0;
    uint8_t state = kSpare;
    uint16_t generation = 0;
};

struct Strip {
    plat::HDC pictureDc;
    plat::HBITMAP picture;
    plat::HBITMAP oldPicture;
    plat::HDC maskDc;
    plat::HBITMAP mask;
    plat::HBITMAP oldMask;
    uint8_t* maskBits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t largestFree = 0;  // known so far; a search that finds less corrects it
    int32_t first = -1;       // its leftmost record
    int32_t next = -1;        // next strip of the class (newest first); the free list
    uint8_t classIndex = 0;
};

struct SizeClass {
    int32_t height = 0;
    int32_t width = 0;
    int32_t firstStrip = -1;
};

struct BufferState {
    plat::HDC baseDc;
    int32_t minWidth = 1;
    int classCount = 0;
    SizeClass classes[kMaxBufferClasses];
    Strip strips[kMaxBufferStrips];
    int stripsTaken = 0;  // entries of strips taken at least once
    int freeStrip = -1;
    Record* blocks[kMaxRecordBlocks] = {};
    int blockCount = 0;
    int recordsTaken = 0;
    int freeRecord = -1;
};
BufferState g;
// Why the last AllocBuffer gave no buffer; 0 after one that did.
int32_t g_lastError = 0;

Record& Rec(int i) { return g.blocks[i / kRecordsPerBlock][i % kRecordsPerBlock]; }

// A record off the free list or a new one; -1 when no block of records can be had.
int NewRecord() {
    int i;
    if (g.freeRecord >= 0) {
        i = g.freeRecord;
        g.freeRecord = Rec(i).next;
    } else {
        if (g.recordsTaken == g.blockCount * kRecordsPerBlock) {
            void* block = g.blockCount < kMaxRecordBlocks ? MemAlloc(sizeof(Record) * kRecordsPerBlock, kTagRecordBlock)
                                                          : nullptr;
            if (block == nullptr) {
                return -1;
            }
            g.blocks[g.blockCount++] = new (block) Record[kRecordsPerBlock];
        }
        i = g.recordsTaken++;
    }
    Record& r = Rec(i);
    const uint16_t generation = r.generation;
    r = Record{};
    r.generation = generation;
    return i;
}

void Retire(Record& r) { r.generation = static_cast<uint16_t>((r.generation + 1) & kGenerationMask); }

void ReleaseRecord(int i) {
    Record& r = Rec(i);
    Retire(r);
    r.state = kSpare;
    r.strip = -1;
    r.prev = -1;
    r.next = g.freeRecord;
    g.freeRecord = i;
}

LvHandle HandleOf(int i) {
    return (static_cast<uint32_t>(Rec(i).generation) << kIndexBits) | static_cast<uint32_t>(i + 1);
}

// The record of a buffer in use, or -1.
int FindBuffer(LvHandle handle) {
    const int i = static_cast<int>(handle & kIndexMask) - 1;
    if (i < 0 || i >= g.recordsTaken) {
        return -1;
    }
    const Record& r = Rec(i);
    if (r.state != kUsed || HandleOf(i) != handle) {
        return -1;
    }
    return i;
}

void DeleteStripObjects(Strip& s) {
    if (s.pictureDc) {
        if (s.oldPicture) {
            plat::SelectObject(s.pictureDc, s.oldPicture);
        }
        plat::DeleteDC(s.pictureDc);
    }
    if (s.picture) {
        plat::DeleteObject(s.picture);
    }
    if (s.maskDc) {
        if (s.oldMask) {
            plat::SelectObject(s.maskDc, s.oldMask);
        }
        plat::DeleteDC(s.maskDc);
    }
    if (s.mask) {
        plat::DeleteObject(s.mask);
    }
}

// The failures are the user's to see; the strip is then not made at all.
bool CreateStripObjects(Strip& s) {
    const unsigned base = g.baseDc.id;
    s.pictureDc = plat::CreateCompatibleDC(g.baseDc);
    if (!s.pictureDc) {
        RaiseMessage("AddCache: Picture CreateCompatibleDC error %u, BaseDc=%08X", plat::GetLastRasterError(), base);
        return false;
    }
    s.picture = plat::CreateCompatibleBitmap(g.baseDc, s.width, s.height);
    if (!s.picture) {
        RaiseMessage("AddCache: Picture CreateCompatibleBitmap error %u, BaseDc=%08X, DX=%d, DY=%d",
                     plat::GetLastRasterError(), base, s.width, s.height);
        return false;
    }
    s.oldPicture = plat::SelectObject(s.pictureDc, s.picture);
    s.maskDc = plat::CreateCompatibleDC(plat::HDC{});
    if (!s.maskDc) {
        RaiseMessage("AddCache: Mask CreateCompatibleDC error %u, BaseDc=%08X", plat::GetLastRasterError(), base);
        return false;
    }
    plat::DibInfo info{};
    info.header.width = s.width;
    info.header.height = s.height;  // bottom-up
    info.header.bitCount = 1;
    info.header.clrUsed = 2;
    info.colors[1] = plat::RgbQuad{255, 255, 255, 0};
    void* bits = nullptr;
    s.mask = plat::CreateDIBSection(s.maskDc, &info, plat::DIB_RGB_COLORS, &bits);
    if (!s.mask) {
        RaiseMessage("AddCache: Mask CreateBitmap error %u, DX=%d, DY=%d", plat::GetLastRasterError(), s.width,
                     s.height);
        return false;
    }
    s.maskBits = static_cast<uint8_t*>(bits);
    s.oldMask = plat::SelectObject(s.maskDc, s.mask);
    return true;
}

void FreeStripEntry(int si) {
    g.strips[si] = Strip{};
    g.strips[si].next = g.freeStrip;
    g.freeStrip = si;
}

// A new strip of class c at the front of its list, as one free record; on failure -1 and
// g_lastError says why. The table's 256 strips are a limit of the caller's asking (every
// strip is as wide as its class, and a class widens for each wider buffer), so running out
// refuses the buffer like any other failure instead of ending the host.
int MakeStrip(int c) {
    int si;
    if (g.freeStrip >= 0) {
        si = g.freeStrip;
        g.freeStrip = g.strips[si].next;
    } else if (g.stripsTaken < kMaxBufferStrips) {
        si = g.stripsTaken++;
    } else {
        g_lastError = kErrBufferStrips;
        return -1;
    }
    const int ri = NewRecord();
    if (ri < 0) {
        FreeStripEntry(si);
        g_lastError = kErrBufferRecords;
        return -1;
    }
    SizeClass& k = g.classes[c];
    Strip& s = g.strips[si];
    s = Strip{};
    s.classIndex = static_cast<uint8_t>(c);
    s.width = k.width;
    s.height = k.height;
    if (!CreateStripObjects(s)) {
        DeleteStripObjects(s);
        FreeStripEntry(si);
        ReleaseRecord(ri);
        g_lastError = kErrBufferRaster;
        return -1;
    }
    Record& r = Rec(ri);
    r.pictureDc = s.pictureDc;
    r.maskDc = s.maskDc;
    r.maskBits = s.maskBits;
    r.width = s.width;
    r.strip = si;
    r.state = kFree;
    s.first = ri;
    s.largestFree = s.width;
    s.next = k.firstStrip;
    k.firstStrip = si;
    return si;
}

void UnlinkStrip(int si) {
    SizeClass& k = g.classes[g.strips[si].classIndex];
    if (k.firstStrip == si) {
        k.firstStrip = g.strips[si].next;
        return;
    }
    for (int p = k.firstStrip; p >= 0; p = g.strips[p].next) {
        if (g.strips[p].next == si) {
            g.strips[p].next = g.strips[si].next;
            return;
        }
    }
}

// Deletes a strip that is unlinked from its class, with its records.
void DeleteStrip(int si) {
    Strip& s = g.strips[si];
    for (int ri = s.first; ri >= 0;) {
        const int next = Rec(ri).next;
        ReleaseRecord(ri);
        ri = next;
    }
    DeleteStripObjects(s);
    FreeStripEntry(si);
}

bool EntirelyFree(const Strip& s) { return Rec(s.first).state == kFree && Rec(s.first).next < 0; }

void DeleteFreeStrips(int c) {
    for (int si = g.classes[c].firstStrip; si >= 0;) {
        const int next = g.strips[si].next;
        if (EntirelyFree(g.strips[si])) {
            UnlinkStrip(si);
            DeleteStrip(si);
        }
        si = next;
    }
}

int CountStrips(int c) {
    int n = 0;
    for (int si = g.classes[c].firstStrip; si >= 0; si = g.strips[si].next) {
        ++n;
    }
    return n;
}

// Frees every strip and record block; the counts and widths of the classes go to the
// arrays that are given.
void ReleaseAll(int32_t* stripCountsOut, int32_t* widthsOut) {
    for (int c = 0; c < g.classCount; ++c) {
        int n = 0;
        for (int si = g.classes[c].firstStrip; si >= 0;) {
            const int next = g.strips[si].next;
            DeleteStripObjects(g.strips[si]);
            ++n;
            si = next;
        }
        if (stripCountsOut != nullptr) {
            stripCountsOut[c] = n;
        }
        if (widthsOut != nullptr) {
            widthsOut[c] = g.classes[c].width;
        }
    }
    for (int b = 0; b < g.blockCount; ++b) {
        MemFree(g.blocks[b], kTagFreeRecordBlock);
    }
    const plat::HDC base = g.baseDc;
    g = BufferState{};
    g.baseDc = base;
}

int FindFreeRecord(int c, int32_t width) {
    for (int si = g.classes[c].firstStrip; si >= 0; si = g.strips[si].next) {
        Strip& s = g.strips[si];
        if (s.largestFree < width) {
            continue;
        }
        int32_t largest = 0;
        for (int ri = s.first; ri >= 0; ri = Rec(ri).next) {
            const Record& r = Rec(ri);
            if (r.state != kFree) {
                continue;
            }
            if (r.width >= width) {
                return ri;
            }
            largest = std::max(largest, r.width);
        }
        s.largestFree = largest;
    }
    return -1;
}

// Cuts the rightmost width pixels off a free record; returns the record of that slice, or
// -1 when no record can be had (the free record stays as it was).
int SplitOff(int ri, int32_t width) {
    const int ni = NewRecord();
    if (ni < 0) {
        return -1;
    }
    Record& o = Rec(ri);
    Record& n = Rec(ni);
    n.pictureDc = o.pictureDc;
    n.maskDc = o.maskDc;
    n.maskBits = o.maskBits;
    n.strip = o.strip;
    n.state = kFree;
    n.x = o.x + o.width - width;
    n.width = width;
    o.width -= width;
    n.prev = ri;
    n.next = o.next;
    if (o.next >= 0) {
        Rec(o.next).prev = ni;
    }
    o.next = ni;
    return ni;
}

}  // namespace

bool AddCache(int c) { return c >= 0 && c < g.classCount && MakeStrip(c) >= 0; }

BufferStats GetBufferStats() {
    BufferStats stats;
    stats.classes = g.classCount;
    for (int c = 0; c < g.classCount; ++c) {
        for (int si = g.classes[c].firstStrip; si >= 0; si = g.strips[si].next) {
            ++stats.strips;
            for (int ri = g.strips[si].first; ri >= 0; ri = Rec(ri).next) {
                ++stats.records;
            }
        }
    }
    stats.recordBlocks = g.blockCount;
    return stats;
}

int StripWidths(int c, int32_t* widths, int max) {
    int n = 0;
    if (c < 0 || c >= g.classCount) {
        return 0;
    }
    for (int si = g.classes[c].firstStrip; si >= 0 && n < max; si = g.strips[si].next) {
        widths[n++] = g.strips[si].width;
    }
    return n;
}

int StripSlices(uint32_t buffer, int32_t (*slices)[3], int max) {
    const int bi = FindBuffer(buffer);
    if (bi < 0) {
        return 0;
    }
    int n = 0;
    for (int ri = g.strips[Rec(bi).strip].first; ri >= 0 && n < max; ri = Rec(ri).next) {
        slices[n][0] = Rec(ri).x;
        slices[n][1] = Rec(ri).width;
        slices[n][2] = Rec(ri).state == kUsed ? 1 : 0;
        ++n;
    }
    return n;
}

}  // namespace lvk

using lvk::g;

LvResult InitBuffer(LvHandle baseDc, int32_t minWidth, int32_t classCount, const int32_t* heights,
                    const int32_t* stripCounts, const int32_t* widths) noexcept {
    if (classCount < 0 || classCount > lvk::kMaxBufferClasses || (classCount > 0 && heights == nullptr)) {
        return lvk::kErrBufferClasses;
    }
    for (int c = 0; c < classCount; ++c) {
        if (heights[c] <= 0 || (c > 0 && heights[c] <= heights[c - 1])) {
            return lvk::kErrBufferClasses;
        }
    }
    g.baseDc = plat::HDC(baseDc);
    if (g.classCount > 0) {
        bool same = classCount == g.classCount;
        for (int c = 0; same && c < classCount; ++c) {
            same = heights[c] == g.classes[c].height;
        }
        if (!same) {
            lvk::ReleaseAll(nullptr, nullptr);
        }
    }
    g.minWidth = std::max(minWidth, 1);
    g.classCount = classCount;
    LvResult result = 0;
    for (int c = 0; c < classCount; ++c) {
        lvk::SizeClass& k = g.classes[c];
        k.height = heights[c];
        k.width = std::max(widths != nullptr ? widths[c] : 0, g.minWidth);
        if (stripCounts != nullptr) {
            for (int n = lvk::CountStrips(c); n < stripCounts[c]; ++n) {
                if (lvk::MakeStrip(c) < 0) {
                    result = lvk::g_lastError;
                    break;
                }
            }
        }
    }
    return result;
}

LvHandle AllocBuffer(int32_t width, int32_t height, int32_t value) noexcept {
    lvk::g_lastError = 0;
    if (width <= 0 || height <= 0 || g.classCount == 0 || g.classes[g.classCount - 1].height < height) {
        lvk::g_lastError = lvk::kErrBufferSize;
        return 0;
    }
    int c = 0;
    while (g.classes[c].height < height) {
        ++c;
    }
    lvk::SizeClass& k = g.classes[c];
    const int32_t oldWidth = k.width;
    int ri = -1;
    if (k.width < width) {
        k.width = width;
        lvk::DeleteFreeStrips(c);
    } else {
        ri = lvk::FindFreeRecord(c, width);
    }
    if (ri < 0) {
        const int si = lvk::MakeStrip(c);
        if (si < 0) {
            k.width = oldWidth;  // later, smaller buffers still fit the strips there are
            return 0;
        }
        ri = g.strips[si].first;
    }
    if (lvk::Rec(ri).width > width) {
        ri = lvk::SplitOff(ri, width);
        if (ri < 0) {
            lvk::g_lastError = lvk::kErrBufferRecords;
            return 0;
        }
    }
    lvk::Record& r = lvk::Rec(ri);
    r.state = lvk::kUsed;
    r.value = value;
    r.height = height;
    r.y = k.height - height;
    return lvk::HandleOf(ri);
}

LvResult FreeBuffer(LvHandle* buffer) noexcept {
    if (buffer == nullptr || *buffer == 0) {
        return 0;
    }
    int ri = lvk::FindBuffer(*buffer);
    *buffer = 0;
    if (ri < 0) {
        return 0;
    }
    lvk::Record* r = &lvk::Rec(ri);
    r->state = lvk::kFree;
    lvk::Retire(*r);
    if (r->prev >= 0 && lvk::Rec(r->prev).state == lvk::kFree) {
        const int left = r->prev;
        lvk::Rec(left).width += r->width;
        lvk::Rec(left).next = r->next;
        if (r->next >= 0) {
            lvk::Rec(r->next).prev = left;
        }
        lvk::ReleaseRecord(ri);
        ri = left;
        r = &lvk::Rec(ri);
    }
    if (r->next >= 0 && lvk::Rec(r->next).state == lvk::kFree) {
        const int right = r->next;
        r->width += lvk::Rec(right).width;
        r->next = lvk::Rec(right).next;
        if (r->next >= 0) {
            lvk::Rec(r->next).prev = ri;
        }
        lvk::ReleaseRecord(right);
    }
    const int si = r->strip;
    lvk::Strip& s = g.strips[si];
    s.largestFree = std::max(s.largestFree, r->width);
    if (r->x == 0 && r->width == s.width && s.width < g.classes[s.classIndex].width) {
        lvk::UnlinkStrip(si);
        lvk::DeleteStrip(si);
    }
    return 0;
}

LvResult GetBufferData(LvHandle buffer, LvHandle* pictureDcOut, LvHandle* maskDcOut, int32_t* xOut, int32_t* yOut,
                       uint8_t** maskBitsOut) noexcept {
    const int ri = buffer != 0 ? lvk::FindBuffer(buffer) : -1;
    if (ri < 0) {
        return buffer != 0 ? -1 : 0;
    }
    const lvk::Record& r = lvk::Rec(ri);
    if (pictureDcOut != nullptr) {
        *pictureDcOut = r.pictureDc.id;
    }
    if (maskDcOut != nullptr) {
        *maskDcOut = r.maskDc.id;
    }
    if (xOut != nullptr) {
        *xOut = r.x;
    }
    if (yOut != nullptr) {
        *yOut = r.y;
    }
    if (maskBitsOut != nullptr) {
        *maskBitsOut = r.maskBits;
    }
    return 0;
}

LvResult ShutdownBuffer(int32_t classCount, const int32_t* heights, int32_t* stripCountsOut,
                        int32_t* widthsOut) noexcept {
    if (classCount < 0) {
        return lvk::kErrBufferClasses;
    }
    // Classes that are not the buffers' own: the caller is confused about what it frees, so
    // nothing is freed and it is told.
    if (classCount != 0) {
        if (classCount != g.classCount || heights == nullptr) {
            return lvk::kErrBufferClasses;
        }
        for (int c = 0; c < classCount; ++c) {
            if (heights[c] != g.classes[c].height) {
                return lvk::kErrBufferClasses;
            }
        }
    }
    lvk::ReleaseAll(classCount != 0 ? stripCountsOut : nullptr, widthsOut);
    return 0;
}

LvResult GetBufferError() noexcept { return lvk::g_lastError; }

LvResult GetBufferCounts(int32_t* stripsOut, int32_t* buffersOut) noexcept {
    int32_t strips = 0;
    int32_t buffers = 0;
    for (int c = 0; c < g.classCount; ++c) {
        for (int si = g.classes[c].firstStrip; si >= 0; si = g.strips[si].next) {
            ++strips;
            for (int ri = g.strips[si].first; ri >= 0; ri = lvk::Rec(ri).next) {
                buffers += lvk::Rec(ri).state == lvk::kUsed ? 1 : 0;
            }
        }
    }
    if (stripsOut != nullptr) {
        *stripsOut = strips;
    }
    if (buffersOut != nullptr) {
        *buffersOut = buffers;
    }
    return 0;
}
