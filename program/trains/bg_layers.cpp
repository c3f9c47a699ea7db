#include "program/trains/bg_layers.h"

#include <algorithm>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/startup/util_hooks.h"
#include "program/scene/picture_slot.h"
#include "program/show_data/show_state.h"
#include "program/core/startup/program_state.h"

namespace yov {

namespace {

constexpr int32_t kSiteBgBand = 29005;
constexpr int32_t kSiteFgBand = 29006;
constexpr int32_t kSiteFrameStore = 32009;
constexpr int32_t kSiteFrameSurface = 13005;
constexpr int32_t kSiteTile = 10907;
constexpr int32_t kSiteOwnFrames = 12073;
constexpr int32_t kModeOver = 2;
constexpr int32_t kModeMasked = 3;
constexpr uint8_t kSlotNoFrameStore = 0x04;

void MakeBand(MaskedPicture& band, const TrainRec& area, int32_t site) {
    if (band.picture.dc) return;
    CreateCanvasDC(area.Width, area.VehicleHeight, band, 32, 0, plat::BLACKNESS, site);
}

// The content of this copy behind rectangle (x, y, w, h) of the line lands in the frame
// columns of a slot's frame store, whose frame 0 has its bottom-left at line (posX, posY).
void FillFrames(const PictureSlot& s, int32_t left, int32_t right, int32_t bottom, int32_t top) {
    const int32_t x0 = std::max(left, s.PosX);
    const int32_t x1 = std::min(right, s.PosX + s.FrameWidth);
    const int32_t y0 = std::max(bottom, s.PosY);
    const int32_t y1 = std::min(top, s.PosY + s.FrameHeight);
    if (x1 <= x0 || y1 <= y0 || (s.BufDC == 0 && s.Surface == 0)) return;
    for (int32_t j = 0; j <= s.LastFrame; ++j) {
        CopyRectClipped(s.BufDC, s.BufMaskDC, x0, y0, x1 - x0, y1 - y0, s.BufX + j * s.FrameWidth - s.PosX,
                        s.BufY + s.FrameHeight + s.PosY, kModeMasked, s.Surface);
    }
}

// Frame j of a slot as it stands now: its own record when its frames are set up, else the
// place in its buffer the frame layout gives.
SlotFrame FrameOf(const PictureSlot& s, int32_t j) {
    if (static_cast<size_t>(j) < s.Frames.size()) return s.Frames[static_cast<size_t>(j)];
    SlotFrame f;
    f.Surface = s.Surface;
    f.DC = s.BufDC;
    f.MaskDC = s.BufMaskDC;
    f.X = s.SrcX + s.BufX + s.StepX * j;
    f.Y = s.SrcY + s.BufY + s.StepY * j;
    return f;
}

// The strip slot's own frames over what the clone's frame store holds of the layer: the strip
// slot goes when the strip is placed, so its pictures live on in the clone.
void CopyOwnFrames(const PictureSlot& source, const PictureSlot& k) {
    const bool masked = (source.Flags & kSlotTransparent) != 0;
    for (int32_t j = 0; j <= source.LastFrame; ++j) {
        const SlotFrame f = FrameOf(source, j);
        if (f.DC == 0 && f.Surface == 0) continue;
        const bool surfaces = k.Surface != 0 && f.Surface != 0;
        CopyRectEx(k.BufDC, k.BufMaskDC, k.BufX + j * k.FrameWidth, k.BufY, k.FrameWidth, k.FrameHeight, f.DC,
                   masked ? f.MaskDC : 0, f.X, f.Y, surfaces ? kModeMasked : kModeOver, 1,
                   static_cast<LvHandle>(k.Surface), static_cast<LvHandle>(f.Surface), kSiteOwnFrames);
    }
}

// A clone of strip slot `from` for the tile whose strip column `offset` lies at leftX.
void CloneSlot(int32_t from, int32_t ownerPart, int32_t leftX, int32_t offset, int32_t stripBottom, int32_t stripHeight,
               int32_t tileLeft, int32_t tileRight, int32_t bottom, int32_t top) {
    PictureSlotTable& slots = pictureSlots();
    const PictureSlot source = slots[from];
    // Strip slots stand at strip columns and rows from the strip's top.
    const int32_t x = leftX - offset + source.PosX;
    const int32_t yBottom = stripBottom + stripHeight - source.PosY - source.FrameHeight;
    if (x >= tileRight || x + source.FrameWidth <= tileLeft) return;
    // The clone belongs to the layer's part: new slots go to the current part.
    const int32_t clone = [ownerPart] {
        PicPartPool& parts = picParts();
        const int32_t saved = parts.CurPart;
        parts.CurPart = ownerPart;
        struct Restore {
            int32_t saved;
            ~Restore() { picParts().CurPart = saved; }
        } restore{saved};
        return AllocPictureSlot();
    }();
    if (!slots.valid(clone)) return;
    PictureSlot& c = slots[clone];
    const int32_t next = c.NextSlot;
    const int32_t owner = c.OwnerPart;
    c = source;
    c.NextSlot = next;
    c.OwnerPart = owner;
    c.WheelNext = 0;
    c.TrainNext = 0;
    c.Linked = 0;
    c.PosX = x;
    c.PosY = yBottom;
    c.Buffer = 0;
    c.BufDC = 0;
    c.BufMaskDC = 0;
    c.Surface = 0;
    // The clone keeps its frames side by side in a store of its own.
    c.Frames.clear();
    c.Flags = static_cast<uint8_t>(c.Flags & ~kSlotSurfacePerFrame);
    c.SrcX = 0;
    c.SrcY = 0;
    c.StepX = source.FrameWidth;
    c.StepY = 0;
    if ((source.Flags & kSlotNoFrameStore) == 0 && source.FrameWidth > 0 && source.FrameHeight > 0 &&
        programState().run.BatchMode != 0) {
        const int32_t w = (source.LastFrame + 1) * source.FrameWidth;
        const LvHandle surface = lv::CreateSurface(w, source.FrameHeight, displayState().KeyPixel, kSiteFrameSurface);
        if (surface != 0)
            lv::FillSurface(surface, 0, 0, w, source.FrameHeight, displayState().KeyPixel, 0, kSiteFrameSurface);
        PictureSlot& k = pictureSlots()[clone];
        k.Surface = static_cast<int32_t>(surface);
        k.BufX = 0;
        k.BufY = 0;
        FillFrames(k, tileLeft, tileRight, bottom, top);
        CopyOwnFrames(source, pictureSlots()[clone]);
    } else if ((source.Flags & kSlotNoFrameStore) == 0 && source.FrameWidth > 0 && source.FrameHeight > 0) {
        const LvHandle buffer =
            AllocDrawBuffer((source.LastFrame + 1) * source.FrameWidth, source.FrameHeight, 0, kSiteFrameStore);
        PictureSlot& k = pictureSlots()[clone];
        k.Buffer = static_cast<int32_t>(buffer);
        if (buffer != 0) {
            LvHandle dc = 0, mask = 0;
            int32_t bx = 0, by = 0;
            lv::GetBufferData(buffer, &dc, &mask, &bx, &by, nullptr);
            k.BufDC = static_cast<int32_t>(dc);
            k.BufMaskDC = static_cast<int32_t>(mask);
            k.BufX = bx;
            k.BufY = by;
            FillFrames(k, tileLeft, tileRight, bottom, top);
            CopyOwnFrames(source, pictureSlots()[clone]);
        }
    }
    InitPictureFrames(clone);
}

}  // namespace

void FreeLayerRecord(LayerRecord& layer) {
    DeleteCanvasDC(layer.Band);
    DeleteCanvasDC(layer.BgBand);
}

void BuildBgLayers(TrainRec& area, int32_t leftX, int32_t rightX, int32_t stripWidth, int32_t offset, int32_t y,
                   int32_t height, int32_t ownerPart, uint8_t kind, int32_t animHead, LayerRecord& layer) {
    struct ChainRelease {
        int32_t& head;
        ~ChainRelease() { FreePictureSlotChain(head); }
    } release{animHead};
    // A strip without columns has nothing to repeat (and would never be normalised).
    if (stripWidth <= 0 || height <= 0) return;
    offset %= stripWidth;
    if (offset < 0) offset += stripWidth;
    const int32_t below = -area.BelowBase;
    if (int64_t{y} + height <= below || y >= area.AboveBase) return;

    const int32_t stripBottom = y;  // the strip's bottom row stays where it was placed
    int32_t bottom = std::max(y, below);
    int32_t top = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + height, area.AboveBase));
    area.LayerTop = std::max(area.LayerTop, top);
    if (bottom < 0) area.LayerBottom = std::max(area.LayerBottom, -bottom);

    const int32_t vh = area.VehicleHeight;
    int32_t flags = 0;
    if (top > 0 && bottom < vh) {
        switch (kind) {
        case layer_kind::kBackground:
            MakeBand(layer.BgBand, area, kSiteBgBand);
            flags = layer_flag::kBackground;
            break;
        case layer_kind::kForeground:
            MakeBand(layer.Band, area, kSiteFgBand);
            flags = layer_flag::kForeground;
            break;
        case layer_kind::kTemporary:
            MakeBand(layer.Band, area, kSiteFgBand);
            flags = layer_flag::kTemporary;
            break;
        default: break;
        }
    }
    if (kind == layer_kind::kBackground || kind == layer_kind::kForeground) {
        if (bottom < 0) flags |= layer_flag::kBelowBase;
        if (top > vh) flags |= layer_flag::kAboveBand;
    }
    area.LayerFlags |= flags;

    const CurrentCanvas& cc = currentCanvas();
    ClipState& clip = clipState();
    clip.sourceDc = cc.pictureDc.Value();
    clip.sourceMaskDc = cc.maskDc.Value();
    clip.top = bottom;
    clip.bottom = top;
    clip.yOrigin = cc.height + stripBottom;

    PictureSlotTable& slots = pictureSlots();
    PicPartPool& parts = picParts();
    while (leftX < rightX) {
        const int32_t width = std::min(rightX - leftX, stripWidth - offset);
        clip.left = leftX;
        clip.right = leftX + width;
        clip.sourceXOffset = offset - leftX;

        // Frames of the part's animations carry what lies behind them.
        if (parts.valid(ownerPart)) {
            int32_t s = parts[ownerPart].FirstSlot;
            for (int32_t guard = 0; slots.valid(s) && guard <= slots.Count; ++guard) {
                FillFrames(slots[s], leftX, leftX + width, bottom, top);
                s = slots[s].NextSlot;
            }
        }
        // Every tile gets its own copy of the strip's animations.
        int32_t s = animHead;
        for (int32_t guard = 0; slots.valid(s) && guard <= slots.Count; ++guard) {
            const int32_t next = slots[s].NextSlot;
            CloneSlot(s, ownerPart, leftX, offset, stripBottom, height, leftX, leftX + width, bottom, top);
            s = next;
        }

        const int32_t all = area.AboveBase + area.BelowBase;
        switch (kind) {
        case layer_kind::kBackground:
            CopyRectClipped(area.SceneDC, 0, leftX, below, width, all, area.AreaLeftX, area.BaseY, kModeMasked, 0);
            if (layer.BgBand.picture.dc) {
                CopyRectClipped(layer.BgBand.picture.dc.Value(), layer.BgBand.mask.dc.Value(), leftX, 0, width, vh, 0,
                                vh, kModeMasked, 0);
            }
            break;
        case layer_kind::kForeground:
            CopyRectClipped(area.SceneDC, 0, leftX, vh, width, area.AboveBase - vh, area.AreaLeftX, area.BaseY,
                            kModeMasked, 0);
            if (layer.Band.picture.dc) {
                CopyRectClipped(layer.Band.picture.dc.Value(), layer.Band.mask.dc.Value(), leftX, 0, width, vh, 0, vh,
                                kModeMasked, 0);
            }
            CopyRectClipped(area.SceneDC, 0, leftX, below, width, area.BelowBase, area.AreaLeftX, area.BaseY,
                            kModeMasked, 0);
            break;
        case layer_kind::kTemporary:
            if (layer.Band.picture.dc) {
                CopyRectClipped(layer.Band.picture.dc.Value(), layer.Band.mask.dc.Value(), leftX, 0, width, vh, 0, vh,
                                kModeMasked, 0);
            }
            break;
        default: break;
        }
        leftX += width;
        offset = 0;
        frameStep(kSiteTile);
    }
}

}  // namespace yov
