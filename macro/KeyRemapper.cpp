#include "macro/KeyRemapper.h"

namespace {

constexpr std::int32_t kTypeMacro = 0;
constexpr std::int32_t kTypeSingleKey = 1;
constexpr std::int32_t kTypeMediaOrProgram = 2;
constexpr std::int32_t kTypeCombination = 3;

constexpr std::int32_t kFirstProgramCode = 10000;
// A single-key assignment swallows an event whose scan code carries this bit without typing
// its target.
constexpr std::uint32_t kScanCodeFirmwareBit = 0x200;

}  // namespace

KeyRemapper::KeyRemapper(IKeyRemapHost& host, const RecordStore& records,
                         const MacroConfig& editorConfig, const AppConfig& config,
                         MacroPlayer& player, platform::KeyOutput& output)
    : m_host(host),
      m_records(records),
      m_editorConfig(editorConfig),
      m_config(config),
      m_player(player),
      m_output(output) {}

std::int32_t KeyRemapper::onHookEvent(int* code, std::uintptr_t* message,
                                      platform::KeyEvent** eventRecord) noexcept {
    if (eventRecord == nullptr || *eventRecord == nullptr || message == nullptr) {
        return 0;
    }
    const platform::KeyEvent& event = **eventRecord;
    // Our own played keys and those of any other software never trigger anything.
    if ((event.flags & platform::kKeyFlagInjected) != 0 ||
        event.dwExtraInfo == platform::kSyntheticMarker) {
        return 0;
    }
    if (m_editorConfig.recording != 0 || m_editorConfig.type == 1) {
        if (IKeyboardHookListener* editor = m_host.openEditor()) {
            return editor->onHookEvent(code, message, eventRecord);
        }
    }
    if (!m_host.keyboardConnected()) {
        return 0;
    }
    const std::uintptr_t msg = *message;
    const std::int32_t keyCode = static_cast<std::int32_t>(
        (event.vkCode & 0xFF) | ((event.flags & platform::kKeyFlagExtended) ? 0x100 : 0));
    if (m_player.applyStopRule(msg)) {
        releaseWhatTheKeyHolds(keyCode);
        return 0;
    }

    for (const KeyRecord& record : m_records.records()) {
        if (record.code != keyCode) {
            continue;
        }
        Outcome outcome = Outcome::GoOn;
        switch (record.type) {
            case kTypeMacro:
                return m_player.onMacroKey(record.steps, record.repeat, record.mode, msg);
            case kTypeSingleKey:
                outcome = singleKey(record, msg, event);
                break;
            case kTypeMediaOrProgram:
                outcome = mediaOrProgram(record, msg);
                break;
            case kTypeCombination:
                outcome = combination(record, msg);
                break;
            default:
                break;
        }
        if (outcome == Outcome::Swallow) {
            return 1;
        }
    }
    return 0;
}

void KeyRemapper::sendNow(std::int32_t code, bool release) noexcept {
    // The full code goes to the scan-code lookup, its low byte out as the key; never extended.
    const std::uint32_t scan = m_output.scanCodeFor(static_cast<std::uint32_t>(code));
    m_output.sendKey(static_cast<std::uint8_t>(code & 0xFF), static_cast<std::uint8_t>(scan & 0xFF),
                     release ? platform::kSendKeyUp : 0, platform::kSyntheticMarker);
}

std::size_t KeyRemapper::slotOf(std::int32_t keyCode) noexcept {
    return static_cast<std::size_t>(keyCode) & 0x1FF;
}

void KeyRemapper::releaseWhatTheKeyHolds(std::int32_t keyCode) noexcept {
    const std::size_t slot = slotOf(keyCode);
    if (!m_targetDown[slot] && !m_releasesOwed[slot]) {
        return;
    }
    for (const KeyRecord& record : m_records.records()) {
        if (record.code != keyCode || record.steps.empty()) {
            continue;
        }
        if ((record.type == kTypeSingleKey || record.type == kTypeMediaOrProgram) &&
            m_targetDown[slot] && record.steps.front().code < kFirstProgramCode) {
            sendNow(record.steps.front().code, true);
            m_targetDown[slot] = false;
        } else if (record.type == kTypeCombination && m_releasesOwed[slot]) {
            m_player.queue().appendHeldReleases(record.steps);
            m_releasesOwed[slot] = false;
        }
    }
}

KeyRemapper::Outcome KeyRemapper::singleKey(const KeyRecord& record, std::uintptr_t message,
                                            const platform::KeyEvent& event) noexcept {
    if (record.steps.empty()) {
        return Outcome::GoOn;
    }
    if ((event.scanCode & kScanCodeFirmwareBit) != 0) {
        return Outcome::Swallow;
    }
    const std::int32_t target = record.steps.front().code;
    if (platform::isKeyPress(message)) {
        sendNow(target, false);
        m_targetDown[slotOf(record.code)] = true;
    } else if (platform::isKeyRelease(message)) {
        sendNow(target, true);
        m_targetDown[slotOf(record.code)] = false;
    }
    return Outcome::Swallow;
}

KeyRemapper::Outcome KeyRemapper::mediaOrProgram(const KeyRecord& record,
                                                 std::uintptr_t message) noexcept {
    if (record.steps.empty()) {
        return Outcome::GoOn;
    }
    const std::int32_t code = record.steps.front().code;
    if (code < kFirstProgramCode) {
        if (platform::isKeyPress(message)) {
            sendNow(code, false);
            m_targetDown[slotOf(record.code)] = true;
        } else if (platform::isKeyRelease(message)) {
            sendNow(code, true);
            m_targetDown[slotOf(record.code)] = false;
        }
        return Outcome::Swallow;
    }
    for (const MediaKeyEntry& entry : m_config.mediaKeys) {
        if (entry.code == code) {
            if (platform::isKeyPress(message)) {
                m_output.openProgram(m_host.ownerWindow(), entry.path, entry.argm);
            }
            return Outcome::Swallow;
        }
    }
    return Outcome::GoOn;
}

KeyRemapper::Outcome KeyRemapper::combination(const KeyRecord& record,
                                              std::uintptr_t message) noexcept {
    PlaybackQueue& queue = m_player.queue();
    // Which keys have their combination's releases still owed: the room for them is held
    // from the press on, so that no bound leaves a key of the combination down.
    const std::size_t slot = slotOf(record.code);
    if (platform::isKeyPress(message)) {
        // An auto-repeat of a press whose steps are still waiting queues nothing again.
        if (queue.backMatches(m_lastQueuedPress)) {
            return Outcome::Swallow;
        }
        // A press after the earlier presses played (still held) already holds the room.
        const bool queued = m_releasesOwed[slot]
                                ? queue.append(record.steps, 1, PlaybackQueue::Take::Presses) == 1
                                : queue.appendPressesHoldingReleases(record.steps);
        if (queued) {
            m_releasesOwed[slot] = true;
            for (const MacroStep& step : record.steps) {
                if (step.state == 0) {
                    m_lastQueuedPress = step;
                }
            }
        }
    } else if (platform::isKeyRelease(message)) {
        if (m_releasesOwed[slot]) {
            queue.appendHeldReleases(record.steps);
            m_releasesOwed[slot] = false;
        } else {
            queue.append(record.steps, 1, PlaybackQueue::Take::Releases);
        }
        m_lastQueuedPress = MacroStep{0, 1, 0, {}};
    }
    return Outcome::Swallow;
}
