#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    // Only async-signal-safe calls here: one write into the non-blocking pipe. A full pipe
    // already holds a notice, so a lost byte loses nothing.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

int TerminationSignals::watch() {
    if (g_pipe[0] >= 0) {
        return g_pipe[0];
    }
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return g_pipe[0];
}

int TerminationSignals::consume() {
    if (g_pipe[0] < 0) {
        return 0;
    }
    int count = 0;
    char buffer[64];
    for (;;) {
        const ssize_t n = read(g_pipe[0], buffer, sizeof buffer);
        if (n > 0) {
            count += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return count;
    }
}

}  // namespace platform
