#include "program/trains/line_label.h"

#include <cmath>
#include <string>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/descriptions.h"
#include "program/core/params/param_table.h"
#include "program/trains/section_table.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/trains/line_params.h"
#include "program/trains/train_buffer.h"
#include "program/trains/train_labels.h"
#include "program/trains/train_start.h"
#include "program/trains/train_text.h"

namespace yov {
namespace {

constexpr int32_t kSiteTextSurface = 13010;
constexpr int32_t kSiteTextBuffer = 32016;
constexpr int32_t kSiteTextBox = 18031;
constexpr int32_t kTextLayer = 0x80;
// A label must leave this much of the line free.
constexpr int32_t kLineMargin = 40;

TrainRec& rec(int32_t train) { return trains().at(train); }

// To the nearest whole row, halves to even as every conversion of the script's numbers.
int32_t nearest(double v) { return std::isfinite(v) ? plat::clampToInt32(v) : 0; }

std::u16string unquoted(std::u16string text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        text = plat::trim(std::u16string_view(text).substr(1, text.size() - 2));
    return text;
}

plat::COLORREF colourOf(std::u16string_view aliases, int32_t sectColour) {
    const std::u16string given = GetParam(aliases, u"");
    return static_cast<plat::COLORREF>(given.empty() ? sectColour : ParseColor(given, 0));
}

void drawLabel(plat::HDC dc, plat::HDC mask, int32_t x, int32_t y, const std::u16string& text, int32_t w, int32_t h,
               plat::COLORREF ink, plat::COLORREF paper) {
    // The text is written opaque: its box takes the background colour.
    FillRectColor(dc, mask, x, y, w, h, paper, plat::WHITENESS, kSiteTextBox);
    DrawShowText(dc, x, y, text, ink);
}

}  // namespace

void DrawTrainText(int32_t train, int32_t sect) {
    const int32_t fontHeight = displayState().ShowFontHeight;
    const int32_t below = rec(train).BelowBase;
    if (below < fontHeight) return;
    const SectRec s = sectRec(sect);
    rec(train).LabelRow = ClampLabelRow(GetParamNumber(u"LY,LABY,LABELPOSITION", 5), below, fontHeight);

    std::u16string text = unquoted(GetParam(u"TX,TEXT", s.LabelText));
    if (text.empty()) return;
    ExpandCaption(rec(train), text);
    text = ExpandTextFields(text);
    if (text.empty()) return;
    text = u" " + text + u" ";

    const TextExtent e = MeasureShowText(text);
    const int32_t w = e.Width;
    const int32_t h = e.Height;
    int32_t y = nearest(GetParamNumber(u"TXY,TXVPOS,TEXTVERTICALPOSITION", s.LabelY));
    if (int64_t{y} + h > below) y = below - h;
    if (!(w < rec(train).Width - kLineMargin && y > 0)) return;
    {
        TrainRec& r = rec(train);
        r.TextWidth = w;
        r.TextHeight = h;
        r.TextY = y;
    }
    int32_t dir = 0;
    rec(train).TextX = EvalPosition(GetParam(u"TXX,TXHPOS,TEXTPOSITION", s.LabelX), w, w / 2, dir, kNoValue, kNoValue);
    const plat::COLORREF ink = colourOf(u"TXC,TEXTCOLOR", s.LabelColor);
    const plat::COLORREF paper = colourOf(u"TXB,TEXTBACKGROUNDCOLOR", s.LabelBackground);

    if (programState().run.BatchMode != 0) {
        const LvHandle surface = lv::CreateSurface(w, h, 0, kSiteTextSurface);
        rec(train).TextSurface = static_cast<int32_t>(surface);
        if (surface == 0) return;
        const LvHandle dc = lv::GetDDC(surface);
        if (dc != 0) {
            drawLabel(plat::HDC::FromValue(static_cast<int32_t>(dc)), {}, 0, 0, text, w, h, ink, paper);
            lv::ReleaseDDC(surface, dc);
        }
    } else {
        const TrainBufferView v = AllocTrainBuffer(w, h, 0, kSiteTextBuffer);
        TrainRec& r = rec(train);
        r.TextBuffer = static_cast<int32_t>(v.Handle);
        r.TextBufferData = {v.DC, v.X, v.Y};
        if (v.Handle == 0) return;
        drawLabel(plat::HDC::FromValue(v.DC), plat::HDC::FromValue(v.MaskDC), v.X, v.Y, text, w, h, ink, paper);
    }
    rec(train).LayerFlags |= kTextLayer;
    SetLayerFlags(rec(train), kTextLayer);
}

}  // namespace yov
