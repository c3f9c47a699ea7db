#include "engine/base/chunk_store.h"

#include <cstring>

#include "engine/base/memory.h"
#include "engine/base/recovery.h"

namespace lvk {

struct ChunkStore::Chunk {
    Chunk* next;
    Chunk* prev;
    alignas(8) unsigned char data[kUsable];
};

namespace {

// A link is the unit 0xFFFF followed by the continuation's address, stored unaligned.
constexpr size_t kLinkBytes = sizeof(char16_t) + sizeof(const char16_t*);

size_t RoundUp8(size_t n) { return (n + 7) & ~static_cast<size_t>(7); }

}  // namespace

ChunkStore::ChunkStore(int32_t releaseLaterTag, int32_t releaseEarlierTag, int32_t failCode, size_t maxChunks)
    : maxChunks_(maxChunks),
      releaseLaterTag_(releaseLaterTag),
      releaseEarlierTag_(releaseEarlierTag),
      failCode_(failCode) {}

ChunkStore::~ChunkStore() { FreeAll(); }

void ChunkStore::MoveToNextChunk(int32_t tag) {
    Chunk* next = current_ != nullptr ? current_->next : first_;
    if (next == nullptr) {
        if (chunkCount_ >= maxChunks_) RaiseError(failCode_);
        next = static_cast<Chunk*>(MemAlloc(sizeof(Chunk), tag));
        if (next == nullptr) RaiseError(failCode_);
        next->next = nullptr;
        next->prev = current_;
        if (current_ != nullptr)
            current_->next = next;
        else
            first_ = next;
        ++chunkCount_;
    }
    current_ = next;
    pos_ = 0;
}

void* ChunkStore::Alloc(size_t bytes, int32_t tag) {
    const size_t need = RoundUp8(bytes == 0 ? 1 : bytes);
    if (need > kUsable) RaiseError(failCode_);
    pos_ = RoundUp8(pos_);
    if (current_ == nullptr || pos_ + need > kUsable) MoveToNextChunk(tag);
    void* record = current_->data + pos_;
    pos_ += need;
    std::memset(record, 0, need);
    return record;
}

const char16_t* ChunkStore::BeginStream(int32_t tag) {
    pos_ = RoundUp8(pos_);
    // Room for one unit and a link behind it, so that PutToken can always link on.
    if (current_ == nullptr || pos_ + sizeof(char16_t) + kLinkBytes > kUsable) MoveToNextChunk(tag);
    return reinterpret_cast<const char16_t*>(current_->data + pos_);
}

void ChunkStore::PutToken(char16_t unit, int32_t tag) {
    if (unit == kStreamLink) unit = 0xFFFD;
    if (pos_ + sizeof(char16_t) + kLinkBytes > kUsable) {
        // Write the link where this unit would have gone; the stream goes on at the start
        // of the next chunk.
        Chunk* from = current_;
        const size_t linkAt = pos_;
        MoveToNextChunk(tag);
        const char16_t link = kStreamLink;
        const char16_t* target = reinterpret_cast<const char16_t*>(current_->data);
        std::memcpy(from->data + linkAt, &link, sizeof link);
        std::memcpy(from->data + linkAt + sizeof link, &target, sizeof target);
    }
    std::memcpy(current_->data + pos_, &unit, sizeof unit);
    pos_ += sizeof unit;
}

const char16_t* ChunkStore::EndStream(int32_t tag) {
    PutToken(kStreamEnd, tag);
    return reinterpret_cast<const char16_t*>(current_->data + pos_);
}

void ChunkStore::ReleaseTo(const void* address) {
    const auto* a = static_cast<const unsigned char*>(address);
    for (Chunk* c = current_; c != nullptr; c = c->prev) {
        if (a >= c->data && a <= c->data + kUsable) {
            current_ = c;
            pos_ = static_cast<size_t>(a - c->data);
            return;
        }
    }
    RaiseError(-11618);
}

void ChunkStore::ReleaseTo(const Mark& mark) {
    if (mark.chunk == nullptr) {
        Rewind();
        return;
    }
    ReleaseTo(mark.chunk->data + mark.pos);
}

void ChunkStore::Rewind() {
    current_ = nullptr;
    pos_ = 0;
}

void ChunkStore::FreeAll() {
    // The chunk in use and those before it go with one tag, the spare ones after it with
    // the other, so the program's allocation report tells which were in use.
    bool afterCurrent = current_ == nullptr;
    for (Chunk* c = first_; c != nullptr;) {
        Chunk* next = c->next;
        MemFree(c, afterCurrent ? releaseLaterTag_ : releaseEarlierTag_);
        if (c == current_) afterCurrent = true;
        c = next;
    }
    first_ = current_ = nullptr;
    pos_ = 0;
    chunkCount_ = 0;
}

char16_t StreamNext(const char16_t*& p) {
    for (;;) {
        char16_t unit;
        std::memcpy(&unit, p, sizeof unit);
        if (unit != kStreamLink) {
            ++p;
            return unit;
        }
        std::memcpy(&p, p + 1, sizeof p);
    }
}

}  // namespace lvk
