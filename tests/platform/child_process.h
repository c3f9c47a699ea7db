// Runs test code in a forked child, for what must be seen from another process or must
// not disturb the test process (resource limits, privileges, scheduling).
#pragma once

#include <cerrno>
#include <functional>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testutil {

// Sentinel results of RunInChild besides the child's own exit code.
inline constexpr int kForkFailed = -1000;

// Runs body in a child and returns its result (0..255), or -signal when it was killed.
// The child leaves with _exit, so the parent's gtest state and buffers stay untouched.
inline int RunInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) return kForkFailed;
    if (pid == 0) ::_exit(body() & 0xFF);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return kForkFailed;
    }
    if (WIFSIGNALED(status)) return -WTERMSIG(status);
    return WEXITSTATUS(status);
}

// A child that runs setup, reports its one-byte result through a pipe and then waits
// until the parent lets it go (Release) or kills it (Kill).
class HeldChild {
public:
    explicit HeldChild(const std::function<char()>& setup) {
        int report[2];
        int release[2];
        if (::pipe(report) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(report[0]);
            ::close(release[1]);
            const char result = setup();
            if (::write(report[1], &result, 1) != 1) ::_exit(2);
            char ignored;
            while (::read(release[0], &ignored, 1) > 0) {}
            ::_exit(0);
        }
        ::close(report[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        if (pid_ > 0 && ::read(report[0], &result_, 1) != 1) result_ = 0;
        ::close(report[0]);
    }
    ~HeldChild() {
        if (pid_ > 0) Kill();
    }
    HeldChild(const HeldChild&) = delete;
    HeldChild& operator=(const HeldChild&) = delete;

    bool Started() const { return pid_ > 0; }
    char Result() const { return result_; }

    // Lets the child end normally; returns its exit status.
    int Release() {
        ::close(releaseFd_);
        releaseFd_ = -1;
        return Reap();
    }
    int Kill() {
        ::kill(pid_, SIGKILL);
        return Reap();
    }

private:
    int Reap() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
        if (releaseFd_ >= 0) ::close(releaseFd_);
        releaseFd_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    int releaseFd_ = -1;
    char result_ = 0;
};

}  // namespace testutil
