// The vehicle picture builder: the description read item by item, each item's direction
// marker and condition applied, its parameters set up as the parser's cursor, and the
// item handed to the file that carries out its key.
#include "program/scene/vehicle_picture.h"

#include <algorithm>
#include <array>

#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/scene/anim_labels.h"
#include "program/core/params/param_table.h"
#include "program/scene/part_placement.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"
#include "program/scene/vehicle_items.h"

namespace yov {

namespace {

enum Mark : uint8_t { kAny = 0, kPass0 = 1, kEdit = 2 };

using Handler = void (*)(VehicleItem&);

struct KeyEntry {
    std::u16string_view key;
    Mark mark;
    Handler run;
};

void Skip(VehicleItem&) {}

void MotionDefault(VehicleItem& item) {
    VehicleBuildState& b = vehicleBuild();
    if (item.key == u"#W") {
        b.DefaultW = item.value;
        return;
    }
    const auto v = static_cast<float>(paramParser().EvalRelativeValue(item.value).number());
    if (item.key == u"#A")
        b.DefaultAcceleration = v;
    else if (item.key == u"#B")
        b.DefaultBraking = v;
    else
        b.DefaultSpeed = v;
}

void Labels(VehicleItem& item) {
    PicPartPool& pool = picParts();
    if (!pool.valid(pool.CurPart)) return;
    std::u16string& list = pool[pool.CurPart].Labels;
    const std::u16string add = plat::ucase(item.value);
    if (add.empty()) return;
    if (!list.empty()) list += u',';
    list += add;
}

void LinkName(VehicleItem& item) {
    PicPartPool& pool = picParts();
    if (!pool.valid(pool.CurPart)) return;
    const int32_t n = FindStockEntry(item.value);
    if (n > 0) pool[pool.CurPart].StockIndex = n;
}

void StoreOverlap(VehicleItem&) {
    PicPartPool& pool = picParts();
    const int32_t b = ItemNumber(0, plist::B);
    if (pool.valid(pool.CurPart)) pool[pool.CurPart].Overlap = b;
}

void EndNames(VehicleItem& item) {
    const std::u16string type = ItemString(plist::Type);
    if (type.empty()) return;
    const int32_t side = item.key == u"NTL" ? -1 : item.key == u"NTR" ? 1 : 0;
    AddNeighbourName(plat::ucase(type), side);
}

void TextDraw(VehicleItem& item) {
    VehicleBuildState& b = vehicleBuild();
    const std::u16string font = ItemString(plist::Abc);
    if (!font.empty()) b.Text.Font = font;
    if (item.key != u"TX" && item.key != u"TDT") ReadTextPlacement(b.Text);
    if (item.key == u"T" || item.key == u"TX") LoadFontPicture(*item.value32, item.flags, b.Text);
}

void Door(VehicleItem& item) {
    static constexpr std::array<std::pair<std::u16string_view, uint8_t>, 9> kKinds{{{u"DIL", 0},
                                                                                    {u"DIR", 1},
                                                                                    {u"DID", 2},
                                                                                    {u"DOL", 4},
                                                                                    {u"DOR", 5},
                                                                                    {u"DOD", 6},
                                                                                    {u"DOLM", 20},
                                                                                    {u"DORM", 21},
                                                                                    {u"DODM", 22}}};
    for (const auto& [key, kind] : kKinds)
        if (item.key == key) LoadDoorPicture(kind, item);
}

void Define(VehicleItem& item) { ItemDefinePicture(item, item.key[0] == u'D'); }
void Place(VehicleItem& item) { ItemDefinePicture(item, false); }
void Overlay(VehicleItem& item) { ItemOverlay(item); }
void Fill(VehicleItem& item) { ItemFillRect(item, true); }
void Clear(VehicleItem& item) { ItemFillRect(item, false); }
void Tone(VehicleItem& item) { ItemBrightness(item); }
void Recolour(VehicleItem& item) { ItemRecolour(item); }
void Copy(VehicleItem& item) { ItemCopyRect(item); }
void Crop(VehicleItem& item) { ItemCrop(item); }
void Mirror(VehicleItem& item) { ItemMirror(item, false); }
void Reverse(VehicleItem& item) { ItemMirror(item, true); }
void MirrorInPlace(VehicleItem& item) { ItemMirrorInPlace(item); }
void CopyAcross(VehicleItem& item) { ItemCopyAcross(item, item.key[0] == u'M'); }
void Flood(VehicleItem& item) { ItemFloodFill(item); }
void MaskPicture(VehicleItem& item) { ItemMaskPicture(item); }
void Animated(VehicleItem& item) { ItemAnimatedPart(item, false); }
void AnimatedOther(VehicleItem& item) { ItemAnimatedPart(item, true); }
void Pantograph(VehicleItem& item) { ItemPantograph(item); }
void PantographElement(VehicleItem& item) { ItemPantographElement(item); }
void Lamp(VehicleItem& item) { ItemLamp(item); }
void PantographCopies(VehicleItem& item) { ItemPantographCopies(item); }
void EndPicture(VehicleItem& item) { ItemEndPicture(item); }
void EndCut(VehicleItem& item) { ItemEndCut(item); }
void EndPair(VehicleItem& item) { ItemEndPair(item); }
void JoinLeft(VehicleItem& item) { ItemJoinEnd(item, false); }
void JoinRight(VehicleItem& item) { ItemJoinEnd(item, true); }
void DoorAnimation(VehicleItem& item) { ItemDoorAnimation(item); }

void PantographOther(VehicleItem& item) {
    std::u16string name = ItemString(plist::OtherP);
    const bool stacked = item.key == u"ES";
    const int32_t x = stacked ? ItemNumber(-1, plist::X) : -1;
    const int32_t y = ItemNumber(-1, plist::Y);
    // "ES" stands the pantograph at a place of its own (mark 2); "EU" takes the picture's (mark 1).
    LoadPantographPicture(name, stacked ? 2 : 1, y, *item.value32, stacked ? x : 0);
}

constexpr KeyEntry kKeys[] = {
    {u"^", kAny, Skip},
    {u"ANIM", kAny, Skip},
    {u"DIU", kAny, Skip},
    {u"DOU", kAny, Skip},
    {u"#A", kAny, MotionDefault},
    {u"#B", kAny, MotionDefault},
    {u"#V", kAny, MotionDefault},
    {u"#D", kAny, MotionDefault},
    {u"#W", kAny, MotionDefault},
    {u"A", kPass0, Animated},
    {u"AT", kPass0, Animated},
    {u"AO", kPass0, AnimatedOther},
    {u"B", kEdit, Fill},
    {u"BC", kEdit, Tone},
    {u"BT", kEdit, Clear},
    {u"C", kEdit, Recolour},
    {u"CB", kEdit, StoreOverlap},
    {u"CP", kEdit, Copy},
    {u"CL", kPass0, JoinLeft},
    {u"CR", kPass0, JoinRight},
    {u"CROPL", kEdit, Crop},
    {u"CROPR", kEdit, Crop},
    {u"CROPT", kEdit, Crop},
    {u"D", kAny, Define},
    {u"DT", kAny, Define},
    {u"DB", kAny, Define},
    {u"P", kAny, Place},
    {u"PT", kAny, Place},
    {u"PB", kAny, Place},
    {u"O", kAny, Overlay},
    {u"OT", kAny, Overlay},
    {u"OB", kAny, Overlay},
    {u"DIL", kPass0, Door},
    {u"DIR", kPass0, Door},
    {u"DID", kPass0, Door},
    {u"DOL", kPass0, Door},
    {u"DOLM", kPass0, Door},
    {u"DOR", kPass0, Door},
    {u"DORM", kPass0, Door},
    {u"DOD", kPass0, Door},
    {u"DODM", kPass0, Door},
    {u"DA", kPass0, DoorAnimation},
    {u"E", kPass0, Pantograph},
    {u"ET", kPass0, Pantograph},
    {u"ED", kPass0, Pantograph},
    {u"EDC", kPass0, PantographElement},
    {u"EU", kPass0, PantographOther},
    {u"ES", kPass0, PantographOther},
    {u"EM", kPass0, PantographCopies},
    {u"EMC", kPass0, PantographCopies},
    {u"ECM", kPass0, PantographCopies},
    {u"EMX", kPass0, PantographCopies},
    {u"EC", kPass0, PantographCopies},
    {u"EX", kPass0, PantographCopies},
    {u"F", kEdit, Flood},
    {u"FL", kPass0, Lamp},
    {u"L", kAny, Labels},
    {u"M", kEdit, Mirror},
    {u"R", kEdit, Reverse},
    {u"MP", kEdit, MirrorInPlace},
    {u"XC", kEdit, CopyAcross},
    {u"XC1", kEdit, CopyAcross},
    {u"MX", kEdit, CopyAcross},
    {u"MX1", kEdit, CopyAcross},
    {u"MSK", kEdit, MaskPicture},
    {u"NAME", kPass0, LinkName},
    {u"TL", kPass0, EndPicture},
    {u"TR", kPass0, EndPicture},
    {u"TN", kPass0, EndPicture},
    {u"NL", kPass0, EndPicture},
    {u"NR", kPass0, EndPicture},
    {u"N", kPass0, EndPicture},
    {u"NT", kPass0, EndNames},
    {u"TT", kPass0, EndNames},
    {u"NTL", kPass0, EndNames},
    {u"NTR", kPass0, EndNames},
    {u"NC", kPass0, EndCut},
    {u"NCL", kPass0, EndCut},
    {u"NCR", kPass0, EndCut},
    {u"NM", kPass0, EndPair},
    {u"T", kAny, TextDraw},
    {u"TD", kAny, TextDraw},
    {u"TDP", kAny, TextDraw},
    {u"TDT", kAny, TextDraw},
    {u"TX", kAny, TextDraw},
};

const KeyEntry* FindKey(std::u16string_view key) {
    for (const KeyEntry& k : kKeys)
        if (k.key == key) return &k;
    return nullptr;
}

// The per-item words a key sets before it is applied.
void SetItemWords(VehicleItem& item) {
    static constexpr std::u16string_view kTop[] = {u"AT", u"DT", u"ET", u"EMX", u"OT", u"PT", u"TL", u"TR", u"TN"};
    static constexpr std::u16string_view kBottom[] = {u"DB", u"OB", u"PB"};
    static constexpr std::u16string_view kVariant[] = {u"EC", u"ED", u"EMC", u"ECM", u"MX1", u"XC1"};
    const std::u16string& k = item.key;
    if (std::find(std::begin(kTop), std::end(kTop), k) != std::end(kTop)) item.side = 1;
    if (std::find(std::begin(kBottom), std::end(kBottom), k) != std::end(kBottom)) item.side = -1;
    if (std::find(std::begin(kVariant), std::end(kVariant), k) != std::end(kVariant)) item.variantWord = -1;
    if (k == u"MX" || k == u"MX1") item.mirror = 1;
    if (k == u"EM" || k == u"EMC" || k == u"ECM") item.mirror = -1;
    if (k == u"TL" || k == u"NL" || k == u"NCL") item.endSide = -1;
    if (k == u"TR" || k == u"NR" || k == u"NCR") item.endSide = 1;
}

// The parser's cursor for the item's value: positional fields up to the first ";" unless
// an "=" comes first, named parameters after it.
void SetCursor(std::u16string_view value) {
    ParamParser& p = paramParser();
    p.ParamPos = 1;
    p.ParamPositionalOnly = 0;
    const size_t semi = value.find(u';');
    const size_t eq = value.find(u'=');
    if (semi == std::u16string_view::npos && eq == std::u16string_view::npos) {
        paramTable().ClearParams();
        p.ParamText = value;
        return;
    }
    if (eq != std::u16string_view::npos && (semi == std::u16string_view::npos || eq < semi)) {
        p.ParamText.clear();
        paramTable().ParseParams(value);
    } else {
        p.ParamText = value.substr(0, semi);
        paramTable().ParseParams(value.substr(semi + 1));
    }
}

// Whether the condition in front of the key lets the item apply; rest loses it.
bool ConditionHolds(std::u16string& rest, std::u16string_view upperDescription) {
    const size_t bang = rest.find(u'!');
    const size_t colon = rest.find(u':');
    if (bang == std::u16string::npos || bang == 0 || (colon != std::u16string::npos && colon < bang)) return true;
    std::u16string name = plat::ucase(plat::trim(std::u16string_view(rest).substr(0, bang)));
    rest = plat::trim(std::u16string_view(rest).substr(bang + 1));
    const bool negated = !name.empty() && name.front() == u'#';
    if (negated) name.erase(0, 1);
    VehicleBuildState& b = vehicleBuild();
    if (name == u"L") b.PictureFlags |= kPicCondL;
    if (name == u"C") b.PictureFlags |= kPicCondC;
    if (name == u"E") b.PictureFlags |= kPicCondE;
    if (b.PlainView) return true;
    bool held = upperDescription.find(u"[!" + name + u"]") != std::u16string_view::npos;
    if (!held && currentCanvas().mode == 2) {
        auto it = std::find_if(b.Conditions.begin(), b.Conditions.end(),
                               [&](const BuildCondition& c) { return c.Name == name; });
        if (it == b.Conditions.end()) {
            b.Conditions.push_back({name, 0, 1});
        } else {
            it->Seen = 1;
            held = it->On != 0;
        }
    }
    return negated ? !held : held;
}

void ApplyItem(VehicleItem& item) {
    const KeyEntry* k = FindKey(item.key);
    const VehicleBuildState& b = vehicleBuild();
    if (k != nullptr) {
        if (k->mark == kPass0 && item.variant != 0) return;
        if (k->mark == kEdit && b.PlainView) return;
        k->run(item);
        return;
    }
    const int32_t mask = PantoCodeToMask(item.key);
    if (mask >= 0) {
        PicPartPool& pool = picParts();
        if (pool.valid(pool.CurPart)) pool[pool.CurPart].PantoCode = static_cast<int16_t>(mask);
        return;
    }
    for (int32_t n = 1; n <= b.NamedCount; ++n)
        if (b.Named[static_cast<size_t>(n)].Name == item.key) {
            ItemNamedPicture(item, n);
            return;
        }
}

}  // namespace

void BuildVehiclePicture(std::u16string_view description, int32_t& value, uint8_t variant, int32_t flags) {
    // A font's description lists its characters, not items: its picture is shown as it is.
    const std::u16string head = plat::ucase(plat::trim(description).substr(0, 6));
    if (head.rfind(u"[FONT:", 0) == 0 || head.rfind(u"[ABC:", 0) == 0) return;
    VehicleBuildState& b = vehicleBuild();
    ParamTable& table = paramTable();
    struct Restore {
        ParamTable& t;
        int32_t base;
        int32_t top;
        ~Restore() {
            t.Base = base;
            t.Top = top;
        }
    } restore{table, table.Base, table.Top};
    table.Base = table.Top;
    b.Mirrored = 0;
    b.NamedCount = 0;
    if (b.PlacedDepth == 0) {
        // Both counts are per vehicle: pictures it places count towards its own limits.
        b.PlacedCount = 0;
        b.PantographParts = 0;
    }
    if (PicPartPool& pool = picParts(); pool.valid(pool.CurPart)) {
        const PicPart& part = pool[pool.CurPart];
        pictureBuildState().PartOriginX = part.SrcX + part.Width * variant;
    }
    const std::u16string upper = plat::ucase(description);
    std::u16string rest(plat::trim(description));
    ParamParser& parser = paramParser();
    // Each pass takes at least the item's two brackets off the text.
    while (!rest.empty()) {
        const int32_t close = parser.Look(rest, 2, static_cast<int32_t>(rest.size()) + 1, u']');
        if (close <= 0) RaiseProgramError(FormatText(u"MISB", {FormatArg(rest)}));
        const size_t open = rest.front() == u'[' ? 1 : 0;
        std::u16string body(plat::trim(std::u16string_view(rest).substr(open, static_cast<size_t>(close) - 1 - open)));
        rest = plat::trim(std::u16string_view(rest).substr(static_cast<size_t>(close)));

        VehicleItem item;
        item.text = body;
        item.value32 = &value;
        item.variant = variant;
        item.flags = flags;
        if (!body.empty() && (body.front() == u'<' || body.front() == u'>')) {
            const int16_t wanted = body.front() == u'<' ? -1 : 1;
            body.erase(0, 1);
            b.PictureFlags |= kPicDirectional;
            if (!b.PlainView && pictureSlots().PictureDirection != wanted) continue;
        }
        if (!ConditionHolds(body, upper)) continue;
        const size_t colon = body.find(u':');
        item.key = plat::ucase(plat::trim(std::u16string_view(body).substr(0, colon)));
        item.value =
            colon == std::u16string::npos ? std::u16string() : plat::trim(std::u16string_view(body).substr(colon + 1));
        SetItemWords(item);
        SetCursor(item.value);
        ApplyItem(item);
    }
}

}  // namespace yov
