// The chunk arena of the stock text reader: many small allocations of one load, carved from
// 64 KiB chunks by a pointer bump and all freed at once when the load ends.
//
// Main thread only. Failures are raised through the recovery point of the running export.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

inline constexpr int32_t kErrArenaChunk = -10013;     // a chunk cannot be allocated
inline constexpr int32_t kErrArenaTooLarge = -10014;  // larger than a chunk holds, or negative

// size bytes, 8-aligned and zero-filled; tag names the chunk allocation it may cause
// (0: 34002).
void* ArenaAlloc(int32_t size, int32_t tag);
void ArenaFreeAll();
size_t ArenaChunkCount();

}  // namespace lvk
