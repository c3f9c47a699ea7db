// SIGTERM (how the X screen-saver daemons end a hack) and SIGINT (Ctrl+C in a terminal) stop
// the program cleanly: a running show is asked to stop, and the deferred shutdown follows on
// the main thread. The signal handler itself only writes a byte to a pipe.
#pragma once

class QObject;

namespace yov {

// Starts listening; the notifier lives as a child of owner. Repeated calls move it.
void InstallTerminateHandler(QObject* owner);
// Back to the signals' default actions.
void RemoveTerminateHandler();

// What a termination signal does, on the main thread: StopRequest := 1, and the shutdown is
// posted (it waits for a running show to end).
void OnTerminateRequest();

}  // namespace yov
