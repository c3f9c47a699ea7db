// The picture cache: opening, emptying and closing it, finding entries and appending the
// current picture. The mapped-file form lives in cache_file.cpp.
#include "engine/cache/cache.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/cache/cache_image.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/memory.h"

namespace lvk {

namespace {

CacheState gCache;

// Releases the data blocks of entries at index `from` and later.
void ReleaseOwnBlocks(CacheState& c, size_t from, int32_t tag) {
    for (size_t i = from; i < c.Offsets.size(); ++i) {
        const uint8_t* e = c.Image + c.Offsets[i];
        if ((e[kEntFlags] & kPicOwnBlock) == 0) continue;
        uint32_t id = Le32(e + kEntLocation);
        if (id == 0 || id > c.Blocks.size()) continue;
        MemFree(c.Blocks[id - 1].Data, tag);
        c.Blocks[id - 1] = OwnBlock{};
    }
    while (!c.Blocks.empty() && c.Blocks.back().Data == nullptr) c.Blocks.pop_back();
}

void CloseCacheImpl(CacheState& c) {
    if (!c.Open) return;
    if (c.Mode <= 2) {
        ReleaseOwnBlocks(c, 0, 35072);
        MemFree(c.Image, 35046);
    }
    if (c.Mode >= 2) CloseCacheFile(c);
    c.Image = nullptr;
    c.ImageSize = 0;
    c.Offsets.clear();
    c.Blocks.clear();
    c.Open = false;
    c.Mode = 0;
    c.Name.clear();
    CurPic().HeldEntry = 0;
}

int32_t OpenMemoryCache(CacheState& c) {
    uint8_t* block = static_cast<uint8_t*>(MemAlloc(kCacheInitialArea, 34035));
    if (block == nullptr) return kErrCacheBlock;
    std::memset(block, 0, kCacheInitialArea);
    ResetCacheHeader(block, kCacheInitialArea, kCacheInitialArea);
    c.Image = block;
    c.ImageSize = kCacheInitialArea;
    return 0;
}

int32_t OpenCacheImpl(int32_t mode, const char* name) {
    CacheState& c = gCache;
    const int m = mode & 0xF;
    const bool hasName = name != nullptr && name[0] != '\0';
    if (m != 0 && !hasName) return kErrCacheNoName;
    if (c.Open) {
        if (m == c.Mode && (m == 0 || c.Name == name)) return 0;
        CloseCacheImpl(c);
    }
    CurPic().Palette.Version = 0x300;
    std::string remembered = m == 0 ? std::string() : std::string(name);
    c.Offsets.clear();
    c.Blocks.clear();
    int32_t r;
    if (m <= 1) {
        r = OpenMemoryCache(c);
    } else if (remembered.size() >= 256) {
        r = kErrCacheNameLong;
    } else {
        c.Mode = m;
        r = m == 2 ? OpenCacheFileReading(c, name) : OpenCacheFile(c, name);
    }
    if (r != 0) {
        c.Mode = 0;
        return r;
    }
    c.Mode = m;
    c.Name = std::move(remembered);
    c.Open = true;
    return 0;
}

// Memory form: grows the block in 4 KiB steps until an entry with a name of n bytes and
// the end mark after it fit.
int32_t MakeEntryRoomInMemory(CacheState& c, uint32_t n) {
    uint32_t need = c.ListEnd() + 16 + n + 16;
    if (need <= c.AreaEnd()) return 0;
    uint64_t size = c.ImageSize;
    while (size < need) size += kCacheMemoryStep;
    if (size > kCacheMaxSize) return kErrCacheFull;
    auto* block = static_cast<uint8_t*>(MemRealloc(c.Image, static_cast<size_t>(size), 36001));
    if (block == nullptr) return kErrCacheGrow;
    std::memset(block + c.ImageSize, 0, static_cast<size_t>(size) - c.ImageSize);
    c.Image = block;
    c.ImageSize = static_cast<size_t>(size);
    c.SetAreaEnd(static_cast<uint32_t>(size));
    return 0;
}

}  // namespace

CacheState& Cache() { return gCache; }

void ResetCacheHeader(uint8_t* image, uint32_t areaEnd, uint32_t dataEnd) {
    std::memcpy(image, "TCA2", 4);
    PutLe32(image + 4, kCacheHeaderSize);
    PutLe32(image + 8, areaEnd);
    PutLe32(image + 12, dataEnd);
    image[kCacheHeaderSize + kEntNameLength] = 0;
}

int32_t CheckCacheHeader(const uint8_t* image, uint64_t fileSize) {
    const uint64_t listEnd = Le32(image + 4), areaEnd = Le32(image + 8), dataEnd = Le32(image + 12);
    // The end mark after the list needs the name-length byte of one more entry.
    if (listEnd < kCacheHeaderSize || listEnd + kEntNameLength + 1 > areaEnd) return kErrCacheHeader;
    if (areaEnd > dataEnd || dataEnd > fileSize || dataEnd > kCacheMaxSize) return kErrCacheHeader;
    return 0;
}

int32_t CheckCacheEntries(const uint8_t* image, uint32_t listEnd, bool checkData, uint32_t dataFrom, uint32_t dataTo,
                          std::vector<uint32_t>& offsets) {
    offsets.clear();
    uint32_t off = kCacheHeaderSize;
    while (off < listEnd) {
        if (listEnd - off < 16) return kErrCacheEntry;
        const uint8_t* e = image + off;
        uint32_t n = e[kEntNameLength];
        if (n == 0 || listEnd - off - 16 < n) return kErrCacheEntry;
        if (Le16(e + kEntWidth) == 0 || Le16(e + kEntHeight) == 0) return kErrCacheEntry;
        if (e[kEntFlags] & kPicTrueColour) return kErrCacheEntry;
        if (checkData) {
            uint64_t loc = Le32(e + kEntLocation), len = Le32(e + kEntLength);
            if (len == 0 || loc < dataFrom || loc + len > dataTo) return kErrCacheEntry;
        }
        offsets.push_back(off);
        off += 16 + n;
    }
    if (image[listEnd + kEntNameLength] != 0) return kErrCacheEntry;
    return 0;
}

bool CacheIsOpen() { return gCache.Open; }

int CacheMode() { return gCache.Open ? gCache.Mode : -1; }

int32_t CacheEntryAt(int32_t offset, CacheEntry* out) {
    const CacheState& c = gCache;
    if (!c.Open || offset <= 0) return kErrNoEntry;
    auto it = std::lower_bound(c.Offsets.begin(), c.Offsets.end(), static_cast<uint32_t>(offset));
    if (it == c.Offsets.end() || *it != static_cast<uint32_t>(offset)) return kErrNoEntry;
    const uint8_t* e = c.Image + *it;
    CacheEntry v;
    v.Width = Le16(e + kEntWidth);
    v.Height = Le16(e + kEntHeight);
    v.Flags = e[kEntFlags];
    v.TransparentIndex = e[kEntTransparent];
    v.NameLength = e[kEntNameLength];
    v.Name = reinterpret_cast<const char*>(e + kEntName);
    const uint32_t loc = Le32(e + kEntLocation);
    const uint32_t len = Le32(e + kEntLength);
    // Every decode is bounded by what really holds the entry's data.
    const uint8_t* base = nullptr;
    size_t limit = 0;
    if (c.FileForm()) {
        base = c.Image;
        limit = c.ImageSize;
    } else if (v.Flags & kPicOwnBlock) {
        if (loc == 0 || loc > c.Blocks.size() || c.Blocks[loc - 1].Data == nullptr) return kErrNoEntry;
        v.Data = c.Blocks[loc - 1].Data;
        v.Length = std::min(len, c.Blocks[loc - 1].Length);
    } else if (c.Mode == 2 && c.File.IsMapped()) {
        base = c.File.Data();
        limit = c.File.Size();
    } else {
        return kErrNoEntry;
    }
    if (base != nullptr) {
        if (static_cast<uint64_t>(loc) + len > limit) return kErrNoEntry;
        v.Data = base + loc;
        v.Length = len;
    }
    *out = v;
    return 0;
}

int32_t CacheFind(const char* name, size_t length) {
    const CacheState& c = gCache;
    if (!c.Open || name == nullptr || length == 0 || length > 255) return 0;
    for (uint32_t off : c.Offsets) {
        const uint8_t* e = c.Image + off;
        if (e[kEntNameLength] == length && std::memcmp(e + kEntName, name, length) == 0)
            return static_cast<int32_t>(off);
    }
    return 0;
}

int32_t CacheFirstEntry() {
    return gCache.Open && !gCache.Offsets.empty() ? static_cast<int32_t>(gCache.Offsets.front()) : 0;
}

int32_t CacheNextEntry(int32_t offset) {
    const CacheState& c = gCache;
    if (!c.Open) return 0;
    auto it = std::upper_bound(c.Offsets.begin(), c.Offsets.end(), static_cast<uint32_t>(offset));
    return it == c.Offsets.end() ? 0 : static_cast<int32_t>(*it);
}

int32_t AddPictureToCache() {
    CacheState& c = gCache;
    CurrentPicture& p = CurPic();
    if (!c.Open) return kErrCacheBlock;
    const uint32_t n = p.Header.NameLength;
    if (p.TrueColour() || n == 0) return kErrCannotCode;
    if (int32_t r = EncodePicture(); r != 0) return r;
    const uint32_t length = p.CodeLength;
    try {
        c.Offsets.reserve(c.Offsets.size() + 1);
        if (!c.FileForm()) c.Blocks.reserve(c.Blocks.size() + 1);
    } catch (const std::bad_alloc&) {
        return kErrCacheGrow;
    }

    uint32_t location;
    uint8_t flags = p.Header.Flags;
    if (c.FileForm()) {
        if (int32_t r = MakeEntryRoomInFile(c, n); r != 0) return r;
        if (int32_t r = AppendDataToFile(c, p.CodeBuffer, length, location); r != 0) return r;
        flags &= static_cast<uint8_t>(~kPicOwnBlock);
    } else {
        if (int32_t r = MakeEntryRoomInMemory(c, n); r != 0) return r;
        auto* block = static_cast<uint8_t*>(MemAlloc(length, 34038));
        if (block == nullptr) return kErrCacheGrow;
        std::memcpy(block, p.CodeBuffer, length);
        c.Blocks.push_back(OwnBlock{block, length});
        location = static_cast<uint32_t>(c.Blocks.size());
        flags |= kPicOwnBlock;
    }

    const uint32_t off = c.ListEnd();
    uint8_t* e = c.Image + off;
    PutLe16(e + kEntWidth, p.Header.Width);
    PutLe16(e + kEntHeight, p.Header.Height);
    PutLe32(e + kEntLocation, location);
    PutLe32(e + kEntLength, length);
    e[kEntFlags] = flags;
    e[kEntTransparent] = p.Header.TransparentIndex;
    e[kEntNameLength] = static_cast<uint8_t>(n);
    std::memcpy(e + kEntName, p.Header.Name, n);
    e[kEntName + n] = 0;
    c.SetListEnd(off + 16 + n);
    c.Image[off + 16 + n + kEntNameLength] = 0;
    c.Offsets.push_back(off);
    p.HeldEntry = static_cast<int32_t>(off);
    return static_cast<int32_t>(off);
}

void SetCacheWarmingHooks(const CacheWarmingHooks& hooks) { gCache.Hooks = hooks; }

const uint8_t* CacheMappedImage(size_t* size) {
    const CacheState& c = gCache;
    if (!c.Open || !c.FileForm()) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    if (size != nullptr) *size = c.ImageSize;
    return c.Image;
}

}  // namespace lvk

LV_EXPORT LvResult OpenCache(int32_t mode, const char* name) noexcept {
    try {
        return lvk::OpenCacheImpl(mode, name);
    } catch (const std::bad_alloc&) {
        return lvk::kErrCacheBlock;
    }
}

LV_EXPORT LvResult CloseCache() noexcept {
    lvk::CloseCacheImpl(lvk::gCache);
    return 0;
}

// Empties the open cache. Unlike a bare header reset, the entries' own data blocks are
// released too, so emptying a memory cache loses nothing.
LV_EXPORT LvResult FreeCache() noexcept {
    lvk::CacheState& c = lvk::gCache;
    if (!c.Open) return 0;
    if (!c.FileForm()) {
        lvk::ReleaseOwnBlocks(c, 0, 35073);
        c.Blocks.clear();
    }
    if (c.FileForm())
        lvk::ResetCacheHeader(c.Image, lvk::kCacheInitialArea, lvk::kCacheInitialArea);
    else
        lvk::ResetCacheHeader(c.Image, static_cast<uint32_t>(c.ImageSize), c.DataEnd());
    c.Offsets.clear();
    lvk::CurPic().HeldEntry = 0;
    return 1;
}

// Drops the entries added in memory: from the first entry with its own data block on.
LV_EXPORT LvResult CleanCache() noexcept {
    lvk::CacheState& c = lvk::gCache;
    if (!c.Open || c.FileForm()) return 0;
    size_t first = 0;
    while (first < c.Offsets.size() && (c.Image[c.Offsets[first] + lvk::kEntFlags] & lvk::kPicOwnBlock) == 0) ++first;
    if (first == c.Offsets.size()) return 0;
    const uint32_t off = c.Offsets[first];
    lvk::ReleaseOwnBlocks(c, first, 35073);
    c.SetListEnd(off);
    c.Image[off + lvk::kEntNameLength] = 0;
    c.Offsets.resize(first);
    if (lvk::CurPic().HeldEntry >= static_cast<int32_t>(off)) lvk::CurPic().HeldEntry = 0;
    return 0;
}
