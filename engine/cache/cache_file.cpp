// The picture cache in a mapped file: mode 2 reads a file and leaves it as it is, modes 3
// and up keep the whole cache in the mapping and append to it. A file is checked once
// when it is opened, so every later walk and decode stays inside the mapping.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <new>

#include "engine/cache/cache_image.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/memory.h"
#include "platform/paths.h"

namespace lvk {

namespace {

// Failures of the platform: opening the file, and making or growing its mapping (one
// step here, where the platform makes the mapping and its view in one call).
int32_t OpenError(int err) { return -err - 60000; }
int32_t MapError(int err) { return -err - 70000; }

size_t RoundUpToStep(uint64_t n) {
    return static_cast<size_t>((n + kCacheFileStep - 1) / kCacheFileStep * kCacheFileStep);
}

bool HasMagic(const uint8_t* image, size_t size) {
    return size >= kCacheHeaderSize && std::memcmp(image, "TCA2", 4) == 0;
}

void StartWarming(CacheState& c) {
    if (c.Hooks.Start == nullptr) return;
    c.Hooks.Start(c.DataEnd());
    c.Warming = true;
}

// Grows the mapping in 1 MiB steps until `need` bytes are mapped; `grew` tells the
// caller to restart the warming once the new end of data is stored. On failure the old
// mapping stays, so the cache remains usable and the caller reports the code.
int32_t EnsureMapped(CacheState& c, uint64_t need, bool& grew) {
    if (need <= c.ImageSize) return 0;
    if (need > kCacheMaxSize) return kErrCacheFull;
    if (int err = c.File.Remap(RoundUpToStep(need)); err != 0) return MapError(err);
    c.Image = c.File.Data();
    c.ImageSize = c.File.Size();
    grew = true;
    return 0;
}

int32_t MakeEntryRoom(CacheState& c, uint32_t nameLength, bool& grew) {
    const uint64_t need = static_cast<uint64_t>(c.ListEnd()) + 16 + nameLength + 16;
    while (c.AreaEnd() < need) {
        const uint32_t areaEnd = c.AreaEnd();
        const uint32_t dataEnd = c.DataEnd();
        if (areaEnd == dataEnd) {
            // No data to move: both ends advance.
            uint64_t next = static_cast<uint64_t>(areaEnd) + kCacheMemoryStep;
            if (int32_t r = EnsureMapped(c, next, grew); r != 0) return r;
            c.SetAreaEnd(static_cast<uint32_t>(next));
            c.SetDataEnd(static_cast<uint32_t>(next));
            continue;
        }
        // The first picture of the data area moves to its end; the entry area takes its place.
        // Where no picture starts there (a gap), the area advances to the next one.
        uint32_t length = 0;
        uint32_t nextStart = dataEnd;
        for (uint32_t off : c.Offsets) {
            const uint8_t* e = c.Image + off;
            uint32_t loc = Le32(e + kEntLocation);
            if (loc == areaEnd)
                length = std::max(length, Le32(e + kEntLength));
            else if (loc > areaEnd)
                nextStart = std::min(nextStart, loc);
        }
        if (length == 0) {
            c.SetAreaEnd(nextStart);
            continue;
        }
        const uint64_t newEnd = static_cast<uint64_t>(dataEnd) + length;
        if (int32_t r = EnsureMapped(c, newEnd, grew); r != 0) return r;
        std::memcpy(c.Image + dataEnd, c.Image + areaEnd, length);
        for (uint32_t off : c.Offsets) {
            uint8_t* e = c.Image + off;
            if (Le32(e + kEntLocation) == areaEnd) PutLe32(e + kEntLocation, dataEnd);
        }
        c.SetDataEnd(static_cast<uint32_t>(newEnd));
        c.SetAreaEnd(areaEnd + length);
    }
    return 0;
}

}  // namespace

// The file is checked at its own length before anything is written or grown, so a
// damaged cache is refused and left exactly as it was.
int32_t OpenCacheFile(CacheState& c, const char* name) {
    plat::FileMapping& f = c.File;
    // Stock files name their cache as written on Windows ("\" separators, any case): the
    // file is made in the folder that spelling means, never under a name holding "\".
    const std::string path = plat::resolveForCreate(name);
    if (path.empty()) return OpenError(ENOENT);
    if (int err = f.Open(path.c_str(), true, plat::FileMapping::Share::Exclusive); err != 0) return OpenError(err);
    auto fail = [&](int32_t code) {
        f.Close();
        c.Image = nullptr;
        c.ImageSize = 0;
        c.Offsets.clear();
        return code;
    };
    const int64_t fileSize = f.FileSize();
    if (fileSize < 0) return fail(OpenError(static_cast<int>(-fileSize)));
    bool isCache = false;
    if (fileSize >= static_cast<int64_t>(kCacheHeaderSize)) {
        if (int err = f.Map(0); err != 0) return fail(MapError(err));
        isCache = HasMagic(f.Data(), static_cast<size_t>(fileSize));
    }
    size_t mapSize = kCacheFileStep;
    if (isCache) {
        const uint8_t* image = f.Data();
        if (int32_t r = CheckCacheHeader(image, static_cast<uint64_t>(fileSize)); r != 0) return fail(r);
        try {
            int32_t r = CheckCacheEntries(image, Le32(image + 4), true, Le32(image + 8), Le32(image + 12), c.Offsets);
            if (r != 0) return fail(r);
        } catch (const std::bad_alloc&) {
            return fail(kErrCacheBlock);
        }
        mapSize = std::max(mapSize, RoundUpToStep(Le32(image + 12)));
    }
    // The mapping is at least 1 MiB, growing a shorter file, and covers the data area.
    if (int err = f.IsMapped() ? f.Remap(mapSize) : f.Map(mapSize); err != 0) return fail(MapError(err));
    c.Image = f.Data();
    c.ImageSize = f.Size();
    if (!isCache) {
        // A new file, or one that is no cache: it becomes an empty cache.
        ResetCacheHeader(c.Image, kCacheInitialArea, kCacheInitialArea);
        c.Offsets.clear();
    }
    StartWarming(c);
    return 0;
}

int32_t OpenCacheFileReading(CacheState& c, const char* name) {
    plat::FileMapping& f = c.File;
    const std::string path = plat::resolvePath(name);
    if (path.empty()) return OpenError(ENOENT);
    if (int err = f.Open(path.c_str(), false, plat::FileMapping::Share::Shared); err != 0) return OpenError(err);
    const int64_t fileSize = f.FileSize();
    if (fileSize < 0) {
        f.Close();
        return OpenError(static_cast<int>(-fileSize));
    }
    // The mapping covers the file as it is; nothing grows or writes it.
    const uint8_t* mapped = nullptr;
    if (fileSize >= static_cast<int64_t>(kCacheHeaderSize)) {
        if (int err = f.Map(0); err != 0) {
            f.Close();
            return MapError(err);
        }
        mapped = f.Data();
    }
    int32_t r = 0;
    uint32_t areaEnd = kCacheInitialArea;
    const bool isCache = mapped != nullptr && HasMagic(mapped, static_cast<size_t>(fileSize));
    if (isCache) {
        r = CheckCacheHeader(mapped, static_cast<uint64_t>(fileSize));
        areaEnd = Le32(mapped + 8);
    }
    uint8_t* copy = nullptr;
    if (r == 0) {
        copy = static_cast<uint8_t*>(MemAlloc(areaEnd, 34036));
        if (copy == nullptr) r = kErrCacheBlock;
    }
    if (r == 0) {
        if (isCache) {
            std::memcpy(copy, mapped, areaEnd);
            try {
                r = CheckCacheEntries(copy, Le32(copy + 4), true, areaEnd, Le32(copy + 12), c.Offsets);
            } catch (const std::bad_alloc&) {
                r = kErrCacheBlock;
            }
            // Flag 0x08 means a block of this run's own; the file's entries have none.
            for (uint32_t off : c.Offsets) copy[off + kEntFlags] &= static_cast<uint8_t>(~kPicOwnBlock);
        } else {
            // Not a cache: the run starts from an empty one and the file stays as it is.
            std::memset(copy, 0, areaEnd);
            ResetCacheHeader(copy, areaEnd, areaEnd);
            c.Offsets.clear();
        }
    }
    if (r != 0) {
        MemFree(copy, 35047);
        f.Close();
        c.Offsets.clear();
        return r;
    }
    c.Image = copy;
    c.ImageSize = areaEnd;
    return 0;
}

int32_t MakeEntryRoomInFile(CacheState& c, uint32_t nameLength) {
    bool grew = false;
    int32_t r = MakeEntryRoom(c, nameLength, grew);
    if (grew) StartWarming(c);
    return r;
}

int32_t AppendDataToFile(CacheState& c, const uint8_t* data, uint32_t length, uint32_t& location) {
    const uint32_t dataEnd = c.DataEnd();
    const uint64_t newEnd = static_cast<uint64_t>(dataEnd) + length;
    bool grew = false;
    if (int32_t r = EnsureMapped(c, newEnd, grew); r != 0) return r;
    std::memcpy(c.Image + dataEnd, data, length);
    location = dataEnd;
    c.SetDataEnd(static_cast<uint32_t>(newEnd));
    if (grew) StartWarming(c);
    return 0;
}

void CloseCacheFile(CacheState& c) {
    if (c.Warming && c.Hooks.Stop != nullptr) c.Hooks.Stop();
    c.Warming = false;
    c.File.Close();
}

}  // namespace lvk
