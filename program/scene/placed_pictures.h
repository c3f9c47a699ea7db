// Pictures a vehicle carries, placed from stock references: a load on a wagon, a figure at
// a window, another vehicle. A stock pattern is built as a vehicle picture of its own (which
// may carry pictures in turn, to a bounded depth) and copied in with its moving parts.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace yov {

struct PlacedPictureHooks {
    // Builds a described vehicle as a new picture part; its index (0 none). Defaults to the
    // stock picture loader.
    std::function<int32_t(std::u16string_view description)> loadStockPicture;
    PlacedPictureHooks();
};

PlacedPictureHooks& placedPictureHooks();

}  // namespace yov
