#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

namespace {

// The kernel's own file systems, whose files describe the running system, not data.
constexpr long kProcMagic = 0x9fa0;
constexpr long kSysfsMagic = 0x62656572;
constexpr long kDebugfsMagic = 0x64626720;
constexpr long kTracefsMagic = 0x74726163;
constexpr long kSecurityfsMagic = 0x73636673;
constexpr long kCgroupMagic = 0x27e0eb;
constexpr long kCgroup2Magic = 0x63677270;

bool kernelFileSystem(long type) {
    switch (type) {
    case kProcMagic:
    case kSysfsMagic:
    case kDebugfsMagic:
    case kTracefsMagic:
    case kSecurityfsMagic:
    case kCgroupMagic:
    case kCgroup2Magic: return true;
    default: return false;
    }
}

// 0 for a regular data file, EISDIR for a folder, EINVAL for anything else.
int kindError(const struct stat& st, long fsType) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode) || kernelFileSystem(fsType)) return EINVAL;
    return 0;
}

}  // namespace

FileKind fileKindOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return FileKind::Missing;
    struct statfs fs {};
    const long type = ::statfs(path.c_str(), &fs) == 0 ? static_cast<long>(fs.f_type) : 0;
    return kindError(st, type) == 0 ? FileKind::Regular : FileKind::NotRegular;
}

int openRegularFile(const std::string& path, int& fdOut, uint64_t& sizeOut) {
    if (path.empty()) return ENOENT;
    // Looked at before opening: opening a device or a pipe may already wait or act.
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) return errno;
    if (!S_ISREG(before.st_mode)) return S_ISDIR(before.st_mode) ? EISDIR : EINVAL;
    // Without waiting, in case the name was replaced by a pipe in between; then checked again
    // on what was really opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno;
    struct stat st {};
    struct statfs fs {};
    int err = ::fstat(fd, &st) != 0 ? errno : 0;
    if (err == 0) err = kindError(st, ::fstatfs(fd, &fs) == 0 ? static_cast<long>(fs.f_type) : 0);
    if (err == 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) err = errno != 0 ? errno : EIO;
    }
    if (err != 0) {
        ::close(fd);
        return err;
    }
    fdOut = fd;
    sizeOut = static_cast<uint64_t>(st.st_size);
    return 0;
}

}  // namespace plat
