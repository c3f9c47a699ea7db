// Pictures a vehicle carries, placed from stock references: a load on a wagon, a figure at
// a window, another vehicle. A stock pattern is built as a vehicle picture of its own (which
// may carry pictures in turn, to a bounded depth) and copied in with its moving parts.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/core/startup/installed.h"

namespace yov {

// Builds a described vehicle as a new picture part for a placed picture: its index, 0 none.
// Its own `load` is the stock picture loader; a test or fuzz target whose stock is its own
// derives and installs itself (`ScopedInstall<PlacedPictureLoader>`).
class PlacedPictureLoader {
public:
    virtual ~PlacedPictureLoader() = default;
    virtual int32_t load(std::u16string_view description);
};

inline PlacedPictureLoader& placedPictureLoader() { return *Installed<PlacedPictureLoader>(); }

}  // namespace yov
