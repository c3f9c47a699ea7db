// Named pictures and places, overlays, and LoadExpandedStock.
//
// Reference forms: a leading "<" or ">" asks for the left- or right-facing picture, "#" for
// it mirrored, "!" for the text taken as a plain picture name even where it holds brackets;
// a reference holding "[" or "(" is a stock pattern, of whose expansions the first is built.
#include "program/scene/placed_pictures.h"

#include <algorithm>
#include <vector>

#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/main_module.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/params/param_table.h"
#include "program/scene/part_area.h"
#include "program/scene/part_placement.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"
#include "program/scene/vehicle_items.h"

namespace yov {

int32_t PlacedPictureLoader::load(std::u16string_view description) { return LoadStockPicture(description, 0, 1, 0); }

namespace {

// Overlays repeated side by side: enough for any vehicle, bounded for a mistyped count.
constexpr int32_t kMaxRepeat = 100;

int32_t Id(const MemDC& m) { return static_cast<int32_t>(m.dc.id); }

// Resolves y for the item's side word: bottom items count up from the bottom edge.
void SideY(int16_t side, int32_t& y, int32_t height, int32_t base) {
    const PartArea a = CurrentPartArea();
    if (y == kNotGiven) {
        y = a.height - height - base;
    } else if (side < 0) {
        y = a.height - height - y;
    }
}

// Builds the pattern as a picture part of its own, the builder's state kept around it.
int32_t BuildPlaced(std::u16string_view name) {
    VehicleBuildState& b = vehicleBuild();
    if (b.PlacedDepth >= kMaxPlacedDepth)
        RaiseProgramError(u"Pictures placed inside each other too deeply: " + std::u16string(name));
    if (++b.PlacedCount > kMaxPlacedPictures)
        RaiseProgramError(u"Too many pictures placed in one vehicle: " + std::u16string(name));
    PicPartPool& pool = picParts();
    PictureSlotTable& slots = pictureSlots();
    const int32_t part = pool.CurPart;
    const PictureBuildState build = pictureBuildState();
    const int16_t direction = slots.PictureDirection;
    const auto named = b.Named;
    const int32_t namedCount = b.NamedCount;
    const TextPlacement text = b.Text;
    const int16_t mirrored = b.Mirrored;
    const uint8_t pictureFlags = b.PictureFlags;
    struct Restore {
        VehicleBuildState& b;
        ~Restore() { --b.PlacedDepth; }
    } restore{b};
    ++b.PlacedDepth;
    int32_t made = 0;
    try {
        made = placedPictureLoader().load(name);
    } catch (...) {
        pool.CurPart = part;
        pictureBuildState() = build;
        slots.PictureDirection = direction;
        throw;
    }
    pool.CurPart = part;
    pictureBuildState() = build;
    slots.PictureDirection = direction;
    b.Named = named;
    b.NamedCount = namedCount;
    b.Text = text;
    b.Mirrored = mirrored;
    b.PictureFlags = pictureFlags;
    return made;
}

}  // namespace

namespace {

// The placed width (0 when nothing was placed).
int32_t PlaceExpandedStock(std::u16string reference, int32_t& x, int32_t& y, int32_t&, int32_t flags, int16_t side,
                           int32_t base) {
    bool mirror = false;
    bool plain = false;
    PictureSlotTable& slots = pictureSlots();
    const int16_t savedDirection = slots.PictureDirection;
    // Each marker is taken off the front once.
    for (int i = 0; i < 4 && !reference.empty(); ++i) {
        const char16_t c = reference.front();
        if (c == u'<')
            slots.PictureDirection = -1;
        else if (c == u'>')
            slots.PictureDirection = 1;
        else if (c == u'#')
            mirror = true;
        else if (c == u'!')
            plain = true;
        else
            break;
        reference.erase(0, 1);
    }
    reference = plat::trim(reference);
    if (reference.empty()) {
        slots.PictureDirection = savedDirection;
        return 0;
    }
    const CurrentCanvas& c = currentCanvas();
    const int32_t pic = static_cast<int32_t>(c.pictureDc.id);
    const int32_t msk = static_cast<int32_t>(c.maskDc.id);
    int32_t placedWidth = 0;
    const bool pattern = !plain && reference.find_first_of(u"[(") != std::u16string::npos;
    if (pattern) {
        EnsureStockIndex();
        std::vector<std::u16string> out;
        const int32_t n = ExpandThroughEngine(reference, 0, out);
        if (n < 0) RaiseProgramError(GetErrorNumberText(n));
        if (n == 0 || out.size() < 2) RaiseProgramError(FormatText(u"PNF", {FormatArg(reference)}));
        const int32_t made = BuildPlaced(out[1]);
        slots.PictureDirection = savedDirection;
        PicPartPool& pool = picParts();
        if (made <= 0 || !pool.valid(made) || made == pool.CurPart) return 0;
        const PicPart placed = pool[made];
        SideY(side, y, placed.PartHeight, base);
        PlaceInPart(x, y, kAlignStart, kAlignStart, placed.Width, placed.PartHeight, reference);
        const PartArea a = CurrentPartArea();
        const int32_t fromDc = placed.DC != 0 ? placed.DC : pic;
        const int32_t fromMask = placed.DC != 0 ? placed.MaskDC : msk;
        CopyRectEx(pic, msk, a.x + x, a.y + y, placed.Width, placed.PartHeight, fromDc, fromMask, placed.SrcX,
                   placed.PartY, mirror ? 5 : 2, 1, 0, 0, 12060);
        // Its moving parts move on as parts of this vehicle.
        int32_t s = placed.FirstSlot;
        for (int32_t guard = 0; s != 0 && slots.valid(s) && guard <= slots.Count; ++guard) {
            PictureSlot& slot = slots[s];
            slot.OwnerPart = pool.CurPart;
            slot.PosX += x;
            slot.PosY += y;
            s = slot.NextSlot;
        }
        if (placed.FirstSlot != 0 && pool.valid(pool.CurPart)) {
            PicPart& here = pool[pool.CurPart];
            if (here.FirstSlot == 0)
                here.FirstSlot = placed.FirstSlot;
            else if (slots.valid(here.LastSlot))
                slots[here.LastSlot].NextSlot = placed.FirstSlot;
            here.LastSlot = placed.LastSlot;
        }
        pool[made].FirstSlot = 0;
        pool[made].LastSlot = 0;
        FreePicPart(made, 12061);
        placedWidth = placed.Width;
    } else {
        slots.PictureDirection = savedDirection;
        OpenPictureRef(reference, 0, 0);
        const PictureRef ref = pictureRef();
        NoteStockPictureSource(ref.PicRefStock);
        const int32_t w = ref.PicRefOpenWidth;
        const int32_t h = ref.PicRefOpenHeight;
        SideY(side, y, h, base);
        if (y < 0) {
            int32_t current = CurrentPartArea().height;
            GrowPictureHeight(current - y, current, reference, flags);
        }
        PlaceInPart(x, y, kAlignStart, kAlignStart, w, h, reference);
        const PartArea a = CurrentPartArea();
        if (!mirror) {
            DrawPicturePart(ref.PicRefCache, c.pictureDc.id, c.maskDc.id, a.x + x, a.y + y, 0, h, reference, 0);
        } else {
            MaskedPicture tmp;
            CreateCanvasDC(w, h, tmp, 32, 0, plat::BLACKNESS, 12062);
            DrawPicturePart(ref.PicRefCache, tmp.picture.dc.id, tmp.mask.dc.id, 0, 0, 0, h, reference, 0);
            CopyRectEx(pic, msk, a.x + x, a.y + y, w, h, Id(tmp.picture), Id(tmp.mask), 0, 0, 5, 1, 0, 0, 12062);
            DeleteCanvasDC(tmp);
        }
        placedWidth = w;
    }
    return placedWidth;
}

}  // namespace

void LoadExpandedStock(std::u16string reference, int32_t& x, int32_t& y, int32_t& value, int32_t flags) {
    PlaceExpandedStock(std::move(reference), x, y, value, flags, 0, 0);
}

void ItemDefinePicture(const VehicleItem& item, bool withPicture) {
    VehicleBuildState& b = vehicleBuild();
    NamedPicture n;
    n.Name = plat::ucase(ItemString(plist::Name));
    if (withPicture) n.Reference = ItemString(plist::P);
    n.X = ItemNumber(kNotGiven, plist::X);
    n.Y = ItemNumber(kNotGiven, plist::Y);
    n.Base = ItemNumber(0, plist::Base);
    n.Side = item.side;
    n.Mirror = static_cast<int16_t>(!n.Reference.empty() && n.Reference.front() == u'#' ? 1 : item.mirror);
    if (n.Name.empty()) return;
    if (b.NamedCount >= kMaxNamedPictures)
        RaiseProgramError(u"More than ten named pictures in one description: " + item.text);
    b.Named[static_cast<size_t>(++b.NamedCount)] = n;
    // Loaded now so that a missing picture shows where it is defined.
    std::u16string name = n.Reference;
    while (!name.empty() &&
           (name.front() == u'#' || name.front() == u'<' || name.front() == u'>' || name.front() == u'!'))
        name.erase(0, 1);
    if (withPicture && !b.PlainView && !name.empty() && name.find_first_of(u"[(") == std::u16string::npos)
        OpenPictureRef(name, 6, 0);
}

void ItemOverlay(const VehicleItem& item) {
    const std::u16string reference = ItemString(plist::P);
    int32_t x = ItemNumber(kNotGiven, plist::X);
    const int32_t y = ItemNumber(kNotGiven, plist::Y);
    const int32_t base = ItemNumber(0, plist::Base);
    const int32_t repeat = std::clamp(ItemNumber(1, plist::Repeat), 1, kMaxRepeat);
    if (x == kNotGiven) x = 0;
    for (int32_t k = 0; k < repeat; ++k) {
        int32_t px = x;
        int32_t py = y;
        const int32_t w = PlaceExpandedStock(reference, px, py, *item.value32, item.flags, item.side, base);
        if (w <= 0) break;
        x = px + w;
    }
}

void ItemNamedPicture(const VehicleItem& item, int32_t n) {
    const NamedPicture entry = vehicleBuild().Named[static_cast<size_t>(n)];
    std::u16string reference = ItemString(plist::P);
    if (reference.empty()) reference = entry.Reference;
    int32_t x = ItemNumber(entry.X, plist::X);
    int32_t y = ItemNumber(entry.Y, plist::Y);
    if (x == kNotGiven) x = 0;
    if (entry.Mirror > 0 && (reference.empty() || reference.front() != u'#')) reference = u"#" + reference;
    PlaceExpandedStock(reference, x, y, *item.value32, item.flags, entry.Side, entry.Base);
}

}  // namespace yov
