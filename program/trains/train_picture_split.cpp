#include "program/trains/train_picture_split.h"

#include <algorithm>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/part_states.h"
#include "program/trains/train_buffer.h"
#include "program/trains/train_picture.h"

namespace yov {
namespace {

constexpr int32_t kWholeTrainTag = 0x30000;
constexpr int32_t kPartBufferTag = 0x10000;
constexpr int32_t kLayerNoPrepare = 0x10;
constexpr int32_t kPartMasked = 1;
// A slot frame state no frame has (frames end at 249, 255 is "no frame").
constexpr uint8_t kNeverDrawnFrame = 254;

LvHandle keyedSurface(int32_t w, int32_t h, const TrainDrawMode& m, int32_t site) {
    return lv::CreateSurface(w, h, static_cast<uint32_t>(m.KeyPixel), site);
}

void freeSurface(LvHandle s, int32_t site) {
    if (s != 0) FreeSurface(s, site);
}

// A surface copy under DirectDraw keeps the slot's coordinates: the new surface is as large
// as the old one and takes its content at the same place.
LvHandle resurface(LvHandle old, int32_t w, int32_t h, const TrainDrawMode& m, const std::array<int32_t, 4>& sites) {
    const LvHandle fresh = keyedSurface(w, h, m, sites[0]);
    if (fresh == 0) return 0;
    lv::FillSurface(fresh, 0, 0, w, h, static_cast<uint32_t>(m.BackgroundPixel), 0, sites[1]);
    if (old != 0) lv::DDBlt(fresh, 0, 0, w, h, old, 0, 0, 0, sites[2]);
    freeSurface(old, sites[3]);
    return fresh;
}

void prepareSlot(int32_t slot, const TrainDrawMode& m) {
    if ((pictureSlots()[slot].Flags & kSlotTransparent) == 0) return;
    const bool perFrame = (pictureSlots()[slot].Flags & kSlotSurfacePerFrame) != 0;
    if (!m.DirectDraw) {
        if (!m.MaskColour) return;
        if (!perFrame) {
            const PictureSlot& s = pictureSlots()[slot];
            BlitSurfaceDC(s.BufDC, s.BufX, s.BufY, s.BufWidth, s.BufHeight, s.BufMaskDC, s.BufX, s.BufY,
                          kRopBrushWhereClear, 0, 0, m.SolidBrush, 11004);
        } else {
            const size_t frames = pictureSlots()[slot].Frames.size();
            for (size_t f = 0; f < frames; ++f) {
                const PictureSlot& s = pictureSlots()[slot];
                if (f >= s.Frames.size()) break;
                const SlotFrame& fr = s.Frames[f];
                BlitSurfaceDC(fr.DC, fr.X, fr.Y, s.FrameWidth, s.FrameHeight, fr.MaskDC, fr.X, fr.Y,
                              kRopBrushWhereClear, 0, 0, m.SolidBrush, 11003);
                frameStep(11003);
            }
        }
        frameStep(11004);
    } else if (!perFrame) {
        PictureSlot& s = pictureSlots()[slot];
        const LvHandle fresh = resurface(static_cast<LvHandle>(s.Surface), std::max(s.BufWidth, 1),
                                         std::max(s.BufHeight, 1), m, {13008, 16003, 11011, 19008});
        PictureSlot& t = pictureSlots()[slot];
        t.Surface = static_cast<int32_t>(fresh);
        for (SlotFrame& fr : t.Frames) fr.Surface = static_cast<int32_t>(fresh);
        frameStep(11002);
    } else {
        const size_t frames = pictureSlots()[slot].Frames.size();
        for (size_t f = 0; f < frames; ++f) {
            PictureSlot& s = pictureSlots()[slot];
            if (f >= s.Frames.size()) break;
            const LvHandle fresh = resurface(static_cast<LvHandle>(s.Frames[f].Surface), std::max(s.FrameWidth, 1),
                                             std::max(s.FrameHeight, 1), m, {13007, 16002, 11010, 19007});
            if (f < pictureSlots()[slot].Frames.size())
                pictureSlots()[slot].Frames[f].Surface = static_cast<int32_t>(fresh);
            frameStep(11001);
        }
    }
}

// Cuts the part at the scene width; the rest becomes the next part of the chain.
void cutPart(int32_t part, int32_t sceneWidth, int32_t train) {
    const int32_t rest = AllocPicPart(static_cast<uint8_t>(train));
    PicPart& a = picParts()[part];
    PicPart& b = picParts()[rest];
    b.Width = a.Width - sceneWidth;
    b.SrcX = a.SrcX + sceneWidth;
    b.PartY = a.PartY;
    b.PartHeight = a.PartHeight;
    b.SavedWidth = a.SavedWidth;
    b.ExtraFrames = a.ExtraFrames;
    b.Flags = a.Flags;
    b.PantoCode = 0;
    b.Name = u"Length Split: " + a.Name;
    b.NextPart = a.NextPart;
    a.NextPart = rest;
    a.Width = sceneWidth;
    // The slots are shared out at the cut; one that straddles it can be shown by neither.
    int32_t s = a.FirstSlot;
    int32_t keptLast = 0;
    a.FirstSlot = 0;
    for (int32_t hops = 0; s != 0 && pictureSlots().valid(s) && hops <= pictureSlots().Count; ++hops) {
        const int32_t next = pictureSlots()[s].NextSlot;
        PictureSlot& slot = pictureSlots()[s];
        if (slot.PosX + slot.FrameWidth <= sceneWidth) {
            slot.NextSlot = 0;
            if (keptLast == 0)
                picParts()[part].FirstSlot = s;
            else
                pictureSlots()[keptLast].NextSlot = s;
            keptLast = s;
        } else if (slot.PosX < sceneWidth) {
            slot.NextSlot = 0;
            FreePictureSlot(s);
        } else {
            slot.PosX -= sceneWidth;
            slot.OwnerPart = rest;
            slot.NextSlot = 0;
            PicPart& r = picParts()[rest];
            if (r.LastSlot == 0)
                r.FirstSlot = s;
            else
                pictureSlots()[r.LastSlot].NextSlot = s;
            r.LastSlot = s;
        }
        s = next;
    }
    picParts()[part].LastSlot = keptLast;
}

// The part's own image, copied from the canvas.
void makeImage(int32_t picture, int32_t part, int32_t offset, bool fixed, const TrainRec& train,
               const TrainDrawMode& m) {
    const int32_t n = std::min<int32_t>(picParts()[part].ExtraFrames, kMaxPartFrames - 1);
    const int32_t w = picParts()[part].Width;
    const int32_t oldSrcX = picParts()[part].SrcX;
    const int32_t pitch = picParts()[part].SavedWidth;
    const bool masked = (picParts()[part].Flags & kPartMasked) != 0;
    const int32_t base = canvasSlot(0).height;
    if (m.DirectDraw) {
        const int32_t h = picParts()[part].PartHeight;
        const FrameGrid g = FrameGridFor(n, w, m.SceneWidth);
        picParts()[part].FramesPerRow = static_cast<uint8_t>(g.PerRow);
        const LvHandle surface = keyedSurface(w * g.PerRow, h * g.Rows, m, 13009);
        picParts()[part].Surface = static_cast<int32_t>(surface);
        if (surface != 0) {
            frameStep(11006);
            // A part drawn with its mask keeps the key colour where it is transparent, fixed
            // drawing or not: a path of a scene is a fixed-drawing line with the scene behind it.
            lv::FillSurface(surface, 0, 0, w * g.PerRow, h * g.Rows,
                            static_cast<uint32_t>(fixed && !masked ? m.BackgroundPixel : m.KeyPixel), 0, 16004);
            for (int32_t f = 0; f <= n; ++f) {
                frameStep(11007);
                const CurrentCanvas& c = currentCanvas();
                CopyRectEx(0, 0, (f % g.PerRow) * w, (f / g.PerRow) * h, w, h, c.pictureDc.Value(), c.maskDc.Value(),
                           oldSrcX + f * pitch, base - h, masked ? 2 : 1, 0, surface, 0, 12068);
            }
        }
        PicPart& p = picParts()[part];
        p.SrcX = p.PartY = p.BufX = p.BufY = 0;
        frameStep(11008);
        return;
    }
    const TrainPicture& pic = trainPictures()[picture];
    bool ownBuffer = pic.TrainBuffer == 0 || n > 0;
    if (pic.TrainBuffer != 0) {
        // The part takes the train's height, standing on the same bottom row: its slots,
        // placed from the part's top, move down by what it grew.
        const int32_t grown = pic.Height - picParts()[part].PartHeight;
        int32_t s = picParts()[part].FirstSlot;
        for (int32_t k = 0; grown != 0 && s != 0 && pictureSlots().valid(s) && k <= pictureSlots().Count; ++k) {
            pictureSlots()[s].PosY += grown;
            s = pictureSlots()[s].NextSlot;
        }
        PicPart& p = picParts()[part];
        p.PartHeight = pic.Height;
        p.BufDC = pic.BufferDC;
        p.BufMaskDC = pic.BufferMaskDC;
        p.BufX = pic.BufferX + offset;
        p.BufY = pic.BufferY;
        if (train.VehicleHeight > programState().Shared.PictureHeight && !fixed && m.MaskColour)
            FillRectColor(plat::HDC::FromValue(p.BufDC), plat::HDC::FromValue(p.BufMaskDC), p.BufX, p.BufY, w,
                          p.PartHeight, currentCanvas().colour, plat::BLACKNESS, 18020);
        if (n == 0) {
            PicPart& q = picParts()[part];
            q.DC = q.BufDC;
            q.MaskDC = q.BufMaskDC;
            q.SrcX = q.BufX;
            q.PartY = q.BufY;
        } else if (fixed && !masked) {
            const PicPart& q = picParts()[part];
            plat::PatBlt(plat::HDC::FromValue(q.BufMaskDC), q.BufX, q.BufY, w, q.PartHeight, plat::WHITENESS);
        }
    }
    const int32_t h = picParts()[part].PartHeight;
    if (ownBuffer) {
        const TrainBufferView v = AllocTrainBuffer((n + 1) * w, h, kPartBufferTag + part, 32015);
        PicPart& p = picParts()[part];
        p.Buffer = static_cast<int32_t>(v.Handle);
        p.DC = v.DC;
        p.MaskDC = v.MaskDC;
        p.SrcX = v.X;
        p.PartY = v.Y;
        if (v.Handle == 0) return;
    }
    const PicPart& p = picParts()[part];
    const bool throughMask = !fixed && masked && m.MaskColour;
    if (throughMask)
        FillRectColor(plat::HDC::FromValue(p.DC), plat::HDC::FromValue(p.MaskDC), p.SrcX, p.PartY, (n + 1) * w, h,
                      currentCanvas().colour, plat::BLACKNESS, 18021);
    const CurrentCanvas& c = currentCanvas();
    const PicPart& q = picParts()[part];
    CopyRectEx(q.DC, q.MaskDC, q.SrcX, q.PartY, (n + 1) * w, h, c.pictureDc.Value(), c.maskDc.Value(), oldSrcX,
               base - h, throughMask ? 2 : 1, 1, 0, 0, 12069);
    if (fixed && masked) trainPictures()[picture].PictureFlags |= kPictureFixedMasked;
}

}  // namespace

FrameGrid FrameGridFor(int32_t extraFrames, int32_t width, int32_t sceneWidth) {
    FrameGrid g;
    g.PerRow = extraFrames + 1;
    if (width > 0 && sceneWidth >= width && static_cast<int64_t>(extraFrames + 1) * width > sceneWidth) {
        g.PerRow = sceneWidth / width;
        g.Rows = (extraFrames + g.PerRow) / g.PerRow;
        g.PerRow = (extraFrames + g.Rows) / g.Rows;
    }
    return g;
}

void SplitTrainPicture(TrainRec& trainRef, int32_t picture, int32_t memberPos) {
    // The train table may grow during a frame step: reach a record of it by its index.
    const int32_t t = trainRef.Index;
    const bool inTable = trains().valid(t) && &trains().at(t) == &trainRef;
    TrainRec* ownRecord = inTable ? nullptr : &trainRef;
    const auto train = [&]() -> TrainRec& { return ownRecord != nullptr ? *ownRecord : trains().at(t); };
    if (!trainPictures().valid(picture)) return;
    // A composition that drew nothing has no picture to show: the start fails (and is
    // logged) instead of asking for an empty buffer, which would stop the show with a box.
    if (trainPictures()[picture].Width <= 0 || trainPictures()[picture].Height <= 0)
        throw ProgramError(error_number::kMessage, u"The composition drew no vehicle");
    // The member list holds 20 pictures.
    memberPos = std::clamp(memberPos, 1, kMaxTrainMembers);

    SelectCanvas(0);
    const TrainDrawMode m = currentDrawMode();
    const bool fixed = (train().Flags & (train_flag::kDependent | train_flag::kTurned)) != 0 ||
                       (train().LayerFlags & kLayerNoPrepare) != 0;
    if (m.WholeTrains && !m.DirectDraw) {
        const TrainBufferView v = AllocTrainBuffer(trainPictures()[picture].Width, trainPictures()[picture].Height,
                                                   kWholeTrainTag + picture, 32014);
        TrainPicture& p = trainPictures()[picture];
        p.TrainBuffer = static_cast<int32_t>(v.Handle);
        p.BufferDC = v.DC;
        p.BufferMaskDC = v.MaskDC;
        p.BufferX = v.X;
        p.BufferY = v.Y;
    }

    int32_t offset = 0;
    int32_t part = trainPictures()[picture].FirstPart;
    // Every cut adds a part: the walk is bounded by how many parts can exist.
    for (int32_t hops = 0; part != 0 && picParts().valid(part) && hops <= picParts().Count; ++hops) {
        picParts()[part].SavedWidth = picParts()[part].Width;
        if (m.DirectDraw && m.SceneWidth > 0 && picParts()[part].Width > m.SceneWidth)
            cutPart(part, m.SceneWidth, showState().CurTrain);
        if (!fixed && (train().LayerFlags & kLayerNoPrepare) == 0) {
            int32_t s = picParts()[part].FirstSlot;
            for (int32_t n = 0; s != 0 && pictureSlots().valid(s) && n <= pictureSlots().Count; ++n) {
                const int32_t next = pictureSlots()[s].NextSlot;
                prepareSlot(s, m);
                frameStep(11005);
                s = next;
            }
        }
        picParts()[part].OffsetX = offset;
        makeImage(picture, part, offset, fixed, train(), m);
        PicPart& p = picParts()[part];
        if (p.FirstSlot != 0) {
            const int32_t n = std::min<int32_t>(p.ExtraFrames, kMaxPartFrames - 1);
            p.FrameTime = FrameTimingFor(n);
            int32_t s = p.FirstSlot;
            for (int32_t k = 0; s != 0 && pictureSlots().valid(s) && k <= pictureSlots().Count; ++k) {
                PictureSlot& slot = pictureSlots()[s];
                // Never drawn: whatever frame the slot shows goes into every phase's cell and
                // onto every page, the first one included.
                for (int32_t f = 0; f <= n; ++f) slot.LayerTable[static_cast<size_t>(f)] = kNeverDrawnFrame;
                for (int32_t g = 0; g <= std::min<int32_t>(m.BookPages, kSlotPages - 1); ++g)
                    slot.PageFrame[static_cast<size_t>(g)] = kNeverDrawnFrame;
                s = slot.NextSlot;
            }
            MarkPartPhasesChanged(picParts()[part]);
        }
        picParts()[part].OwnerPicture = picture;
        offset += picParts()[part].Width;
        part = picParts()[part].NextPart;
    }

    TrainPicture& pic = trainPictures()[picture];
    for (int32_t g = 0; g <= std::min<int32_t>(m.BookPages, kPicturePages - 1); ++g)
        pic.PaintedX[static_cast<size_t>(g)] = kNeverPainted;
    part = pic.FirstPart;
    for (int32_t hops = 0; part != 0 && picParts().valid(part) && hops <= picParts().Count; ++hops) {
        picParts()[part].SavedWidth = kNeverPainted;
        part = picParts()[part].NextPart;
    }
    TrainRec& r = train();
    // A new picture stands just outside the side it enters from: left of the line when it runs
    // rightwards, right of it when it runs leftwards (placed on its exit side it left at once).
    pic.X = pic.Dir > 0 ? -pic.Width : r.Width;
    r.TotalLength = std::min(r.TotalLength + pic.Width, std::max(r.TotalLength, r.Width));
    r.AreaHeight = std::max(r.AreaHeight, pic.Height);
    r.MemberCount = static_cast<uint8_t>(std::max<int32_t>(r.MemberCount, memberPos));
    r.Members[static_cast<size_t>(memberPos)] = picture;
    pic.MemberPos = memberPos;
    InitPartStates(picture, pic.Dir);
}

}  // namespace yov
