#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "runtime/MonotonicClock.h"

namespace kg {

// A clock that moves only when told to. Threads waiting on it (the worker's timer thread,
// a Wait of the key player) wake when advance() passes their deadline. sleepMs() advances
// the clock by the requested time at once and records it, so paced commands can be checked
// without real sleeps.
class ManualClock final : public MonotonicClock {
public:
    explicit ManualClock(std::uint64_t start_ms = 1'000'000);

    std::uint64_t nowMs() const override;
    void sleepMs(std::uint64_t delay_ms) override;
    void waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                   std::uint64_t deadline_ms) override;

    // Moves the clock forward and wakes every waiter so it can look at the new time.
    void advance(std::uint64_t delta_ms);

    // The delays passed to sleepMs so far, oldest first.
    std::vector<std::uint64_t> sleeps() const;

    // Waits (in real time, at most real_timeout) until `count` threads have gone to sleep in
    // waitUntil since the last advance, that is, have seen the current time and found nothing
    // due. False on time-out. A sleeper woken by something other than the clock (a Post) counts
    // until it has woken, so post what a test needs before waiting for sleepers. advance() must not
    // run at the same time as the destruction of an object whose threads wait on this clock.
    bool waitForSleepers(int count, std::chrono::milliseconds real_timeout);

private:
    struct Waiter {
        std::condition_variable* cv;
        std::mutex* mutex;
        std::uint64_t epoch;  // value of m_epoch when the waiter went to sleep
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_sleepersChanged;
    std::uint64_t m_now;
    std::uint64_t m_epoch = 0;
    std::vector<Waiter> m_waiters;
    std::vector<std::uint64_t> m_sleeps;
};

}  // namespace kg
