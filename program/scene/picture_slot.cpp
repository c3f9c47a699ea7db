// The picture table: slots handed out from the free list or a growing table, chained to the
// part being built, and their frames moved from an engine buffer into surfaces.
#include "program/scene/picture_slot.h"

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/error_report.h"
#include "platform/raster.h"

namespace yov {
namespace {

constexpr int32_t kTableGrowth = 20;
constexpr int32_t kBufferTagBase = 131072;
constexpr int32_t kStepAllocate = 10401;
constexpr int32_t kStepSurface = 10501;
constexpr int32_t kStepMaskedSurface = 10504;
constexpr int32_t kSiteWholeSurface = 13012;
constexpr int32_t kSiteFrameSurface = 13011;
constexpr int32_t kSiteKeyFill = 16018;

// A rectangle of a picture (with its mask when transparent) into a surface: the surface is
// filled with the key colour first so that the transparent pixels stay see-through.
void FillFromPicture(LvHandle surface, int32_t destX, int32_t destY, int32_t width, int32_t height, int32_t dc,
                     int32_t maskDc, int32_t srcX, int32_t srcY, bool transparent, int32_t surfaceWidth,
                     int32_t surfaceHeight) {
    if (transparent) {
        // Picture pixels outside the mask become black, so that OR-ing them adds nothing.
        plat::BitBlt(plat::HDC{static_cast<uint32_t>(dc)}, srcX, srcY, width, height,
                     plat::HDC{static_cast<uint32_t>(maskDc)}, srcX, srcY, plat::SRCAND);
        lv::FillSurface(surface, 0, 0, surfaceWidth, surfaceHeight, kSurfaceKeyColour, 0, kSiteKeyFill);
        drawingStep(kStepMaskedSurface);
    }
    const LvHandle sdc = lv::GetDDC(surface);
    if (sdc == 0) return;
    const plat::HDC target{sdc};
    if (transparent) {
        plat::BitBlt(target, destX, destY, width, height, plat::HDC{static_cast<uint32_t>(maskDc)}, srcX, srcY,
                     0x00220326);
        plat::BitBlt(target, destX, destY, width, height, plat::HDC{static_cast<uint32_t>(dc)}, srcX, srcY,
                     plat::SRCPAINT);
    } else {
        plat::BitBlt(target, destX, destY, width, height, plat::HDC{static_cast<uint32_t>(dc)}, srcX, srcY,
                     plat::SRCCOPY);
    }
    lv::ReleaseDDC(surface, sdc);
}

// The vehicle a slot belongs to, as the user knows it: its owner part's stock entry, else
// the part's or the slot's own picture name.
std::u16string SlotOwnerName(const PictureSlot& s) {
    PicPartPool& parts = picParts();
    if (parts.valid(s.OwnerPart)) {
        const PicPart& part = parts[s.OwnerPart];
        const ProgramState& st = programState();
        if (part.StockIndex >= 1 && part.StockIndex <= st.Shared.StockCount && st.Arrays.Stock.has(part.StockIndex))
            return st.Arrays.Stock[part.StockIndex].Name;
        if (!part.Name.empty()) return part.Name;
    }
    return s.Name.empty() ? std::u16string(u"a picture") : s.Name;
}

// Every frame of the slot lies inside width x height of its area.
bool FramesFit(const PictureSlot& s, int32_t width, int32_t height) {
    auto fits = [](int64_t src, int64_t step, int64_t size, int64_t last, int64_t limit) {
        const int64_t end = src + step * last;
        return src >= 0 && src + size <= limit && end >= 0 && end + size <= limit;
    };
    return fits(s.SrcX, s.StepX, s.FrameWidth, s.LastFrame, width) &&
           fits(s.SrcY, s.StepY, s.FrameHeight, s.LastFrame, height);
}

}  // namespace

int32_t AllocPictureSlot() {
    PictureSlotTable& t = pictureSlots();
    int32_t index;
    if (t.FreeHead != 0 && t.valid(t.FreeHead) && t[t.FreeHead].State == kSlotFree) {
        index = t.FreeHead;
        t.FreeHead = t[index].NextSlot;
    } else {
        index = ++t.Count;
        if (t.Count > t.Alloc) {
            t.Alloc = std::max(t.Alloc, t.Count - 1) + kTableGrowth;
            t.Slots.resize(static_cast<size_t>(t.Alloc) + 1);
        }
    }
    PushOnStack(t.SlotStack, t.StackCount, t.StackAlloc, index);
    PicPartPool& parts = picParts();
    const int32_t owner = parts.CurPart;
    t[index] = t.Template;
    t[index].OwnerPart = owner;
    t[index].State = kSlotAtRest;
    if (owner >= 0 && static_cast<size_t>(owner) < parts.Parts.size()) {
        PicPart& part = parts[owner];
        if (part.FirstSlot == 0 || !t.valid(part.LastSlot)) {
            part.FirstSlot = index;
        } else {
            t[part.LastSlot].NextSlot = index;
        }
        part.LastSlot = index;
    }
    t.LabelCount = 0;
    t.DefaultLabel = 0;  // an index into the list just emptied
    // The slot is whole before the step: a step may free and allocate slots itself.
    frameStep(kStepAllocate);
    return index;
}

void InitPictureFrames(int32_t slot) {
    PictureSlotTable& t = pictureSlots();
    if (!t.valid(slot)) return;
    PictureSlot& s = t[slot];
    const size_t frames = static_cast<size_t>(s.LastFrame) + 1;
    // Frames with surfaces of their own were filled by CreateAnimSurface and stay as they are.
    if ((s.Flags & kSlotSurfacePerFrame) != 0 && s.Frames.size() == frames &&
        std::all_of(s.Frames.begin(), s.Frames.end(), [](const SlotFrame& f) { return f.Surface != 0; }))
        return;
    s.Frames.assign(frames, SlotFrame{});
    for (size_t k = 0; k < frames; ++k) {
        SlotFrame& f = s.Frames[k];
        const int32_t n = static_cast<int32_t>(k);
        f.Surface = s.Surface;
        f.DC = s.BufDC;
        f.MaskDC = s.BufMaskDC;
        f.X = s.SrcX + s.BufX + s.StepX * n;
        f.Y = s.SrcY + s.BufY + s.StepY * n;
    }
}

void GetPictureSlotBuffer(int32_t slot, int32_t width, int32_t height) {
    PictureSlotTable& t = pictureSlots();
    if (!t.valid(slot)) return;
    const LvHandle buffer = AllocOwnedBuffer(width, height, slot + kBufferTagBase, SlotOwnerName(t[slot]));
    LvHandle dc = 0, maskDc = 0;
    int32_t x = 0, y = 0;
    if (buffer != 0) lv::GetBufferData(buffer, &dc, &maskDc, &x, &y, nullptr);
    PictureSlot& s = t[slot];
    s.Buffer = static_cast<int32_t>(buffer);
    s.BufDC = static_cast<int32_t>(dc);
    s.BufMaskDC = static_cast<int32_t>(maskDc);
    s.BufX = x;
    s.BufY = y;
    s.BufWidth = width;
    s.BufHeight = height;
}

int32_t AllocPairSlot(int32_t width, int32_t height) {
    const int32_t slot = AllocPictureSlot();
    PictureSlot& s = pictureSlots()[slot];
    s.FrameWidth = width;
    s.FrameHeight = height;
    s.StepDelay = 1;
    s.StepX = width;
    s.LastFrame = 1;
    GetPictureSlotBuffer(slot, 2 * width, height);
    return slot;
}

int32_t CreateAnimSurface(int32_t slot, int32_t width, int32_t height) {
    drawingStep(kStepSurface);
    PictureSlotTable& t = pictureSlots();
    if (!t.valid(slot)) return -1;
    t[slot].BufWidth = width;
    t[slot].BufHeight = height;
    if (!FramesFit(t[slot], width, height)) RaiseProgramError(u"Animation picture is smaller as needed");
    const bool batch = programState().run.BatchMode != 0;
    const bool transparent = (t[slot].Flags & kSlotTransparent) != 0;
    if (batch && (t[slot].Flags & kSlotSurfacePerFrame) == 0) {
        const LvHandle surface = lv::CreateSurface(width, height, kSurfaceKeyColour, kSiteWholeSurface);
        if (surface != 0) {
            const PictureSlot s = t[slot];
            FillFromPicture(surface, 0, 0, width, height, s.BufDC, s.BufMaskDC, s.BufX, s.BufY, transparent, width,
                            height);
            PictureSlot& w = t[slot];
            w.Surface = static_cast<int32_t>(surface);
            LvHandle buffer = static_cast<LvHandle>(w.Buffer);
            w.Buffer = 0;
            w.BufDC = 0;
            w.BufMaskDC = 0;
            w.BufX = 0;
            w.BufY = 0;
            FreeDrawBuffer(buffer);
        }
    } else if (batch) {
        const size_t frames = static_cast<size_t>(t[slot].LastFrame) + 1;
        std::vector<SlotFrame> made(frames);
        for (size_t k = 0; k < frames; ++k) {
            const PictureSlot& s = t[slot];
            const int32_t n = static_cast<int32_t>(k);
            const LvHandle surface =
                lv::CreateSurface(s.FrameWidth, s.FrameHeight, kSurfaceKeyColour, kSiteFrameSurface);
            made[k].Surface = static_cast<int32_t>(surface);
            if (surface == 0) continue;
            const PictureSlot copy = t[slot];
            FillFromPicture(surface, 0, 0, copy.FrameWidth, copy.FrameHeight, copy.BufDC, copy.BufMaskDC,
                            copy.BufX + copy.SrcX + copy.StepX * n, copy.BufY + copy.SrcY + copy.StepY * n, transparent,
                            copy.FrameWidth, copy.FrameHeight);
        }
        if (std::all_of(made.begin(), made.end(), [](const SlotFrame& f) { return f.Surface != 0; })) {
            t[slot].Frames = std::move(made);
            return 0;
        }
        // Not all could be made: the frames stay in the buffer.
        for (SlotFrame& f : made)
            if (f.Surface != 0) FreeSurface(static_cast<LvHandle>(f.Surface), 19017);
    }
    InitPictureFrames(slot);
    return 0;
}

}  // namespace yov
