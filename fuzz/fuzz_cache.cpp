// Arbitrary bytes as coded picture data and as a picture cache file.
//
// Input: a selector byte, then
//   0: width and height (16-bit each), then bit-coded picture data;
//   1: width and height, then the zlib form (count byte and stream);
//   2 to 15 (low four bits): the whole cache file, opened in that cache mode (2 read only,
//   3 appending, the others as the cache modes say), listed, appended to, cleaned and
//   listed again.
// A picture that decodes must survive coding and decoding again unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/cache/cache.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"

namespace {

using lvk::CurPic;

// Pictures bigger than this are legal but only make the fuzzer slow.
constexpr uint64_t kMaxPixels = 1u << 20;

struct Snapshot {
    std::vector<uint8_t> palette;
    std::vector<uint8_t> pixels;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
    const lvk::CurrentPicture& p = CurPic();
    Snapshot s;
    for (int i = 0; i < p.Palette.Count; ++i) {
        s.palette.push_back(p.Palette.Entries[i].Red);
        s.palette.push_back(p.Palette.Entries[i].Green);
        s.palette.push_back(p.Palette.Entries[i].Blue);
    }
    for (int y = 0; y < p.Header.Height; ++y) {
        const uint8_t* row = p.Row(y);
        for (int x = 0; x < p.Header.Width; ++x) {
            if (row[x] >= p.Palette.Count) {
                std::fprintf(stderr, "pixel %d past the palette of %d\n", row[x], p.Palette.Count);
                std::abort();
            }
            s.pixels.push_back(row[x]);
        }
    }
    return s;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

// Codes the current picture in both forms and decodes each: nothing may change.
void CheckRecoding() {
    const Snapshot before = Take();
    Check(lvk::EncodePicture() == 0, "a decoded picture cannot be coded");
    std::vector<uint8_t> code(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    Check(lvk::DecodePicture(code.data(), code.size(), nullptr) == 0, "own bit code refused");
    Check(Take() == before, "bit code round trip changed the picture");
    Check(lvk::DeflatePicture(6) == 0, "a decoded picture cannot be deflated");
    code.assign(CurPic().CodeBuffer, CurPic().CodeBuffer + CurPic().CodeLength);
    Check(lvk::InflatePicture(code.data(), code.size()) == 0, "own zlib form refused");
    Check(Take() == before, "zlib round trip changed the picture");
}

void FuzzPictureData(bool zlibForm, const uint8_t* data, size_t size) {
    if (size < 4) return;
    lvk::CurrentPicture& p = CurPic();
    p.Header.Width = static_cast<uint16_t>(data[0] | (data[1] << 8));
    p.Header.Height = static_cast<uint16_t>(data[2] | (data[3] << 8));
    if (static_cast<uint64_t>(p.Header.Width) * p.Header.Height > kMaxPixels) return;
    p.Header.Flags = 0;
    p.HeldEntry = 0;
    // The exact size, so that a read past the end is caught.
    std::vector<uint8_t> exact(data + 4, data + size);
    int32_t r = zlibForm ? lvk::InflatePicture(exact.data(), exact.size())
                         : lvk::DecodePicture(exact.data(), exact.size(), nullptr);
    if (r == 0) CheckRecoding();
}

std::string CacheFileName() {
    static const std::string name = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/yov-fuzz-cache-" + std::to_string(getpid()) + ".tca";
    }();
    return name;
}

void FuzzCacheFile(int mode, const uint8_t* data, size_t size) {
    const std::string file = CacheFileName();
    FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    if (OpenCache(mode, file.c_str()) == 0) {
        for (int32_t off = lvk::CacheFirstEntry(); off != 0; off = lvk::CacheNextEntry(off)) {
            lvk::CacheEntry e;
            Check(lvk::CacheEntryAt(off, &e) == 0, "a listed entry is not found");
            Check(lvk::CacheFind(e.Name, e.NameLength) != 0, "a listed name is not found");
            if (static_cast<uint64_t>(e.Width) * e.Height > kMaxPixels) continue;
            CurPic().HeldEntry = 0;
            if (lvk::SelectCacheEntry(off) == 0) CheckRecoding();
        }
        // Appending with long names fills the entry area, so that in mode 3 the data of
        // whatever the file holds is moved to make room.
        lvk::CurrentPicture& p = CurPic();
        for (int i = 0; i < 3; ++i) {
            p.Header.Width = 3;
            p.Header.Height = 2;
            p.Header.Flags = 0;
            const std::string name = std::string(240, 'f') + std::to_string(i);
            p.SetName(name.data(), name.size());
            p.Palette.Count = 2;
            if (lvk::GrowPictureBuffer() != 0) break;
            std::memset(p.PictureBuffer, i & 1, p.PictureBufferSize);
            const Snapshot added = Take();
            int32_t off = lvk::AddPictureToCache();
            if (off <= 0) break;
            p.HeldEntry = 0;
            Check(lvk::SelectCacheEntry(off) == 0 && Take() == added, "appended picture lost");
        }
        for (int32_t off = lvk::CacheFirstEntry(); off != 0; off = lvk::CacheNextEntry(off)) {
            lvk::CacheEntry e;
            Check(lvk::CacheEntryAt(off, &e) == 0, "an entry is lost after appending");
        }
        std::vector<char> listing(4096);
        const int32_t listed = ListCache(listing.data(), static_cast<int32_t>(listing.size()));
        Check(listed <= static_cast<int32_t>(listing.size()), "the listing ran past its buffer");
        CleanCache();
        for (int32_t off = lvk::CacheFirstEntry(); off != 0; off = lvk::CacheNextEntry(off)) {
            lvk::CacheEntry e;
            Check(lvk::CacheEntryAt(off, &e) == 0, "an entry is lost after cleaning");
        }
    }
    CloseCache();
    unlink(file.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int selector = data[0] & 0x0F;
    if (selector < 2)
        FuzzPictureData(selector == 1, data + 1, size - 1);
    else
        FuzzCacheFile(selector, data + 1, size - 1);
    return 0;
}
