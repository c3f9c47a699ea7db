#include "platform/named_mutex.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

constexpr size_t kMaxNameBytes = 200;

bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameBytes || name.front() == '.') return false;
    for (char ch : name) {
        if (ch == '/' || ch == '\\' || ch == '\0') return false;
    }
    return true;
}

const char* AbsoluteEnv(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? value : nullptr;
}

// Creates dir when missing and makes sure it is ours: in a shared temp folder another
// user could have planted the name first, as a folder or as a link.
int EnsurePrivateDir(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return EACCES;
    return 0;
}

}  // namespace

int NamedMutexDir(std::string& dir) {
    if (const char* runtime = AbsoluteEnv("XDG_RUNTIME_DIR")) {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
            std::string candidate = std::string(runtime) + "/yov";
            if (EnsurePrivateDir(candidate) == 0) {
                dir = std::move(candidate);
                return 0;
            }
        }
    }
    const char* tmp = AbsoluteEnv("TMPDIR");
    std::string candidate = std::string(tmp != nullptr ? tmp : "/tmp") + "/yov-" + std::to_string(::geteuid());
    if (const int err = EnsurePrivateDir(candidate)) return err;
    dir = std::move(candidate);
    return 0;
}

NamedMutex::~NamedMutex() { Close(); }

NamedMutex::NamedMutex(NamedMutex&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      status_(std::exchange(other.status_, Status::Closed)),
      error_(std::exchange(other.error_, 0)),
      path_(std::move(other.path_)) {}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        status_ = std::exchange(other.status_, Status::Closed);
        error_ = std::exchange(other.error_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

NamedMutex NamedMutex::Create(std::string_view name) {
    std::string dir;
    if (const int err = NamedMutexDir(dir)) {
        NamedMutex failed;
        failed.status_ = Status::Failed;
        failed.error_ = err;
        return failed;
    }
    return CreateIn(dir, name);
}

NamedMutex NamedMutex::CreateIn(const std::string& dir, std::string_view name) {
    NamedMutex m;
    if (!ValidName(name)) {
        m.status_ = Status::Failed;
        m.error_ = EINVAL;
        return m;
    }
    m.path_ = dir + "/" + std::string(name) + ".lock";
    // Close-on-exec: a child we start (a browser for a link) must not keep our copy alive.
    m.fd_ = ::open(m.path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m.fd_ < 0) {
        m.status_ = Status::Failed;
        m.error_ = errno;
        return m;
    }
    m.status_ = Status::HeldElsewhere;
    m.TryLock();
    return m;
}

bool NamedMutex::TryLock() {
    if (fd_ < 0) return false;
    if (status_ == Status::Owned) return true;
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        status_ = Status::Owned;
        error_ = 0;
        return true;
    }
    if (errno == EWOULDBLOCK) {
        status_ = Status::HeldElsewhere;
        error_ = 0;
    } else {
        status_ = Status::Failed;
        error_ = errno;
    }
    return false;
}

void NamedMutex::Unlock() {
    if (status_ != Status::Owned) return;
    ::flock(fd_, LOCK_UN);
    status_ = Status::Unlocked;
}

void NamedMutex::Close() {
    // The lock file stays: removing it would let a later opener lock a fresh file while
    // an earlier one still holds the unlinked one.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    status_ = Status::Closed;
    error_ = 0;
}

}  // namespace plat
