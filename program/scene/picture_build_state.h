// What the picture builders know about the vehicle picture being built, read by the
// parameter parser's named numbers ("$BW", "$BH") and pixel colours ("x,y").
//
// The stock-picture loader sets the base size after it opened a description's main
// picture; the vehicle picture builder sets the horizontal origin.
#pragma once

#include <cstdint>

namespace yov {

struct PictureBuildState {
  int32_t BaseWidth = 0;    // of the base picture of the description being built
  int32_t BaseHeight = 0;
  int32_t PartOriginX = 0;  // column of the vehicle picture's left edge on the canvas
};

inline PictureBuildState& pictureBuildState() {
  static PictureBuildState state;
  return state;
}

}  // namespace yov
