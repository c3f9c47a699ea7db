// The raster's objects behind their handles, and the snapshots the drawing calls take of them.
// The handle table is guarded by one mutex; a snapshot holds the objects alive, so drawing goes
// on without the lock even if another thread deletes a handle meanwhile.
#pragma once

#include "platform/raster.h"
#include "platform/raster_convert.h"
#include "platform/raster_surface.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace plat::raster {

// Bitmap memory comes from calloc: a large block is fresh zeroed pages from the system, touched
// only where it is drawn on, instead of being cleared byte by byte when it is made.
struct FreeMemory {
    void operator()(std::uint8_t* p) const noexcept { std::free(p); }
};

struct BitmapObject {
    std::unique_ptr<std::uint8_t[], FreeMemory> memory;
    std::size_t bytes = 0;
    Palette palette;
    Surface surface;  // points into memory and at palette
    bool dibSection = false;
    void* dibBits = nullptr;  // start of the memory in storage order, for DIB sections
};

struct BrushObject {
    BrushDesc desc;
};

// What a drawing call needs of a DC, taken under the table's lock.
struct DcSnapshot {
    std::shared_ptr<BitmapObject> bitmap;
    std::shared_ptr<const BrushObject> brush;
    COLORREF text = 0;
    COLORREF bk = 0;
    int stretchMode = 0;
};

bool SnapshotDc(HDC dc, DcSnapshot& out);
// Both DCs under one lock; src may be 0 when needSource is false.
bool SnapshotDcs(HDC dst, DcSnapshot& dstOut, HDC src, DcSnapshot& srcOut, bool needSource);
std::shared_ptr<BitmapObject> LookupBitmap(HBITMAP bitmap);
std::shared_ptr<const BrushObject> LookupBrush(HBRUSH brush);

// The colour rules and brush pattern of a copy from src to dst (the DCs' colours decide
// how 1-bit and colour pixels meet); the pattern only when the operation uses it.
struct CopyContext {
    ConvertRules rules;
    Pattern pattern;
};
CopyContext MakeCopyContext(const DcSnapshot& dst, const DcSnapshot& src, bool usesPattern);

// Makes a bitmap object with zeroed memory; null when the size is not allowed or memory ran out
// (the error is recorded). A positive height with bottomUp stores rows bottom-up.
std::shared_ptr<BitmapObject> MakeBitmap(int width, int height, int bpp, bool bottomUp);
HBITMAP RegisterBitmap(std::shared_ptr<BitmapObject> bitmap);

void SetError(std::uint32_t code);

// The palette 8-bit bitmaps get when nobody gives them one: a 6x6x6 colour cube and a grey ramp.
const Palette& DefaultPalette8();
const Palette& MonoPalette();

}  // namespace plat::raster
