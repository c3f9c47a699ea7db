#include "engine/base/memory.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "engine/base/events.h"

namespace lvk {
namespace {

struct BlockInfo {
    uint32_t serial;
    int32_t tag;
    size_t size;
};

// The registry serves every thread of the library (the loader and blit threads allocate
// too), so it is locked; the lock is never held while the program's callback runs.
struct Registry {
    std::mutex lock;
    std::unordered_map<const void*, BlockInfo> blocks;
    uint32_t nextSerial = 1;

    uint32_t add(const void* p, int32_t tag, size_t size) {
        std::lock_guard<std::mutex> g(lock);
        const uint32_t serial = nextSerial++;
        if (nextSerial == 0) nextSerial = 1;
        blocks[p] = BlockInfo{serial, tag, size};
        return serial;
    }
    std::optional<BlockInfo> take(const void* p) {
        std::lock_guard<std::mutex> g(lock);
        auto it = blocks.find(p);
        if (it == blocks.end()) return std::nullopt;
        const BlockInfo info = it->second;
        blocks.erase(it);
        return info;
    }
    void put(const void* p, const BlockInfo& info) {
        std::lock_guard<std::mutex> g(lock);
        blocks[p] = info;
    }
};

Registry& registry() {
    static Registry* r = new Registry;  // outlives every static destructor that frees
    return *r;
}

int32_t reportedSize(size_t size) { return static_cast<int32_t>(std::min<size_t>(size, INT32_MAX)); }

}  // namespace

void* MemAlloc(size_t size, int32_t tag) {
    void* p = std::malloc(size == 0 ? 1 : size);
    const uint32_t serial = p != nullptr ? registry().add(p, tag, size) : 0;
    RaiseAllocEvent(lv_event::kAlloc, static_cast<int32_t>(serial), tag, reportedSize(size));
    return p;
}

int32_t MemFree(void* address, int32_t tag) {
    if (address == nullptr) return 0;
    const std::optional<BlockInfo> info = registry().take(address);
    if (!info) return -1;
    RaiseAllocEvent(lv_event::kFree, static_cast<int32_t>(info->serial), tag, 0);
    std::free(address);
    return 0;
}

void* MemRealloc(void* address, size_t size, int32_t tag) {
    if (address == nullptr) return MemAlloc(size, tag);
    // Taken out of the registry before realloc: once realloc has freed the old address,
    // another thread may be handed it again and register it.
    const std::optional<BlockInfo> old = registry().take(address);
    if (!old) return nullptr;
    void* p = std::realloc(address, size == 0 ? 1 : size);
    if (p == nullptr) {
        registry().put(address, *old);  // still valid and still ours
        RaiseAllocEvent(lv_event::kAlloc, 0, tag, reportedSize(size));
        return nullptr;
    }
    RaiseAllocEvent(lv_event::kFree, static_cast<int32_t>(old->serial), tag, 0);
    const uint32_t serial = registry().add(p, tag, size);
    RaiseAllocEvent(lv_event::kAlloc, static_cast<int32_t>(serial), tag, reportedSize(size));
    return p;
}

std::vector<LiveBlock> LiveBlocks() {
    Registry& r = registry();
    std::vector<LiveBlock> out;
    {
        std::lock_guard<std::mutex> g(r.lock);
        out.reserve(r.blocks.size());
        for (const auto& [p, info] : r.blocks) out.push_back(LiveBlock{info.serial, info.tag, info.size, p});
    }
    std::sort(out.begin(), out.end(), [](const LiveBlock& a, const LiveBlock& b) { return a.serial < b.serial; });
    return out;
}

size_t LiveBlockCount() {
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    return r.blocks.size();
}

}  // namespace lvk
