#include "program/show/line_paint.h"

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/scene/picture_slot.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_paint.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/show_data/display_state.h"
#include "program/trains/line_area.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

constexpr int32_t kSiteLayerFrame = 11006;
constexpr int32_t kSiteFgFrame = 11007;
constexpr int32_t kSitePartFrame = 11008;
constexpr int32_t kSiteFreeWayText = 19014;
constexpr int16_t kPictureShown = 2;
constexpr int16_t kPictureNew = 3;

bool directDraw() { return programState().run.BatchMode != 0; }

int32_t pages() { return std::min<int32_t>(BookPages(showState()), kSlotPages - 1); }

size_t page() { return std::min<size_t>(showState().PageIndex, kSlotPages - 1); }

bool repaintingPage() { return (showState().PagesToRepaint & showState().PageBit) != 0; }

// One piece of the line, its source in the DC or (DirectDraw) the surface of the picture.
struct Source {
    int32_t dc = 0;
    int32_t mask = 0;
    int32_t surface = 0;
    int32_t x = 0;  // the source column of the piece's left edge
    int32_t y = 0;  // the source row of its top edge
};

void announce(int32_t x, int32_t y, int32_t width, int32_t height, bool dirty, const Source& s, uint8_t transparent,
              const char* label) {
    Compositor& c = displayState().Frame;
    const int32_t top = y + height;
    if (directDraw()) {
        c.AddDirtyRect(x, y, width, height, dirty ? 1 : 0, 0, 0, s.x, s.y + top, transparent, s.surface, label);
    } else {
        c.AddDirtyRect(x, y, width, height, dirty ? 1 : 0, s.dc, s.mask, s.x, s.y + top, transparent, 0, label);
    }
}

void markDirty(int32_t x, int32_t y, int32_t width, int32_t height, const char* label) {
    displayState().Frame.AddDirtyRect(x, y, width, height, 1, 0, 0, 0, 0, 0, 0, label);
}

// The strip a picture uncovered by moving dx beside its new place (x, width).
void markTrail(int32_t x, int32_t y, int32_t width, int32_t height, int32_t dx, const char* right, const char* left) {
    if (dx > 0) markDirty(x - dx, y, dx, height, right);
    if (dx < 0) markDirty(x + width, y, -dx, height, left);
}

// A frame of a slot copied into a picture at (x, y): a record of the composition list in GDI
// drawing (executed before the frame is presented), a blit at once under DirectDraw.
void copyFrame(const PictureSlot& s, int32_t destDc, int32_t destMask, int32_t destSurface, int32_t x, int32_t y,
               int32_t cutX, int32_t cutY, int32_t width, int32_t height, int32_t site, int32_t tag) {
    if (s.ShowFrame == kNoFrame || static_cast<size_t>(s.ShowFrame) >= s.Frames.size() || width <= 0 || height <= 0)
        return;
    const SlotFrame& f = s.Frames[s.ShowFrame];
    const bool masked = (s.Flags & kSlotTransparent) != 0;
    if (directDraw()) {
        if (destSurface == 0 || f.Surface == 0) return;
        lv::DDBlt(static_cast<LvHandle>(destSurface), x, y, width, height, static_cast<LvHandle>(f.Surface), f.X + cutX,
                  f.Y + cutY, masked ? 1 : 0, site);
        return;
    }
    if (destDc == 0 || f.DC == 0) return;
    Compositor::AddBlitOp(displayState().Frame.compositionList, destDc, destMask, x, y, width, height, f.DC,
                          masked ? f.MaskDC : 0, f.X + cutX, f.Y + cutY, tag);
}

// A slot's rows on the line: a vehicle's slots stand from its picture's top, y downwards;
// a layer's clones at line x and the line y of their bottom.
int32_t slotBottom(const PictureSlot& s, const PicPart& owner) {
    if (owner.OwnerPicture != 0) return owner.BaseY + owner.PartHeight - s.PosY - s.FrameHeight;
    return s.PosY;
}
int32_t slotLeft(const PictureSlot& s, const PicPart& owner) {
    return owner.OwnerPicture != 0 ? owner.X + s.PosX : s.PosX;
}

// Every page up to the flip count shows the slot's current frame.
bool allPagesShow(const PictureSlot& s) {
    for (int32_t p = 0; p <= pages(); ++p) {
        if (s.PageFrame[static_cast<size_t>(p)] != s.ShowFrame) return false;
    }
    return true;
}

struct Cell {
    int32_t phase = 0;
    int32_t column = 0;
    int32_t row = 0;
};

Cell runningCell(const PicPart& q) {
    Cell c;
    const int32_t n = q.RunFrames;
    if (n > 0) {
        const int32_t perFrame = std::max<int32_t>(q.PixelsPerFrame, 1);
        c.phase = static_cast<int32_t>(((int64_t{q.X} + 100000) / perFrame) % (n + 1));
        if (c.phase < 0) c.phase += n + 1;
        if ((q.Flags & part_flag::kBackwards) != 0) c.phase = n - c.phase;
    }
    int32_t columns = q.GridColumns != 0 ? q.GridColumns : q.FramesPerRow;
    if (columns == 0) columns = q.ExtraFrames + 1;
    c.column = c.phase % columns;
    c.row = c.phase / columns;
    return c;
}

// Step 3 of a part: its slots' frames drawn into the phase's cell of the part's picture and
// their places marked on pages that have not shown them. True when a frame was drawn.
bool paintPartSlots(int32_t part, const Cell& cell, int32_t yOffset) {
    PicPartPool& parts = picParts();
    PictureSlotTable& slotTable = pictureSlots();
    const uint32_t bit = 1u << std::min(cell.phase, 31);
    if ((static_cast<uint32_t>(parts[part].PhaseMask) & bit) == 0) return false;
    bool drawn = false;
    bool pending = false;
    int32_t s = parts[part].FirstSlot;
    for (int32_t guard = 0; slotTable.valid(s) && guard <= slotTable.Count; ++guard) {
        const size_t phase = static_cast<size_t>(std::min(cell.phase, kSlotPhases - 1));
        if (slotTable[s].LayerTable[phase] != slotTable[s].ShowFrame) {
            slotTable[s].LayerTable[phase] = slotTable[s].ShowFrame;
            const PictureSlot& slot = slotTable[s];
            const PicPart& q = parts[part];
            copyFrame(slot, q.DC, q.MaskDC, q.Surface, q.SrcX + cell.column * q.Width + slot.PosX,
                      q.PartY + cell.row * q.PartHeight + slot.PosY, 0, 0, slot.FrameWidth, slot.FrameHeight,
                      kSitePartFrame, 22);
            drawn = true;
        }
        // The copy is an engine call: the records are reached again by their indices.
        PictureSlot& slot = pictureSlots()[s];
        const PicPart& q = picParts()[part];
        uint8_t& shown = slot.PageFrame[page()];
        if (shown != slot.ShowFrame) {
            markDirty(slotLeft(slot, q), yOffset + slotBottom(slot, q), slot.FrameWidth, slot.FrameHeight,
                      "PaintLine Anim");
            shown = slot.ShowFrame;
        }
        if (!allPagesShow(slot)) pending = true;
        s = slot.NextSlot;
    }
    if (!pending) parts[part].PhaseMask = static_cast<int32_t>(static_cast<uint32_t>(parts[part].PhaseMask) & ~bit);
    return drawn;
}

void paintMember(int32_t train, int32_t picture, int32_t yOffset) {
    TrainPictureTable& pictures = trainPictures();
    PicPartPool& parts = picParts();
    const size_t pg = page();
    const int32_t drawnX = pictures[picture].PaintedX[pg];
    const bool fresh = drawnX == kNeverPainted;
    const int32_t dx = fresh ? 0 : pictures[picture].X - drawnX;
    const bool changed = fresh || dx != 0 || repaintingPage();
    const bool composed =
        (displayState().DrawBits & kComposedTrains) != 0 && !directDraw() && pictures[picture].BufferDC != 0;

    int32_t runX = pictures[picture].X;
    int32_t part = pictures[picture].FirstPart;
    for (int32_t hops = 0; parts.valid(part) && hops <= parts.Count; ++hops) {
        parts[part].X = runX;
        const Cell cell = runningCell(parts[part]);
        const bool slotDrawn = paintPartSlots(part, cell, yOffset);
        const PicPart& q = parts[part];
        const Source src{q.DC, (q.Flags & part_flag::kMasked) != 0 ? q.MaskDC : 0, q.Surface,
                         q.SrcX + cell.column * q.Width, q.PartY + cell.row * q.PartHeight};
        if (composed) {
            const TrainPicture& p = pictures[picture];
            const bool inPlace = q.DC == p.BufferDC && src.x == p.BufferX + q.OffsetX && src.y == p.BufferY;
            if (!inPlace && ((q.RunFrames > 0 && cell.phase != q.LastPhase) || slotDrawn || fresh)) {
                Compositor::AddBlitOp(displayState().Frame.compositionList, p.BufferDC, p.BufferMaskDC,
                                      p.BufferX + q.OffsetX, p.BufferY, q.Width, q.PartHeight, q.DC, src.mask, src.x,
                                      src.y, 23);
            }
            parts[part].LastPhase = static_cast<uint8_t>(cell.phase);
        } else {
            const int32_t y = yOffset + q.BaseY;
            announce(q.X, y, q.Width, q.PartHeight, changed, src, (q.Flags & part_flag::kMasked) != 0 ? 1 : 0,
                     "PaintLine Img");
            markTrail(q.X, y, q.Width, q.PartHeight, dx, "PaintLine Img Right", "PainttLine Img Left");
        }
        runX += parts[part].Width;
        part = parts[part].NextPart;
    }
    TrainPicture& p = pictures[picture];
    if (composed) {
        const Source src{p.BufferDC, p.BufferMaskDC, 0, p.BufferX, p.BufferY};
        announce(p.X, yOffset, p.Width, p.Height, changed, src, 1, "PaintLine Burst");
        markTrail(p.X, yOffset, p.Width, p.Height, dx, "PaintLine Burst Right", "PaintLine Burst Left");
    }
    p.PaintedX[pg] = p.X;
    if (p.MotionState == kPictureNew) {
        bool everyPage = true;
        for (int32_t g = 0; g <= pages(); ++g)
            everyPage = everyPage && p.PaintedX[static_cast<size_t>(g)] != kNeverPainted;
        if (everyPage) {
            p.MotionState = kPictureShown;
            if (trains().at(train).State != train_state::kRecomposing) QueueObjectStep(train);
        }
    }
}

void paintForeground(int32_t train, int32_t yOffset) {
    WriteFgAnim(train, trains().at(train).FgPart, 1);
    TrainRec& r = trains().at(train);
    int32_t& bits = r.BufferRedraw[page()];
    const bool dirty = (bits & page_bit::kFgDirty) != 0 || repaintingPage();
    if ((r.Flags & train_flag::kDependent) == 0) {
        for (int32_t i = 1; i <= r.FgPieceCount && i < static_cast<int32_t>(r.FgPieces.size()); ++i) {
            const LayerPiece& k = r.FgPieces[static_cast<size_t>(i)];
            const int32_t height = k.Values[piece_value::kHeight];
            const int32_t bottom = r.VehicleHeight - k.Values[piece_value::kTop] - height;
            const Source src{k.Values[piece_value::kBufferDC], k.Values[piece_value::kBufferMaskDC], k.Surface,
                             directDraw() ? 0 : k.Values[piece_value::kBufferX],
                             directDraw() ? 0 : k.Values[piece_value::kBufferY]};
            announce(k.Left, yOffset + bottom, k.Right - k.Left, height, dirty, src, 1, "PaintLine Fg Area");
        }
    }
    PicPartPool& parts = picParts();
    if (parts.valid(r.FgPart) && (parts[r.FgPart].DC != 0 || parts[r.FgPart].Surface != 0)) {
        const PicPart& q = parts[r.FgPart];
        const Source src{q.DC, q.MaskDC, q.Surface, q.SrcX, q.PartY};
        announce(q.X, yOffset + q.BaseY, q.Width, q.PartHeight, dirty, src, 1, "PaintLine Fg");
    }
    if ((bits & page_bit::kFgStaysDirty) == 0) bits &= ~page_bit::kFgDirty;
}

// The slots the animation wheel left on the line's list: their places are redrawn.
void markWaitingSlots(int32_t train) {
    PictureSlotTable& slotTable = pictureSlots();
    PicPartPool& parts = picParts();
    int32_t s = trains().at(train).AnimSlots;
    trains().at(train).AnimSlots = 0;
    for (int32_t guard = 0; slotTable.valid(s) && guard <= slotTable.Count; ++guard) {
        PictureSlot& slot = slotTable[s];
        const int32_t next = slot.TrainNext;
        slot.TrainNext = 0;
        slot.Linked = 0;
        if (parts.valid(slot.OwnerPart)) {
            const PicPart& q = parts[slot.OwnerPart];
            markDirty(slotLeft(slot, q), slotBottom(slot, q), slot.FrameWidth, slot.FrameHeight, "PaintLine AnimDraw");
        }
        s = next;
    }
}

bool anyPageHasWayText(const TrainRec& r) {
    for (int32_t g = 0; g <= pages(); ++g) {
        if ((r.BufferRedraw[static_cast<size_t>(g)] & page_bit::kWayText) != 0) return true;
    }
    return false;
}

void paintWayText(int32_t train, int32_t yOffset) {
    TrainRec& r = trains().at(train);
    if (r.TextBuffer == 0 && r.TextSurface == 0) return;
    int32_t& bits = r.BufferRedraw[page()];
    const int32_t y = yOffset + r.TextY;
    if (r.State == train_state::kAwaitTextLayer) {
        // Taken down: the scene background under it comes back on every page, then it goes.
        markDirty(r.TextX, y, r.TextWidth, r.TextHeight, "PaintLine Delete WayText");
        bits &= ~page_bit::kWayText;
        if (anyPageHasWayText(r)) return;
        if (r.TextSurface != 0) FreeSurface(static_cast<LvHandle>(r.TextSurface), kSiteFreeWayText);
        trains().at(train).TextSurface = 0;
        if (trains().at(train).TextBuffer != 0) {
            LvHandle buffer = static_cast<LvHandle>(trains().at(train).TextBuffer);
            FreeDrawBuffer(buffer);
        }
        // Freeing is an engine call: the record is reached again by its index.
        TrainRec& done = trains().at(train);
        done.TextBuffer = 0;
        done.TextBufferData = {};
        done.State = train_state::kRunOver;
        QueueDueEvent(done.Event);
        return;
    }
    const Source src{r.TextBufferData[0], 0, r.TextSurface, directDraw() ? 0 : r.TextBufferData[1],
                     directDraw() ? 0 : r.TextBufferData[2]};
    announce(r.TextX, y, r.TextWidth, r.TextHeight, (bits & page_bit::kWayText) != 0 || repaintingPage(), src, 0,
             "PaintLine Draw WayText");
    bits &= ~page_bit::kWayText;
}

}  // namespace

void PaintLine(int32_t train, int32_t yOffset) {
    TrainTable& t = trains();
    if (!t.valid(train)) return;
    if ((t.at(train).Flags & train_flag::kMoving) != 0) {
        const int32_t members = std::min<int32_t>(t.at(train).MemberCount, kMaxTrainMembers);
        for (int32_t m = 1; m <= members; ++m) {
            const int32_t picture = t.at(train).Members[static_cast<size_t>(m)];
            if (trainPictures().valid(picture)) paintMember(train, picture, yOffset);
        }
    }
    if ((t.at(train).LayerFlags & layer_flag::kForeground) != 0 || picParts().valid(t.at(train).FgPart)) {
        paintForeground(train, yOffset);
    }
    markWaitingSlots(train);
    paintWayText(train, yOffset);
}

void WriteFgAnim(int32_t train, int32_t part, int32_t /*flag*/) {
    PicPartPool& parts = picParts();
    if (part == 0 || !parts.valid(part) || parts[part].PhaseMask == 0) return;
    PictureSlotTable& slotTable = pictureSlots();
    const bool background = (parts[part].Flags & part_flag::kBgAnimation) != 0 || parts[part].Kind == kBgPartKind;
    bool pending = false;
    int32_t s = parts[part].FirstSlot;
    for (int32_t guard = 0; slotTable.valid(s) && guard <= slotTable.Count; ++guard) {
        PictureSlot& slot = slotTable[s];
        if (slot.LayerTable[0] != slot.ShowFrame) {
            slot.LayerTable[0] = slot.ShowFrame;
            if (background) {
                for (int32_t zone : {2, 1, 0, -1}) DrawLayerAnimFrame(train, s, zone);
            } else {
                const TrainRec& r = trains().at(train);
                const int32_t b = slot.OwnerBlock;
                if (b >= 1 && b <= r.FgPieceCount && b < static_cast<int32_t>(r.FgPieces.size())) {
                    const LayerPiece& k = r.FgPieces[static_cast<size_t>(b)];
                    // The frame cut to the piece: its buffer may be a part of a larger one.
                    const int32_t pieceTop = r.VehicleHeight - k.Values[piece_value::kTop];
                    const int32_t pieceBottom = pieceTop - k.Values[piece_value::kHeight];
                    const int32_t left = std::max(slot.PosX, k.Left);
                    const int32_t right = std::min(slot.PosX + slot.FrameWidth, k.Right);
                    const int32_t top = std::min(slot.PosY + slot.FrameHeight, pieceTop);
                    const int32_t bottom = std::max(slot.PosY, pieceBottom);
                    const int32_t cutX = left - slot.PosX;
                    const int32_t cutY = slot.PosY + slot.FrameHeight - top;
                    const int32_t bx = directDraw() ? 0 : k.Values[piece_value::kBufferX];
                    const int32_t by = directDraw() ? 0 : k.Values[piece_value::kBufferY];
                    copyFrame(slot, k.Values[piece_value::kBufferDC], k.Values[piece_value::kBufferMaskDC], k.Surface,
                              bx + left - k.Left, by + pieceTop - top, cutX, cutY, right - left, top - bottom,
                              kSiteFgFrame, 21);
                }
            }
        }
        uint8_t& shown = pictureSlots()[s].PageFrame[page()];
        PictureSlot& again = pictureSlots()[s];
        if (shown != again.ShowFrame) {
            markDirty(again.PosX, again.PosY, again.FrameWidth, again.FrameHeight, "FbAnimWr");
            shown = again.ShowFrame;
        }
        if (!allPagesShow(again)) pending = true;
        s = again.NextSlot;
    }
    if (!pending) parts[part].PhaseMask = 0;
}

void DrawLayerAnimFrame(int32_t train, int32_t slot, int32_t zone) {
    if (zone == 2) return;
    const int16_t band = zone < 0 ? band_zone::kBelow : zone == 0 ? band_zone::kVehicles : band_zone::kAbove;
    if (!ClipPictureSpan(train, slot, band)) return;
    const ClipSpan span = clipSpan();
    const TrainRec& r = trains().at(train);
    const PictureSlot& s = pictureSlots()[slot];
    // Rows of the band inside the slot, from the slot's top.
    const int32_t top = span.ClipStart + span.ClipLength;
    const int32_t cutY = s.PosY + s.FrameHeight - top;
    const int32_t sceneX = r.OriginX + s.PosX;
    const int32_t sceneY = r.OriginY - top;
    const int32_t dc = r.SceneDC != 0 ? r.SceneDC : displayState().SceneDC.Value();
    const int32_t surface = r.SceneSurface != 0 ? r.SceneSurface : static_cast<int32_t>(displayState().BackSurface);
    copyFrame(s, dc, 0, surface, sceneX, sceneY, 0, cutY, s.FrameWidth, span.ClipLength, kSiteLayerFrame,
              zone == 0 ? 20 : 0);
}

}  // namespace yov
