#include "program/core/startup/terminate_signal.h"

#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"

namespace yov {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onTerminateSignal(int) {
    const int saved = errno;
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

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

void InstallTerminateHandler(QObject* owner) {
    if (!openPipe()) return;
    delete notifier().data();
    auto* n = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, owner);
    QObject::connect(n, &QSocketNotifier::activated, n, [] {
        drainPipe();
        OnTerminateRequest();
    });
    notifier() = n;
    setHandler(onTerminateSignal);
}

void RemoveTerminateHandler() {
    if (g_pipe[0] < 0) return;
    setHandler(SIG_DFL);
    delete notifier().data();
    drainPipe();
}

void OnTerminateRequest() {
    programState().StopRequest = 1;
    PostDeferredAction(deferred::kShutdown);
}

}  // namespace yov
