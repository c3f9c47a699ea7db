// Bounded reading of untrusted files: little-endian fields, a byte source that is either
// a memory block or an open file, and opening by a name as scene scripts spell it.
// Every read says whether all its bytes were there; nothing reads past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvk {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false (and dst unspecified) when they are not all there.
    virtual bool ReadAt(uint64_t offset, void* dst, size_t n) = 0;
    bool Has(uint64_t offset, uint64_t n) const { return offset <= Size() && n <= Size() - offset; }
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* dst, size_t n) override;
    const uint8_t* Data() const { return data_; }

private:
    const uint8_t* data_;
    size_t size_;
};

// A file opened for reading; closed by the destructor on every path.
class FileSource final : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    // 0 or an errno value. The name is resolved as scene scripts spell names.
    int Open(const char* name);
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* dst, size_t n) override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// The file a Windows-style name designates here, or the name unchanged when nothing
// matches (so that opening it reports the platform's error).
std::string ResolveForOpening(const char* name);
// Where a file of that name is to be created.
std::string ResolveForWriting(const char* name);

// Opens the regular file a Windows-style name designates, read-only. 0 with the descriptor
// and size, or an errno value (a folder gives EISDIR, any other non-regular file EINVAL).
int OpenForReading(const char* name, int& fdOut, uint64_t& sizeOut);

// Reads exactly n bytes at offset of an open file, retrying after interruptions; false
// when they are not all there or reading fails.
bool ReadFullyAt(int fd, uint64_t offset, void* dst, size_t n);

// Reads a whole file into out (which keeps its capacity between calls). 0 or an errno
// value; files of 2 GiB and more give EFBIG.
int ReadWholeFile(const char* name, std::vector<uint8_t>& out);

}  // namespace lvk
