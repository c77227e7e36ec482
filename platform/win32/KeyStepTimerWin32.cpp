// The pause between played keys on Windows. Ordinary waits end on the 15.6 ms clock tick, so a
// 1 ms step would take 16; a high-resolution waitable timer ends within about a millisecond.
// The wait also watches an event that interrupt() and shutdown() set.

#include <windows.h>

#include <atomic>

#include "platform/KeyInput.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace platform {

struct StepTimer::Impl {
    HANDLE timer = nullptr;
    HANDLE wake = nullptr;  // auto-reset: set by interrupt() and shutdown()
    std::atomic<std::uint64_t> epoch{0};
    std::atomic<bool> closed{false};
};

StepTimer::StepTimer() : m_impl(std::make_unique<Impl>()) {
    m_impl->timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                           TIMER_ALL_ACCESS);
    if (m_impl->timer == nullptr) {
        // Before Windows 10 1803 (and on Wine) the flag is unknown: an ordinary timer.
        m_impl->timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
    m_impl->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

StepTimer::~StepTimer() {
    if (m_impl->timer != nullptr) {
        CloseHandle(m_impl->timer);
    }
    if (m_impl->wake != nullptr) {
        CloseHandle(m_impl->wake);
    }
}

std::uint64_t StepTimer::epoch() const noexcept {
    return m_impl->epoch.load();
}

bool StepTimer::wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept {
    if (m_impl->closed.load() || m_impl->epoch.load() != sinceEpoch) {
        return false;
    }
    if (m_impl->timer == nullptr || m_impl->wake == nullptr) {
        Sleep(ms);
        return true;
    }
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(ms) * 10000;  // relative, in 100 ns units
    if (!SetWaitableTimer(m_impl->timer, &due, 0, nullptr, nullptr, FALSE)) {
        Sleep(ms);
        return true;
    }
    HANDLE handles[2] = {m_impl->timer, m_impl->wake};
    for (;;) {
        const DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (r != WAIT_OBJECT_0 + 1) {
            return true;
        }
        // The event may be left over from an interrupt that came while nobody waited.
        if (m_impl->closed.load() || m_impl->epoch.load() != sinceEpoch) {
            CancelWaitableTimer(m_impl->timer);
            return false;
        }
    }
}

void StepTimer::interrupt() noexcept {
    ++m_impl->epoch;
    SetEvent(m_impl->wake);
}

void StepTimer::shutdown() noexcept {
    m_impl->closed.store(true);
    SetEvent(m_impl->wake);
}

void StepTimer::reopen() noexcept {
    m_impl->closed.store(false);
}

}  // namespace platform
