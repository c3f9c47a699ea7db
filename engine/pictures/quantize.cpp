// 32-bit pixels into palette indices, the palette made in order of first appearance.
#include "engine/pictures/colour_lookup.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"

namespace lvk {

int32_t QuantizeTrueColour(int flags, const uint8_t* pixels) {
    CurrentPicture& p = CurPic();
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    const bool keyEntry = (flags & kQuantKeyEntry) != 0;
    int count = 0;
    if (keyEntry) {
        p.Palette.Entries[0] = PaletteEntry{1, 1, 1, 0};
        count = 1;
    }
    p.Palette.Count = static_cast<uint16_t>(count);
    static thread_local ColourLookup lookup;
    lookup.Clear();
    const size_t inStride = static_cast<size_t>(width) * 4;
    for (int i = 0; i < height; ++i) {
        const uint8_t* src = pixels + static_cast<size_t>(i) * inStride;
        uint8_t* dst = p.Row((flags & kQuantTopDown) ? i : height - 1 - i);
        for (int x = 0; x < width; ++x, src += 4) {
            if (keyEntry && src[0] == 0xFF && src[1] == 0xFF && src[2] == 0xFF && src[3] == 0xFF) {
                dst[x] = 0;
                continue;
            }
            const uint32_t rgb = (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
            int index = lookup.Find(rgb);
            if (index < 0) {
                if (count == 255) {
                    p.Palette.Count = static_cast<uint16_t>(count);
                    return kErrTooManyColours;
                }
                index = count++;
                p.Palette.Entries[index] = PaletteEntry{src[2], src[1], src[0], 0};
                lookup.Insert(rgb, static_cast<uint8_t>(index));
            }
            dst[x] = static_cast<uint8_t>(index);
        }
    }
    p.Palette.Count = static_cast<uint16_t>(count);
    return 0;
}

}  // namespace lvk
