#include "engine/base/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "platform/regular_file.h"

namespace lvk {

bool MemorySource::ReadAt(uint64_t offset, void* dst, size_t n) {
    if (!Has(offset, n)) return false;
    if (n > 0) std::memcpy(dst, data_ + offset, n);
    return true;
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

int FileSource::Open(const char* name) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = 0;
    return OpenForReading(name, fd_, size_);
}

int OpenForReading(const char* name, int& fdOut, uint64_t& sizeOut) {
    if (name == nullptr || *name == 0) return ENOENT;
    return plat::openRegularFile(ResolveForOpening(name), fdOut, sizeOut);
}

bool FileSource::ReadAt(uint64_t offset, void* dst, size_t n) {
    return fd_ >= 0 && Has(offset, n) && ReadFullyAt(fd_, offset, dst, n);
}

bool ReadFullyAt(int fd, uint64_t offset, void* dst, size_t n) {
    auto* p = static_cast<uint8_t*>(dst);
    while (n > 0) {
        ssize_t got = ::pread(fd, p, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        offset += static_cast<uint64_t>(got);
        n -= static_cast<size_t>(got);
    }
    return true;
}

std::string ResolveForOpening(const char* name) {
    std::string found = plat::resolvePath(name);
    return found.empty() ? std::string(name) : found;
}

std::string ResolveForWriting(const char* name) {
    std::string where = plat::resolveForCreate(name);
    return where.empty() ? std::string(name) : where;
}

int ReadWholeFile(const char* name, std::vector<uint8_t>& out) {
    out.clear();
    FileSource f;
    if (int err = f.Open(name); err != 0) return err;
    if (f.Size() >= (uint64_t{1} << 31)) return EFBIG;
    out.resize(static_cast<size_t>(f.Size()));
    if (!f.ReadAt(0, out.data(), out.size())) {
        out.clear();
        return EIO;
    }
    return 0;
}

}  // namespace lvk
