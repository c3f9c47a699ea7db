// The names of the cached pictures, one a line, for the program's cache window.
#include <cstring>

#include "engine/cache/cache.h"
#include "lumvatek/exports.h"

namespace {
constexpr int32_t kErrCacheListFit = -10601;
}

LvResult ListCache(char* buffer, int32_t size) noexcept {
    using namespace lvk;
    if (size == 0) {
        int64_t need = 1;
        for (int32_t at = CacheFirstEntry(); at != 0; at = CacheNextEntry(at)) {
            CacheEntry e;
            if (CacheEntryAt(at, &e) == 0) need += e.NameLength + 2;
        }
        return static_cast<LvResult>(need);
    }
    if (buffer == nullptr || size < 0) return kErrCacheListFit;
    size_t pos = 0;
    const size_t cap = static_cast<size_t>(size);
    for (int32_t at = CacheFirstEntry(); at != 0; at = CacheNextEntry(at)) {
        CacheEntry e;
        if (CacheEntryAt(at, &e) != 0) continue;
        if (pos + e.NameLength + 3 > cap) return kErrCacheListFit;
        std::memcpy(buffer + pos, e.Name, e.NameLength);
        pos += e.NameLength;
        buffer[pos++] = '\r';
        buffer[pos++] = '\n';
    }
    buffer[pos] = 0;
    return static_cast<LvResult>(pos);
}
