// Texts written in a bitmap font of the stock (number plates, labels on a vehicle).
//
// A font is a stock entry whose description begins with "[FONT:picture]" or
// "[ABC:picture]"; after the "]" come its characters as groups "characters:width" separated
// by "," (a stock line keeps ";" for its fields), the cells lying side by side in the font picture from its left edge, in the
// order written (the last ":" of a group separates the width, so ":" can be a character).
// A glyph's pixels are those its picture's mask marks opaque.
#include <algorithm>
#include <vector>

#include "platform/numbers.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/scene/part_area.h"
#include "program/scene/part_placement.h"
#include "program/scene/vehicle_items.h"

namespace yov {

namespace {

struct Glyph {
    char16_t ch = 0;
    int32_t x = 0;
    int32_t width = 0;
};

// Characters a font may define; a longer list is refused rather than scanned for ever.
constexpr size_t kMaxGlyphs = 1024;
constexpr int32_t kMaxCellWidth = 1000;

std::vector<Glyph> ParseCharacters(std::u16string_view list, const std::u16string& entry) {
    std::vector<Glyph> glyphs;
    int32_t x = 0;
    for (const std::u16string& group : plat::split(list, u",")) {
        if (group.empty()) continue;
        const size_t colon = group.rfind(u':');
        if (colon == std::u16string::npos || colon == 0) RaiseProgramError(u"Syntax error in " + entry);
        const int32_t width = plat::clampToInt32(plat::val(std::u16string_view(group).substr(colon + 1)));
        if (width < 1 || width > kMaxCellWidth) RaiseProgramError(u"Syntax error in " + entry);
        for (size_t i = 0; i < colon; ++i) {
            if (glyphs.size() >= kMaxGlyphs) RaiseProgramError(u"Syntax error in " + entry);
            glyphs.push_back({group[i], x, width});
            x += width;
        }
    }
    return glyphs;
}

}  // namespace

void LoadFontPicture(int32_t&, int32_t, const TextPlacement& t) {
    if (t.Text.empty()) return;
    std::u16string font = t.Font;
    if (!font.empty() && font.front() == u'#') font.erase(0, 1);
    const int32_t entry = FindStockEntry(font);
    if (entry <= 0) RaiseProgramError(FormatText(u"ABNF", {FormatArg(font)}));
    const SharedArrays& arrays = programState().Arrays;
    const std::u16string description(plat::trim(std::u16string_view(arrays.Stock[entry].Text3)));
    const std::u16string upper = plat::ucase(description);
    size_t head = 0;
    if (upper.rfind(u"[FONT:", 0) == 0)
        head = 6;
    else if (upper.rfind(u"[ABC:", 0) == 0)
        head = 5;
    else
        RaiseProgramError(FormatText(u"PNAB", {FormatArg(font)}));
    const int32_t close = paramParser().Look(description, 2, static_cast<int32_t>(description.size()) + 1, u']');
    if (close <= 0) RaiseProgramError(u"Syntax error in " + description);
    std::u16string picture(
        plat::trim(std::u16string_view(description).substr(head, static_cast<size_t>(close) - 1 - head)));
    const std::vector<Glyph> glyphs =
        ParseCharacters(std::u16string_view(description).substr(static_cast<size_t>(close)), description);

    drawingStep(10701);
    OpenPictureRef(picture, 8, 0);
    drawingStep(10702);
    const PictureRef ref = pictureRef();
    const int32_t fw = std::max(1, ref.PicRefOpenWidth);
    const int32_t fh = std::max(1, ref.PicRefOpenHeight);
    MaskedPicture box;
    CreateCanvasDC(fw, fh, box, 32, 0, plat::BLACKNESS, 12050);
    struct Free {
        MaskedPicture& m;
        ~Free() { DeleteCanvasDC(m); }
    } freeBox{box};
    DrawPicturePart(ref.PicRefCache, box.picture.dc.id, box.mask.dc.id, 0, 0, 0, fh, picture, 0);

    const int32_t spacing = t.Spacing < 0 ? 1 : t.Spacing;
    // The border frames the background; a text without one stands on the picture itself.
    const int32_t border = t.BackColour >= 0 ? std::max(0, t.Border) : 0;
    std::vector<const Glyph*> line;
    int64_t width = 0;
    for (char16_t ch : t.Text) {
        const auto it = std::find_if(glyphs.begin(), glyphs.end(), [&](const Glyph& g) { return g.ch == ch; });
        if (it == glyphs.end()) continue;
        if (!line.empty()) width += spacing;
        width += it->width;
        line.push_back(&*it);
    }
    if (line.empty()) return;
    const int32_t boxW = static_cast<int32_t>(std::min<int64_t>(width + 2 * border, 1 << 20));
    const int32_t boxH = fh + 2 * border;
    int32_t x = t.X;
    int32_t y = t.Y;
    PlaceInPart(x, y, t.XKind, t.YKind, boxW, boxH, t.Text);
    const PartArea a = CurrentPartArea();
    const CurrentCanvas& c = currentCanvas();
    if (t.BackColour >= 0)
        FillRectColor(c.pictureDc, c.maskDc, a.x + x, a.y + y, boxW, boxH, static_cast<plat::COLORREF>(t.BackColour),
                      plat::WHITENESS, 18004);
    int32_t pen = a.x + x + border;
    const int32_t top = a.y + y + border;
    for (const Glyph* g : line) {
        for (int32_t row = 0; row < fh; ++row)
            for (int32_t col = 0; col < g->width && g->x + col < fw; ++col) {
                if (plat::GetPixel(box.mask.dc, g->x + col, row) == 0) continue;
                const plat::COLORREF colour = t.TextColour >= 0 ? static_cast<plat::COLORREF>(t.TextColour)
                                                                : plat::GetPixel(box.picture.dc, g->x + col, row);
                plat::SetPixelV(c.pictureDc, pen + col, top + row, colour);
                plat::SetPixelV(c.maskDc, pen + col, top + row, plat::RGB(255, 255, 255));
            }
        pen += g->width + spacing;
    }
}

}  // namespace yov
