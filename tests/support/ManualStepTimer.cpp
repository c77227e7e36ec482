#include "tests/support/ManualStepTimer.h"

namespace kg {

std::uint64_t ManualStepTimer::epoch() const noexcept {
    std::lock_guard lock(m_mutex);
    return m_epoch;
}

bool ManualStepTimer::wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept {
    std::unique_lock lock(m_mutex);
    const std::uint64_t deadline = m_clock.nowMs() + ms;
    m_waiting = true;
    m_waitEpoch = sinceEpoch;
    m_deadline = deadline;
    while (!m_closed && m_epoch == sinceEpoch && m_clock.nowMs() < deadline) {
        m_clock.waitUntil(m_changed, lock, deadline);
    }
    m_waiting = false;
    return !m_closed && m_epoch == sinceEpoch;
}

void ManualStepTimer::interrupt() noexcept {
    {
        std::lock_guard lock(m_mutex);
        ++m_epoch;
    }
    m_changed.notify_all();
}

void ManualStepTimer::shutdown() noexcept {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

void ManualStepTimer::reopen() noexcept {
    std::lock_guard lock(m_mutex);
    m_closed = false;
}

std::optional<std::uint64_t> ManualStepTimer::blockedUntil() const {
    std::lock_guard lock(m_mutex);
    if (!m_waiting || m_closed || m_epoch != m_waitEpoch || m_clock.nowMs() >= m_deadline) {
        return std::nullopt;
    }
    return m_deadline;
}

}  // namespace kg
