#include "engine/script/source_store.h"

#include "engine/base/recovery.h"

namespace lvk {

namespace {
// 256 chunks (16 MiB): deeper than any script needs, and a self-calling macro ends with
// "Memory overflow" long before the process runs out of memory.
constexpr size_t kSourceStoreChunks = 256;
}  // namespace

ChunkStore& SourceStore() {
    // Never destroyed: a destructor at exit would report its releases to a program that is
    // already gone.
    static ChunkStore* store = new ChunkStore(35063, 35064, -11613, kSourceStoreChunks);
    return *store;
}

SourceStoreScope::~SourceStoreScope() {
    try {
        SourceStore().ReleaseTo(mark_);
    } catch (const RecoveryError&) {
        // The mark was taken from this store and the chain only grows while the scope
        // lives, so this cannot happen; never let it escape a destructor.
    }
}

}  // namespace lvk
