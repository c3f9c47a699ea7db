#include "program/show/snow.h"

#include <algorithm>
#include <cmath>

#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/service_window.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"

namespace yov {

namespace {

int32_t Whole(float v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::clamp<double>(std::trunc(v), -1.0e9, 1.0e9));
}

// Script values that would divide by zero or never advance are taken as 1, once logged.
int32_t AtLeastOne(int32_t v, std::u16string_view name) {
    if (v >= 1) return v;
    WriteErrorLog(u"Snow: " + std::u16string(name) + u" below 1 taken as 1");
    return 1;
}

constexpr int32_t kSiteOldSurface = 19013;
constexpr int32_t kSiteSurface = 13016;
constexpr int32_t kSiteSurfaceFill = 16012;
constexpr int32_t kSiteRowFill = 16013;
constexpr int32_t kSiteBuffer = 32017;
constexpr int32_t kSiteBufferFill = 18023;
constexpr int32_t kSiteFlake = 31016;
constexpr plat::COLORREF kFlake = plat::RGB(255, 255, 255);

// SnowBufferData: the buffer's device context and where the picture lies in it.
constexpr size_t kDataDC = 0;
constexpr size_t kDataX = 1;
constexpr size_t kDataY = 2;

bool directDraw() { return programState().run.BatchMode != 0; }

bool hasPicture(const TrainRec& t) { return t.SnowSurface != 0 || t.SnowBuffer != 0; }

// No flakes: the colour key under DirectDraw, black in GDI drawing.
void clearPicture(const TrainRec& t) {
    if (t.SnowSurface != 0) {
        lv::FillSurface(static_cast<LvHandle>(t.SnowSurface), 0, 0, t.Width, t.SnowBufferHeight,
                        static_cast<uint32_t>(displayState().KeyPixel), 0, kSiteSurfaceFill);
    } else if (t.SnowBuffer != 0) {
        FillRectColor(plat::HDC::FromValue(t.SnowBufferData[kDataDC]), {}, t.SnowBufferData[kDataX],
                      t.SnowBufferData[kDataY], t.Width, t.SnowBufferHeight, plat::RGB(0, 0, 0), 0, kSiteBufferFill);
    }
}

void makePicture(TrainRec& t, int32_t h) {
    FreeSnowPicture(t);
    t.SnowBufferHeight = h;
    if (t.Width < 1) return;
    if (directDraw()) {
        const uint32_t key = static_cast<uint32_t>(displayState().KeyPixel);
        t.SnowSurface = static_cast<int32_t>(lv::CreateSurface(t.Width, h, key, kSiteSurface));
        return;
    }
    t.SnowBuffer = static_cast<int32_t>(AllocDrawBuffer(t.Width, h, 0, kSiteBuffer));
    if (t.SnowBuffer == 0) return;
    LvHandle dc = 0;
    int32_t x = 0;
    int32_t y = 0;
    lv::GetBufferData(static_cast<LvHandle>(t.SnowBuffer), &dc, nullptr, &x, &y, nullptr);
    t.SnowBufferData = {static_cast<int32_t>(dc), x, y, 0};
}

// The flakes of one new ring row: in each segment of "AX" pixels the whole part of
// segment x intensity, and one more with the chance of its fraction. Flakes past the
// line's width are left out: the buffer is a slice of a wider strip.
void fillRow(const TrainRec& t, plat::HDC dc, int32_t x0, int32_t y) {
    if (t.SnowLevel <= 0) return;
    const int32_t seg = std::max(t.SnowSegment, 1);
    const float f = static_cast<float>(seg) * t.SnowLevel;
    const int32_t whole = static_cast<int32_t>(std::floor(f));
    const float fraction = f - static_cast<float>(whole);
    for (int32_t start = 0; start < t.Width; start += seg) {
        int32_t k = whole;
        if (programRandom().next01() <= fraction) ++k;
        for (int32_t i = 0; i < k; ++i) {
            const int32_t x = start + GetRandomIndex(seg, kSiteFlake);
            if (x < t.Width) plat::SetPixelV(dc, x0 + x, y, kFlake);
        }
    }
}

void writeRows(TrainRec& t, int32_t rows) {
    const int32_t h = t.SnowHeight;
    int32_t r = (h - t.SnowRow) % h;
    for (int32_t n = 0; n < std::min(rows, h); ++n, r = (r + 1) % h) {
        if (directDraw()) {
            const LvHandle surface = static_cast<LvHandle>(t.SnowSurface);
            lv::FillSurface(surface, 0, r, t.Width, 1, static_cast<uint32_t>(displayState().KeyPixel), 0, kSiteRowFill);
            const LvHandle dc = lv::GetDDC(surface);
            if (dc == 0) continue;
            fillRow(t, plat::HDC::FromValue(static_cast<int32_t>(dc)), 0, r);
            lv::ReleaseDDC(surface, dc);
        } else {
            const plat::HDC dc = plat::HDC::FromValue(t.SnowBufferData[kDataDC]);
            const int32_t x0 = t.SnowBufferData[kDataX];
            const int32_t y = t.SnowBufferData[kDataY] + r;
            plat::GdiFlush();
            plat::PatBlt(dc, x0, y, t.Width, 1, plat::BLACKNESS);
            fillRow(t, dc, x0, y);
        }
    }
}

}  // namespace

void StartSnow(TrainRec& train, std::u16string_view params) {
    const int32_t up = train.AboveBase;
    const int32_t down = train.BelowBase;
    ParamTable& table = paramTable();
    table.WithParams(params, [&] {
        int32_t base = std::max(Whole(table.GetParamNumber(u"B,BASE,BOTTOM", -down)), -down);
        int32_t h = Whole(table.GetParamNumber(u"H,HEIGHT,T,TOP", up - base));
        if (table.AliasIndex == 3 || table.AliasIndex == 4) h -= base;
        if (h <= 0) return;
        h = std::min(h, up + down);
        if (base + h > up) base = up - h;
        train.SnowBase = base;
        if (h > train.SnowBufferHeight || !hasPicture(train)) makePicture(train, h);
        // A picture kept from an earlier snow starts empty too.
        clearPicture(train);
        train.SnowHeight = h;
        train.SnowRow = 0;
        train.SnowSpeed = AtLeastOne(Whole(table.GetParamNumber(u"V,SPEED", 60)), u"V");
        train.SnowTime = 0;
        train.SnowStopRows = 0;
        train.SnowSegment = AtLeastOne(Whole(table.GetParamNumber(u"AX", 200)), u"AX");
        float i = table.GetParamNumber(u"I,INTENSITY", 5) / 100;
        i = std::isfinite(i) ? std::clamp(i, 0.001f, 0.5f) : 0.001f;
        float s = table.GetParamNumber(u"S,START,STARTTIME", 10);
        if (!std::isfinite(s) || s < 0) s = 0;
        train.SnowRate = 0;
        if (s == 0) {
            train.SnowLevel = i;
        } else {
            train.SnowLevel = 0;
            train.SnowTarget = i;
            train.SnowRate = i / (s * 1000);
        }
        train.Flags |= train_flag::kFallingSnow;
    });
}

void EndSnow(TrainRec& train, std::u16string_view params) {
    if ((train.Flags & train_flag::kFallingSnow) == 0) return;
    ParamTable& table = paramTable();
    table.WithParams(params, [&] {
        const float t = table.GetParamNumber(u"T", 5);
        if (std::isfinite(t) && t > 0) {
            train.SnowRate = -train.SnowLevel / (t * 1000);
            train.SnowTarget = 0;
        } else {
            // No new flakes: those in the band fall out of it, then the snow is off.
            train.SnowLevel = 0;
            train.SnowRate = 0;
            train.SnowTarget = 0;
            train.SnowStopRows = train.SnowHeight;
        }
    });
}

int32_t AdvanceSnow(TrainRec& train, int32_t stepMs) {
    if (train.SnowHeight < 1 || train.SnowSpeed < 1) return 0;
    train.SnowTime += stepMs;
    if (train.SnowRate != 0) {
        train.SnowLevel += static_cast<float>(stepMs) * train.SnowRate;
        const bool reached =
            train.SnowRate > 0 ? train.SnowLevel >= train.SnowTarget : train.SnowLevel <= train.SnowTarget;
        if (reached) {
            train.SnowLevel = train.SnowTarget;
            train.SnowRate = 0;
            if (train.SnowTarget == 0) train.SnowStopRows = train.SnowHeight;
        }
    }
    if (train.SnowTime <= train.SnowSpeed) return 0;
    const int32_t rows = train.SnowTime / train.SnowSpeed;
    train.SnowRow = (train.SnowRow + rows) % train.SnowHeight;
    train.SnowTime %= train.SnowSpeed;
    if (train.SnowStopRows > 0 && --train.SnowStopRows == 0) train.Flags &= ~train_flag::kFallingSnow;
    return rows;
}

void PaintSnow(TrainRec& train, int32_t stepMs, int32_t yOffset) {
    if (!hasPicture(train) || train.SnowHeight < 1 || train.SnowHeight > train.SnowBufferHeight) return;
    ShowState& ss = showState();
    int32_t rows = 0;
    if (ss.StepMode == 0 || ss.StepMoves != 0) rows = AdvanceSnow(train, stepMs);
    if (rows > 0) {
        writeRows(train, rows);
        for (int32_t b = 0; b <= std::min<int32_t>(BookPages(ss), 2); ++b)
            if (b != ss.PageIndex) train.BufferRedraw[static_cast<size_t>(b)] |= kSnowBandRedraw;
    }
    const size_t page = std::min<size_t>(ss.PageIndex, 2);
    const bool whole = rows > 0 || train.BufferRedraw[page] != 0;
    train.BufferRedraw[page] &= ~kSnowBandRedraw;

    const int32_t h = train.SnowHeight;
    const int32_t ring = train.SnowRow;
    const bool gdi = train.SnowSurface == 0;
    const int32_t dc = gdi ? train.SnowBufferData[kDataDC] : 0;
    const int32_t x0 = gdi ? train.SnowBufferData[kDataX] : 0;
    const int32_t y0 = gdi ? train.SnowBufferData[kDataY] : 0;
    // The piece's top edge shows its first ring row: source row = base - height.
    const int32_t bottomTop = train.SnowBase + h - ring;
    Compositor& c = displayState().Frame;
    c.AddDirtyRect(0, yOffset + train.SnowBase, train.Width, h - ring, whole ? 1 : 0, dc, 1, x0,
                   y0 + bottomTop + yOffset, 1, train.SnowSurface, "Snow bottom");
    if (ring != 0) {
        c.AddDirtyRect(0, yOffset + bottomTop, train.Width, ring, whole ? 1 : 0, dc, 1, x0,
                       y0 + (h - ring) + train.SnowBase + h + yOffset, 1, train.SnowSurface, "Snow top");
    }
}

void FreeSnowPicture(TrainRec& train) {
    if (train.SnowSurface != 0) FreeSurface(static_cast<LvHandle>(train.SnowSurface), kSiteOldSurface);
    LvHandle buffer = static_cast<LvHandle>(train.SnowBuffer);
    FreeDrawBuffer(buffer);
    train.SnowSurface = 0;
    train.SnowBuffer = 0;
    train.SnowBufferData = {};
    train.SnowBufferHeight = 0;
}

}  // namespace yov
