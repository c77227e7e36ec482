// The pause between played keys on Linux: a condition variable on the monotonic clock, which
// glibc wakes within a fraction of a millisecond.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/KeyInput.h"

namespace platform {

struct StepTimer::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t epoch = 0;
    bool closed = false;
};

StepTimer::StepTimer() : m_impl(std::make_unique<Impl>()) {}
StepTimer::~StepTimer() = default;

std::uint64_t StepTimer::epoch() const noexcept {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->epoch;
}

bool StepTimer::wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock lock(m_impl->mutex);
    const bool cut = m_impl->changed.wait_until(
        lock, deadline, [&] { return m_impl->closed || m_impl->epoch != sinceEpoch; });
    return !cut;
}

void StepTimer::interrupt() noexcept {
    {
        std::lock_guard lock(m_impl->mutex);
        ++m_impl->epoch;
    }
    m_impl->changed.notify_all();
}

void StepTimer::shutdown() noexcept {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->closed = true;
    }
    m_impl->changed.notify_all();
}

void StepTimer::reopen() noexcept {
    std::lock_guard lock(m_impl->mutex);
    m_impl->closed = false;
}

}  // namespace platform
