#include "platform/priority.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace plat {

namespace {

constexpr int kNiceMin = -20;
constexpr int kNiceMax = 19;

// The base nice of the class last set for the process.
std::atomic<int> g_classNice{0};

int ClassNice(PriorityClass priorityClass) {
    switch (priorityClass) {
    case PriorityClass::High: return -10;
    case PriorityClass::RealTime: return -20;
    case PriorityClass::Normal: break;
    }
    return 0;
}

int ClampNice(int nice) { return std::clamp(nice, kNiceMin, kNiceMax); }

bool GetNice(ThreadId thread, int& nice) {
    errno = 0;
    const int value = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (value == -1 && errno != 0) return false;
    nice = value;
    return true;
}

bool SetNice(ThreadId thread, int nice) { return ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0; }

bool SetPolicy(ThreadId thread, int policy, int level) {
    sched_param param{};
    param.sched_priority = level;
    return ::sched_setscheduler(thread, policy, &param) == 0;
}

bool IsOrdinary(int policy) { return policy == SCHED_OTHER || policy == SCHED_BATCH; }

// Moves one thread from the old class base to the new one. Threads under the idle or
// real-time policy do not use nice and are left as they are.
bool ShiftThread(ThreadId thread, int delta) {
    const int policy = ::sched_getscheduler(thread);
    if (policy < 0) return errno == ESRCH;  // the thread ended meanwhile
    if (!IsOrdinary(policy & ~SCHED_RESET_ON_FORK)) return true;
    int nice = 0;
    if (!GetNice(thread, nice)) return errno == ESRCH;
    return SetNice(thread, ClampNice(nice + delta)) || errno == ESRCH;
}

}  // namespace

ThreadId CurrentThreadId() { return ::gettid(); }

int NiceForThreadPriority(int priority) { return ClampNice(g_classNice.load() - priority); }

bool SetProcessPriorityClass(PriorityClass priorityClass) {
    const int oldBase = g_classNice.load();
    const int delta = ClassNice(priorityClass) - oldBase;
    if (delta == 0) return true;
    const ThreadId self = CurrentThreadId();
    // The calling thread first: when that is refused, nothing has changed yet.
    if (!ShiftThread(self, delta)) return false;
    g_classNice.store(ClassNice(priorityClass));

    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) return false;
    bool all = true;
    while (const dirent* entry = ::readdir(tasks)) {
        char* end = nullptr;
        const long id = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || id == self) continue;
        all = ShiftThread(static_cast<ThreadId>(id), delta) && all;
    }
    ::closedir(tasks);
    return all;
}

bool SetThreadPriority(ThreadId thread, int priority) {
    if (priority >= kThreadPriorityTimeCritical)
        return SetPolicy(thread, SCHED_FIFO | SCHED_RESET_ON_FORK, ::sched_get_priority_min(SCHED_FIFO));
    if (priority <= kThreadPriorityIdle) return SetPolicy(thread, SCHED_IDLE, 0);

    // The nice value first: it is the part that may be refused, and the policy switch
    // back to ordinary scheduling that may follow only ever lowers the priority.
    if (!SetNice(thread, NiceForThreadPriority(priority))) return false;
    const int policy = ::sched_getscheduler(thread);
    if (policy < 0) return false;
    if (!IsOrdinary(policy & ~SCHED_RESET_ON_FORK)) return SetPolicy(thread, SCHED_OTHER, 0);
    return true;
}

bool SetCurrentThreadPriority(int priority) { return SetThreadPriority(CurrentThreadId(), priority); }

}  // namespace plat
