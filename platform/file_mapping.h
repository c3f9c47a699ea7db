// A file mapped into memory for reading and writing (the picture cache file). The
// mapping never reaches past the end of the file: the file is grown, with its disk space
// reserved, before a larger mapping is made, so touching any mapped byte is safe even
// when the disk is full. Errors come back as errno values; nothing here throws or exits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

class FileMapping {
public:
    enum class Share {
        Exclusive,  // while open, any other Open of the file with Exclusive fails (EWOULDBLOCK)
        Shared,
    };

    FileMapping() = default;
    ~FileMapping();
    FileMapping(FileMapping&& other) noexcept;
    FileMapping& operator=(FileMapping&& other) noexcept;
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // Opens a regular file for reading and writing, creating it (mode 0644 less the umask)
    // when create is set. Returns 0 or an errno value (EINVAL: not a regular file; EBUSY:
    // this object is already open).
    int Open(const std::string& path, bool create, Share share = Share::Exclusive);

    // Maps size bytes from the start of the file, first growing the file with zeros when it
    // is shorter (it is never shrunk). Size 0 maps the file at its current length, which
    // fails with EINVAL for an empty file. Returns 0 or an errno value; EBUSY when mapped.
    int Map(size_t size);
    // Changes the mapped size as Map would set it. The base address may move: fetch Data()
    // again afterwards. On failure the previous mapping stays exactly as it was.
    int Remap(size_t size);
    // Writes the mapped bytes back to the file and waits for it.
    int Flush();
    void Unmap();
    // Unmaps, releases the share lock and closes the file.
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    bool IsMapped() const { return data_ != nullptr; }
    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    const std::string& Path() const { return path_; }
    // The file's current length in bytes, or an errno value as a negative number.
    int64_t FileSize() const;

private:
    int GrowFile(size_t size);
    int ResolveSize(size_t& size) const;

    int fd_ = -1;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::string path_;
};

}  // namespace plat
