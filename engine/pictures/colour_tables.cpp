// Colour translation: the tables of SetXColor, and ReColor, which passes the current
// picture's palette through one table.
#include "engine/pictures/colour_tables.h"

#include <cstring>

#include "engine/pictures/current_picture.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

ColourTables MakeIdentity() {
    ColourTables t;
    for (int i = 0; i < 256; ++i) t.Red[i] = t.Green[i] = t.Blue[i] = static_cast<uint8_t>(i);
    return t;
}

ColourTables gTables = MakeIdentity();

}  // namespace

ColourTables& XColorTables() { return gTables; }

void ResetColourTables() { gTables = MakeIdentity(); }

}  // namespace lvk

// A missing table leaves that component's table as it was.
LV_EXPORT LvResult SetXColor(const uint8_t* red, const uint8_t* green, const uint8_t* blue) noexcept {
    lvk::ColourTables& t = lvk::XColorTables();
    if (red != nullptr) std::memcpy(t.Red, red, 256);
    if (green != nullptr) std::memcpy(t.Green, green, 256);
    if (blue != nullptr) std::memcpy(t.Blue, blue, 256);
    return 256;
}

// The marker entry 0 (flag 0x02) and the transparent entry keep their colours.
LV_EXPORT LvResult ReColor(const uint8_t* table, int32_t, int32_t) noexcept {
    lvk::CurrentPicture& p = lvk::CurPic();
    if (table == nullptr || p.TrueColour()) return 0;
    const int first = (p.Header.Flags & lvk::kPicMarkerZero) ? 1 : 0;
    const int count = p.Palette.Count > 256 ? 256 : p.Palette.Count;
    const bool hasTransparent = (p.Header.Flags & lvk::kPicTransparent) != 0;
    for (int i = first; i < count; ++i) {
        if (hasTransparent && i == p.Header.TransparentIndex) continue;
        lvk::PaletteEntry& e = p.Palette.Entries[i];
        e.Red = table[e.Red];
        e.Green = table[e.Green];
        e.Blue = table[e.Blue];
    }
    return count;
}
