#include "macro/MacroPlayer.h"

namespace {

constexpr std::int32_t kLeftWindows = 0x5B;
constexpr std::int32_t kRightWindows = 0x5C;

}  // namespace

MacroPlayer::MacroPlayer(ISimpleThread& worker, platform::KeyOutput& output)
    : m_queue(worker),
      m_output(output),
      m_ownTimer(std::make_unique<platform::StepTimer>()),
      m_timer(*m_ownTimer) {}

MacroPlayer::MacroPlayer(ISimpleThread& worker, platform::KeyOutput& output,
                         platform::IStepTimer& timer, std::size_t queueCapacity)
    : m_queue(worker, queueCapacity), m_output(output), m_timer(timer) {}

MacroPlayer::~MacroPlayer() {
    finishStop();
}

bool MacroPlayer::applyStopRule(std::uintptr_t message) noexcept {
    if (m_stopOnKeyUp == 0 || !platform::isKeyRelease(message)) {
        return false;
    }
    const bool hadSteps = m_queue.cutToReleases();
    // After the rewrite: a pause that began on a step copied before it ends now, and one that
    // is about to begin returns at once (the epoch it read is stale).
    m_timer.interrupt();
    return hadSteps;
}

std::int32_t MacroPlayer::onMacroKey(const std::vector<MacroStep>& steps, std::int32_t repeat,
                                     std::int32_t mode, std::uintptr_t message) noexcept {
    if (platform::isKeyRelease(message)) {
        m_stopOnKeyUp = mode;
        if (repeat > 0) {
            m_queue.append(steps, static_cast<std::size_t>(repeat));
        }
    }
    return 1;
}

void MacroPlayer::send(std::int32_t code, bool release) noexcept {
    std::uint32_t flags = release ? platform::kSendKeyUp : 0;
    // Only the Windows keys are sent as extended keys; every other key goes out plain.
    if (code == kLeftWindows || code == kRightWindows) {
        flags |= platform::kSendExtendedKey;
    }
    const std::uint32_t scan = m_output.scanCodeFor(static_cast<std::uint32_t>(code));
    const auto vk = static_cast<std::uint8_t>(code & 0xFF);
    m_output.sendKey(vk, static_cast<std::uint8_t>(scan & 0xFF), flags, platform::kSyntheticMarker);
    m_held[vk] = !release;
}

int MacroPlayer::playNextStep(ISimpleThread& thread, void*) noexcept {
    // Shutting down: the steps still queued are not played.
    if (m_stopping.load(std::memory_order_relaxed)) {
        return 0;
    }
    PlayStep step;
    std::uint64_t epoch = 0;
    // The fields are copied under the lock: the stop rule rewrites queued steps meanwhile.
    if (!m_queue.copyFront(step, [&] { epoch = m_timer.epoch(); })) {
        return 0;
    }
    if (step.code == kLockWorkstationCode) {
        m_output.lockWorkstation();
    } else {
        send(step.code, step.state == 1);
        if (step.delay > 0 && !m_stopping.load(std::memory_order_relaxed)) {
            m_timer.wait(static_cast<std::uint32_t>(step.delay), epoch);
        }
    }
    if (m_queue.popFront() > 0) {
        thread.Notify();
    }
    return 0;
}

void MacroPlayer::beginStop() noexcept {
    m_stopping.store(true);
    m_timer.shutdown();
}

void MacroPlayer::finishStop() noexcept {
    m_queue.clear();
    for (int vk = 0; vk < 256; ++vk) {
        if (m_held[static_cast<std::size_t>(vk)]) {
            send(vk, true);
        }
    }
}

std::vector<std::uint8_t> MacroPlayer::heldKeys() const {
    std::vector<std::uint8_t> keys;
    for (int vk = 0; vk < 256; ++vk) {
        if (m_held[static_cast<std::size_t>(vk)]) {
            keys.push_back(static_cast<std::uint8_t>(vk));
        }
    }
    return keys;
}
