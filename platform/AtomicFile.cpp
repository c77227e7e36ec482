#include "platform/AtomicFile.h"

namespace platform {

// A fixed name rather than a random one: a save that was cut short leaves at most one stray
// file per settings file, and the next save reuses it.
std::wstring temporaryPathFor(const std::wstring& path) {
    return path + L".tmp";
}

}  // namespace platform
