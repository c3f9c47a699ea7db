// The place of the picture part being built on the current canvas, for the items that
// resolve positions against the part's edges from the canvas side.
#pragma once

#include <cstdint>

namespace yov {

struct PartArea {
    int32_t x = 0;  // canvas column of the picture's left edge
    int32_t y = 0;  // canvas row of its top
    int32_t width = 0;
    int32_t height = 0;
};
// The current part's area for the variant being built; all zero when no part is current.
PartArea CurrentPartArea();

}  // namespace yov
