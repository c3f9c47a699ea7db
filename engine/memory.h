// The engine's tagged allocator: every allocation of the library's own goes through it,
// with a numeric tag naming the place (34xxx allocate, 35xxx release), so that the
// program can be told of each one and the live blocks can be listed (the heap walk).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

void* MemAlloc(size_t size, int32_t tag);
// A null address does nothing and gives 0.
int32_t MemFree(void* address, int32_t tag);
void* MemRealloc(void* address, size_t size, int32_t tag);

}  // namespace lvk
