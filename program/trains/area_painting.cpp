#include "program/trains/area_painting.h"

#include <algorithm>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/texts/script_place.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"
#include "program/trains/area_templates.h"
#include "program/trains/fg_bg_areas.h"
#include "program/trains/line_params.h"

namespace yov {

namespace {

constexpr int32_t kSiteStart = 10801;
constexpr int32_t kSiteClear = 10802;
constexpr int32_t kSiteCatchUp = 10803;
constexpr uint32_t kRopThroughMask = 0x00BA0B09;
constexpr int32_t kStructureDeck = 4;  // rows of template 0 under the raised structure
constexpr int32_t kPierRow = 4;        // the piers start below the deck
constexpr plat::COLORREF kLightGrey = plat::RGB(192, 192, 192);

struct BandKind {
    int8_t picture;  // -1 plain grey, else the template
    int8_t height;
};

// The base band of a first letter; height 0: none.
BandKind BandOf(char16_t c) {
    switch (c) {
    case u'a':
    case u'b':
    case u'u':
    case u't':
    case u'f': return {-1, 1};
    case u'A':
    case u'B':
    case u'U':
    case u'T':
    case u'F': return {-1, 2};
    case u'r':
    case u'd':
    case u'e':
    case u'v':
    case u'l':
    case u'm':
    case u's': return {1, 2};
    case u'R':
    case u'D':
    case u'E':
    case u'V':
    case u'L':
    case u'M':
    case u'S': return {1, 3};
    case u'q': return {3, 3};
    case u'Q': return {3, 4};
    case u'p': return {3, 5};
    case u'P': return {3, 6};
    case u'g': return {4, 4};
    case u'G': return {4, 5};
    case u'j': return {5, 3};
    case u'J': return {5, 4};
    case u'k': return {5, 5};
    case u'K': return {5, 6};
    default:
        if (c >= u'0' && c <= u'5') return {2, static_cast<int8_t>(c - 46)};
        return {-1, 0};
    }
}

// A plain grey row band, through the mask with the flag; the mask becomes opaque there.
void PlainBand(int32_t dest, int32_t mask, int32_t x, int32_t y, int32_t width, int32_t height, uint8_t flag) {
    const plat::HDC dc = plat::HDC::FromValue(dest);
    const plat::HBRUSH brush = plat::CreateSolidBrush(kLightGrey);
    const plat::HBRUSH old = plat::SelectObject(dc, brush);
    if (flag != 0 && mask != 0) {
        plat::BitBlt(dc, x, y, width, height, plat::HDC::FromValue(mask), x, y, kRopThroughMask);
    } else {
        plat::PatBlt(dc, x, y, width, height, plat::PATCOPY);
    }
    plat::SelectObject(dc, old);
    plat::DeleteObject(brush);
    if (mask != 0) plat::PatBlt(plat::HDC::FromValue(mask), x, y, width, height, plat::WHITENESS);
}

// "e" is "re", "t" "at", "f" "aL31" and so on.
void CompleteCode(std::u16string& code) {
    if (code.size() == 1) {
        const char16_t c = code[0];
        if (std::u16string_view(u"evlms").find(c) != std::u16string_view::npos)
            code = u"r" + code;
        else if (std::u16string_view(u"EVLMS").find(c) != std::u16string_view::npos)
            code = u"R" + code;
        else if (c == u't')
            code = u"at";
        else if (c == u'T')
            code = u"AT";
    }
    if (!code.empty() && code[0] == u'f')
        code = u"aL31" + code.substr(1);
    else if (!code.empty() && code[0] == u'F')
        code = u"AL31" + code.substr(1);
}

[[noreturn]] void RaiseWireError(const TrainRec& area) { RaiseLineError(area.Line, GetText(u"CPOS", u"", 1)); }

uint8_t RaisedStructure(int32_t dest, int32_t mask, int32_t x, int32_t y, TrainRec& area, uint8_t flag) {
    AreaTemplates& t = areaTemplates();
    const int32_t height = TileMaskedPicture(t.Structure, dest, x, y, area.Width);
    area.LayerTop = std::max(area.LayerTop, height);
    BlitFromBuffer(BoxOf(t.Track[0]), dest, mask, x, y, area.Width, kStructureDeck, flag != 0);
    LoadedPicture& piers = t.Track[6];
    if (piers.dcs.picture.dc) {
        // The gaps between the piers take the scene's colour, for this and every later use.
        FillRectColor(piers.dcs.picture.dc, {}, 0, 0, 152, 1, displayState().BackgroundColour, 0, kSiteStart);
        FillRectColor(piers.dcs.picture.dc, {}, 161, 0, 240 - 161, 1, displayState().BackgroundColour, 0, kSiteStart);
    }
    const int32_t depth = area.BelowBase;
    for (int32_t row = kPierRow; row < depth; ++row) {
        BlitFromBuffer(BoxOf(piers), dest, mask, x, y + row, area.Width, 1, flag != 0);
    }
    area.LayerBottom = depth;
    return draw_bit::kBaseBand | draw_bit::kSupport;
}

}  // namespace

void SetLayerFlags(TrainRec& area, int16_t flag) {
    const int32_t pages = std::min<int32_t>(BookPages(showState()), kMaxBackPages - 1);
    for (int32_t i = 0; i <= pages; ++i) area.BufferRedraw[static_cast<size_t>(i)] |= static_cast<int32_t>(flag);
}

uint8_t DrawObjectPicture(std::u16string& code, const std::u16string& destDc, const std::u16string& maskDc, int32_t x,
                          int32_t y, TrainRec& area, uint8_t flag) {
    LoadAreaTemplates();
    CompleteCode(code);
    if (code.empty()) return 0;
    const int32_t dest = plat::clampToInt32(plat::val(destDc));
    const int32_t mask = plat::clampToInt32(plat::val(maskDc));
    if (code[0] == u'h' || code[0] == u'H') {
        code = u"H";
        return RaisedStructure(dest, mask, x, y, area, flag);
    }
    uint8_t bits = 0;
    const BandKind band = BandOf(code[0]);
    if (band.height > 0) {
        if (band.picture < 0) {
            PlainBand(dest, mask, x, y, area.Width, band.height, flag);
        } else {
            BlitFromBuffer(BoxOf(areaTemplates().Track[band.picture]), dest, mask, x, y, area.Width, band.height,
                           flag != 0);
        }
        area.LayerBottom = std::max<int32_t>(area.LayerBottom, band.height);
        bits |= draw_bit::kBaseBand;
    }
    if (code.size() < 2) return bits;
    int32_t wire = -1;
    switch (plat::toUpper(code[1])) {
    case u'E':
    case u'T':
    case u'V': wire = area.VehicleHeight; break;
    case u'F': wire = 31; break;
    case u'L': {
        double n = plat::val(std::u16string_view(code).substr(2));
        if (n > 300) n = plat::fixTrunc(n / 10);
        const int32_t limit = programState().Shared.PictureHeight;
        if (!(n >= 30 && n <= limit)) RaiseWireError(area);
        wire = static_cast<int32_t>(n);
        break;
    }
    case u'M':
    case u'S': {
        const int32_t height = TileMaskedPicture(areaTemplates().Support, dest, x, y, area.Width);
        area.LayerTop = std::max(area.LayerTop, height);
        bits |= draw_bit::kSupport;
        break;
    }
    default: break;
    }
    if (wire >= 0) {
        area.WireHeight = wire;
        area.LayerTop = std::max(area.LayerTop, wire + 1);
        PlainBand(dest, mask, x, y - wire - 1, area.Width, 1, flag);
        bits |= draw_bit::kWire;
    }
    return bits;
}

namespace {

// The area's layers and way; cleared to the background colour first, or, for a path of a
// scene, drawn over the scene's picture.
void paintArea(TrainRec& area, std::u16string& way, std::u16string& fg, int32_t fgLine, std::u16string& bg,
               int32_t bgLine, std::u16string& tg, int32_t tgLine, bool clear) {
    const DisplayState& show = displayState();
    area.AreaTopY = area.BandTop;
    area.AreaLeftX = area.OriginX;
    const int64_t base = int64_t{area.BandTop} + area.AboveBase;
    if (base > INT32_MAX || base < INT32_MIN) throw ProgramError(error_number::kOverflow, u"Overflow");
    area.BaseY = static_cast<int32_t>(base);
    area.LayerFlags = layer_flag::kPainted;
    area.LayerTop = 0;
    area.LayerBottom = 0;
    area.WireHeight = 0;
    area.BgText = bg;
    area.BgLine = bgLine;
    area.FgText = fg;
    area.FgLine = fgLine;
    if (!tg.empty()) {
        area.TgText = tg;
        area.TgLine = tgLine;
    }
    area.SceneDC = show.SceneDC.Value();
    if (programState().run.BatchMode != 0) {
        area.SceneSurface = show.BackSurface;
    } else {
        area.SceneSurface = 0;
        area.AreaBuffer = 0;
    }
    // Layers of an earlier painting of this area are replaced.
    FreeLayerPieces(area);
    area.BgBlocks.assign(1, VisibleBlock{});
    area.BgBlockCount = 0;
    area.TbgFrom = area.TbgTo = 0;
    area.TbgBufferFrom.fill(0);
    area.TbgBufferTo.fill(0);

    if (clear) {
        FillRectColor(plat::HDC::FromValue(area.SceneDC), {}, area.AreaLeftX, area.AreaTopY, area.Width,
                      area.BandHeight, show.BackgroundColour, 0, kSiteClear);
    }
    PicPartPool& parts = picParts();
    if (parts.valid(area.BgPart)) {
        PicPart& p = parts[area.BgPart];
        p.DC = area.SceneDC;
        p.Surface = area.SceneSurface;
        p.X = area.AreaLeftX;
        p.PartY = area.AreaTopY;
        p.Width = area.Width;
        p.PartHeight = area.BandHeight;
        p.BufDC = 0;
        p.BufMaskDC = 0;
    }
    // Each layer's messages name the header or line that gave it.
    const auto layerAt = [](int32_t line) { return ScriptPlaceScope(scriptReader().PlaceOf(line)); };
    {
        const ScriptPlaceScope place = layerAt(bgLine);
        GetFgBg(bg, area, area.BgPart, layer_kind::kBackground);
    }
    area.LayerFlags |= DrawObjectPicture(way, decimal(area.SceneDC), u"0", area.AreaLeftX, area.BaseY, area, 0);
    {
        const ScriptPlaceScope place = layerAt(tgLine);
        GetFgBg(tg, area, 0, layer_kind::kTemporary);
    }
    area.FgSpanBottom = 0;
    area.FgSpanTop = area.VehicleHeight;
    {
        const ScriptPlaceScope place = layerAt(fgLine);
        GetFgBg(fg, area, area.FgPart, layer_kind::kForeground);
    }
    if (programState().run.BatchMode != 0) {
        CopyRectEx(0, 0, area.AreaLeftX, area.AreaTopY, area.Width, area.BandHeight, area.SceneDC, 0, area.AreaLeftX,
                   area.AreaTopY, 1, 0, area.SceneSurface, 0, kSiteCatchUp);
    }
    SetLayerFlags(area, static_cast<int16_t>(area.LayerFlags & 0x77));
    CleanPictureCache();
}

}  // namespace

void PaintObject(TrainRec& area, std::u16string& way, std::u16string& fg, int32_t fgLine, std::u16string& bg,
                 int32_t bgLine, std::u16string& tg, int32_t tgLine, std::u16string& points) {
    frameStep(kSiteStart);
    paintArea(area, way, fg, fgLine, bg, bgLine, tg, tgLine, true);
    ParseAreaPointList(area, points);
}

void PaintPathOverScene(TrainRec& area, std::u16string& way, std::u16string& fg, int32_t fgLine, std::u16string& bg,
                        int32_t bgLine, std::u16string& tg, int32_t tgLine) {
    frameStep(kSiteStart);
    paintArea(area, way, fg, fgLine, bg, bgLine, tg, tgLine, false);
}

}  // namespace yov
