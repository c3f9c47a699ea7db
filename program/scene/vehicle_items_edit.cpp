// Items that edit the vehicle picture on the canvas: fills, tone, recolouring, copies,
// crops, mirrors, flood fills and mask pictures.
#include <algorithm>

#include "lumvatek/exports.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/params/param_table.h"
#include "program/scene/part_area.h"
#include "program/scene/part_placement.h"
#include "program/scene/vehicle_items.h"

namespace yov {

std::u16string StockDescriptionOf(int32_t n) {
    const SharedArrays& a = programState().Arrays;
    if (n < 1 || !a.Stock.has(n)) return {};
    const StockEntry& e = a.Stock[n];
    const std::u16string third = e.Text3;
    return plat::ucase(third.empty() ? std::u16string(e.Text2) : third);
}

std::u16string DescriptionSection(std::u16string_view description, std::u16string_view section, bool& found) {
    const std::u16string opening = u"[" + std::u16string(section);
    const size_t at = description.find(opening);
    found = at != std::u16string_view::npos;
    if (!found) return {};
    const std::u16string_view from = description.substr(at);
    const int32_t close = paramParser().Look(from, 2, static_cast<int32_t>(from.size()) + 1, u']');
    if (close <= 0) RaiseProgramError(FormatText(u"MISB", {FormatArg(from)}));
    return std::u16string(from.substr(opening.size(), static_cast<size_t>(close) - 1 - opening.size()));
}

int32_t ItemNumber(int32_t defaultValue, int32_t list) { return paramParser().GetNamedNumber(defaultValue, u"", list); }

std::u16string ItemString(int32_t list) { return paramParser().GetStringParam(0, list); }

std::u16string ItemRawString(int32_t list) { return plat::trim(paramParser().GetStringParam(kParamRaw, list)); }

int32_t ItemColour(int32_t list, int32_t defaultColour) {
    const std::u16string s = ItemString(list);
    if (s.empty()) return defaultColour;
    int32_t second = -1;
    return paramParser().ParseColorParam(s, second);
}

namespace {

struct CanvasRect {
    int32_t x = 0;  // on the canvas
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// X, Y, W and H of the rectangle lists, inside the part; W and H default to the rest of it.
CanvasRect ReadRect(const VehicleItem& item, int32_t xList = plist::RX, int32_t yList = plist::RY) {
    const PartArea a = CurrentPartArea();
    int32_t x = ItemNumber(0, xList);
    int32_t y = ItemNumber(0, yList);
    // A negative corner counts from the far edge as a picture's rows and columns do, so the
    // corner itself is resolved here; PlaceInPart only checks the rectangle.
    x = x < 0 ? a.width + x : x;
    y = y < 0 ? a.height + y : y;
    const int32_t w = ItemNumber(std::max(0, a.width - x), plist::W);
    const int32_t h = ItemNumber(std::max(0, a.height - y), plist::H);
    if (x < 0 || y < 0) RaiseProgramError(FormatText(u"OPNP", {FormatArg(item.text)}));
    PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, item.text);
    return {a.x + x, a.y + y, w, h};
}

plat::HDC PictureDc() { return currentCanvas().pictureDc; }
plat::HDC MaskDc() { return currentCanvas().maskDc; }

// A copy of the canvas rectangle, picture and mask, to copy back without overlapping itself.
struct RectCopy {
    MaskedPicture pic;
    RectCopy(const CanvasRect& r, int32_t site) {
        CreateCanvasDC(r.width, r.height, pic, 32, -1, 0, site);
        CopyRectEx(static_cast<int32_t>(pic.picture.dc.id), static_cast<int32_t>(pic.mask.dc.id), 0, 0, r.width,
                   r.height, static_cast<int32_t>(PictureDc().id), static_cast<int32_t>(MaskDc().id), r.x, r.y, 1, 1, 0,
                   0, site);
    }
    ~RectCopy() { DeleteCanvasDC(pic); }
    RectCopy(const RectCopy&) = delete;
    RectCopy& operator=(const RectCopy&) = delete;
    void PasteTo(int32_t x, int32_t y, const CanvasRect& r, bool mirrored, int32_t site) const {
        CopyRectEx(static_cast<int32_t>(PictureDc().id), static_cast<int32_t>(MaskDc().id), x, y, r.width, r.height,
                   static_cast<int32_t>(pic.picture.dc.id), static_cast<int32_t>(pic.mask.dc.id), 0, 0,
                   mirrored ? 5 : 1, 1, 0, 0, site);
    }
};

void MirrorRect(const CanvasRect& r, int32_t site) {
    MirrorArea(static_cast<int32_t>(PictureDc().id), static_cast<int32_t>(MaskDc().id), r.x, r.y, r.width, r.height,
               site);
}

}  // namespace

void MirrorArea(int32_t dc, int32_t maskDc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t site) {
    if (width < 1 || height < 1) return;
    MaskedPicture tmp;
    CreateCanvasDC(width, height, tmp, 32, -1, 0, site);
    const int32_t tp = static_cast<int32_t>(tmp.picture.dc.id);
    const int32_t tm = static_cast<int32_t>(tmp.mask.dc.id);
    CopyRectEx(tp, tm, 0, 0, width, height, dc, maskDc, x, y, 1, 1, 0, 0, site);
    CopyRectEx(dc, maskDc, x, y, width, height, tp, tm, 0, 0, 5, 1, 0, 0, site + 1);
    DeleteCanvasDC(tmp);
}

void ItemFillRect(const VehicleItem& item, bool opaque) {
    const CanvasRect r = ReadRect(item);
    const int32_t colour = opaque ? ItemColour(plist::C, 0) : static_cast<int32_t>(currentCanvas().colour);
    FillRectColor(PictureDc(), MaskDc(), r.x, r.y, r.width, r.height, static_cast<plat::COLORREF>(colour),
                  opaque ? plat::WHITENESS : plat::BLACKNESS, opaque ? 18007 : 18008);
}

void ItemBrightness(const VehicleItem& item) {
    const float brightness = paramParser().GetFractionParam(0, 0);
    const float contrast = paramParser().GetFractionParam(0, 0);
    const CanvasRect r = ReadRect(item);
    const CurrentCanvas& c = currentCanvas();
    if (c.pictureBits == nullptr || r.width < 1 || r.height < 1) return;
    // The canvas is stored bottom row first.
    const int32_t memoryRow = c.height - r.y - r.height;
    lv::BrightnessContrast(static_cast<uint32_t*>(c.pictureBits), static_cast<const uint8_t*>(c.maskBits), c.width, 0,
                           r.x, memoryRow, r.width, r.height, brightness, contrast);
}

void ItemRecolour(const VehicleItem&) {
    const int32_t oldColour = ItemColour(plist::O, 0);
    const int32_t newColour = ItemColour(plist::N, 0);
    const PartArea a = CurrentPartArea();
    const plat::HDC dc = PictureDc();
    for (int32_t y = a.y; y < a.y + a.height; ++y)
        for (int32_t x = a.x; x < a.x + a.width; ++x)
            if (plat::GetPixel(dc, x, y) == static_cast<plat::COLORREF>(oldColour))
                plat::SetPixelV(dc, x, y, static_cast<plat::COLORREF>(newColour));
}

void ItemCopyRect(const VehicleItem& item) {
    const CanvasRect r = ReadRect(item, plist::SX, plist::SY);
    int32_t tx = ItemNumber(0, plist::TX);
    int32_t ty = ItemNumber(0, plist::TY);
    PlaceInPart(tx, ty, kAlignStart, kAlignStart, r.width, r.height, item.text);
    const PartArea a = CurrentPartArea();
    const RectCopy copy(r, 12024);
    copy.PasteTo(a.x + tx, a.y + ty, r, false, 12025);
}

void ItemCrop(const VehicleItem& item) {
    PicPartPool& pool = picParts();
    if (!pool.valid(pool.CurPart)) return;
    PicPart& part = pool[pool.CurPart];
    const int32_t n = ItemNumber(0, plist::W);
    const bool top = item.key == u"CROPT";
    if (n < 0 || n > (top ? part.PartHeight : part.Width))
        RaiseProgramError(FormatText(u"OPOA", {FormatArg(item.text)}));
    if (item.key == u"CROPL") {
        part.SrcX += n;
        part.Width -= n;
    } else if (item.key == u"CROPR") {
        part.Width -= n;
    } else {
        part.PartY += n;
        part.PartHeight -= n;
    }
}

void ItemMirror(const VehicleItem& item, bool reverse) {
    PicPartPool& pool = picParts();
    if (reverse && item.variant == 0 && pool.valid(pool.CurPart)) pool[pool.CurPart].Flags ^= 0x02;
    MirrorRect(ReadRect(item), 12037);
    VehicleBuildState& b = vehicleBuild();
    b.Mirrored = static_cast<int16_t>(b.Mirrored == 0 ? 1 : 0);
    if ((item.flags & 1) == 0) b.PictureFlags |= kPicMirrored;
}

void ItemMirrorInPlace(const VehicleItem& item) { MirrorRect(ReadRect(item), 12039); }

void ItemCopyAcross(const VehicleItem& item, bool mirrored) {
    const CanvasRect r = ReadRect(item);
    int32_t x2 = ItemNumber(0, plist::X2);
    int32_t y = r.y - CurrentPartArea().y;
    PlaceInPart(x2, y, kAlignStart, kAlignStart, r.width, r.height, item.text);
    const RectCopy copy(r, 12041);
    copy.PasteTo(CurrentPartArea().x + x2, r.y, r, mirrored, 12042);
}

void ItemFloodFill(const VehicleItem& item) {
    int32_t x = ItemNumber(0, plist::X);
    int32_t y = ItemNumber(0, plist::Y);
    const int32_t colour = ItemColour(plist::C, 0);
    PlaceInPart(x, y, kAlignStart, kAlignStart, 1, 1, item.text);
    const PartArea a = CurrentPartArea();
    const plat::HDC dc = PictureDc();
    const plat::COLORREF found = plat::GetPixel(dc, a.x + x, a.y + y);
    const plat::HBRUSH brush = plat::CreateSolidBrush(static_cast<plat::COLORREF>(colour));
    const plat::HBRUSH old = plat::SelectObject(dc, brush);
    plat::ExtFloodFill(dc, a.x + x, a.y + y, found, plat::FLOODFILLSURFACE);
    plat::SelectObject(dc, old);
    plat::DeleteObject(brush);
}

void ItemMaskPicture(const VehicleItem& item) {
    std::u16string name = ItemString(0);
    const int32_t key = ItemColour(plist::Index, 0);
    int32_t x = ItemNumber(0, plist::RX);
    int32_t y = ItemNumber(0, plist::RY);
    if (name.empty()) return;
    OpenPictureRef(name, 9, 0);
    const PictureRef& ref = pictureRef();
    const int32_t w = ref.PicRefOpenWidth;
    const int32_t h = ref.PicRefOpenHeight;
    PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, item.text);
    MaskedPicture pic;
    CreateCanvasDC(w, h, pic, 32, -1, 0, 12047);
    DrawPicturePart(ref.PicRefCache, pic.picture.dc.id, pic.mask.dc.id, 0, 0, 0, h, name, 0);
    const PartArea a = CurrentPartArea();
    // Where the mask picture has the key colour the vehicle becomes transparent.
    for (int32_t row = 0; row < h; ++row)
        for (int32_t col = 0; col < w; ++col)
            if (plat::GetPixel(pic.picture.dc, col, row) == static_cast<plat::COLORREF>(key))
                plat::SetPixelV(MaskDc(), a.x + x + col, a.y + y + row, 0);
    DeleteCanvasDC(pic);
}

}  // namespace yov
