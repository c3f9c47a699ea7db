#include "program/show/snow.h"

#include <algorithm>
#include <cmath>

#include "program/core/texts/error_log.h"
#include "program/scene/param_table.h"

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
        if (std::isfinite(t) && t != 0) {
            train.SnowRate = -train.SnowLevel / (t * 1000);
            train.SnowTarget = 0;
        } else {
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

}  // namespace yov
