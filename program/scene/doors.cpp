// Doors: a door picture (or a coloured leaf) turned into the frames of its opening, per
// door kind; and door animations drawn beforehand as a strip of frames.
//
// Kinds: bits 0-1 the side (0 left, 1 right, 2 double), bit 2 an outer door, bit 4 the door
// picture mirrored. Frame 0 shows the door closed, the last one open. An inner door slides
// into the body: its leaf moves towards its side (a double door's halves apart) and is cut
// at the doorway's edge, the doorway behind it dark. An outer door slides along the outside
// of the body over the wall beside it, so its frames are twice the door's width (a double
// door's halves a half width each way) and transparent where the leaf is not.
#include <algorithm>
#include <vector>

#include "platform/numbers.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/scene/anim_frames.h"
#include "program/scene/anim_labels.h"
#include "program/scene/part_area.h"
#include "program/scene/part_placement.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_items.h"

namespace yov {

namespace {

constexpr plat::COLORREF kDoorwayColour = plat::RGB(32, 32, 32);
constexpr int32_t kMaxDoorFrames = 32;

int32_t Id(const MemDC& m) { return static_cast<int32_t>(m.dc.id); }

// Loads a picture onto a canvas of its own size.
void LoadOnto(std::u16string& name, MaskedPicture& out, int32_t& w, int32_t& h) {
    OpenPictureRef(name, 7, 0);
    const PictureRef ref = pictureRef();
    w = std::max(1, ref.PicRefOpenWidth);
    h = std::max(1, ref.PicRefOpenHeight);
    CreateCanvasDC(w, h, out, 32, 0, plat::BLACKNESS, 12030);
    DrawPicturePart(ref.PicRefCache, out.picture.dc.id, out.mask.dc.id, 0, 0, 0, h, name, 0);
}

// Copies columns [from, from + width) of the leaf to x of the frame, clipped to [lo, hi).
void PutLeaf(const PictureSlot& s, const MaskedPicture& leaf, int32_t frameX, int32_t x, int32_t from, int32_t width,
             int32_t height, int32_t lo, int32_t hi) {
    const int32_t left = std::max(x, lo);
    const int32_t right = std::min(x + width, hi);
    if (right <= left) return;
    CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX + frameX + left, s.BufY, right - left, height, Id(leaf.picture),
               Id(leaf.mask), from + (left - x), 0, 1, 1, 0, 0, 12031);
}

}  // namespace

void LoadDoorPicture(uint8_t kind, const VehicleItem& item) {
    ParamParser& p = paramParser();
    std::u16string maskName = p.GetStringParam(0, plist::DoorM);
    std::u16string door = p.GetStringParam(0, plist::DoorC);
    int16_t mirror = item.mirror;
    if (door.rfind(u"##", 0) == 0) {
        mirror = 1;
        door.erase(0, 2);
    } else if (!door.empty() && door.front() == u'#' && door.size() != 7) {
        mirror = 1;
        door.erase(0, 1);
    }
    if ((kind & 0x10) != 0) mirror = static_cast<int16_t>(mirror == 0 ? 1 : 0);
    const int32_t unit = std::max(1, programState().Shared.PictureHeight);
    MaskedPicture leaf;
    int32_t dw = unit / 4;
    int32_t dh = unit / 3;
    if (!door.empty() && !(door.front() == u'#' && door.size() == 7) && door.find(u',') == std::u16string::npos) {
        LoadOnto(door, leaf, dw, dh);
    } else {
        int32_t second = -1;
        const int32_t colour = door.empty() ? 0 : p.ParseColorParam(door, second);
        CreateCanvasDC(dw, dh, leaf, 32, colour, plat::WHITENESS, 12030);
    }
    struct Free {
        MaskedPicture& m;
        ~Free() { DeleteCanvasDC(m); }
    } freeLeaf{leaf};
    if (!maskName.empty()) {
        if (maskName.front() == u'#') maskName.erase(0, 1);
        MaskedPicture mask;
        int32_t mw = 0;
        int32_t mh = 0;
        LoadOnto(maskName, mask, mw, mh);
        if (mw != dw || mh != dh) {
            DeleteCanvasDC(mask);
            RaiseProgramError(u"Different sizes for door and mask");
        }
        // The mask picture's opaque pixels are the leaf's shape.
        plat::BitBlt(leaf.mask.dc, 0, 0, dw, dh, mask.mask.dc, 0, 0, plat::SRCAND);
        DeleteCanvasDC(mask);
    }
    if (mirror != 0) MirrorArea(Id(leaf.picture), Id(leaf.mask), 0, 0, dw, dh, 12032);
    const PartArea a = CurrentPartArea();
    int32_t x = ItemNumber(a.width / 2 - unit / 4, plist::X);
    int32_t y = ItemNumber(0, plist::Y);
    const int32_t w = std::max(1, ItemNumber(dw, plist::W));
    const int32_t h = std::max(1, ItemNumber(dh, plist::H));
    const int32_t time = ItemNumber(15, plist::T);
    const int32_t frames = std::clamp(ItemNumber(4, plist::Frames), 2, kMaxDoorFrames);
    PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, item.text);
    const int sideBits = kind & 3;
    const bool outer = (kind & 4) != 0;
    // Outer frames reach over the wall: to the left of a left door, right of a right door,
    // half a door each way for a double door.
    const int32_t frameW = outer ? 2 * w : w;
    const int32_t frameX = !outer ? x : sideBits == 0 ? x - w : sideBits == 1 ? x : x - w / 2;
    // The frames' reach is already in part columns: a negative start lies left of the part,
    // never a place counted from its right edge.
    if (frameX < 0 || int64_t{frameX} + frameW > a.width)
        RaiseProgramError(FormatText(u"OPNP", {FormatArg(item.text)}));

    const int32_t slot = AllocPictureSlot();
    GetPictureSlotBuffer(slot, frameW * frames, h);
    {
        PictureSlot& s = pictureSlots()[slot];
        s.FrameWidth = frameW;
        s.FrameHeight = h;
        s.StepX = frameW;
        s.StepDelay = std::max(1, time);
        s.LastFrame = static_cast<uint8_t>(frames - 1);
        s.PosX = frameX;
        s.PosY = y;
        s.Flags |= kSlotTransparent;
    }
    const PictureSlot s = pictureSlots()[slot];
    if (s.BufDC != 0) {
        const plat::HDC dc{static_cast<uint32_t>(s.BufDC)};
        const plat::HDC mdc{static_cast<uint32_t>(s.BufMaskDC)};
        FillRectColor(dc, mdc, s.BufX, s.BufY, frameW * frames, h, currentCanvas().colour, plat::BLACKNESS, 18005);
        const int32_t door0 = x - frameX;  // the doorway's column inside a frame
        for (int32_t k = 0; k < frames; ++k) {
            const int32_t fx = k * frameW;
            const int32_t shift = static_cast<int32_t>((int64_t{k} * (sideBits == 2 ? w / 2 : w)) / (frames - 1));
            if (!outer)
                FillRectColor(dc, mdc, s.BufX + fx + door0, s.BufY, w, h, kDoorwayColour, plat::WHITENESS, 18005);
            const int32_t lo = outer ? 0 : door0;
            const int32_t hi = outer ? frameW : door0 + w;
            if (sideBits == 0) {
                PutLeaf(s, leaf, fx, door0 - shift, 0, w, h, lo, hi);
            } else if (sideBits == 1) {
                PutLeaf(s, leaf, fx, door0 + shift, 0, w, h, lo, hi);
            } else {
                const int32_t half = w / 2;
                PutLeaf(s, leaf, fx, door0 - shift, 0, half, h, lo, hi);
                PutLeaf(s, leaf, fx, door0 + half + shift, half, w - half, h, lo, hi);
            }
        }
    }
    AddAnimLabel(u"DOOR", u" ");
    CreateAnimSurface(slot, frameW * frames, h);
    CompileAnimScript(slot);
}

void ItemDoorAnimation(const VehicleItem& item) {
    std::u16string name = ItemString(plist::PhaseP);
    int32_t y = ItemNumber(0, plist::RY);
    if (name.empty()) return;
    OpenPictureRef(name, 7, 0);
    const PictureRef ref = pictureRef();
    bool found = false;
    const std::u16string section = DescriptionSection(StockDescriptionOf(ref.PicRefStock), u"DOOR:", found);
    if (!found) RaiseProgramError(FormatText(u"MISD", {FormatArg(item.key)}));
    // Eight numbers: the door's x on the vehicle, frame width and height, frame count, first
    // frame's x and y in the strip, step from frame to frame, frame time.
    const std::vector<std::u16string> f = plat::split(section, u",");
    auto number = [&](size_t i, int32_t fallback) {
        return i < f.size() && !plat::trim(f[i]).empty() ? plat::clampToInt32(paramParser().LeadingNumber(f[i]))
                                                         : fallback;
    };
    int32_t x = number(0, 0);
    FrameLayout layout;
    layout.width = std::max(1, number(1, ref.PicRefOpenWidth));
    layout.height = std::max(1, number(2, ref.PicRefOpenHeight));
    layout.count = std::clamp(number(3, 1), 1, kMaxDoorFrames);
    layout.firstX = number(4, 0);
    layout.firstY = number(5, 0);
    layout.stepX = number(6, layout.width);
    layout.time = number(7, 15);
    const PartArea a = CurrentPartArea();
    if (layout.height > a.height && layout.height > *item.value32)
        RaiseProgramError(FormatText(u"OPNP", {FormatArg(item.text)}));
    PlaceInPart(x, y, kAlignStart, kAlignStart, layout.width, layout.height, item.text);
    const int32_t slot = AllocPictureSlot();
    AddAnimLabel(u"DOOR", u" ");
    ExtractPantographParts(slot, item.mirror, layout, x, y);
    CompileAnimScript(slot);
}

}  // namespace yov
