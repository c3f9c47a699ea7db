// Process and thread priorities, best effort. Linux lets an ordinary user lower priority
// but not raise it (unless RLIMIT_NICE / RLIMIT_RTPRIO or CAP_SYS_NICE allow it), so
// every call may be refused: it then returns false and changes nothing. Nothing
// here fails hard.
//
// How the Windows scheme maps:
// - A process class is a base nice value for all threads: Normal 0, High -10, RealTime -20.
//   RealTime deliberately stays in the ordinary scheduler: a real-time policy for the
//   whole process would let the busy show loop starve the display server that has to
//   put our frames on screen.
// - A thread priority p (-15..15, Windows values) gives nice = base - p, clamped to
//   -20..19; p = -15 (idle) gives the idle policy, and p = 15 (time critical) the FIFO
//   real-time policy at its lowest level: above every ordinary thread, below audio
//   servers. FIFO is not inherited by programs the thread starts.
// - Changing the class shifts each ordinary thread's nice by the change of the base, so a
//   thread keeps its place relative to the class.
#pragma once

#include <sys/types.h>

namespace plat {

enum class PriorityClass { Normal, High, RealTime };

inline constexpr int kThreadPriorityIdle = -15;
inline constexpr int kThreadPriorityLowest = -2;
inline constexpr int kThreadPriorityBelowNormal = -1;
inline constexpr int kThreadPriorityNormal = 0;
inline constexpr int kThreadPriorityAboveNormal = 1;
inline constexpr int kThreadPriorityHighest = 2;
inline constexpr int kThreadPriorityTimeCritical = 15;

// The kernel's id of a thread (what gettid returns), valid for the calling process only.
using ThreadId = pid_t;
ThreadId CurrentThreadId();

// The nice value a thread gets for priority p under the current class (ordinary policy).
int NiceForThreadPriority(int priority);

// False when the calling thread's change was refused (nothing changed then) or when some
// other thread of the process could not follow.
bool SetProcessPriorityClass(PriorityClass priorityClass);
// False when refused; the thread then keeps its previous settings.
bool SetThreadPriority(ThreadId thread, int priority);
bool SetCurrentThreadPriority(int priority);

}  // namespace plat
