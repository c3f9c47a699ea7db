// The service window's pictures for the area painting: the track templates 0 to 6 that a
// way code tiles below the rail line, the raised structure and the support picture (a
// mast with its wire), and the general picture box that takes JPEG layer pictures and
// stretched strips. The built-in pictures are read from data/builtin at the first use.
#pragma once

#include <cstdint>
#include <string>

#include "program/core/pictures/canvas_copy.h"
#include "program/trains/picture_file.h"

namespace yov {

inline constexpr int kTrackTemplates = 7;

struct AreaTemplates {
    LoadedPicture Track[kTrackTemplates];
    LoadedPicture Structure;
    LoadedPicture Support;
    LoadedPicture General;  // the hidden picture box of JPEG loads and stretches
    bool Loaded = false;
};

AreaTemplates& areaTemplates();

// The folder of the built-in pictures: $YOV_BUILTIN_DIR, else data/builtin of the program's
// home.
std::string BuiltinFolder();
// Loads the built-in pictures once; a missing one stays 0 x 0 and draws nothing.
void LoadAreaTemplates();
void FreeAreaTemplates();

inline PictureBox BoxOf(const LoadedPicture& p) { return PictureBox{p.dcs.picture.dc, p.width, p.height}; }

// Tiles a picture with a transparent colour across totalWidth, standing on bottomY: only
// its opaque pixels reach the destination. Returns the picture's height.
int32_t TileMaskedPicture(const LoadedPicture& p, int32_t destDc, int32_t x, int32_t bottomY, int32_t totalWidth);

}  // namespace yov
