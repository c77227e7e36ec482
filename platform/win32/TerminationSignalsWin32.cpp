#include "platform/TerminationSignals.h"

namespace platform {

// A GUI program on Windows ends through its window (WM_CLOSE, the session's end); there is
// no signal to turn into a descriptor.
int TerminationSignals::watch() {
    return -1;
}

int TerminationSignals::consume() {
    return 0;
}

}  // namespace platform
