#include "tests/support/ManualClock.h"

#include <algorithm>

namespace kg {

ManualClock::ManualClock(std::uint64_t start_ms) : m_now(start_ms == 0 ? 1 : start_ms) {}

std::uint64_t ManualClock::nowMs() const {
    std::lock_guard guard(m_mutex);
    return m_now;
}

void ManualClock::sleepMs(std::uint64_t delay_ms) {
    {
        std::lock_guard guard(m_mutex);
        m_sleeps.push_back(delay_ms);
    }
    advance(delay_ms);
}

void ManualClock::waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                            std::uint64_t deadline_ms) {
    {
        // Checking the time and registering happen in one step under our mutex, and the
        // caller's mutex stays held until cv.wait releases it; advance() takes the caller's
        // mutex before notifying, so its notification cannot fall between the two.
        std::lock_guard guard(m_mutex);
        if (m_now >= deadline_ms) {
            return;
        }
        m_waiters.push_back({&cv, lock.mutex(), m_epoch});
    }
    m_sleepersChanged.notify_all();
    cv.wait(lock);
    std::lock_guard guard(m_mutex);
    auto it = std::find_if(m_waiters.begin(), m_waiters.end(),
                           [&](const Waiter& w) { return w.cv == &cv; });
    if (it != m_waiters.end()) {
        m_waiters.erase(it);
    }
}

void ManualClock::advance(std::uint64_t delta_ms) {
    std::vector<Waiter> waiters;
    {
        std::lock_guard guard(m_mutex);
        m_now += delta_ms;
        ++m_epoch;
        waiters = m_waiters;
    }
    for (const Waiter& w : waiters) {
        std::lock_guard guard(*w.mutex);
        w.cv->notify_all();
    }
}

std::vector<std::uint64_t> ManualClock::sleeps() const {
    std::lock_guard guard(m_mutex);
    return m_sleeps;
}

bool ManualClock::waitForSleepers(int count, std::chrono::milliseconds real_timeout) {
    std::unique_lock guard(m_mutex);
    return m_sleepersChanged.wait_for(guard, real_timeout, [&] {
        return std::count_if(m_waiters.begin(), m_waiters.end(),
                             [&](const Waiter& w) { return w.epoch == m_epoch; }) >= count;
    });
}

}  // namespace kg
