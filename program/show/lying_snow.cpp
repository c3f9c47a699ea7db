#include "program/show/lying_snow.h"

#include <algorithm>
#include <cmath>

#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"
#include "program/show/snow.h"
#include "program/trains/line_area.h"

namespace yov {

namespace {

constexpr int32_t kSiteCopySurface = 13021;
constexpr int32_t kSiteCopyBuffer = 32018;
constexpr int32_t kSiteFirstCopy = 12071;
constexpr int32_t kSiteGrowRows = 12072;
constexpr int32_t kCopyBufferIds = 3000000;
constexpr int32_t kMaskedPaint = 2;
constexpr int32_t kBlackPictureAndMask = 13;
constexpr float kMinChange = 0.1f;
constexpr int32_t kEdgeOpaque = 250;

namespace pv = piece_value;

bool directDraw() { return programState().run.BatchMode != 0; }

int32_t pieceCount(const TrainRec& t) {
    return std::min<int32_t>(t.TgPieceCount, static_cast<int32_t>(t.TgPieces.size()) - 1);
}

// The heights a temporary-background piece covers: [bottom, top).
int32_t pieceTop(const TrainRec& t, const LayerPiece& p) { return t.VehicleHeight - p.Values[pv::kTop]; }
int32_t pieceBottom(const TrainRec& t, const LayerPiece& p) { return pieceTop(t, p) - p.Values[pv::kHeight]; }

int32_t heightClamp(const TrainRec& t, float v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::clamp<double>(std::floor(v), 0.0, t.VehicleHeight));
}

void makeCopies(TrainRec& t) {
    const int32_t n = pieceCount(t);
    t.GrowPieces.assign(static_cast<size_t>(n) + 1, LayerPiece{});
    for (int32_t j = 1; j <= n; ++j) {
        const LayerPiece& piece = t.TgPieces[static_cast<size_t>(j)];
        LayerPiece& copy = t.GrowPieces[static_cast<size_t>(j)];
        copy.Left = piece.Left;
        copy.Right = piece.Right;
        copy.Values[pv::kTop] = 0;
        copy.Values[pv::kHeight] = t.VehicleHeight;
        const int32_t w = piece.Right - piece.Left;
        if (w < 1 || t.VehicleHeight < 1) continue;
        if (directDraw()) {
            const uint32_t key = static_cast<uint32_t>(displayState().KeyPixel);
            copy.Surface = static_cast<int32_t>(lv::CreateSurface(w, t.VehicleHeight, key, kSiteCopySurface));
            continue;
        }
        const LvHandle buffer =
            AllocDrawBuffer(w, t.VehicleHeight, kCopyBufferIds + 1000 * t.Index + j, kSiteCopyBuffer);
        copy.Buffer = static_cast<int32_t>(buffer);
        if (buffer == 0) continue;
        LvHandle dc = 0;
        LvHandle mask = 0;
        lv::GetBufferData(buffer, &dc, &mask, &copy.Values[pv::kBufferX], &copy.Values[pv::kBufferY], nullptr);
        copy.Values[pv::kBufferDC] = static_cast<int32_t>(dc);
        copy.Values[pv::kBufferMaskDC] = static_cast<int32_t>(mask);
    }
    t.GrowPieceCount = n;
}

bool copyReady(const LayerPiece& copy) { return copy.Surface != 0 || copy.Values[pv::kBufferDC] != 0; }

// Where row `row` of the copy lies: its DC (a surface lends its own) and offset.
struct CopyPlace {
    int32_t dc = 0;
    int32_t mask = 0;
    int32_t x = 0;
    int32_t y = 0;
    LvHandle surface = 0;
};

CopyPlace placeOf(const LayerPiece& copy) {
    if (copy.Surface != 0) return {0, 0, 0, 0, static_cast<LvHandle>(copy.Surface)};
    return {copy.Values[pv::kBufferDC], copy.Values[pv::kBufferMaskDC], copy.Values[pv::kBufferX],
            copy.Values[pv::kBufferY], 0};
}

// The piece's own rows between heights from and to, over what the copy holds there.
void copyPieceRows(const TrainRec& t, const LayerPiece& piece, const LayerPiece& copy, int32_t from, int32_t to,
                   int32_t site) {
    const int32_t lo = std::max({from, pieceBottom(t, piece), 0});
    const int32_t hi = std::min({to, pieceTop(t, piece), t.VehicleHeight});
    const int32_t w = piece.Right - piece.Left;
    if (lo >= hi || w < 1 || piece.Values[pv::kBufferDC] == 0) return;
    const CopyPlace c = placeOf(copy);
    const int32_t sourceRow = t.VehicleHeight - hi - piece.Values[pv::kTop];
    // The copy's mask takes the piece's: the snow shows where the piece does.
    CopyRectEx(c.dc, c.mask, c.x, c.y + t.VehicleHeight - hi, w, hi - lo, piece.Values[pv::kBufferDC],
               piece.Values[pv::kBufferMaskDC], piece.Values[pv::kBufferX], piece.Values[pv::kBufferY] + sourceRow,
               kMaskedPaint, 1, c.surface, 0, site);
}

uint8_t mix(uint8_t under, uint8_t over, int32_t weight) {
    return static_cast<uint8_t>(under + ((static_cast<int32_t>(over) - under) * weight + 127) / 255);
}

// The piece's row at `height` laid over the scene's picture by weight/255, where the piece
// is opaque; the copy shows those pixels.
void blendPieceRow(const TrainRec& t, const LayerPiece& piece, const LayerPiece& copy, int32_t height, int32_t weight) {
    if (height < pieceBottom(t, piece) || height >= pieceTop(t, piece) || height < 0 || height >= t.VehicleHeight)
        return;
    const int32_t w = piece.Right - piece.Left;
    if (w < 1 || piece.Values[pv::kBufferDC] == 0 || t.SceneDC == 0) return;
    const plat::HDC src = plat::HDC::FromValue(piece.Values[pv::kBufferDC]);
    const plat::HDC srcMask = plat::HDC::FromValue(piece.Values[pv::kBufferMaskDC]);
    const plat::HDC scene = plat::HDC::FromValue(t.SceneDC);
    const int32_t sx = piece.Values[pv::kBufferX];
    const int32_t sy = piece.Values[pv::kBufferY] + t.VehicleHeight - 1 - height - piece.Values[pv::kTop];
    const int32_t sceneX = t.AreaLeftX + piece.Left;
    const int32_t sceneY = t.BaseY - 1 - height;
    CopyPlace c = placeOf(copy);
    LvHandle surfaceDc = 0;
    if (c.surface != 0) {
        surfaceDc = lv::GetDDC(c.surface);
        if (surfaceDc == 0) return;
        c.dc = static_cast<int32_t>(surfaceDc);
    }
    const plat::HDC dst = plat::HDC::FromValue(c.dc);
    const plat::HDC dstMask = plat::HDC::FromValue(c.mask);
    const int32_t dy = c.y + t.VehicleHeight - 1 - height;
    plat::GdiFlush();
    for (int32_t x = 0; x < w; ++x) {
        if (srcMask && plat::GetPixel(srcMask, sx + x, sy) == 0) continue;
        const plat::COLORREF over = plat::GetPixel(src, sx + x, sy);
        const plat::COLORREF under = plat::GetPixel(scene, sceneX + x, sceneY);
        plat::SetPixelV(dst, c.x + x, dy,
                        plat::RGB(mix(plat::GetRValue(under), plat::GetRValue(over), weight),
                                  mix(plat::GetGValue(under), plat::GetGValue(over), weight),
                                  mix(plat::GetBValue(under), plat::GetBValue(over), weight)));
        if (dstMask) plat::SetPixelV(dstMask, c.x + x, dy, plat::RGB(255, 255, 255));
    }
    if (surfaceDc != 0) lv::ReleaseDDC(c.surface, surfaceDc);
}

// Rows from height `from` up to `to` of the copy emptied (transparent, or the key colour).
void clearCopyRows(const TrainRec& t, const LayerPiece& copy, int32_t from, int32_t to) {
    const int32_t lo = std::max(from, 0);
    const int32_t hi = std::min(to, t.VehicleHeight);
    const int32_t w = copy.Right - copy.Left;
    if (lo >= hi || w < 1 || !copyReady(copy)) return;
    const CopyPlace c = placeOf(copy);
    const int32_t row = t.VehicleHeight - hi;
    if (c.surface != 0) {
        lv::FillSurface(c.surface, 0, row, w, hi - lo, static_cast<uint32_t>(displayState().KeyPixel), 0,
                        kSiteGrowRows);
    } else {
        CopyRectEx(c.dc, c.mask, c.x, c.y + row, w, hi - lo, 0, 0, 0, 0, kBlackPictureAndMask, 1, 0, 0, kSiteGrowRows);
    }
}

// The copy starts empty (transparent, or the key colour of a surface), the lowest `from`
// rows of the piece in it.
void fillCopy(const TrainRec& t, const LayerPiece& piece, const LayerPiece& copy, int32_t from) {
    const int32_t w = piece.Right - piece.Left;
    if (w < 1 || !copyReady(copy)) return;
    const CopyPlace c = placeOf(copy);
    if (c.surface != 0) {
        lv::FillSurface(c.surface, 0, 0, w, t.VehicleHeight, static_cast<uint32_t>(displayState().KeyPixel), 0,
                        kSiteFirstCopy);
    } else {
        CopyRectEx(c.dc, c.mask, c.x, c.y, w, t.VehicleHeight, 0, 0, 0, 0, kBlackPictureAndMask, 1, 0, 0,
                   kSiteFirstCopy);
    }
    if (from > 0) copyPieceRows(t, piece, copy, 0, from, kSiteFirstCopy);
}

}  // namespace

int32_t GrowDefaultTo(const TrainRec& train) {
    if (pieceCount(train) < 1) return 0;
    return std::clamp(pieceTop(train, train.TgPieces[1]), 0, std::max(train.VehicleHeight, 0));
}

int32_t GrowDefaultFrom(const TrainRec& train) {
    if (pieceCount(train) < 1) return 0;
    return std::clamp(pieceBottom(train, train.TgPieces[1]), 0, std::max(train.VehicleHeight, 0));
}

// Actions run inside the frame step (its step program, path points and starts), where the
// copies' frame steps do nothing: the train's record stays where it is.
void GrowSnow(TrainRec& train, std::u16string_view params) {
    const int32_t n = pieceCount(train);
    if (n < 1) return;
    if (train.GrowPieceCount == 0) makeCopies(train);
    train.LayerFlags |= kLyingSnowLayer;
    ParamTable& table = paramTable();
    int32_t from = 0;
    bool stepped = false;
    table.WithParams(params, [&] {
        // Heights outside the vehicle zone would reach past the copies.
        const int32_t to = heightClamp(train, table.GetParamNumber(u"TO,U,UNTIL", GrowDefaultTo(train)));
        from = heightClamp(train, table.GetParamNumber(u"F,FROM", GrowDefaultFrom(train)));
        const int32_t d = std::abs(to - from);
        float t = table.GetParamNumber(u"T,TIME", d * 3);
        if (!std::isfinite(t) || t < 0.1f) t = 1;
        train.GrowTo = static_cast<float>(to);
        train.GrowLevel = static_cast<float>(from);
        train.GrowDrawn = static_cast<float>(from);
        train.GrowRate = static_cast<float>(d) / t / 1000;
        train.GrowMinChange = kMinChange;
        table.GetParam(u"STEP", u"");
        stepped = table.FoundIndex != 0;
    });
    for (int32_t j = 1; j <= std::min<int32_t>(n, train.GrowPieceCount); ++j)
        fillCopy(train, train.TgPieces[static_cast<size_t>(j)], train.GrowPieces[static_cast<size_t>(j)], from);
    if (stepped)
        train.Flags &= ~train_flag::kSmoothSnowGrowth;
    else
        train.Flags |= train_flag::kSmoothSnowGrowth;
}

void PaintEffectLayer(TrainRec& train, int32_t stepMs, int32_t yOffset) {
    if (train.GrowRate == 0) return;
    const ShowState& ss = showState();
    if (ss.StepMode != 0 && ss.StepMoves == 0) return;
    train.GrowLevel += static_cast<float>(stepMs) * train.GrowRate;
    const bool reached = train.GrowRate > 0 ? train.GrowLevel >= train.GrowTo : train.GrowLevel <= train.GrowTo;
    if (reached) {
        train.GrowLevel = train.GrowTo;
        train.GrowRate = 0;
    } else if (std::fabs(train.GrowLevel - train.GrowDrawn) < train.GrowMinChange) {
        return;
    }
    const int32_t old = heightClamp(train, train.GrowDrawn);
    const int32_t now = heightClamp(train, train.GrowLevel);
    const int32_t fraction = static_cast<int32_t>(std::lround((train.GrowLevel - std::floor(train.GrowLevel)) * 255));
    const int32_t top = std::min(fraction > kEdgeOpaque ? now + 1 : now, train.VehicleHeight);
    for (int32_t b = 0; b <= std::min<int32_t>(BookPages(ss), 2); ++b) {
        const size_t page = static_cast<size_t>(b);
        if ((train.BufferRedraw[page] & kLyingSnowLayer) == 0) {
            train.GrowRepaintFrom[page] = old;
            train.BufferRedraw[page] |= kLyingSnowLayer;
        }
        train.GrowRepaintTo[page] = now + 1;
    }
    train.GrowDrawn = train.GrowLevel;
    const bool smooth = (train.Flags & train_flag::kSmoothSnowGrowth) != 0 && fraction <= kEdgeOpaque;
    const int32_t n = std::min<int32_t>(pieceCount(train), train.GrowPieceCount);
    for (int32_t j = 1; j <= n; ++j) {
        const LayerPiece& piece = train.TgPieces[static_cast<size_t>(j)];
        const LayerPiece& copy = train.GrowPieces[static_cast<size_t>(j)];
        if (!copyReady(copy)) continue;
        if (old < top) copyPieceRows(train, piece, copy, old, top, kSiteGrowRows);
        // Snow that melts leaves the rows above its level empty again.
        if (top <= old) clearCopyRows(train, copy, top, old + 1);
        if (smooth && fraction > 0) blendPieceRow(train, piece, copy, top, fraction);
    }
    // The page being drawn shows the changed rows at once; the others catch up by their marks.
    const int32_t low = std::clamp(std::min(old, now), 0, train.VehicleHeight);
    const int32_t high = std::clamp(std::max(old, top) + 1, 0, train.VehicleHeight);
    if (low >= high) return;
    Compositor& c = displayState().Frame;
    for (int32_t j = 1; j <= n; ++j) {
        const LayerPiece& copy = train.GrowPieces[static_cast<size_t>(j)];
        if (copy.Right > copy.Left)
            c.AddDirtyRect(copy.Left, low + yOffset, copy.Right - copy.Left, high - low, 1, 0, 0, 0, 0, 0, 0,
                           "Lying snow");
    }
}

}  // namespace yov
