// Builds palette pictures in the engine's current picture and takes them back out, for
// the codec and cache tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/pictures/current_picture.h"

namespace lvk {
// Colours only: the flags byte of an entry is not part of the code.
inline bool operator==(const PaletteEntry& a, const PaletteEntry& b) {
    return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
}
}  // namespace lvk

namespace lvk::testing {

// A palette picture as plain values: what must survive coding.
struct PlainPicture {
    int width = 0;
    int height = 0;
    std::vector<PaletteEntry> palette;  // flags bytes are not coded; kept 0 here
    std::vector<uint8_t> pixels;        // width x height, top row first
    uint8_t flags = 0;
    uint8_t transparent = 0;

    uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const PlainPicture&) const = default;
};

inline void PrintTo(const PlainPicture& p, std::ostream* os) {
    *os << p.width << "x" << p.height << ", " << p.palette.size() << " colours, flags " << int(p.flags)
        << ", transparent " << int(p.transparent);
}

inline PlainPicture MakePlain(int width, int height, int colours, const std::function<uint8_t(int, int)>& pixel,
                              uint32_t seed = 1) {
    PlainPicture p;
    p.width = width;
    p.height = height;
    std::mt19937 rng(seed);
    for (int i = 0; i < colours; ++i)
        p.palette.push_back(
            PaletteEntry{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), 0});
    p.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = pixel(x, y);
    return p;
}

// Loads a plain picture into the current picture (work buffer sized, rows padded with
// junk so that padding never leaks into the code).
inline void Load(const PlainPicture& p, const std::string& name = "picture") {
    CurrentPicture& c = CurPic();
    c.Header.Width = static_cast<uint16_t>(p.width);
    c.Header.Height = static_cast<uint16_t>(p.height);
    c.Header.Flags = p.flags;
    c.Header.TransparentIndex = p.transparent;
    c.SetName(name.data(), name.size());
    c.HeldEntry = 0;
    for (size_t i = 0; i < 256; ++i) c.Palette.Entries[i] = PaletteEntry{};
    for (size_t i = 0; i < p.palette.size(); ++i) c.Palette.Entries[i] = p.palette[i];
    c.Palette.Count = static_cast<uint16_t>(p.palette.size());
    ASSERT_EQ(GrowPictureBuffer(), 0);
    if (c.PictureBufferSize > 0) std::memset(c.PictureBuffer, 0xEE, c.RowStride() * p.height);
    for (int y = 0; p.width > 0 && y < p.height; ++y)
        std::memcpy(c.Row(y), p.pixels.data() + static_cast<size_t>(y) * p.width, static_cast<size_t>(p.width));
}

inline PlainPicture Take() {
    const CurrentPicture& c = CurPic();
    PlainPicture p;
    p.width = c.Header.Width;
    p.height = c.Header.Height;
    p.flags = c.Header.Flags;
    p.transparent = c.Header.TransparentIndex;
    for (int i = 0; i < c.Palette.Count; ++i) {
        PaletteEntry e = c.Palette.Entries[i];
        e.Flags = 0;
        p.palette.push_back(e);
    }
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; p.width > 0 && y < p.height; ++y)
        std::memcpy(p.pixels.data() + static_cast<size_t>(y) * p.width, c.Row(y), static_cast<size_t>(p.width));
    return p;
}

// Forgets the current picture's pixels and palette, so a decode has to restore them.
inline void Scramble() {
    CurrentPicture& c = CurPic();
    if (c.PictureBuffer != nullptr) std::memset(c.PictureBuffer, 0x5A, c.PictureBufferSize);
    for (auto& e : c.Palette.Entries) e = PaletteEntry{1, 2, 3, 0};
    c.Palette.Count = 7;
    c.HeldEntry = 0;
}

}  // namespace lvk::testing
