// The BMP reader over arbitrary bytes: it reads or refuses, never touching memory
// outside the file or the work buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Run-length pictures may claim up to 65535 x 65535 pixels from a few bytes; the
    // reader allows it, the fuzzer's memory limit does not.
    if (size >= 26) {
        const int64_t w = static_cast<int32_t>(lvk::Le32(data + 18));
        const int64_t h = static_cast<int32_t>(lvk::Le32(data + 22));
        if (std::llabs(w * h) > (int64_t{1} << 22)) return 0;
    }
    const int32_t r = lvk::ReadBmpFile(data, size);
    if (r > 0 || (r < 0 && r != lvk::kErrPictureBuffer && (r > -10801 || r < -10898))) std::abort();
    if (r == 0) {
        // Every pixel of a palette picture is inside its buffer; touch them all.
        const lvk::CurrentPicture& p = lvk::CurPic();
        volatile uint8_t sink = 0;
        for (int y = 0; y < p.Header.Height; ++y) sink = sink + p.Row(y)[p.RowStride() - 1];
    }
    return 0;
}
