// A chunk store: records and 16-bit token streams carved from a chain of 64 KiB chunks
// that stay chained and are reused until the store is freed. A record never straddles two
// chunks; a token stream that reaches the end of a chunk goes on in the next one behind a
// link (the unit 0xFFFF followed by the address of the continuation).
//
// The timetable reader keeps two of these (definitions, and the source store that is used
// as a stack and also holds the expansion engine's nodes); the macro table keeps a third.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

inline constexpr char16_t kStreamLink = 0xFFFF;
inline constexpr char16_t kStreamEnd = 0;

class ChunkStore {
public:
    // Usable bytes of one chunk (a chunk is 64 KiB plus its two links).
    static constexpr size_t kUsable = 65528;

    struct Chunk;
    // A write position: release back to it with ReleaseTo. A store without chunks has the
    // position {nullptr, 0}.
    struct Mark {
        Chunk* chunk = nullptr;
        size_t pos = 0;
    };

    // The release tags name the chunks after the current one and the current one with those
    // before it. failCode is raised when a chunk cannot be had; maxChunks bounds the chain.
    ChunkStore(int32_t releaseLaterTag, int32_t releaseEarlierTag, int32_t failCode, size_t maxChunks);
    ~ChunkStore();
    ChunkStore(const ChunkStore&) = delete;
    ChunkStore& operator=(const ChunkStore&) = delete;

    // A record of at least bytes, 8-aligned, zero-filled. Raises the fail code when a chunk
    // cannot be had or the record is larger than a chunk.
    void* Alloc(size_t bytes, int32_t tag);
    template <class T>
    T* New(int32_t tag, size_t extraBytes = 0) {
        return static_cast<T*>(Alloc(sizeof(T) + extraBytes, tag));
    }

    // Token streams. BeginStream returns where the first unit goes; PutToken appends one
    // unit (0xFFFF, which would read as a link, is stored as U+FFFD); EndStream appends the
    // end unit 0 and returns the address after it.
    const char16_t* BeginStream(int32_t tag);
    void PutToken(char16_t unit, int32_t tag);
    const char16_t* EndStream(int32_t tag);

    Mark Position() const { return {current_, pos_}; }
    // Sets the write position back to address, walking back through the chain to the chunk
    // that holds it; raises -11618 when no chunk from the current one back holds it.
    void ReleaseTo(const void* address);
    void ReleaseTo(const Mark& mark);
    // Back to the start of the first chunk; the chain stays for reuse.
    void Rewind();
    // Frees every chunk.
    void FreeAll();

    size_t ChunkCount() const { return chunkCount_; }

private:
    void MoveToNextChunk(int32_t tag);

    Chunk* first_ = nullptr;
    Chunk* current_ = nullptr;
    size_t pos_ = 0;
    size_t chunkCount_ = 0;
    size_t maxChunks_;
    int32_t releaseLaterTag_;
    int32_t releaseEarlierTag_;
    int32_t failCode_;
};

// Reads the next unit of a token stream at p, following links; p moves past it.
char16_t StreamNext(const char16_t*& p);

}  // namespace lvk
