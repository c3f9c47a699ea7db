#include "program/core/startup/terminate_signal.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/windows/modal.h"

namespace yov {

namespace {

// Well below the 2 s a screen-saver daemon waits before it kills a hack, well above what the
// shutdown takes (the engine's threads are given 100 ms).
constexpr long kHardBoundNs = 1'500'000'000;
constexpr long kNsPerSecond = 1'000'000'000;

int g_pipe[2] = {-1, -1};
timer_t g_bound{};
bool g_boundMade = false;
volatile sig_atomic_t g_boundArmed = 0;
bool g_signalsCaught = false;

extern "C" void onHardBound(int) { ::_exit(0); }

extern "C" void onTerminateSignal(int) {
    const int saved = errno;
    if (g_boundArmed == 0 && g_boundMade) {
        g_boundArmed = 1;
        itimerspec at{};
        at.it_value.tv_sec = kHardBoundNs / kNsPerSecond;
        at.it_value.tv_nsec = kHardBoundNs % kNsPerSecond;
        ::timer_settime(g_bound, 0, &at, nullptr);
    }
    const char byte = 1;
    // Nothing to do when the pipe is full: a request is pending already.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

QPointer<QSocketNotifier>& notifier() {
    static QPointer<QSocketNotifier> n;
    return n;
}

bool openPipe() {
    if (g_pipe[0] >= 0) return true;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    return true;
}

void drainPipe() {
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {}
}

void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

// The bound's timer raises SIGALRM, whose handler ends the process. Made here, since a signal
// handler may only set a timer, not make one.
void makeBound() {
    if (g_boundMade) return;
    setHandler(SIGALRM, onHardBound);
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    g_boundMade = ::timer_create(CLOCK_MONOTONIC, &event, &g_bound) == 0;
}

}  // namespace

void InstallTerminateSignals() {
    if (g_signalsCaught || !openPipe()) return;
    makeBound();
    setHandler(SIGTERM, onTerminateSignal);
    setHandler(SIGINT, onTerminateSignal);
    g_signalsCaught = true;
}

void InstallTerminateHandler(QObject* owner) {
    InstallTerminateSignals();
    if (!g_signalsCaught) return;
    delete notifier().data();
    auto* n = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, owner);
    QObject::connect(n, &QSocketNotifier::activated, n, [] {
        drainPipe();
        OnTerminateRequest();
    });
    notifier() = n;
}

void RemoveTerminateHandler() {
    if (g_pipe[0] < 0) return;
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGINT, SIG_DFL);
    g_signalsCaught = false;
    if (g_boundMade) {
        const itimerspec off{};
        ::timer_settime(g_bound, 0, &off, nullptr);
        g_boundArmed = 0;
    }
    delete notifier().data();
    drainPipe();
}

void OnTerminateRequest() {
    ProgramState& st = programState();
    st.run.EndRequest = 1;
    st.run.StopRequest = 1;
    // A long load (a large stock) that polls the cancel flag stops too.
    st.Shared.CancelLoad = 1;
    PostDeferredAction(deferred::kShutdown);
    // Each loop returns to its caller, which finds the stop request; the shutdown runs once no
    // show runs any more, from whichever loop is left.
    EndModalLoops();
}

}  // namespace yov
