// The engine's tagged allocator: every allocation of the library's own goes through it,
// with a numeric tag naming the place (34xxx allocate, 35xxx release), so that the
// program can be told of each one and the live blocks can be listed (the heap walk).
//
// Reports go to the program's callback as events 211 (allocation) and 212 (release) on
// the allocating thread's own event record, never on the main record. Addresses do not
// fit the record's 32-bit fields, so Arg1 carries the block's serial number, the one the
// registry lists (0 for a failed allocation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lvk {

void* MemAlloc(size_t size, int32_t tag);
// A null address does nothing and gives 0. A block the allocator does not hold (freed
// twice, or never its own) is left alone and gives -1.
int32_t MemFree(void* address, int32_t tag);
// A null address allocates. On failure the old block stays valid and null is returned.
void* MemRealloc(void* address, size_t size, int32_t tag);

struct LiveBlock {
    uint32_t serial;  // 1, 2, ... in order of allocation (wraps, skipping 0)
    int32_t tag;      // the tag of the allocation (or of the last reallocation)
    size_t size;
    const void* address;
};
// The blocks allocated and not yet freed, in allocation order.
std::vector<LiveBlock> LiveBlocks();
size_t LiveBlockCount();

}  // namespace lvk
