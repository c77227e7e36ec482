#pragma once

namespace platform {

// The requests to end the program that arrive as signals (Linux: SIGTERM and SIGINT). A
// signal handler may do almost nothing, so the handler only writes a byte into a pipe; the UI
// loop watches the pipe's read end and closes the main window from there.
//
// Windows: the program has no console and gets no such signals; watch() returns -1.
class TerminationSignals {
public:
    TerminationSignals() = delete;

    // Installs the handlers once and returns the descriptor that becomes readable after a
    // signal; -1 when there is none.
    static int watch();

    // Takes every pending notice off the descriptor without blocking; returns how many
    // signals arrived since the last call.
    static int consume();
};

}  // namespace platform
