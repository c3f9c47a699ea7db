// The "TCA2" cache image as the cache's two forms (memory block, mapped file) share it,
// and the cache's state. Internal to cache.cpp and cache_file.cpp.
//
// Image (little-endian): "TCA2"; end of the entry list; end of the entry area; end of
// the data area (file form); then entries of 16 + n bytes: width, height (16-bit),
// data location, data length (32-bit), flags, transparent index, name length n, the
// name and one filler byte. A name length of 0 ends the list.
//
// Data location: in the file form, the offset of the coded data in the file. In the
// memory form, an entry with flag 0x08 holds the 1-based number of its own data block
// (the 32-bit field cannot hold an address here); any other entry (mode 2, read from
// the file) holds the data's offset in the mapped file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/cache/cache.h"
#include "platform/file_mapping.h"

namespace lvk {

inline constexpr uint32_t kCacheHeaderSize = 16;
inline constexpr uint32_t kCacheInitialArea = 0x4000;
inline constexpr size_t kCacheFileStep = 0x100000;
inline constexpr uint32_t kCacheMemoryStep = 4096;
// Entry offsets reach the program as signed 32-bit numbers.
inline constexpr uint32_t kCacheMaxSize = 0x7FF00000;

// Entry fields.
inline constexpr uint32_t kEntWidth = 0, kEntHeight = 2, kEntLocation = 4, kEntLength = 8, kEntFlags = 12,
                          kEntTransparent = 13, kEntNameLength = 14, kEntName = 15;

struct OwnBlock {
    uint8_t* Data = nullptr;
    uint32_t Length = 0;
};

struct CacheState {
    bool Open = false;
    int Mode = 0;
    std::string Name;
    // Modes 0 to 2: the memory block (its size is the end of the entry area).
    // Modes 3 and up: the mapped file.
    uint8_t* Image = nullptr;
    size_t ImageSize = 0;
    plat::FileMapping File;         // modes 2 and up
    std::vector<uint32_t> Offsets;  // every entry's offset, in list order
    std::vector<OwnBlock> Blocks;   // data blocks of flag-0x08 entries
    CacheWarmingHooks Hooks;
    bool Warming = false;

    uint32_t ListEnd() const { return Le32(Image + 4); }
    uint32_t AreaEnd() const { return Le32(Image + 8); }
    uint32_t DataEnd() const { return Le32(Image + 12); }
    void SetListEnd(uint32_t v) { PutLe32(Image + 4, v); }
    void SetAreaEnd(uint32_t v) { PutLe32(Image + 8, v); }
    void SetDataEnd(uint32_t v) { PutLe32(Image + 12, v); }
    bool FileForm() const { return Mode >= 3; }
};

CacheState& Cache();

// Writes an empty cache's header: "TCA2", 16, areaEnd, dataEnd, and the end mark.
void ResetCacheHeader(uint8_t* image, uint32_t areaEnd, uint32_t dataEnd);

// Walks and checks an entry list: every entry inside [16, list end), a name of 1 to 255
// bytes, a size of at least 1 x 1, no true colour; in the file form its data inside
// [dataFrom, dataTo). Fills offsets. 0 or -10106.
int32_t CheckCacheEntries(const uint8_t* image, uint32_t listEnd, bool checkData, uint32_t dataFrom, uint32_t dataTo,
                          std::vector<uint32_t>& offsets);
// Checks the header values against the bytes that exist. 0 or -10105.
int32_t CheckCacheHeader(const uint8_t* image, uint64_t fileSize);

// File forms (cache_file.cpp).
int32_t OpenCacheFile(CacheState& c, const char* name);         // modes 3 and up
int32_t OpenCacheFileReading(CacheState& c, const char* name);  // mode 2
// Makes the entry area hold an entry with a name of n bytes and its end mark, moving the
// oldest pictures' data to the end of the data area.
int32_t MakeEntryRoomInFile(CacheState& c, uint32_t nameLength);
// Appends coded data to the data area; location receives its offset.
int32_t AppendDataToFile(CacheState& c, const uint8_t* data, uint32_t length, uint32_t& location);
void CloseCacheFile(CacheState& c);

}  // namespace lvk
