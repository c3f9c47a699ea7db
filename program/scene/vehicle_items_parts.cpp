// Items that make the moving parts of a vehicle: animated parts, pantographs and their
// elements, lamps, end pictures and pictures joined to the ends.
#include <algorithm>
#include <cmath>

#include "platform/numbers.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/scene/anim_frames.h"
#include "program/scene/anim_labels.h"
#include "program/core/params/param_table.h"
#include "program/scene/part_area.h"
#include "program/scene/part_placement.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_items.h"

namespace yov {

namespace {

// Pantographs one vehicle can raise and lower on its own: the position codes address four.
constexpr int32_t kMaxPantographs = 4;

// Opens a part picture; a leading "#" asks for it mirrored.
void OpenPart(std::u16string& name, int16_t mode, int16_t& mirror) {
    if (!name.empty() && name.front() == u'#') {
        mirror = 1;
        name.erase(0, 1);
    }
    if (name.empty()) RaiseProgramError(u"Empty Value for " + std::u16string(u"P"));
    OpenPictureRef(name, mode, 0);
}

// Reads the frame layout from a section's own parameters, leaving the item's cursor alone.
void LayoutFromSection(std::u16string_view section, FrameLayout& layout, int32_t w, int32_t h) {
    ParamParser& p = paramParser();
    const std::u16string text = p.ParamText;
    const int32_t pos = p.ParamPos;
    paramTable().WithParams(section, [&] {
        p.ParamText.clear();
        p.ParamPos = 1;
        ReadFrameLayout(layout, w, h);
    });
    p.ParamText = text;
    p.ParamPos = pos;
}

int32_t& PantographCount() { return vehicleBuild().PantographParts; }

void CountPantograph(const VehicleItem& item) {
    if (++PantographCount() > kMaxPantographs) RaiseProgramError(FormatText(u"TEM", {FormatArg(item.text)}));
}

// Places a w x h part at x, y of the item (top items may not reach above the picture).
void PlacePart(const VehicleItem& item, int32_t& x, int32_t& y, int32_t w, int32_t h) {
    if (y != kNotGiven && y < 0 && item.side > 0) {
        int32_t current = CurrentPartArea().height;
        GrowPictureHeight(current - y, current, item.text, item.flags);
    }
    PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, item.text);
}

// T, W, H and Y of the end keys cut from the vehicle's own picture; the type name goes to
// the end lists at once.
struct EndRect {
    int32_t w = 0;
    int32_t h = 0;
    int32_t y = kNotGiven;
};
EndRect ReadEndRect(int32_t side) {
    const std::u16string type = plat::ucase(ItemString(plist::Type));
    EndRect r;
    r.w = ItemNumber(0, plist::W);
    r.h = ItemNumber(0, plist::H);
    r.y = ItemNumber(kNotGiven, plist::Y);
    if (!type.empty()) AddNeighbourName(type, side);
    return r;
}

}  // namespace

void ItemAnimatedPart(const VehicleItem& item, bool otherState) {
    const std::u16string rules = ItemRawString(plist::R);
    std::u16string name = ItemString(otherState ? plist::OtherP : plist::PhaseP);
    int32_t x = ItemNumber(kNotGiven, plist::X);
    int32_t y = ItemNumber(kNotGiven, plist::Y);
    const bool layoutGiven = paramParser().ParamPos <= static_cast<int32_t>(paramParser().ParamText.size());
    int16_t mirror = item.mirror;
    OpenPart(name, 7, mirror);
    const PictureRef ref = pictureRef();
    const int32_t slot = AllocPictureSlot();
    ParseAnimParams(slot, rules);
    const PictureSlotTable& t = pictureSlots();
    const std::u16string first = t.LabelCount > 0 ? t.AnimLabelName[1] : std::u16string();
    if (first == u"PAN") CountPantograph(item);
    FrameLayout layout;
    if (layoutGiven) {
        ReadFrameLayout(layout, ref.PicRefOpenWidth, ref.PicRefOpenHeight);
    } else {
        const std::u16string desc = StockDescriptionOf(ref.PicRefStock);
        bool found = false;
        const std::u16string more = DescriptionSection(desc, u"ANIM:", found);
        if (found) ParseAnimParams(slot, more.substr(0, more.find(u',')));
        const std::u16string frames = DescriptionSection(desc, first + u":", found);
        LayoutFromSection(found ? frames : std::u16string(), layout, ref.PicRefOpenWidth, ref.PicRefOpenHeight);
    }
    PlacePart(item, x, y, layout.width, layout.height);
    ExtractPantographParts(slot, mirror, layout, x, y);
    CompileAnimScript(slot);
}

void ItemPantograph(const VehicleItem& item) {
    std::u16string name = ItemString(plist::OtherP);
    int32_t x = ItemNumber(kNotGiven, plist::X);
    int32_t y = ItemNumber(kNotGiven, plist::Y);
    int16_t mirror = item.mirror;
    CountPantograph(item);
    OpenPart(name, 5, mirror);
    const PictureRef ref = pictureRef();
    const std::u16string desc = StockDescriptionOf(ref.PicRefStock);
    const int32_t slot = AllocPictureSlot();
    bool found = false;
    const std::u16string rules = DescriptionSection(desc, u"ANIM:PAN,", found);
    ParseAnimParams(slot, found ? rules : std::u16string(u"*PAN=B"));
    FrameLayout layout;
    LayoutFromSection(DescriptionSection(desc, u"PAN:", found), layout, ref.PicRefOpenWidth, ref.PicRefOpenHeight);
    PlacePart(item, x, y, layout.width, layout.height);
    ExtractPantographParts(slot, mirror, layout, x, y);
    CompileAnimScript(slot);
}

void ItemPantographElement(const VehicleItem& item) {
    const PartArea a = CurrentPartArea();
    int32_t x = ItemNumber(static_cast<int32_t>(std::lround(0.75 * a.width)), plist::X);
    int32_t y = ItemNumber(static_cast<int32_t>(std::lround(0.6 * a.height)), plist::Y);
    FrameLayout layout;
    layout.width = ItemNumber(std::max(1, a.width - std::max(0, x)), plist::W);
    layout.height = ItemNumber(std::max(1, a.height - std::max(0, y)), plist::H);
    layout.count = 1;
    CountPantograph(item);
    PlacePart(item, x, y, layout.width, layout.height);
    const int32_t slot = AllocPictureSlot();
    AddAnimLabel(u"PAN", u" ");
    DrawSlotFrames(slot, layout, x, y);
    CompileAnimScript(slot);
}

void ItemLamp(const VehicleItem& item) {
    int32_t x = ItemNumber(kNotGiven, plist::X);
    int32_t y = ItemNumber(kNotGiven, plist::Y);
    const int32_t w = std::max(1, ItemNumber(2, plist::W));
    const int32_t h = std::max(1, ItemNumber(2, plist::H));
    const int32_t colour = ItemColour(plist::C, 0xFFFFFF);
    const int32_t time = ItemNumber(20, plist::T);
    std::u16string rules = ItemRawString(plist::R);
    if (rules.empty()) rules = u"ON=C;*OFF=E";
    PlacePart(item, x, y, w, h);
    const int32_t slot = AllocPairSlot(w, h);
    {
        PictureSlot& s = pictureSlots()[slot];
        s.PosX = x;
        s.PosY = y;
        s.StepDelay = std::max(1, time);
        s.Flags |= kSlotTransparent;
    }
    // Frame 0 lit, frame 1 dark (what the picture shows there).
    const PictureSlot s = pictureSlots()[slot];
    const PartArea a = CurrentPartArea();
    if (s.BufDC != 0) {
        const plat::HDC dc{static_cast<uint32_t>(s.BufDC)};
        const plat::HDC mask{static_cast<uint32_t>(s.BufMaskDC)};
        FillRectColor(dc, mask, s.BufX, s.BufY, w, h, static_cast<plat::COLORREF>(colour), plat::WHITENESS, 18012);
        CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX + w, s.BufY, w, h, static_cast<int32_t>(currentCanvas().pictureDc.id),
                   static_cast<int32_t>(currentCanvas().maskDc.id), a.x + x, a.y + y, 1, 1, 0, 0, 18013);
    }
    ParseAnimParams(slot, rules);
    CreateAnimSurface(slot, 2 * w, h);
    CompileAnimScript(slot);
}

void ItemPantographCopies(const VehicleItem& item) {
    int32_t x = ItemNumber(0, plist::X);
    int32_t y = ItemNumber(0, plist::Y);
    const int32_t w = ItemNumber(0, plist::W);
    const int32_t h = ItemNumber(0, plist::H);
    int32_t x2 = ItemNumber(kNotGiven, plist::X2);
    if (h < 0) RaiseProgramError(u"Negative height");
    if (w < 1 || h < 1) return;
    PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, item.text);
    int32_t y2 = y;
    if (x2 == kNotGiven) x2 = CurrentPartArea().width - x - w;  // the same place seen from the other end
    PlaceInPart(x2, y2, kAlignStart, kAlignStart, w, h, item.text);
    const int32_t places[2] = {x, x2};
    for (int k = 0; k < 2; ++k) {
        CountPantograph(item);
        const int32_t slot = AllocPictureSlot();
        AddAnimLabel(u"PAN", u" ");
        FrameLayout layout;
        layout.width = w;
        layout.height = h;
        layout.count = 1;
        DrawSlotFrames(slot, layout, k == 0 ? x : x, y);
        PictureSlot& s = pictureSlots()[slot];
        s.PosX = places[k];
        // The second copy stands mirrored when the item asks for it.
        if (k == 1 && item.mirror != 0 && s.BufDC != 0) MirrorArea(s.BufDC, s.BufMaskDC, s.BufX, s.BufY, w, h, 12043);
        CompileAnimScript(slot);
    }
}

void ItemEndPicture(const VehicleItem& item) {
    const std::u16string type = plat::ucase(ItemString(plist::Type));
    std::u16string name = ItemString(plist::EndP);
    int32_t y = ItemNumber(kNotGiven, plist::Y);
    if (!type.empty()) AddNeighbourName(type, item.endSide);
    if (name.empty()) return;
    int16_t mirror = item.mirror;
    OpenPart(name, 7, mirror);
    const PictureRef ref = pictureRef();
    const std::u16string desc = StockDescriptionOf(ref.PicRefStock);
    const int32_t slot = AllocPictureSlot();
    bool found = false;
    const std::u16string rules = DescriptionSection(desc, u"ANIM:", found);
    ParseAnimParams(slot, found ? rules.substr(0, rules.find(u',')) : std::u16string(u"*END=B"));
    FrameLayout layout;
    const std::u16string first = pictureSlots().LabelCount > 0 ? pictureSlots().AnimLabelName[1] : std::u16string();
    LayoutFromSection(DescriptionSection(desc, first + u":", found), layout, ref.PicRefOpenWidth, ref.PicRefOpenHeight);
    // The left end picture stands at the left edge, the right one at the right edge.
    int32_t x = item.endSide > 0 ? -layout.width : 0;
    PlacePart(item, x, y, layout.width, layout.height);
    ExtractPantographParts(slot, mirror, layout, x, y);
    PictureSlot& s = pictureSlots()[slot];
    s.Text = item.endSide < 0 ? u"<:" : item.endSide > 0 ? u">:" : u"";
    CompileAnimScript(slot);
}

void ItemEndCut(const VehicleItem& item) {
    const EndRect r = ReadEndRect(item.endSide);
    const int32_t w = r.w;
    const int32_t h = r.h;
    const int32_t y = r.y;
    if (w < 1 || h < 1) return;
    // Two frames: the end as drawn, and the end as the neighbour covers it (empty).
    const int sides[2] = {-1, 1};
    for (int side : sides) {
        if (item.endSide != 0 && item.endSide != side) continue;
        int32_t x = side > 0 ? -w : 0;
        int32_t yy = y;
        PlaceInPart(x, yy, kAlignStart, kAlignEnd, w, h, item.text);
        const int32_t slot = AllocPictureSlot();
        AddAnimLabel(side < 0 ? u"<" : u">", u" ");
        FrameLayout layout;
        layout.width = w;
        layout.height = h;
        layout.count = 2;
        layout.stepX = w;
        DrawSlotFrames(slot, layout, x, yy);
        CompileAnimScript(slot);
    }
}

void ItemEndPair(const VehicleItem& item) {
    const EndRect r = ReadEndRect(0);
    const int32_t w = r.w;
    const int32_t h = r.h;
    const int32_t y = r.y;
    if (w < 1 || h < 1) return;
    // "<:x" and ">:x" in the value name the columns of the two ends' rectangles.
    auto column = [&](std::u16string_view tag, int32_t fallback) {
        const size_t at = item.value.find(tag);
        if (at == std::u16string::npos) return fallback;
        return plat::clampToInt32(paramParser().LeadingNumber(std::u16string_view(item.value).substr(at + 2)));
    };
    int32_t left = column(u"<:", 0);
    int32_t right = column(u">:", CurrentPartArea().width - w);
    int32_t y1 = y;
    int32_t y2 = y;
    PlaceInPart(left, y1, kAlignStart, kAlignEnd, w, h, item.text);
    PlaceInPart(right, y2, kAlignStart, kAlignEnd, w, h, item.text);
    const int32_t slot = AllocPairSlot(w, h);
    const PictureSlot s = pictureSlots()[slot];
    const PartArea a = CurrentPartArea();
    const int32_t pic = static_cast<int32_t>(currentCanvas().pictureDc.id);
    const int32_t msk = static_cast<int32_t>(currentCanvas().maskDc.id);
    if (s.BufDC != 0) {
        CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX, s.BufY, w, h, pic, msk, a.x + left, a.y + y1, 1, 1, 0, 0, 12044);
        CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX + w, s.BufY, w, h, pic, msk, a.x + right, a.y + y2, 1, 1, 0, 0, 12045);
    }
    PictureSlot& again = pictureSlots()[slot];
    again.PosX = left;
    again.PosY = y1;
    again.Flags |= kSlotTransparent;
    again.Name = u"<:" + decimal(left) + u">:" + decimal(right);
    CreateAnimSurface(slot, 2 * w, h);
}

void ItemJoinEnd(const VehicleItem& item, bool right) {
    std::u16string name = ItemString(plist::P);
    int32_t thisOverlap = ItemNumber(kNotGiven, plist::B);
    int32_t addedOverlap = ItemNumber(kNotGiven, plist::A);
    int32_t y = ItemNumber(0, plist::RY);
    if (name.empty()) return;
    int16_t mirror = item.mirror;
    OpenPart(name, 7, mirror);
    const PictureRef ref = pictureRef();
    if (thisOverlap == kNotGiven || addedOverlap == kNotGiven) {
        bool found = false;
        const std::u16string cb = DescriptionSection(StockDescriptionOf(ref.PicRefStock), u"CB:", found);
        const std::vector<std::u16string> f = plat::split(cb, u",");
        auto number = [&](size_t i) {
            return i < f.size() ? plat::clampToInt32(paramParser().LeadingNumber(f[i])) : 0;
        };
        if (thisOverlap == kNotGiven) thisOverlap = number(0);
        if (addedOverlap == kNotGiven) addedOverlap = number(1);
    }
    PicPartPool& pool = picParts();
    if (!pool.valid(pool.CurPart)) return;
    const int32_t w = ref.PicRefOpenWidth;
    const int32_t h = ref.PicRefOpenHeight;
    const PartArea a = CurrentPartArea();
    // The joined picture overlaps the vehicle by thisOverlap and adds w - addedOverlap columns.
    const int32_t grow = w - std::max(0, addedOverlap) - std::max(0, thisOverlap);
    if (thisOverlap < 0 || addedOverlap < 0 || grow < 0 || y < 0 || y + h > a.height || thisOverlap > a.width)
        RaiseProgramError(GetText(u"OPOA", u"Operation out of picture area"));
    RebuildCanvas(grow, 0);
    const CurrentCanvas& c = currentCanvas();
    if (int64_t{a.x} + a.width + grow > c.width) RaiseProgramError(GetText(u"OPOA", u"Operation out of picture area"));
    const int32_t pic = static_cast<int32_t>(c.pictureDc.id);
    const int32_t msk = static_cast<int32_t>(c.maskDc.id);
    int32_t at = a.x + a.width - thisOverlap;
    if (!right) {
        // The vehicle moves right to make room at its left end.
        if (grow > 0 && a.width > 0) {
            MaskedPicture tmp;
            CreateCanvasDC(a.width, a.height, tmp, 32, -1, 0, 12024);
            const int32_t tp = static_cast<int32_t>(tmp.picture.dc.id);
            const int32_t tm = static_cast<int32_t>(tmp.mask.dc.id);
            CopyRectEx(tp, tm, 0, 0, a.width, a.height, pic, msk, a.x, a.y, 1, 1, 0, 0, 12024);
            CopyRectEx(pic, msk, a.x + grow, a.y, a.width, a.height, tp, tm, 0, 0, 1, 1, 0, 0, 12025);
            DeleteCanvasDC(tmp);
        }
        at = a.x + grow + thisOverlap - w;
    }
    PicPart& part = picParts()[picParts().CurPart];
    part.Width += grow;
    const int32_t clearX = right ? a.x + a.width : a.x;
    FillRectColor(c.pictureDc, c.maskDc, clearX, a.y, grow, a.height, c.colour, plat::BLACKNESS, right ? 18011 : 18010);
    DrawPicturePart(ref.PicRefCache, c.pictureDc.id, c.maskDc.id, at, a.y + y, 0, h, name, 0);
}

}  // namespace yov
