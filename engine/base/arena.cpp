#include "engine/base/arena.h"

#include "engine/base/chunk_store.h"
#include "engine/base/recovery.h"

namespace lvk {
namespace {

constexpr int32_t kTagChunk = 34002;
constexpr int32_t kTagFreeChunk = 35002;

ChunkStore& Arena() {
    static ChunkStore arena(kTagFreeChunk, kTagFreeChunk, kErrArenaChunk, SIZE_MAX);
    return arena;
}

}  // namespace

void* ArenaAlloc(int32_t size, int32_t tag) {
    if (size < 0 || static_cast<size_t>(size) > ChunkStore::kUsable) {
        RaiseError(kErrArenaTooLarge);
    }
    return Arena().Alloc(static_cast<size_t>(size), tag != 0 ? tag : kTagChunk);
}

void ArenaFreeAll() { Arena().FreeAll(); }

size_t ArenaChunkCount() { return Arena().ChunkCount(); }

}  // namespace lvk
