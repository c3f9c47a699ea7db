// Picture-library walks over arbitrary files: listing, opening for appending, and
// reading the records the listing names. None may loop, crash or read past the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/piclib.h"
#include "lumvatek/exports.h"

namespace {

// A record claiming a large picture makes the reader size a work buffer for it.
bool Small(const uint8_t* data, size_t size, size_t at) {
    return at + 8 > size || uint64_t{lvk::Le16(data + at + 4)} * lvk::Le16(data + at + 6) <= (uint64_t{1} << 22);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_piclib." + std::to_string(::getpid()) + ".tpl";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    std::vector<char> names(8192);
    const int32_t listed = ListTrLibNames(path.c_str(), names.data(), static_cast<int32_t>(names.size()));
    if (listed > static_cast<int32_t>(names.size())) std::abort();
    if (AppendTrLib(path.c_str()) == 0) CloseTrLib();
    if (Small(data, size, 4)) lvk::ReadTrLibPicture(path.c_str(), 4);
    // The offsets the listing gave (names may hold ":" too: any number after one is tried).
    for (int32_t i = 0; i < listed; ++i) {
        if (names[i] != ':') continue;
        const long at = std::strtol(&names[i + 1], nullptr, 10);
        if (at >= 4 && Small(data, size, static_cast<size_t>(at))) lvk::ReadTrLibPicture(path.c_str(), at);
    }
    // Writing into the damaged library: a small current picture appended, then updated.
    lvk::CurrentPicture& p = lvk::CurPic();
    p.Header.Width = 4;
    p.Header.Height = 3;
    p.Header.Flags = 0;
    p.HeldEntry = 0;
    p.SetName("fuzz", 4);
    p.Palette.Count = 2;
    if (lvk::GrowPictureBuffer() == 0) {
        std::memset(p.PictureBuffer, 1, p.PictureBufferSize);
        int32_t offset = 0;
        GetCodeLength(path.c_str());
        WriteTrLib(path.c_str(), &offset, 0);
        UpdateTrLib(path.c_str(), &offset, 0);
        CloseTrLib();
    }
    return 0;
}
