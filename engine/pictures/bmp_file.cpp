// A captured picture area as a BMP file of the smallest depth that holds its colours.
#include <cstring>

#include "engine/base/byte_source.h"
#include "engine/pictures/writers.h"

namespace lvk {

namespace {

// The distinct colours of an area in order of appearance, black first.
class ColourIndex {
public:
    ColourIndex() { Find(0); }

    // The entry number of a colour, adding it; -1 for a 257th colour.
    int Find(uint32_t colour) {
        uint32_t slot = (colour * 2654435761u) >> (32 - kBits);
        while (keys_[slot] != 0) {
            if (keys_[slot] == colour + 1) return values_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (count_ == 256) return -1;
        keys_[slot] = colour + 1;
        values_[slot] = static_cast<uint16_t>(count_);
        colours_[count_] = colour;
        return count_++;
    }
    int Count() const { return count_; }
    uint32_t Colour(int i) const { return colours_[i]; }

private:
    static constexpr int kBits = 10;
    static constexpr uint32_t kSlots = 1u << kBits;  // at most 256 used: short probes
    uint32_t keys_[kSlots] = {};                     // colour + 1; 0 = empty
    uint16_t values_[kSlots] = {};
    uint32_t colours_[256] = {};
    int count_ = 0;
};

size_t RowBytes(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

}  // namespace

int32_t EncodeBmp(const BmpArea& area, bool trueColourAllowed, std::vector<uint8_t>& out) {
    out.clear();
    const int width = area.width > 0 ? area.width : 0;
    const int height = area.height > 0 ? area.height : 0;

    ColourIndex index;
    std::vector<uint8_t> entries(static_cast<size_t>(width) * height);
    bool fits = true;
    for (int y = 0; y < height && fits; ++y) {
        const uint32_t* row = area.first + static_cast<size_t>(y) * area.stride;
        uint8_t* e = entries.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int i = index.Find(row[x] & 0xFFFFFF);
            if (i < 0) {
                fits = false;
                break;
            }
            e[x] = static_cast<uint8_t>(i);
        }
    }
    if (!fits && !trueColourAllowed) return kBmpTooManyColours;

    const int colours = index.Count();
    const int bits = !fits ? 24 : colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    const int tableEntries = bits == 24 ? 0 : 1 << bits;
    const size_t rowBytes = RowBytes(width, bits);
    const size_t offset = 54 + 4 * static_cast<size_t>(tableEntries);
    const size_t imageBytes = rowBytes * height;
    // The format's size fields are 32-bit.
    if (offset + imageBytes > UINT32_MAX) return kErrWriteMemory;
    out.assign(offset + imageBytes, 0);

    uint8_t* f = out.data();
    f[0] = 'B';
    f[1] = 'M';
    PutLe32(f + 2, static_cast<uint32_t>(out.size()));
    PutLe32(f + 10, static_cast<uint32_t>(offset));
    PutLe32(f + 14, 40);
    PutLe32(f + 18, static_cast<uint32_t>(width));
    PutLe32(f + 22, static_cast<uint32_t>(height));
    PutLe16(f + 26, 1);
    PutLe16(f + 28, static_cast<uint16_t>(bits));
    PutLe32(f + 34, static_cast<uint32_t>(imageBytes));
    PutLe32(f + 46, static_cast<uint32_t>(tableEntries));
    for (int i = 0; i < colours && bits != 24; ++i) {
        const uint32_t c = index.Colour(i);
        PutLe32(f + 54 + 4 * i, c & 0xFFFFFF);  // blue, green, red, 0
    }

    for (int y = 0; y < height; ++y) {
        uint8_t* d = f + offset + static_cast<size_t>(y) * rowBytes;
        const uint8_t* e = entries.data() + static_cast<size_t>(y) * width;
        switch (bits) {
        case 1:
            for (int x = 0; x < width; ++x)
                if (e[x] != 0) d[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            break;
        case 4:
            for (int x = 0; x < width; ++x) d[x >> 1] |= static_cast<uint8_t>((x & 1) ? e[x] : e[x] << 4);
            break;
        case 8: std::memcpy(d, e, static_cast<size_t>(width)); break;
        default: {
            const uint32_t* row = area.first + static_cast<size_t>(y) * area.stride;
            for (int x = 0; x < width; ++x) {
                d[3 * x] = static_cast<uint8_t>(row[x]);
                d[3 * x + 1] = static_cast<uint8_t>(row[x] >> 8);
                d[3 * x + 2] = static_cast<uint8_t>(row[x] >> 16);
            }
        }
        }
    }
    return 0;
}

}  // namespace lvk
