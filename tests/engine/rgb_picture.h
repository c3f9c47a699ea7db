// The current picture as plain RGB, and reference pictures read from PNG files, for
// comparing decoders with pictures made by other programs.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"

namespace lvk::testing {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, top row first
    const uint8_t* At(int x, int y) const { return rgb.data() + 3 * (static_cast<size_t>(y) * width + x); }
};

// Colours of the current picture: palette entries, or the pixels of a true-colour one.
inline RgbPicture CurrentAsRgb() {
    const CurrentPicture& c = CurPic();
    RgbPicture out;
    out.width = c.Header.Width;
    out.height = c.Header.Height;
    out.rgb.resize(3 * static_cast<size_t>(out.width) * out.height);
    uint8_t* d = out.rgb.data();
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* row = c.Row(y);
        for (int x = 0; x < out.width; ++x, d += 3) {
            if (c.TrueColour()) {
                d[0] = row[4 * x + 2];
                d[1] = row[4 * x + 1];
                d[2] = row[4 * x];
            } else {
                const PaletteEntry& e = c.Palette.Entries[row[x]];
                d[0] = e.Red;
                d[1] = e.Green;
                d[2] = e.Blue;
            }
        }
    }
    return out;
}

// A PNG as RGB (alpha dropped); false when it cannot be read.
inline bool ReadPng(const std::string& path, RgbPicture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

// The first pixel where a and b differ by more than tolerance in a component, as
// "x,y: r g b vs r g b", or "" when they agree (sizes included).
inline std::string FirstDifference(const RgbPicture& a, const RgbPicture& b, int tolerance = 0) {
    if (a.width != b.width || a.height != b.height)
        return "size " + std::to_string(a.width) + "x" + std::to_string(a.height) + " vs " + std::to_string(b.width) +
               "x" + std::to_string(b.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint8_t* p = a.At(x, y);
            const uint8_t* q = b.At(x, y);
            for (int k = 0; k < 3; ++k)
                if (std::abs(p[k] - q[k]) > tolerance)
                    return std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(p[0]) + " " +
                           std::to_string(p[1]) + " " + std::to_string(p[2]) + " vs " + std::to_string(q[0]) + " " +
                           std::to_string(q[1]) + " " + std::to_string(q[2]);
        }
    return "";
}

}  // namespace lvk::testing
