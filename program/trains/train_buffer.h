// An engine buffer for a train picture or one of its parts, with what the engine reports of
// it: the device contexts and the place of its drawing area.
#pragma once

#include <cstdint>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"

namespace yov {

struct TrainBufferView {
    LvHandle Handle = 0;  // 0 when none could be had (the user was told)
    int32_t DC = 0;
    int32_t MaskDC = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

inline TrainBufferView AllocTrainBuffer(int32_t width, int32_t height, int32_t ownerTag, int32_t site) {
    TrainBufferView v;
    v.Handle = AllocDrawBuffer(width, height, ownerTag, site);
    if (v.Handle == 0) return v;
    LvHandle dc = 0;
    LvHandle mask = 0;
    lv::GetBufferData(v.Handle, &dc, &mask, &v.X, &v.Y, nullptr);
    v.DC = static_cast<int32_t>(dc);
    v.MaskDC = static_cast<int32_t>(mask);
    return v;
}

}  // namespace yov
