#include "program/show/frame_paint.h"

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "program/show/line_paint.h"
#include "program/show/lying_snow.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/show/snow.h"
#include "program/trains/train_records.h"
#include "program/show_data/display_state.h"
#include "program/trains/line_area.h"

namespace yov {

namespace {

// Page bits asking for the static background of a band to be drawn again (the layer flags
// an area painting leaves on every page): something above the vehicles (a layer, the wire
// 0x04, the support pictures 0x02), in the vehicle band, below the rail line (a layer or
// the track 0x01).
constexpr int32_t kBitsAbove = 0x04 | 0x02;
constexpr int32_t kBitsPath = 0x10 | 0x40 | 0x02 | 0x800;
constexpr int32_t kBitsBelow = 0x01;
constexpr int32_t kLayerEffect = 0x800;
constexpr int32_t kPaintable =
    train_flag::kMoving | train_flag::kStarted | train_flag::kStartDeferred | train_flag::kSceneRecord;

// The scene picture behind the line's rectangle, an opaque piece: whatever is redrawn in it
// starts from the line's static background.
void announceBackground(Compositor& c, const TrainRec& r, int32_t y, int32_t height, bool dirty, const char* label) {
    const int32_t dc = r.SceneDC != 0 ? r.SceneDC : displayState().SceneDC.Value();
    const int32_t surface = r.SceneSurface != 0 ? r.SceneSurface : static_cast<int32_t>(displayState().BackSurface);
    if (programState().run.BatchMode != 0) {
        c.AddDirtyRect(0, y, r.Width, height, dirty ? 1 : 0, 0, 0, r.OriginX, r.OriginY, 0, surface, label);
    } else {
        c.AddDirtyRect(0, y, r.Width, height, dirty ? 1 : 0, dc, 0, r.OriginX, r.OriginY, 0, 0, label);
    }
}

void paintLines(int32_t train) {
    TrainTable& t = trains();
    if ((t.at(train).Flags & train_flag::kSceneRecord) == 0) {
        PaintLine(train, 0);
        return;
    }
    // A scene record paints the lines it links, shifted into its own area.
    int32_t guard = t.Count + 1;
    const size_t page = std::min<size_t>(showState().PageIndex, 2);
    for (int32_t l = t.at(train).NextLinked; l != 0 && t.valid(l) && guard > 0; --guard) {
        const int32_t yOffset = t.at(train).OriginY - t.at(l).OriginY;
        TrainRec& linked = t.at(l);
        // A path painted anew: its area on the scene's background comes back on this page.
        if ((linked.BufferRedraw[page] & page_bit::kBgOnce) != 0) {
            displayState().Frame.AddDirtyRect(0, yOffset - linked.BelowBase, linked.Width,
                                              linked.AboveBase + linked.BelowBase, 1, 0, 0, 0, 0, 0, 0,
                                              "Checkstep Bg Path");
            linked.BufferRedraw[page] &= ~page_bit::kBgOnce;
        }
        // The path's temporary background, snow and lying snow come with it: a path is never
        // painted by itself.
        const bool after = (t.at(l).Flags & train_flag::kTbgAfterTrains) != 0;
        if (!after) PaintTempBackground(l, 0, t.at(l).Width, 0, yOffset);
        PaintLine(l, yOffset);
        if (!t.valid(l)) break;
        if (after) PaintTempBackground(l, 0, t.at(l).Width, 0, yOffset);
        if ((t.at(l).Flags & train_flag::kFallingSnow) != 0) PaintSnow(t.at(l), showState().StepClock, yOffset);
        if ((t.at(l).LayerFlags & kLayerEffect) != 0) PaintEffectLayer(t.at(l), showState().StepClock, yOffset);
        l = t.at(l).NextLinked;
    }
    // The scene's own foreground stands in front of every path's trains.
    if (t.valid(train) && picParts().valid(t.at(train).FgPart)) PaintLine(train, 0);
}

// One line (or the band lowRow..highRow of it while it is wiped) into the compositor.
void paintRecord(int32_t train, int32_t lowRow, int32_t highRow, bool wholePage) {
    ShowState& ss = showState();
    Compositor& c = displayState().Frame;
    TrainTable& t = trains();
    const size_t page = std::min<size_t>(ss.PageIndex, 2);
    {
        const TrainRec& r = t.at(train);
        const int32_t top = std::min(r.AboveBase, highRow);
        const int32_t depth = std::min(r.BelowBase, -lowRow);
        c.SetScreenRect(r.OriginX, r.OriginY, r.Width, top, depth);
        const int32_t bits = r.BufferRedraw[page];
        const bool all = wholePage || lowRow > -0x40000000;
        announceBackground(c, r, r.VehicleHeight, r.AboveBase - r.VehicleHeight, all || (bits & kBitsAbove) != 0,
                           "Checkstep Bg Above");
        announceBackground(c, r, 0, r.VehicleHeight, all || (bits & kBitsPath) != 0, "Checkstep Bg Path");
        announceBackground(c, r, -r.BelowBase, r.BelowBase, all || (bits & kBitsBelow) != 0, "Checkstep Bg Below");
    }
    const bool layersAfter = (t.at(train).Flags & train_flag::kTbgAfterTrains) != 0;
    const bool temporary = HasTempBackground(t.at(train));
    if (temporary && !layersAfter) PaintBgLayers(train, 0, t.at(train).Width, 0);
    WriteFgAnim(train, t.at(train).BgPart, 0);
    {
        TrainRec& w = t.at(train);
        if ((w.BufferRedraw[page] & page_bit::kWipeRepaint) == 0) w.BufferRedraw[page] &= ~page_bit::kBgOnce;
    }
    paintLines(train);
    if (!t.valid(train)) return;
    if (temporary && layersAfter) PaintBgLayers(train, 0, t.at(train).Width, 0);
    if ((t.at(train).Flags & train_flag::kFallingSnow) != 0) PaintSnow(t.at(train), ss.StepClock);
    if ((t.at(train).LayerFlags & kLayerEffect) != 0) PaintEffectLayer(t.at(train), ss.StepClock);
    c.MergeDirtyRects();
    c.FlushBlitOps();
}

void fillBand(int32_t train, int32_t lowRow, int32_t highRow) {
    ShowState& ss = showState();
    const TrainRec& r = trains().at(train);
    const int32_t y = r.OriginY - highRow;
    const int32_t h = highRow - lowRow;
    if (h <= 0 || r.Width <= 0) return;
    if (programState().run.BatchMode != 0) {
        lv::FillSurface(0, r.OriginX, y, r.Width, h, static_cast<uint32_t>(ss.Display.BackgroundPixel), 0, 16015);
    } else {
        BlitList& batch = displayState().Frame.currentBatch();
        if (batch.made) Compositor::AddBlitOp(batch, 0, 0, r.OriginX, y, r.Width, h, 0, 0, 0, 0, 16015);
    }
    displayState().Frame.frameChanged = true;
}

// The whole screen in the background colour: under DirectDraw on the back surface at once, in
// GDI drawing as the first record of this step's batch, so the lines are drawn over it.
void fillScreen(int32_t site) {
    const DisplayState& d = displayState();
    Compositor& c = displayState().Frame;
    if (d.SceneWidth <= 0 || d.SceneHeight <= 0) return;
    if (programState().run.BatchMode != 0) {
        lv::FillSurface(0, 0, 0, d.SceneWidth, d.SceneHeight, d.BackgroundPixel, 0, site);
    } else {
        BlitList& batch = c.currentBatch();
        if (batch.made) Compositor::AddBlitOp(batch, 0, 0, 0, 0, d.SceneWidth, d.SceneHeight, 0, 0, 0, 0, site);
    }
    c.frameChanged = true;
}

bool anyPageHas(const TrainRec& r, int32_t bits) {
    for (int32_t b = 0; b <= BookPages(showState()) && b < 3; ++b) {
        if ((r.BufferRedraw[static_cast<size_t>(b)] & bits) != 0) return true;
    }
    return false;
}

// One pass of the wipe of a line's area on the current page.
void wipeRecord(int32_t train) {
    ShowState& ss = showState();
    TrainTable& t = trains();
    const size_t page = ss.PageIndex;
    if (ss.WipeTrain != 0 && ss.WipeTrain != train && t.valid(ss.WipeTrain)) return;
    if (ss.WipeTrain != train) {
        ss.WipeTrain = train;
        TrainRec& r = t.at(train);
        const int32_t top =
            (r.Flags & train_flag::kFallingSnow) != 0 ? std::max(r.AboveBase, r.SnowBase + r.SnowHeight) : r.AboveBase;
        r.WipeRow.fill(top);
    }
    const TrainRec& r = t.at(train);
    const bool clearing = (r.BufferRedraw[page] & page_bit::kWipeClear) != 0;
    const int32_t from = r.WipeRow[page];
    int32_t rows = from + r.BelowBase;
    if (ss.ActiveCount > 1 && r.Width > 0) {
        const int32_t budget = (clearing ? ss.ClearWipeBudget : ss.RepaintWipeBudget) / r.Width;
        rows = std::min(rows, std::max(budget, 1));
    }
    const int32_t to = from - rows;
    if (clearing)
        fillBand(train, to, from);
    else
        paintRecord(train, to, from, false);
    if (!t.valid(train)) return;
    TrainRec& w = t.at(train);
    w.WipeRow[page] = to;
    if (to <= -w.BelowBase) w.BufferRedraw[page] &= ~page_bit::kWiping;
}

void endWipe(int32_t train) {
    ShowState& ss = showState();
    TrainRec& r = trains().at(train);
    if (anyPageHas(r, page_bit::kWayText | page_bit::kWiping)) return;
    ss.WipeTrain = 0;
    if ((r.Flags & train_flag::kStartDeferred) != 0 && (r.Flags & train_flag::kStarted) == 0 &&
        (r.Flags & train_flag::kMoving) == 0) {
        r.Flags &= ~train_flag::kStartDeferred;
        r.Flags |= train_flag::kStarted | train_flag::kWaiting;
        QueueObjectStep(train);
        return;
    }
    if (r.State == train_state::kReleased) {
        r.State = train_state::kRunEndedWiped;
        QueueDueEvent(r.Event);
    }
    r.Flags &= ~(train_flag::kMoving | train_flag::kStarted | train_flag::kStartDeferred);
}

}  // namespace

void PaintFrame() {
    ShowState& ss = showState();
    Compositor& c = displayState().Frame;
    c.currentBatch().count = 0;
    c.compositionList.count = 0;
    ss.PageBit = static_cast<uint8_t>(1u << ss.PageIndex);
    if (PaintBg()) {
        // The fill came first: every line is drawn whole over it on this page.
        ss.PagesToRepaint = static_cast<uint8_t>(ss.PagesToRepaint | ss.PageBit);
    } else if ((ss.PagesToRepaint & ss.PageBit) != 0 && programState().run.BatchMode == 0) {
        fillScreen(18022);
    }
    const bool wholePage = (ss.PagesToRepaint & ss.PageBit) != 0;
    TrainTable& t = trains();
    const size_t page = std::min<size_t>(ss.PageIndex, 2);
    int32_t guard = t.Count + 1;
    for (ss.StepCursor = t.ActiveHead; ss.StepCursor != 0 && guard > 0; --guard) {
        const int32_t train = ss.StepCursor;
        const int32_t next = t.at(train).NextActive;
        const int32_t flags = t.at(train).Flags;
        if ((flags & train_flag::kDependent) == 0 && (flags & kPaintable) != 0) {
            const bool wiping = (t.at(train).BufferRedraw[page] & page_bit::kWiping) != 0;
            if (!wiping && ss.WipeTrain != train) {
                paintRecord(train, -0x40000000, 0x40000000, wholePage);
            } else if (wiping) {
                const bool clearing = (t.at(train).BufferRedraw[page] & page_bit::kWipeClear) != 0;
                wipeRecord(train);
                // A repaint wipe goes on to the line's own painting; a clearing one ends the line.
                if (!clearing && t.valid(train) && (t.at(train).BufferRedraw[page] & page_bit::kWiping) == 0) {
                    paintRecord(train, -0x40000000, 0x40000000, wholePage);
                }
            }
            if (t.valid(train) && ss.WipeTrain == train) endWipe(train);
            if (t.valid(train) && (t.at(train).BufferRedraw[page] & page_bit::kWiping) == 0 && ss.WipeTrain != train) {
                t.at(train).BufferRedraw[page] = 0;
            }
        }
        ss.StepCursor = t.valid(next) ? next : 0;
    }
    ss.PagesToRepaint = static_cast<uint8_t>(ss.PagesToRepaint & ~ss.PageBit);
}

bool PaintBg() {
    ShowState& ss = showState();
    int32_t& countdown = ss.BgRepaintCountdown[std::min<size_t>(ss.PageIndex, 2)];
    --countdown;
    if (ss.NoFullRepaint != 0 || countdown > 0) return false;
    TrainTable& t = trains();
    int32_t guard = t.Count + 1;
    for (int32_t r = t.ActiveHead; r != 0 && guard > 0; --guard) {
        if ((t.at(r).Flags & train_flag::kStarted) != 0) return false;
        r = t.at(r).NextActive;
    }
    fillScreen(programState().run.BatchMode != 0 ? 16011 : 18022);
    countdown = kFullRepaintSteps;
    return true;
}

void PaintBgLayers(int32_t train, int32_t fromX, int32_t toX, int32_t flags) {
    if (fromX >= toX || !trains().valid(train)) return;
    Compositor& c = displayState().Frame;
    const TrainRec& r = trains().at(train);
    const bool dd = programState().run.BatchMode != 0;
    const int32_t dc = r.SceneDC != 0 ? r.SceneDC : displayState().SceneDC.Value();
    const int32_t surface = r.SceneSurface != 0 ? r.SceneSurface : static_cast<int32_t>(displayState().BackSurface);
    for (int32_t j = 1; j <= r.BgBlockCount && j < static_cast<int32_t>(r.BgBlocks.size()); ++j) {
        const VisibleBlock& b = r.BgBlocks[static_cast<size_t>(j)];
        const int32_t left = std::max(b.Left, fromX);
        const int32_t right = std::min(b.Left + b.Width, toX);
        if (left >= right) continue;
        c.AddDirtyRect(left, 0, right - left, r.VehicleHeight, 0, dd ? 0 : dc, 0, r.OriginX + left, r.OriginY, 0,
                       dd ? surface : 0, "TBg");
    }
    PaintTempBackground(train, fromX, toX, flags);
}

bool HasTempBackground(const TrainRec& r) {
    return ((r.LayerFlags & layer_flag::kTemporary) != 0 && r.TgPieceCount > 0) || r.GrowPieceCount > 0;
}

void PaintTempBackground(int32_t train, int32_t fromX, int32_t toX, int32_t flags, int32_t yOffset) {
    if (fromX >= toX || !trains().valid(train)) return;
    Compositor& c = displayState().Frame;
    TrainRec& r = trains().at(train);
    if (!HasTempBackground(r)) return;
    const bool dd = programState().run.BatchMode != 0;
    const size_t page = std::min<size_t>(showState().PageIndex, 2);
    // What the trains took away of the span since this page was drawn, or what a new start
    // gave back, is drawn again.
    const auto changed = [&](int32_t a, int32_t b) {
        const int32_t left = std::max(std::min(a, b), fromX);
        const int32_t right = std::min(std::max(a, b), toX);
        if (left < right) c.AddDirtyRect(left, yOffset, right - left, r.VehicleHeight, 1, 0, 0, 0, 0, 0, 0, "XBg Span");
    };
    int32_t& shownFrom = r.TbgBufferFrom[page];
    int32_t& shownTo = r.TbgBufferTo[page];
    if (shownFrom >= shownTo || r.TbgFrom >= r.TbgTo) {
        if (shownFrom < shownTo) changed(shownFrom, shownTo);
        if (r.TbgFrom < r.TbgTo) changed(r.TbgFrom, r.TbgTo);
    } else {
        if (shownFrom != r.TbgFrom) changed(shownFrom, r.TbgFrom);
        if (shownTo != r.TbgTo) changed(shownTo, r.TbgTo);
    }
    shownFrom = r.TbgFrom;
    shownTo = r.TbgTo;
    const int32_t bandFrom = std::max(fromX, shownFrom);
    const int32_t bandTo = std::min(toX, shownTo);
    const bool shown = (r.LayerFlags & layer_flag::kTemporary) != 0;
    for (int32_t j = 1; j <= r.TgPieceCount && j < static_cast<int32_t>(r.TgPieces.size()); ++j) {
        const bool growing = j <= r.GrowPieceCount && j < static_cast<int32_t>(r.GrowPieces.size()) &&
                             (r.GrowPieces[static_cast<size_t>(j)].Surface != 0 ||
                              r.GrowPieces[static_cast<size_t>(j)].Values[piece_value::kBufferDC] != 0);
        if (!growing && !shown) continue;
        // Lying snow stays where the trains have passed: only the pieces go with the span.
        const LayerPiece& k = growing ? r.GrowPieces[static_cast<size_t>(j)] : r.TgPieces[static_cast<size_t>(j)];
        const int32_t left = std::max(k.Left, growing ? fromX : bandFrom);
        const int32_t right = std::min(k.Right, growing ? toX : bandTo);
        if (left >= right) continue;
        const int32_t height = k.Values[piece_value::kHeight];
        const int32_t top = r.VehicleHeight - k.Values[piece_value::kTop];
        const int32_t sx = (dd ? 0 : k.Values[piece_value::kBufferX]) + left - k.Left;
        const int32_t sy = (dd ? 0 : k.Values[piece_value::kBufferY]) + top + yOffset;
        c.AddDirtyRect(left, top - height + yOffset, right - left, height, (flags & 0x800) != 0 ? 1 : 0,
                       dd ? 0 : k.Values[piece_value::kBufferDC], dd ? 0 : k.Values[piece_value::kBufferMaskDC], sx, sy,
                       1, dd ? k.Surface : 0, growing ? "XBg Grow" : "XBg");
    }
}

}  // namespace yov
