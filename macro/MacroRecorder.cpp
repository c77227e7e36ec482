#include "macro/MacroRecorder.h"

#include <limits>

#include "macro/KeyNameTable.h"
#include "settings/MacroStore.h"

namespace {

// Taken while the program starts, so that the recorder's clock counts from the process start
// as the delays of the first recorded key assume.
const std::uint64_t g_processStart_ms = kg::systemClock().nowMs();

constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt32 = std::numeric_limits<std::int32_t>::min();

std::int32_t saturate(std::int64_t v) noexcept {
    if (v > kMaxInt32) {
        return kMaxInt32;
    }
    if (v < kMinInt32) {
        return kMinInt32;
    }
    return static_cast<std::int32_t>(v);
}

}  // namespace

MacroRecorder::MacroRecorder(MacroStore& store, const kg::MonotonicClock& clock,
                             std::uint64_t start_ms)
    : m_store(store), m_clock(clock), m_start_ms(start_ms) {}

MacroRecorder::MacroRecorder(MacroStore& store)
    : MacroRecorder(store, kg::systemClock(), g_processStart_ms) {}

std::int32_t MacroRecorder::processTime() const noexcept {
    const std::uint64_t now = m_clock.nowMs();
    const std::uint64_t elapsed = now > m_start_ms ? now - m_start_ms : 0;
    return elapsed > static_cast<std::uint64_t>(kMaxInt32) ? kMaxInt32
                                                           : static_cast<std::int32_t>(elapsed);
}

std::int32_t MacroRecorder::delayBeforeNow() const noexcept {
    switch (m_store.config().mode) {
        case 0:
            // -1 before the first event: the old last step gets the process time plus one.
            return saturate(static_cast<std::int64_t>(processTime()) - m_lastEventTime);
        case 1:
            return m_store.config().delay;
        default:
            return 0;
    }
}

RecorderResult MacroRecorder::onKeyEvent(int page, bool recordTicked, MacroGroup* shown,
                                         std::uintptr_t message, const platform::KeyEvent& event,
                                         const KeyLookup& lookup) {
    switch (page) {
        case kPageMacro:
            return recordMacroKey(recordTicked, shown, message, event);
        case kPageSingleKey:
            return captureSingleKey(message, event, lookup);
        default:
            return RecorderResult{};
    }
}

RecorderResult MacroRecorder::recordMacroKey(bool recordTicked, MacroGroup* shown,
                                             std::uintptr_t message,
                                             const platform::KeyEvent& event) {
    RecorderResult result;
    if (!recordTicked) {
        return result;
    }
    // While recording, the keyboard belongs to the recorder, whatever it makes of the key.
    result.swallow = 1;
    const auto code = static_cast<std::int32_t>(event.vkCode & 0xFF);
    if (platform::isKeyPress(message)) {
        if (shown != nullptr && !shown->steps.empty()) {
            shown->steps.back().delay = delayBeforeNow();
        }
        if (shown != nullptr && code != 0) {
            shown->addStep(code, 0, 0, keyNameFor(event));
        }
        result.stepsChanged = shown != nullptr;
        m_lastEventTime = processTime();
    } else if (platform::isKeyRelease(message)) {
        // A recording never starts with a release.
        if (shown == nullptr || shown->steps.empty()) {
            return result;
        }
        shown->steps.back().delay = delayBeforeNow();
        shown->addStep(code, 1, 0, keyNameFor(event));
        result.stepsChanged = true;
        m_lastEventTime = processTime();
    }
    return result;
}

RecorderResult MacroRecorder::captureSingleKey(std::uintptr_t message,
                                               const platform::KeyEvent& event,
                                               const KeyLookup& lookup) {
    RecorderResult result;
    if (!platform::isKeyPress(message)) {
        return result;
    }
    const auto skcode = static_cast<std::int32_t>(event.vkCode);
    m_store.config().skcode = skcode;
    result.swallow = 1;
    result.singleKeyTaken = true;
    std::wstring name;
    if (skcode != 0 && lookup && lookup(skcode, name)) {
        result.singleKeyKnown = true;
        result.singleKeyName = std::move(name);
    }
    return result;
}
