#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kg {

// A millisecond clock that never goes backwards, and the waits that are measured on it.
// The worker threads and the command pacing take one by reference so that tests can drive
// time by hand (ManualClock) instead of sleeping.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;

    // Milliseconds since an arbitrary start; never 0, so 0 can mean "not started".
    virtual std::uint64_t nowMs() const = 0;

    // Blocks the calling thread for delay_ms.
    virtual void sleepMs(std::uint64_t delay_ms) = 0;

    // With `lock` held on entry: blocks until `cv` is notified or the clock reaches
    // deadline_ms, whichever comes first. May return early; callers re-check their state.
    virtual void waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           std::uint64_t deadline_ms) = 0;
};

// steady_clock based; the clock of the running program.
MonotonicClock& systemClock();

}  // namespace kg
