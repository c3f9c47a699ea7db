// The resource readers over arbitrary bytes, each on the whole input: the DIB decoder,
// the NE reader and name listing, and the PE library reader with every bitmap it finds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t dib = lvk::DecodeDib(data, size);
    if (dib > 0 || (dib < 0 && dib != lvk::kErrPictureBuffer && (dib > -10306 || dib < -10313))) std::abort();

    lvk::MemorySource file(data, size);
    const int32_t n = size > 0 ? data[size - 1] : 0;
    const int32_t ne = lvk::ReadNeBitmapFrom(file, n);
    if (ne > 0) std::abort();
    char names[512];
    const int32_t listed = lvk::ListNeBitmapNames(file, names, sizeof names);
    if (listed >= static_cast<int32_t>(sizeof names)) std::abort();

    lvk::PeLibrary lib;
    if (lvk::ParsePeLibrary(std::vector<uint8_t>(data, data + size), lib) == 0) {
        for (const lvk::PeBitmap& b : lib.bitmaps) {
            if (!b.dataPresent) continue;
            if (b.offset + b.size > lib.image.size()) std::abort();
            lvk::DecodeDib(lib.image.data() + b.offset, b.size);
        }
        int32_t written = 0;
        lvk::ListPeBitmapNames(lib, names, sizeof names, written);
        if (written >= static_cast<int32_t>(sizeof names)) std::abort();
    }
    return 0;
}
