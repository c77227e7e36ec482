#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Holds a named system-wide lock for its lifetime. The lock is recursive for the thread that
// owns it and shared by every process of the same user that uses the same name; acquiring
// waits without a time limit.
class NamedGuard {
public:
    explicit NamedGuard(const std::string& name);
    ~NamedGuard();

    NamedGuard(const NamedGuard&) = delete;
    NamedGuard& operator=(const NamedGuard&) = delete;

    // False when the system lock could not be created or waited for; the guarded operation
    // then runs without it, as it would have with the lock held.
    bool held() const { return m_held; }

private:
    std::uintptr_t m_state = 0;  // backend-specific
    bool m_held = false;
};

}  // namespace platform
