#include "program/scene/part_placement.h"

#include <algorithm>

#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/pictures/picture_build_state.h"

namespace yov {
namespace {

constexpr int32_t kListX = 3;
constexpr int32_t kListY = 4;
constexpr int32_t kListText = 33;
constexpr int32_t kListColour = 34;
constexpr int32_t kListBorder = 36;
constexpr int32_t kListSpacing = 37;
constexpr int32_t kGrowAllowed = 8;

[[noreturn]] void OutOfPart(std::u16string_view name) { RaiseProgramError(FormatText(u"OPNP", {name})); }

PicPart* CurrentPart() {
    PicPartPool& parts = picParts();
    const int32_t cur = parts.CurPart;
    if (cur < 0 || static_cast<size_t>(cur) >= parts.Parts.size()) return nullptr;
    return &parts[cur];
}

// In 64 bits: positions and sizes come from descriptions and may lie anywhere in 32 bits.
int64_t Resolve(int32_t given32, int32_t align, int32_t size32, int32_t extent32) {
    const bool given = given32 != kNotGiven;
    const int64_t size = size32, extent = extent32;
    int64_t v = given32;
    if (given && v < 0) v = extent + v - size + 1;
    switch (align) {
    case kAlignCentre: return given ? v - size / 2 : (extent - size) / 2;
    case kAlignEnd: return given ? v - size : extent - size;
    default: return given ? v : 0;
    }
}

}  // namespace

void ReadTextPlacement(TextPlacement& p) {
    p.X = paramParser().GetLetterNumber(p.XKind, kNotGiven, kListX);
    p.Y = paramParser().GetLetterNumber(p.YKind, kNotGiven, kListY);
    p.Text = paramParser().GetStringParam(0, kListText);
    const std::u16string colours = paramParser().GetStringParam(kParamRaw, kListColour);
    if (colours.empty()) {
        p.TextColour = -1;
        p.BackColour = -1;
    } else {
        p.TextColour = paramParser().ParseColorParam(colours, p.BackColour);
    }
    p.Border = paramParser().GetNamedNumber(1, u"", kListBorder);
    p.Spacing = paramParser().GetNamedNumber(-1, u"", kListSpacing);
}

void AddNeighbourName(std::u16string_view name, int32_t side) {
    PicPart* part = CurrentPart();
    if (part == nullptr) return;
    auto add = [name](std::u16string& list) {
        if (list.empty()) list = u",";
        list += name;
        list += u",";
    };
    if (side < 1) add(part->LeftStates);
    if (side >= 0) add(part->RightStates);
}

void GrowPictureHeight(int32_t height, int32_t& current, std::u16string_view item, int32_t flags) {
    if (height <= current) return;
    PictureBuildState& b = pictureBuildState();
    if (!((b.GrowOptions & kGrowAllowed) != 0 && height <= b.GrowLimit)) OutOfPart(item);
    current = height;
    if (height > currentCanvas().height) RebuildCanvas(0, height);
    b.TallestHeight = std::max(b.TallestHeight, height);
    if ((flags & 1) == 0) b.TallestPlain = std::max(b.TallestPlain, height);
    if (PicPart* part = CurrentPart()) {
        part->PartHeight = std::max(part->PartHeight, height);
        part->PartY = currentCanvas().height - part->PartHeight;
    }
}

int32_t PlaceInPart(int32_t& x, int32_t& y, int32_t hAlign, int32_t vAlign, int32_t width, int32_t height,
                    std::u16string_view name) {
    const PicPart* part = CurrentPart();
    const int32_t partWidth = part ? part->Width : 0;
    const int32_t partHeight = part ? part->PartHeight : 0;
    const int64_t rx = Resolve(x, hAlign, width, partWidth);
    const int64_t ry = Resolve(y, vAlign, height, partHeight);
    if (width < 0 || height < 0 || rx < 0 || ry < 0 || rx + width > partWidth || ry + height > partHeight)
        OutOfPart(name);
    x = static_cast<int32_t>(rx);
    y = static_cast<int32_t>(ry);
    return 0;
}

}  // namespace yov
