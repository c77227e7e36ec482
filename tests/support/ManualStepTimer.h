#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/KeyInput.h"
#include "tests/support/ManualClock.h"

namespace kg {

// The pause between played keys on a ManualClock: a wait ends when the test advances the clock
// past it, or at an interrupt or shutdown, never by itself. So playback tests say when time
// passes instead of sleeping and asserting real-time bounds.
class ManualStepTimer final : public platform::IStepTimer {
public:
    explicit ManualStepTimer(ManualClock& clock) : m_clock(clock) {}

    std::uint64_t epoch() const noexcept override;
    bool wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept override;
    void interrupt() noexcept override;
    void shutdown() noexcept override;
    void reopen() noexcept override;

    // The clock time at which the wait in progress ends, when a wait is in progress that only an
    // advance of the clock can end (its epoch is current, the timer is open and its time has not
    // come). Nothing otherwise: no wait, or one that is about to return.
    std::optional<std::uint64_t> blockedUntil() const;

private:
    ManualClock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_epoch = 0;
    bool m_closed = false;
    bool m_waiting = false;
    std::uint64_t m_waitEpoch = 0;
    std::uint64_t m_deadline = 0;
};

}  // namespace kg
