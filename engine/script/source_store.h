// The one source store: the timetable reader's open sources and macro arguments, and above
// them, for the length of one ExpandS call, the expansion engine's nodes. One discipline for
// both: allocate above what is there, release back to the mark taken on entry.
#pragma once

#include "engine/base/chunk_store.h"

namespace lvk {

ChunkStore& SourceStore();

// Releases the source store to where it stood when the scope began, also when the scope is
// left by a raised failure.
class SourceStoreScope {
public:
    SourceStoreScope() : mark_(SourceStore().Position()) {}
    ~SourceStoreScope();
    SourceStoreScope(const SourceStoreScope&) = delete;
    SourceStoreScope& operator=(const SourceStoreScope&) = delete;

private:
    ChunkStore::Mark mark_;
};

}  // namespace lvk
