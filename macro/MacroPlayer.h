#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "macro/PlaybackQueue.h"
#include "platform/KeyInput.h"
#include "runtime/SimpleThread.h"
#include "settings/MacroStore.h"

// Plays queued key steps on the main window's worker: one step per pass, each followed by its
// delay. The UI thread fills the queue from the hook listener (macros and key combinations)
// and applies the stop rule of click-to-stop macros.
class MacroPlayer {
public:
    // Step code that locks the workstation instead of typing a key.
    static constexpr std::int32_t kLockWorkstationCode = 11111;

    // With the system's step timer.
    MacroPlayer(ISimpleThread& worker, platform::KeyOutput& output);
    // With a step timer of the caller's (tests drive one from their own clock) and, for tests,
    // a queue of another room.
    MacroPlayer(ISimpleThread& worker, platform::KeyOutput& output, platform::IStepTimer& timer,
                std::size_t queueCapacity = PlaybackQueue::kCapacity);
    // Releases every key the player pressed and left down (the worker must have ended).
    ~MacroPlayer();
    MacroPlayer(const MacroPlayer&) = delete;
    MacroPlayer& operator=(const MacroPlayer&) = delete;

    PlaybackQueue& queue() noexcept { return m_queue; }

    // UI thread. The stop rule: while stopOnKeyUp is set, any key release turns the rest of
    // the queue into releases without pause and cuts the current pause short. Returns true
    // when the queue held steps, i.e. the event is to be let go untouched.
    bool applyStopRule(std::uintptr_t message) noexcept;

    // UI thread. The events of a key assigned to a macro: the release queues the steps
    // `repeat` times and sets stopOnKeyUp to the record's mode. Every event is swallowed (1).
    std::int32_t onMacroKey(const std::vector<MacroStep>& steps, std::int32_t repeat,
                            std::int32_t mode, std::uintptr_t message) noexcept;

    std::int32_t stopOnKeyUp() const noexcept { return m_stopOnKeyUp; }

    // Worker thread: the idle callback. Plays the front step, waits its delay, removes it.
    int playNextStep(ISimpleThread& thread, void* context) noexcept;

    // Shutting down: call beginStop() before stopping the worker (a pause in progress ends at
    // once and no further step waits), then finishStop() once the worker has ended: the steps
    // still queued are dropped and every key the player pressed and did not release is
    // released, so no key stays down after the program ends.
    void beginStop() noexcept;
    void finishStop() noexcept;

    // Virtual keys the player has pressed and not released (worker thread, or after it ended).
    std::vector<std::uint8_t> heldKeys() const;

private:
    void send(std::int32_t code, bool release) noexcept;

    PlaybackQueue m_queue;
    platform::KeyOutput& m_output;
    std::unique_ptr<platform::StepTimer> m_ownTimer;
    platform::IStepTimer& m_timer;
    std::int32_t m_stopOnKeyUp = 0;  // UI thread only
    std::atomic<bool> m_stopping{false};
    // Touched by the worker while it runs, by finishStop after it ended.
    std::array<bool, 256> m_held{};
};
