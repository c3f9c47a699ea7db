// Our stand-in for DirectDraw's surfaces: every surface is a 32-bit raster bitmap with a memory
// DC of its own, so GDI-style drawing (BitBlt on the surface's DC) and surface blits meet on the
// same pixels.
//
// - Pixel values are 0x00RRGGBB whatever depth the display mode names: the depth is only
//   reported, never emulated. Colour keys are pixel values; 0 means no key.
// - The flip chain is a primary (what the screen shows) and up to two back buffers of one size.
//   A flip rotates the pages behind the handles: the first back buffer's page becomes the
//   primary's, the primary's goes to the end of the chain, so a page keeps what was drawn on it
//   until it comes round again, as the callers' per-page bookkeeping expects. A chain made with
//   shared pages is one bitmap behind every handle, for a caller that repaints on each page
//   whole what changed since it drew that page last: the bitmap then always holds its latest
//   frame, and a flip only rotates the handles.
// - Surfaces are never lost here, and nothing ever waits: a flip or a blit is done when the call
//   returns.
// - Results are HRESULT-style 32-bit values: DD_OK, or one of the failures below.
// - Ids are never 0 or 1 and fit a positive 32-bit field; an id stays refused once its surface
//   is gone (until the generation counter comes round, 32767 deletions of that slot later).
//
// One table belongs to one thread (the engine's main thread).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/raster.h"

namespace plat {

using SurfaceId = std::uint32_t;

inline constexpr std::int32_t DD_OK = 0;
inline constexpr std::int32_t DDERR_INVALIDPARAMS = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t DDERR_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000Eu);
inline constexpr std::int32_t DDERR_NOTINITIALIZED = static_cast<std::int32_t>(0x800401F0u);
inline constexpr std::int32_t DDERR_INVALIDMODE = static_cast<std::int32_t>(0x8876005Au);
inline constexpr std::int32_t DDERR_INVALIDOBJECT = static_cast<std::int32_t>(0x88760082u);
inline constexpr std::int32_t DDERR_NOTFLIPPABLE = static_cast<std::int32_t>(0x88760246u);
inline constexpr std::int32_t DDERR_WASSTILLDRAWING = static_cast<std::int32_t>(0x8876021Cu);
inline constexpr std::int32_t DDERR_PRIMARYSURFACEALREADYEXISTS = static_cast<std::int32_t>(0x88760234u);

// Blit and fill flags.
inline constexpr std::uint32_t SURFACE_SRCCOLORKEY = 0x1;   // source pixels equal to the source's key stay out
inline constexpr std::uint32_t SURFACE_DESTCOLORKEY = 0x2;  // only destination pixels equal to its key change

// The largest side of a surface. Bigger requests are refused rather than tried.
inline constexpr int kMaxSurfaceSide = 16384;

// The surface pixel value that shows a colour (0x00BBGGRR in, 0x00RRGGBB out).
std::uint32_t SurfacePixelValue(COLORREF colour);

// A scan line as a display of the given height and refresh rate (0 or less: 60 Hz) would be on
// it the given time after a flip: 1 for the top line, up to height, or -1 in the vertical blank,
// which takes about a twentieth of each refresh.
// One refresh of the display at refreshRate Hz; a rate of 0 or less (unknown) counts as 60 Hz.
std::chrono::microseconds RefreshPeriod(int refreshRate);
std::int32_t ScanLineAt(std::chrono::microseconds sinceFlip, int height, int refreshRate);

class SurfaceTable {
public:
    static constexpr int kMaxBackBuffers = 2;

    SurfaceTable();
    ~SurfaceTable();
    SurfaceTable(const SurfaceTable&) = delete;
    SurfaceTable& operator=(const SurfaceTable&) = delete;

    // The flip chain of the given size with 0 to kMaxBackBuffers back buffers, cleared to 0.
    // Refused while a chain exists (DDERR_PRIMARYSURFACEALREADYEXISTS). With sharedPages every
    // page of the chain is one and the same bitmap: a flip rotates the handles only.
    std::int32_t CreateChain(int width, int height, int backBuffers, bool sharedPages = false);
    // The chain's surfaces go; their ids are refused from then on.
    void DeleteChain();
    SurfaceId Primary() const { return primary_; }
    SurfaceId BackBuffer() const { return back_; }  // 0 without back buffers
    int BackBufferCount() const;
    // The chain's pages by their place in memory, which a flip does not change: the page
    // behind a chain surface now (-1 for any other id), and a page's DC.
    int PageIndex(SurfaceId id) const;
    HDC PageDc(int index) const;

    // Rotates the chain (DDERR_NOTFLIPPABLE without back buffers) and notes the time.
    std::int32_t Flip();
    std::chrono::steady_clock::time_point LastFlip() const { return lastFlip_; }

    // An off-screen surface, cleared to 0, with a source colour key unless key is 0. Returns 0
    // and sets *error on failure.
    SurfaceId Create(int width, int height, std::uint32_t key, std::int32_t* error);
    // Off-screen surfaces only: the chain goes with DeleteChain. False when refused.
    bool Delete(SurfaceId id);
    // Every surface, chain included.
    void DeleteAll();
    int OffscreenCount() const;

    bool Valid(SurfaceId id) const;
    // The DC of the surface's page (for the chain: the page behind the id now), 0 when refused.
    HDC Dc(SurfaceId id) const;
    // Whether dc belongs to the surface; for the chain, to any of its pages.
    bool OwnsDc(SurfaceId id, HDC dc) const;
    bool Size(SurfaceId id, int& width, int& height) const;

    // Copies width x height pixels from (srcX, srcY) of src to (x, y) of dst, clipped to both.
    std::int32_t Blt(SurfaceId dst, int x, int y, int width, int height, SurfaceId src, int srcX, int srcY,
                     std::uint32_t flags);
    // Sets the rectangle, clipped, to the pixel value. Of the flags only SURFACE_DESTCOLORKEY acts.
    std::int32_t Fill(SurfaceId dst, int x, int y, int width, int height, std::uint32_t value, std::uint32_t flags);

private:
    enum class Kind : std::uint8_t { Free, Offscreen, Chain };
    struct Page {
        HBITMAP bitmap;
        HDC dc;
    };
    struct Entry {
        std::uint16_t generation = 1;
        Kind kind = Kind::Free;
        int chainPos = 0;  // Chain: 0 primary, 1 first back buffer
        Page page{};       // Offscreen
        int width = 0;
        int height = 0;
        std::uint32_t key = 0;
    };

    const Entry* Find(SurfaceId id) const;
    const Page* PageOf(const Entry& e) const;
    SurfaceId Add(Kind kind, int chainPos, Page page, int width, int height, std::uint32_t key);
    void Remove(SurfaceId id);
    void DeleteChainSurface(SurfaceId& id);

    std::vector<Entry> entries_;
    std::vector<std::uint32_t> free_;
    std::vector<Page> pages_;  // the chain's pages; pages_[front_] is shown
    int front_ = 0;
    bool sharedPages_ = false;
    SurfaceId primary_ = 0;
    SurfaceId back_ = 0;
    std::chrono::steady_clock::time_point lastFlip_;
};

}  // namespace plat
