#include "program/dialogs/cfg_state.h"

namespace yov {

ResolutionList BuildResolutionList(int32_t count, const int32_t* widths, const int32_t* heights) {
    ResolutionList list;
    for (int32_t i = 1; i <= count && list.count < kMaxResolutions; ++i) {
        const auto w = static_cast<int16_t>(widths[i]);
        const auto h = static_cast<int16_t>(heights[i]);
        bool listed = false;
        for (int16_t k = 1; k <= list.count && !listed; ++k) listed = list.width[k] == w && list.height[k] == h;
        if (listed) continue;
        ++list.count;
        list.width[static_cast<size_t>(list.count)] = w;
        list.height[static_cast<size_t>(list.count)] = h;
    }
    return list;
}

}  // namespace yov
