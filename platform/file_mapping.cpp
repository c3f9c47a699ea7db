#include "platform/file_mapping.h"

#include <cerrno>
#include <cstdint>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

FileMapping::~FileMapping() { Close(); }

FileMapping::FileMapping(FileMapping&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      path_(std::move(other.path_)) {}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

int FileMapping::Open(const std::string& path, bool create, Share share) {
    if (fd_ >= 0) return EBUSY;
    // Non-blocking so that a FIFO or device under the name cannot stall the open; such
    // files are refused right after.
    int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK;
    if (create) flags |= O_CREAT;
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISREG(st.st_mode) || st.st_mode == 0 ? errno : EINVAL;
        ::close(fd);
        return err;
    }
    if (share == Share::Exclusive) {
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const int err = errno;
            ::close(fd);
            return err;
        }
    }
    fd_ = fd;
    path_ = path;
    return 0;
}

int64_t FileMapping::FileSize() const {
    if (fd_ < 0) return -EBADF;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return -errno;
    return st.st_size;
}

int FileMapping::ResolveSize(size_t& size) const {
    if (size == 0) {
        const int64_t length = FileSize();
        if (length < 0) return static_cast<int>(-length);
        if (length == 0 || static_cast<uint64_t>(length) > std::numeric_limits<size_t>::max()) return EINVAL;
        size = static_cast<size_t>(length);
    }
    if (size > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return EFBIG;
    return 0;
}

// Reserves the blocks as well as the length: a sparse file would let a write into the
// mapping fault (SIGBUS) when the disk fills up, instead of failing here with ENOSPC.
int FileMapping::GrowFile(size_t size) {
    const int64_t length = FileSize();
    if (length < 0) return static_cast<int>(-length);
    if (static_cast<uint64_t>(length) >= size) return 0;
    const off_t start = static_cast<off_t>(length);
    const off_t extra = static_cast<off_t>(size) - start;
    int rc;
    do {
        rc = ::posix_fallocate(fd_, start, extra);
    } while (rc == EINTR);
    if (rc == EOPNOTSUPP) {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return errno;
        return 0;
    }
    return rc;
}

int FileMapping::Map(size_t size) {
    if (fd_ < 0) return EBADF;
    if (data_ != nullptr) return EBUSY;
    if (const int err = ResolveSize(size)) return err;
    if (const int err = GrowFile(size)) return err;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) return errno;
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    return 0;
}

int FileMapping::Remap(size_t size) {
    if (fd_ < 0) return EBADF;
    if (data_ == nullptr) return Map(size);
    if (const int err = ResolveSize(size)) return err;
    if (size == size_) return 0;
    if (const int err = GrowFile(size)) return err;
    // mremap keeps the old mapping intact when it fails.
    void* p = ::mremap(data_, size_, size, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) return errno;
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    return 0;
}

int FileMapping::Flush() {
    if (data_ == nullptr) return fd_ < 0 ? EBADF : 0;
    if (::msync(data_, size_, MS_SYNC) != 0) return errno;
    return 0;
}

void FileMapping::Unmap() {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

void FileMapping::Close() {
    Unmap();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

}  // namespace plat
