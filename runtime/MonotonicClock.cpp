#include "runtime/MonotonicClock.h"

#include <chrono>
#include <thread>

namespace kg {

namespace {

class SystemClock final : public MonotonicClock {
public:
    std::uint64_t nowMs() const override {
        using namespace std::chrono;
        auto since = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        // Offset by one so that a clock that starts at its epoch never reads 0.
        return static_cast<std::uint64_t>(since) + 1;
    }

    void sleepMs(std::uint64_t delay_ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    }

    void waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                   std::uint64_t deadline_ms) override {
        std::uint64_t now = nowMs();
        if (now >= deadline_ms) {
            return;
        }
        cv.wait_for(lock, std::chrono::milliseconds(deadline_ms - now));
    }
};

}  // namespace

MonotonicClock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace kg
