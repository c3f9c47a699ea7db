// The pictures of a scene, built once when the scene starts: its background layer over the
// whole scene, then each path's own layers and track drawn over it, then the scene's
// foreground, which the frame painting puts in front of every path's trains.
#pragma once

#include <cstdint>

namespace yov {

// The scene record's area cleared to the background colour and its "BG" layer drawn.
void PaintSceneBackground(int32_t scene);
// A path record of the scene: its "BG", track ("W"), "TG" and "FG" over the scene's picture.
void PaintScenePath(int32_t path);
// The scene's "FG" layer, and every page told to draw the scene again.
void PaintSceneForeground(int32_t scene);

}  // namespace yov
