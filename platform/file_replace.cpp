#include "platform/file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace plat {

bool writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

namespace {

bool syncFolder(const std::filesystem::path& folder) {
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir && ::fsync(dir.get()) == 0;
}

std::int64_t nanoseconds(const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

FileIdentity fileIdentity(const struct stat& st) {
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

std::string fileErrorText(const std::filesystem::path& file, int err) {
    return file.string() + ": " + std::generic_category().message(err);
}

bool FileLock::acquire(const std::filesystem::path& lockFile, std::string& error) {
    fd_.reset(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd_) {
        error = fileErrorText(lockFile, errno);
        return false;
    }
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            error = fileErrorText(lockFile, errno);
            fd_.reset();
            return false;
        }
    }
    return true;
}

std::optional<ReplacedFile> replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                                  std::string& error, mode_t mode) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string tmpl = (folder / (target.filename().string() + ".tmp-XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd) {
        error = fileErrorText(tmpl, errno);
        return std::nullopt;
    }
    if (mode != 0600) ::fchmod(fd.get(), mode);
    auto fail = [&](const std::filesystem::path& what) {
        error = fileErrorText(what, errno);
        ::unlink(name.data());
        return std::nullopt;
    };
    if (!writeAll(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0) return fail(name.data());
    if (::rename(name.data(), target.c_str()) != 0) return fail(target);
    // Taken after the rename, which may touch the change time.
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = fileErrorText(target, errno);
        return std::nullopt;
    }
    // The data is in place; a folder that cannot be flushed only weakens
    // durability across a power cut, so it is not a failure.
    syncFolder(folder);
    return ReplacedFile{std::move(fd), fileIdentity(st)};
}

bool copyToNewFile(int fromFd, const std::filesystem::path& to, std::string& error) {
    UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out) {
        error = fileErrorText(to, errno);
        return false;
    }
    char buf[65536];
    off_t at = 0;
    for (;;) {
        ssize_t n = ::pread(fromFd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || !writeAll(out.get(), buf, static_cast<std::size_t>(n))) {
            error = fileErrorText(to, errno);
            ::unlink(to.c_str());
            return false;
        }
        if (n == 0) break;
        at += n;
    }
    if (::fsync(out.get()) != 0) {
        error = fileErrorText(to, errno);
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

}  // namespace plat
