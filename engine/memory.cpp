#include "engine/memory.h"

#include <cstdlib>

namespace lvk {

void* MemAlloc(size_t size, int32_t /*tag*/) { return std::malloc(size == 0 ? 1 : size); }

int32_t MemFree(void* address, int32_t /*tag*/) {
    std::free(address);
    return 0;
}

void* MemRealloc(void* address, size_t size, int32_t /*tag*/) {
    return std::realloc(address, size == 0 ? 1 : size);
}

}  // namespace lvk
