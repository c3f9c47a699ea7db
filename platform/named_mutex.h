// Named mutexes shared between processes, for instance control: one lock file per name,
// held with flock. Creating a mutex also tries to take it; "already exists" means that
// another holder (another process, or another handle in this one) has it, which is all
// the start-up needs to know. The kernel drops the lock when its holder closes it or
// dies, however it dies, so a crashed copy never blocks the next one.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// The folder of the lock files: $XDG_RUNTIME_DIR/yov when that variable names a folder,
// else <$TMPDIR or /tmp>/yov-<uid>. Created with mode 0700 when missing; refused (EACCES)
// when it exists but is not our own directory. Returns 0 or an errno value.
int NamedMutexDir(std::string& dir);

class NamedMutex {
public:
    enum class Status {
        Closed,         // never created, or closed
        Owned,          // this handle holds the mutex
        HeldElsewhere,  // open, but someone else held it at the last try
        Unlocked,       // open, released by Unlock
        Failed,         // the lock file could not be opened; Error() tells why
    };

    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(NamedMutex&& other) noexcept;
    NamedMutex& operator=(NamedMutex&& other) noexcept;
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Creates or opens the mutex and takes it without waiting when it is free. Names are
    // 1 to 200 bytes without "/", "\" or a leading "."; others fail with EINVAL.
    static NamedMutex Create(std::string_view name);
    static NamedMutex CreateIn(const std::string& dir, std::string_view name);

    Status GetStatus() const { return status_; }
    bool Owned() const { return status_ == Status::Owned; }
    // What Windows reports as "already exists" after creating a named mutex.
    bool AlreadyExists() const { return status_ == Status::HeldElsewhere; }
    int Error() const { return error_; }
    const std::string& Path() const { return path_; }

    // Tries again to take a mutex that was held elsewhere; true when this handle owns it.
    bool TryLock();
    void Unlock();
    // Releases the mutex if owned and closes the handle.
    void Close();

private:
    int fd_ = -1;
    Status status_ = Status::Closed;
    int error_ = 0;
    std::string path_;
};

}  // namespace plat
