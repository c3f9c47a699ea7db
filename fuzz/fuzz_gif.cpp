// The GIF reader over arbitrary bytes: every image read or refused with its code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The logical screen may be 65535 x 65535 pixels; keep within the fuzzer's memory.
    if (size >= 10 && uint64_t{lvk::Le16(data + 6)} * lvk::Le16(data + 8) > (uint64_t{1} << 22)) return 0;
    const int32_t r = lvk::ReadGifFile(data, size);
    if (r > 0 || (r < -1 && r != lvk::kErrPictureBuffer && (r > -10401 || r < -10423))) std::abort();
    if (r == 0 && lvk::CurPic().Palette.Count > 256) std::abort();
    return 0;
}
