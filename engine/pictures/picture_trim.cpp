// Trimming a decoded picture to what it uses before it is stored: the palette reduced to
// the entries its pixels use, and background rows cut from its top.
#include <cstring>

#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "lumvatek/exports.h"

namespace lvk {

int32_t ReducePalette(int flags) {
    CurrentPicture& p = CurPic();
    if (p.TrueColour()) return 0;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    if (p.PictureBuffer == nullptr && width > 0 && height > 0) return kErrPictureBuffer;

    uint32_t used[256] = {};
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = p.Row(y);
        for (int x = 0; x < width; ++x) ++used[row[x]];
    }

    // Entries in index order; a used entry equal (all four bytes) to one already taken
    // maps to it. Entries past the count that pixels use are taken like any other, so
    // that no pixel is left pointing past the reduced palette. A transparent entry the file
    // named stays apart: files often give it the colour of opaque pixels too (a white page
    // on a white transparent ground), and merging the two would make those pixels vanish.
    const int apart = (flags & 0x30) == 0 && (p.Header.Flags & kPicTransparent) ? p.Header.TransparentIndex : -1;
    uint8_t map[256];
    PaletteEntry taken[256];
    int count = 0;
    int apartSlot = -1;
    for (int i = 0; i < 256; ++i) {
        map[i] = 255;
        if (used[i] == 0) continue;
        const PaletteEntry& e = p.Palette.Entries[i];
        int j = 0;
        if (i != apart) {
            while (j < count && (j == apartSlot || std::memcmp(&taken[j], &e, sizeof e) != 0)) ++j;
        } else {
            j = count;
            apartSlot = count;
        }
        if (j == count) taken[count++] = e;
        map[i] = static_cast<uint8_t>(j);
    }
    std::memcpy(p.Palette.Entries, taken, sizeof(PaletteEntry) * static_cast<size_t>(count));
    p.Palette.Count = static_cast<uint16_t>(count);

    for (int y = 0; y < height; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < width; ++x) row[x] = map[row[x]];
    }

    uint8_t& pf = p.Header.Flags;
    if ((flags & 0x20) && width > 0 && height > 0) {
        p.Header.TransparentIndex = p.Row(0)[0];
        pf |= kPicTransparent;
    } else if (flags & 0x10) {
        for (int i = 0; i < count; ++i) {
            const PaletteEntry& e = p.Palette.Entries[i];
            if (e.Red == 243 && e.Green == 0 && e.Blue == 243 && e.Flags == 0) {
                p.Header.TransparentIndex = static_cast<uint8_t>(i);
                pf |= kPicTransparent;
                break;
            }
        }
    } else if (pf & kPicTransparent) {
        const uint8_t old = p.Header.TransparentIndex;
        if (used[old] == 0) {
            pf &= static_cast<uint8_t>(~kPicTransparent);
            p.Header.TransparentIndex = 0;
        } else {
            p.Header.TransparentIndex = map[old];
        }
    }
    return 0;
}

}  // namespace lvk

// Background: the transparent index, else the first entry with a red, green or blue
// component of 0 (as the format has always had it).
LV_EXPORT LvResult CropPicture(int32_t) noexcept {
    lvk::CurrentPicture& p = lvk::CurPic();
    if (p.TrueColour()) return -2;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    if (height == 0 || width == 0 || p.PictureBuffer == nullptr) return -1;
    int background = -1;
    if (p.Header.Flags & lvk::kPicTransparent) {
        background = p.Header.TransparentIndex;
    } else {
        for (int i = 0; i < p.Palette.Count && i < 256; ++i) {
            const lvk::PaletteEntry& e = p.Palette.Entries[i];
            if (e.Red == 0 || e.Green == 0 || e.Blue == 0) {
                background = i;
                break;
            }
        }
    }
    if (background < 0) return -1;
    int rows = 0;
    for (; rows < height; ++rows) {
        const uint8_t* row = p.Row(rows);
        int x = 0;
        while (x < width && row[x] == background) ++x;
        if (x < width) break;
    }
    if (rows == height) return -1;
    if (rows > 0) {
        const size_t stride = p.RowStride();
        std::memmove(p.PictureBuffer, p.Row(rows), stride * static_cast<size_t>(height - rows));
        p.Header.Height = static_cast<uint16_t>(height - rows);
        p.HeldEntry = 0;
    }
    return rows;
}
