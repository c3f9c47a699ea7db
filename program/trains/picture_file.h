// Pictures the platform loads (JPEG layers, the built-in area pictures) turned into the
// program's memory DCs: a 32-bit picture and a 1-bit mask of the same size.
#pragma once

#include <cstdint>
#include <string>

#include "program/core/pictures/canvas_memdc.h"

namespace yov {

struct LoadedPicture {
    MaskedPicture dcs;
    int32_t width = 0;
    int32_t height = 0;
};

// Loads the file into out (replacing what it held). A file that cannot be read or decoded
// leaves out empty (0 x 0) and returns false. Transparent pixels of the file are black in
// the picture and clear in the mask.
bool LoadPictureFile(const std::string& path, LoadedPicture& out);
void FreeLoadedPicture(LoadedPicture& picture);

// Writes the rectangle of a 32-bit DC as a PNG file (for looking at what was painted).
bool SaveDcAsPng(int32_t dc, int32_t width, int32_t height, const std::string& path);

}  // namespace yov
