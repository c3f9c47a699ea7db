// What a stock window remembers of the mouse between its events: the press a drag may start
// from, the anchor of a Shift range, the entry a release selects alone, the drag's button and
// shift state, the row last under the mouse and the wheel's remainder.
#pragma once

#include <cstdint>

namespace yov {

// HoverCell of a press on a row's category label: the row + this.
inline constexpr int32_t kCategoryCellBase = 64;

struct StockInputState {
    int32_t HoverCell = 0;  // row of the last press (category label: + 64) or hover notice
    int32_t HoverX = 0;
    int32_t HoverY = 0;
    int32_t Anchor = 0;         // entry of the last plain or Ctrl click
    int32_t PendingSingle = 0;  // entry selected alone on release unless a drag starts; 0 none
    int16_t DragButton = 0;
    int16_t DragShift = 0;
    int16_t MouseCell = 0;  // row last reported under the mouse, 0 none
    int32_t WheelRest = 0;  // wheel delta not yet scrolled
};

}  // namespace yov
