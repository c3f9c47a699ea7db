// The DirectDraw exports over our surfaces (platform/surfaces.h): one layer for the library,
// opened by InitDDraw and closed by CloseDDraw, with the flip chain, the default surface that a
// null surface argument stands for, the DC handed out last and the last failure kept for
// DDGetLastError.
//
// There is no display hardware behind it: "DDRAW.DLL" is always there, every capability is,
// surfaces are never lost, and a flip is pending only until its refresh period is over. A display mode is "set" by
// rendering the flip chain at its size; a flip, and any drawing on the primary, reaches the
// screen through the program's presenter, which scales the frame to its window.
//
// Main thread only.
#include <chrono>
#include <thread>

#include "engine/display/blit.h"
#include "engine/display/display_modes.h"
#include "engine/display/page_changes.h"
#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/surfaces.h"

namespace lvk {
namespace {

constexpr LvResult kErrModeList = -13;
constexpr LvResult kErrCooperativeLevel = -13004;
constexpr LvResult kErrModeRefused = -13005;
constexpr LvResult kErrPrimary = -13006;
constexpr LvResult kErrSettingsBadMode = -13012;
constexpr LvResult kErrPageView = -13013;
// The screen behind the presenter has no refresh to wait for: a mode that names no rate (the
// desktop's, which a show uses unless told otherwise) flips at the show's own step, so a
// flipping show presents as often as one that presents by rectangles, once a step.
constexpr std::chrono::milliseconds kShowStep{20};

struct Layer {
    bool open = false;
    LvWindow window = 0;
    plat::SurfaceTable surfaces;
    LvHandle defaultSurface = 0;
    LvHandle lastDc = 0;
    int32_t lastError = 0;
    bool modeSet = false;  // else the desktop's mode
    LvDisplayMode mode{};
    PageChanges pages;         // what a flip must put on the screen
    int unpacedFlips = 0;      // flips of a new chain's first round, which clears its pages
    bool paceSet = false;      // the last flip showed a frame: the next keeps pace with it
    LvPageView view{};         // set: chains made from now on share one bitmap, shown here
    bool sharedChain = false;  // the chain's pages share one bitmap
    DrawnArea drawn;           // then: what was drawn on it since the last flip
    bool lent = false;         // and the view shows it from the bitmap itself
};

// Never destroyed: surfaces left at exit must not outlive the raster they are made of.
Layer& L() {
    static Layer* layer = new Layer;
    return *layer;
}

bool Off() {
    const SharedState* shared = Shared();
    return shared != nullptr && shared->DirectDrawOff != 0;
}

LvDisplayMode CurrentMode() { return L().modeSet ? L().mode : DesktopMode(); }

// A flip is shown at the vertical blank and the next waits for the one after: it is pending
// for a refresh period after the flip shown last. The first round of a new chain is the
// display start clearing its pages: no frame is shown yet, nothing to keep pace with, and the
// show's first frame after it goes at once.
std::chrono::steady_clock::time_point NextFlipAt(const Layer& l) {
    const int32_t rate = CurrentMode().refreshRate;
    const std::chrono::microseconds period =
        rate > 0 ? plat::RefreshPeriod(rate) : std::chrono::microseconds(kShowStep);
    return l.surfaces.LastFlip() + period;
}

bool FlipPending(const Layer& l) {
    return l.unpacedFlips == 0 && l.paceSet && std::chrono::steady_clock::now() < NextFlipAt(l);
}

LvHandle Target(LvHandle surface) { return surface != 0 ? surface : L().defaultSurface; }

// A page of a chain whose pages share one bitmap: lent to the view, or copied to the
// presenter without one.
void PresentPage(plat::HDC dc, const LvRect* rects, int32_t count) {
    Layer& l = L();
    if (l.view.showPage == nullptr) {
        PresentRects(dc, rects, count);
    } else if (count > 0) {
        l.lent = true;
        l.view.showPage(l.view.context, dc.id, rects, count);
    }
}

void EndPageLoan() {
    Layer& l = L();
    if (l.lent && l.view.showPage != nullptr) l.view.showPage(l.view.context, 0, nullptr, 0);
    l.lent = false;
}

// Drawing on the primary is drawing on the screen; drawing on another page of the chain is
// what its next flip may have to show.
void ShowIfPrimary(LvHandle surface, int32_t x, int32_t y, int32_t width, int32_t height) {
    Layer& l = L();
    if (surface == 0) return;
    const LvRect rect{x, y, width, height};
    if (l.sharedChain) {
        if (surface == l.surfaces.Primary()) {
            PresentPage(l.surfaces.Dc(surface), &rect, 1);
        } else if (l.surfaces.PageIndex(surface) >= 0) {
            l.drawn.Add(rect);
        }
        return;
    }
    if (surface != l.surfaces.Primary()) {
        l.pages.Drawn(l.surfaces.PageIndex(surface), rect);
        return;
    }
    l.pages.DrawnOnScreen(l.surfaces.PageIndex(surface));
    PresentRects(l.surfaces.Dc(surface), &rect, 1);
}

// A page's pixels, for the flip's comparison; empty when they cannot be read.
plat::PixelAccess PagePixels(int page) {
    plat::PixelAccess a;
    if (!plat::AccessPixels(plat::GetCurrentBitmap(L().surfaces.PageDc(page)), a)) a = plat::PixelAccess{};
    return a;
}

void ShowWholePrimary() {
    Layer& l = L();
    int w = 0, h = 0;
    if (l.surfaces.Size(l.surfaces.Primary(), w, h)) ShowIfPrimary(l.surfaces.Primary(), 0, 0, w, h);
}

// A flip shows what may have changed on the new front page since the screen showed it, as far
// as it differs from the page shown until now.
void ShowFlippedPrimary(int shownBefore) {
    Layer& l = L();
    const int front = l.surfaces.PageIndex(l.surfaces.Primary());
    if (l.sharedChain) {
        // The one bitmap holds every frame drawn since the last flip: show what was drawn.
        const std::vector<LvRect> drawn = l.drawn.Take();
        if (!drawn.empty()) PresentPage(l.surfaces.PageDc(front), drawn.data(), static_cast<int32_t>(drawn.size()));
        return;
    }
    const std::vector<LvRect> changed = l.pages.Flip(front, PagePixels(front), PagePixels(shownBefore));
    if (!changed.empty()) {
        PresentRects(l.surfaces.PageDc(front), changed.data(), static_cast<int32_t>(changed.size()));
    }
}

void ForgetChain() {
    Layer& l = L();
    EndPageLoan();
    l.sharedChain = false;
    l.pages.Reset(0, 0, 0);
    const LvHandle back = l.surfaces.BackBuffer();
    if (l.defaultSurface != 0 && (l.defaultSurface == l.surfaces.Primary() || l.defaultSurface == back)) {
        l.defaultSurface = 0;
    }
    l.surfaces.DeleteChain();
}

int32_t EnumerateModes(LvModeProc proc) {
    for (const LvDisplayMode& m : OfferedModes()) proc(m.width, m.height, m.bitsPerPixel, m.refreshRate);
    return 0;
}

}  // namespace
}  // namespace lvk

using lvk::L;

LvResult InitDDraw(LvWindow window) noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    if (window == 0) {
        // Exclusive full-screen use needs a window to own the screen.
        l.lastError = plat::DDERR_INVALIDPARAMS;
        return lvk::kErrCooperativeLevel;
    }
    l.open = true;
    l.window = window;
    return 0;
}

LvResult SetDefaultSurface(int32_t which) noexcept {
    lvk::Layer& l = L();
    LvHandle chosen = 0;
    switch (which) {
    case 0: chosen = l.surfaces.Primary(); break;
    case 1: chosen = l.surfaces.BackBuffer(); break;
    case 2: return 0;  // the third slot is never filled
    default: return which - 2;
    }
    if (chosen != 0) l.defaultSurface = chosen;
    return static_cast<LvResult>(chosen);
}

LvHandle GetDDC(LvHandle surface) noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    const plat::HDC dc = l.surfaces.Dc(lvk::Target(surface));
    if (!dc) {
        l.lastError = plat::DDERR_INVALIDOBJECT;
        return 0;
    }
    l.lastDc = dc.id;
    // What is drawn through the DC is not known: the whole page may change.
    const LvHandle target = lvk::Target(surface);
    if (target != l.surfaces.Primary()) {
        int w = 0, h = 0;
        if (l.sharedChain && l.surfaces.PageIndex(target) >= 0) {
            l.drawn.Whole();
        } else if (l.surfaces.Size(target, w, h)) {
            l.pages.Drawn(l.surfaces.PageIndex(target), LvRect{0, 0, w, h});
        }
    }
    return dc.id;
}

LvResult ReleaseDDC(LvHandle surface, LvHandle dc) noexcept {
    if (const SharedState* shared = lvk::Shared(); shared != nullptr && shared->DirectDrawOff != 0) {
        return shared->DirectDrawOff;
    }
    lvk::Layer& l = L();
    const LvHandle target = lvk::Target(surface);
    const LvHandle given = dc != 0 ? dc : l.lastDc;
    if (!l.surfaces.OwnsDc(target, plat::HDC(given))) {
        return l.surfaces.Valid(target) ? plat::DDERR_INVALIDPARAMS : plat::DDERR_INVALIDOBJECT;
    }
    if (given == l.lastDc) l.lastDc = 0;
    if (target == l.surfaces.Primary()) lvk::ShowWholePrimary();
    return 0;
}

LvResult CanFlip() noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    if (l.surfaces.Primary() == 0) return 0;
    // Still drawing while the last flip waits for its vertical blank: long work that steps the
    // show asks here and goes on with its work, instead of waiting in Flip a period at a time.
    if (lvk::FlipPending(l)) {
        l.lastError = plat::DDERR_WASSTILLDRAWING;
        return 1;
    }
    l.lastError = 0;
    return 0;
}

LvResult SetPageSharing(const LvPageView* view) noexcept {
    if (view != nullptr && (view->size < sizeof(LvPageView) || view->showPage == nullptr)) return lvk::kErrPageView;
    lvk::Layer& l = L();
    // A chain lent to the view it replaces is shown by copies, or lent anew, from now on.
    lvk::EndPageLoan();
    l.view = view != nullptr ? *view : LvPageView{};
    return 0;
}

LvResult PagesShared() noexcept {
    if (lvk::Off()) return 0;
    return L().sharedChain ? 1 : 0;
}

LvResult Flip() noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    // A flip waits for the display's vertical blank: at most one a refresh period, so a show
    // flipping its pages runs at the display's rate instead of as fast as the loop can go.
    const bool clearing = l.unpacedFlips > 0;
    if (clearing) {
        --l.unpacedFlips;
    } else if (l.paceSet) {
        std::this_thread::sleep_until(lvk::NextFlipAt(l));
    }
    const int shownBefore = l.surfaces.PageIndex(l.surfaces.Primary());
    const int32_t result = l.surfaces.Flip();
    if (result != plat::DD_OK) return result;
    l.paceSet = !clearing;
    lvk::ShowFlippedPrimary(shownBefore);
    return 0;
}

LvHandle CreateSurface(int32_t width, int32_t height, uint32_t colourKey, int32_t /*site*/) noexcept {
    if (lvk::Off()) return 1;
    lvk::Layer& l = L();
    if (!l.open) {
        l.lastError = plat::DDERR_NOTINITIALIZED;
        return 0;
    }
    int32_t error = 0;
    const plat::SurfaceId id = l.surfaces.Create(width, height, colourKey, &error);
    if (id == 0) l.lastError = error;
    return id;
}

void DeleteSurface(LvHandle* surface) noexcept {
    if (lvk::Off() || surface == nullptr) return;
    L().surfaces.Delete(*surface);
    *surface = 0;
}

LvResult FillSurface(LvHandle surface, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour,
                     int32_t flags, int32_t /*site*/) noexcept {
    if (lvk::Off()) return 0;
    const LvHandle target = lvk::Target(surface);
    // A fill has no source, so only the destination's key can take part.
    const uint32_t keys = (flags & 0x2) != 0 ? plat::SURFACE_DESTCOLORKEY : 0;
    const int32_t result = L().surfaces.Fill(target, x, y, width, height, colour, keys);
    if (result == plat::DD_OK) lvk::ShowIfPrimary(target, x, y, width, height);
    return result;
}

LvResult CanBlt() noexcept { return 0; }

LvResult DDBlt(LvHandle dest, int32_t x, int32_t y, int32_t width, int32_t height, LvHandle source, int32_t xSrc,
               int32_t ySrc, int32_t flags, int32_t /*site*/) noexcept {
    if (lvk::Off()) return 0;
    const LvHandle target = lvk::Target(dest);
    uint32_t keys = 0;
    if ((flags & 0x1) != 0) keys |= plat::SURFACE_SRCCOLORKEY;
    if ((flags & 0x2) != 0) keys |= plat::SURFACE_DESTCOLORKEY;
    const int32_t result = L().surfaces.Blt(target, x, y, width, height, source, xSrc, ySrc, keys);
    if (result == plat::DD_OK) lvk::ShowIfPrimary(target, x, y, width, height);
    return result;
}

LvResult EnumDDModes(LvModeProc proc) noexcept {
    if (proc == nullptr) return lvk::kErrModeList;
    return lvk::EnumerateModes(proc);
}

LvResult EnumDispModes(LvModeProc proc) noexcept {
    if (proc != nullptr) lvk::EnumerateModes(proc);
    return 0;
}

LvResult MatchColor(LvHandle surface, uint32_t rgb) noexcept {
    if (lvk::Off()) return 1;
    if (!L().surfaces.Valid(lvk::Target(surface))) return -1;
    return static_cast<LvResult>(plat::SurfacePixelValue(rgb));
}

LvResult SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) noexcept {
    lvk::Layer& l = L();
    LvDisplayMode wanted{width, height, bitsPerPixel, refreshRate};
    if (!l.open) {
        // The display settings way changes only what is given.
        const LvDisplayMode now = lvk::CurrentMode();
        if (width == 0) wanted.width = now.width;
        if (height == 0) wanted.height = now.height;
        if (bitsPerPixel == 0) wanted.bitsPerPixel = now.bitsPerPixel;
        if (refreshRate == 0) wanted.refreshRate = now.refreshRate;
    }
    if (!lvk::IsOffered(wanted)) {
        if (!l.open) return lvk::kErrSettingsBadMode;
        l.lastError = plat::DDERR_INVALIDMODE;
        return lvk::kErrModeRefused;
    }
    l.mode = wanted;
    l.modeSet = true;
    return 0;
}

LvResult CreatePrimary(int32_t backBuffers) noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    if (!l.open) {
        l.lastError = plat::DDERR_NOTINITIALIZED;
        return lvk::kErrPrimary;
    }
    if (backBuffers < 0 || backBuffers > plat::SurfaceTable::kMaxBackBuffers) {
        l.lastError = plat::DDERR_INVALIDPARAMS;
        return lvk::kErrPrimary;
    }
    // A new chain replaces the one before: the display may have changed size since.
    lvk::ForgetChain();
    const LvDisplayMode mode = lvk::CurrentMode();
    const bool share = l.view.showPage != nullptr;
    const int32_t result = l.surfaces.CreateChain(mode.width, mode.height, backBuffers, share);
    if (result != plat::DD_OK) {
        l.lastError = result;
        return lvk::kErrPrimary;
    }
    l.defaultSurface = backBuffers > 0 ? l.surfaces.BackBuffer() : l.surfaces.Primary();
    l.sharedChain = share;
    l.pages.Reset(backBuffers + 1, mode.width, mode.height);
    l.drawn.Reset(mode.width, mode.height);
    l.unpacedFlips = backBuffers + 1;
    l.paceSet = false;
    return 0;
}

void DeletePrimary() noexcept { lvk::ForgetChain(); }

LvResult CloseDDraw() noexcept {
    lvk::Layer& l = L();
    const bool wasOpen = l.open;
    lvk::ForgetChain();
    // Surfaces the program did not delete go with the layer; their ids are refused afterwards.
    l.surfaces.DeleteAll();
    l.defaultSurface = 0;
    l.lastDc = 0;
    l.modeSet = false;
    l.open = false;
    l.window = 0;
    return wasOpen ? 1 : 0;
}

LvResult GetScanLine() noexcept {
    if (lvk::Off()) return 0;
    lvk::Layer& l = L();
    const LvDisplayMode mode = lvk::CurrentMode();
    int width = 0, height = mode.height;
    l.surfaces.Size(l.surfaces.Primary(), width, height);
    const auto since =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - l.surfaces.LastFlip());
    return plat::ScanLineAt(since, height, mode.refreshRate);
}

LvResult DDGetLastError() noexcept { return L().lastError; }
