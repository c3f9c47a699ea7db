// SIGTERM (how the X screen-saver daemons end a hack) and SIGINT (Ctrl+C in a terminal) end
// the program whatever it shows: a running show stops and stores what it stores on Esc, every
// modal loop (message box, password dialog, popup menu, file dialog) returns to its caller,
// and the deferred shutdown follows on the main thread with exit status 0.
//
// The signal handler itself only writes a byte to a pipe, which the main thread reads in
// whatever event loop runs, and arms a hard bound: should the main thread not get there (a
// long piece of work that takes no events, a hang), the process ends with status 0 when the
// bound runs out, 1.5 s after the first signal. The settings are written whole or not at all
// (a temporary file renamed), and the locks go with the process, so nothing is left broken.
#pragma once

class QObject;

namespace yov {

// Catches the two signals from now on. Until InstallTerminateHandler, a signal only waits in
// the pipe, under the hard bound. Repeated calls change nothing.
void InstallTerminateSignals();
// Catches them (InstallTerminateSignals) and hands them to OnTerminateRequest on the main
// thread; the notifier lives as a child of owner. Repeated calls move it.
void InstallTerminateHandler(QObject* owner);
// Back to the signals' default actions, the bound disarmed.
void RemoveTerminateHandler();

// What a termination signal does, on the main thread: EndRequest, StopRequest and the long
// loads' cancel flag := 1, the shutdown posted (it waits for a running show to end), and every
// modal loop ended.
void OnTerminateRequest();

}  // namespace yov
