#include "program/show/frame_paint.h"

#include <algorithm>

#include "program/core/startup/program_state.h"
#include "program/show/display_state.h"
#include "program/show/frame_step.h"
#include "program/show/lying_snow.h"
#include "program/show/show_queues.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "program/show/snow.h"
#include "program/show/train_records.h"

namespace yov {

namespace {

constexpr int32_t kLayerBackground = 0x17;
constexpr int32_t kLayerAbove = 0x14;
constexpr int32_t kLayerBelow = 0x11;
constexpr int32_t kLayerPathDrawn = 0x02;
constexpr int32_t kLayerSnowOrEffect = 0x840;
constexpr int32_t kLayerEffect = 0x800;
constexpr int32_t kPaintable =
    train_flag::kMoving | train_flag::kStarted | train_flag::kStartDeferred | train_flag::kSceneRecord;

void markDirty(Compositor& c, int32_t y, int32_t width, int32_t height, const char* label) {
    c.AddDirtyRect(0, y, width, height, 1, 0, 0, 0, 0, 0, 0, label);
}

void paintLines(int32_t train) {
    ShowSeams& s = showSeams();
    if (!s.paintLine) {
        NoteMissingSeam(u"the line painter");
        return;
    }
    TrainTable& t = trains();
    if ((t.at(train).Flags & train_flag::kSceneRecord) == 0) {
        s.paintLine(train, 0);
        return;
    }
    // A scene record paints the lines it links, shifted into its own area.
    int32_t guard = t.Count + 1;
    for (int32_t l = t.at(train).NextLinked; l != 0 && t.valid(l) && guard > 0; --guard) {
        s.paintLine(l, t.at(train).OriginY - t.at(l).OriginY);
        l = t.at(l).NextLinked;
    }
}

// One line (or the band lowRow..highRow of it while it is wiped) into the compositor.
void paintRecord(int32_t train, int32_t lowRow, int32_t highRow) {
    ShowState& ss = showState();
    ShowSeams& s = showSeams();
    Compositor& c = displayState().Frame;
    TrainTable& t = trains();
    const size_t page = ss.PageIndex;
    {
        const TrainRec& r = t.at(train);
        const int32_t top = std::min(r.AboveBase, highRow);
        const int32_t depth = std::min(r.BelowBase, -lowRow);
        c.SetScreenRect(r.OriginX, r.OriginY, r.Width, top, depth);
    }
    const int32_t layers = t.at(train).LayerFlags;
    if ((layers & kLayerBackground) != 0) {
        const TrainRec& r = t.at(train);
        const int32_t width = r.Width;
        const int32_t pageBits = r.BufferRedraw[page];
        if ((layers & kLayerAbove) != 0) {
            markDirty(c, r.VehicleHeight, width, r.AboveBase - r.VehicleHeight, "Checkstep Bg Above");
        }
        if ((pageBits & page_bit::kPathCovered) == 0 && (layers & kLayerPathDrawn) == 0) {
            markDirty(c, 0, width, r.VehicleHeight, "Checkstep Bg Path");
        }
        if ((layers & kLayerSnowOrEffect) != 0) {
            if (s.paintBgLayers)
                s.paintBgLayers(train, 0, width, layers);
            else
                NoteMissingSeam(u"the background layers");
        }
        const TrainRec& again = t.at(train);
        if ((layers & kLayerBelow) != 0) markDirty(c, -again.BelowBase, width, again.BelowBase, "Checkstep Bg Below");
        if (s.writeFgAnim) s.writeFgAnim(train, again.BgPart, 0);
        TrainRec& w = t.at(train);
        if ((w.BufferRedraw[page] & page_bit::kWipeRepaint) == 0) w.BufferRedraw[page] &= ~page_bit::kBgOnce;
    }
    paintLines(train);
    if (!t.valid(train)) return;
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
    if (programState().BatchMode != 0) {
        Compositor& c = displayState().Frame;
        if (c.surfaceCalls.fill)
            c.surfaceCalls.fill(r.OriginX, y, r.Width, h, static_cast<uint32_t>(ss.BackgroundPixel), 16015);
    } else {
        BlitList& batch = displayState().Frame.currentBatch();
        if (batch.made) Compositor::AddBlitOp(batch, 0, 0, r.OriginX, y, r.Width, h, 0, 0, 0, 0, 16015);
    }
    displayState().Frame.frameChanged = true;
}

bool anyPageHas(const TrainRec& r, int32_t bits) {
    for (int32_t b = 0; b <= showState().FlipCount && b < 3; ++b) {
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
        paintRecord(train, to, from);
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
    if ((ss.PagesToRepaint & ss.PageBit) != 0 && programState().BatchMode == 0 && frameStepCalls().clearShowWindow) {
        frameStepCalls().clearShowWindow();
    }
    TrainTable& t = trains();
    const size_t page = ss.PageIndex;
    int32_t guard = t.Count + 1;
    for (ss.StepCursor = t.ActiveHead; ss.StepCursor != 0 && guard > 0; --guard) {
        const int32_t train = ss.StepCursor;
        const int32_t next = t.at(train).NextActive;
        const int32_t flags = t.at(train).Flags;
        if ((flags & train_flag::kDependent) == 0 && (flags & kPaintable) != 0) {
            const bool wiping = (t.at(train).BufferRedraw[page] & page_bit::kWiping) != 0;
            if (!wiping && ss.WipeTrain != train) {
                paintRecord(train, -0x40000000, 0x40000000);
            } else if (wiping) {
                const bool clearing = (t.at(train).BufferRedraw[page] & page_bit::kWipeClear) != 0;
                wipeRecord(train);
                // A repaint wipe goes on to the line's own painting; a clearing one ends the line.
                if (!clearing && t.valid(train) && (t.at(train).BufferRedraw[page] & page_bit::kWiping) == 0) {
                    paintRecord(train, -0x40000000, 0x40000000);
                }
            }
            if (t.valid(train) && ss.WipeTrain == train) endWipe(train);
            if (t.valid(train) && (t.at(train).BufferRedraw[page] & page_bit::kWiping) == 0 && ss.WipeTrain != train) {
                t.at(train).BufferRedraw[page] = 0;
            }
        }
        ss.StepCursor = t.valid(next) ? next : 0;
    }
    PaintBg();
    ss.PagesToRepaint = static_cast<uint8_t>(ss.PagesToRepaint & ~ss.PageBit);
}

void PaintBg() {
    ShowState& ss = showState();
    int32_t& countdown = ss.BgRepaintCountdown[std::min<size_t>(ss.PageIndex, 2)];
    --countdown;
    if (ss.NoFullRepaint != 0 || countdown > 0) return;
    TrainTable& t = trains();
    int32_t guard = t.Count + 1;
    for (int32_t r = t.ActiveHead; r != 0 && guard > 0; --guard) {
        if ((t.at(r).Flags & train_flag::kStarted) != 0) return;
        r = t.at(r).NextActive;
    }
    if (frameStepCalls().fillScreen) frameStepCalls().fillScreen(programState().BatchMode != 0 ? 16011 : 18022);
    displayState().Frame.frameChanged = true;
    countdown = kFullRepaintSteps;
}

}  // namespace yov
