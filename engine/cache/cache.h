// The picture cache ("TCA2"): coded pictures found by name, in a growable memory block
// (modes 0 and 1) or in a mapped file (mode 2 reads a file and keeps it unchanged,
// modes 3 to 15 append to it). Entry offsets are byte offsets into the cache image and
// are what LookPicture hands to the program; 0 means "current picture, not cached".
#pragma once

#include <cstddef>
#include <cstdint>

#include "lumvatek/exports.h"

namespace lvk {

// Codes of cache opening (-101xx) besides the platform's.
inline constexpr int32_t kErrCacheNameLong = -10103;
inline constexpr int32_t kErrCacheNoName = -10104;
inline constexpr int32_t kErrCacheHeader = -10105;  // cache file: header values out of range
inline constexpr int32_t kErrCacheEntry = -10106;   // cache file: an entry out of range

// One entry as the cache holds it; Data points at its coded bytes (Length of them),
// valid until the next change of the cache.
struct CacheEntry {
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Flags = 0;
    uint8_t TransparentIndex = 0;
    uint8_t NameLength = 0;
    const char* Name = nullptr;
    const uint8_t* Data = nullptr;
    uint32_t Length = 0;
};

bool CacheIsOpen();
// The open mode (0 to 15), or -1 when no cache is open.
int CacheMode();

// The entry at an offset; -10018 when no entry starts there (also for a closed cache).
int32_t CacheEntryAt(int32_t offset, CacheEntry* out);
// The offset of the first entry with that name (byte for byte), or 0.
int32_t CacheFind(const char* name, size_t length);
// Walk of the entry list: the first entry's offset, the one after offset; 0 at the end.
int32_t CacheFirstEntry();
int32_t CacheNextEntry(int32_t offset);

// Appends the current picture (its header and name, coded with EncodePicture) and
// makes it the entry held by the work buffer. Returns the entry's offset (> 0) or a
// negative code; on failure the cache is as it was.
int32_t AddPictureToCache();

// The loader thread's idle warming of a mapped cache file. The loader registers these;
// the cache starts the warming when it opens or grows a file and stops it before it
// unmaps the file. Without a loader they are not called.
struct CacheWarmingHooks {
    void (*Start)(uint32_t end) = nullptr;  // warm from 4096 up to end
    void (*Stop)() = nullptr;               // returns when the loader no longer reads
};
void SetCacheWarmingHooks(const CacheWarmingHooks& hooks);
// The mapped image and its size (file modes), for the warming; null otherwise.
const uint8_t* CacheMappedImage(size_t* size);

}  // namespace lvk
