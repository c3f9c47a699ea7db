// Replacing a file so that readers see the old or the new contents, never a
// mixture, and cooperating writers in several processes take turns.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

struct stat;

namespace plat {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// What tells one version of a file from another: a replacement has another
// inode, an edit in place another size or time stamp. Whoever compares must
// keep the old file open, or its inode number could be handed out again.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity fileIdentity(const struct stat& st);

// An exclusive flock on a lock file beside the data; the lock file itself is
// never deleted, since removing it would let two writers lock different files.
// The descriptor is opened per lock, so a forked child never shares its parent's.
class FileLock {
public:
    // Blocks until the lock is held; false with a message naming the file.
    bool acquire(const std::filesystem::path& lockFile, std::string& error);
    void release() { fd_.reset(); }
    bool held() const { return bool(fd_); }

private:
    UniqueFd fd_;
};

struct ReplacedFile {
    UniqueFd fd;  // the new file, still open (see FileIdentity)
    FileIdentity id;
};

// Writes the bytes to a new file in the target's folder, flushes it to disk,
// renames it over the target and flushes the folder. On failure the target is
// untouched and the message names the file and the cause. The file gets mode
// before it is renamed (a refused change leaves it at 0600, not a failure).
std::optional<ReplacedFile> replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                                  std::string& error, mode_t mode = 0600);

// Copies everything readable from fromFd into a file that must not exist yet
// (mode 0600), flushed to disk.
bool copyToNewFile(int fromFd, const std::filesystem::path& to, std::string& error);

// "<file>: <system message for errno>".
// Writes every byte, retrying after interruptions; false on any failure.
bool writeAll(int fd, const char* bytes, std::size_t count);

std::string fileErrorText(const std::filesystem::path& file, int err);

}  // namespace plat
