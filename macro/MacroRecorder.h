#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/KeyInput.h"
#include "runtime/MonotonicClock.h"

class MacroStore;
struct MacroGroup;

// What the macro editor makes of one key event while it captures keys.
struct RecorderResult {
    // Nonzero swallows the event: no other hook and no window receives it.
    std::int32_t swallow = 0;
    // The shown group's steps changed; the step list shows them again.
    bool stepsChanged = false;
    // The single-key page took a press: `skcode` of the store is set. When the keyboard image
    // knows the key, the field shows singleKeyName and holds the code; otherwise it holds 0
    // and keeps its text.
    bool singleKeyTaken = false;
    bool singleKeyKnown = false;
    std::wstring singleKeyName;
};

// The recorder of the macro editor, without any window: the macro page appends the key
// presses and releases to the shown group with the delays of the store's delay mode, the
// single-key page captures the target key. It runs inside the keyboard hook on the UI thread,
// so it only changes memory; nothing is saved.
class MacroRecorder {
public:
    enum Page : int { kPageMacro = 0, kPageSingleKey = 1, kPageMedia = 2, kPageCombination = 3 };

    // The display name of a key of the keyboard image by its id; false when there is none.
    using KeyLookup = std::function<bool(int id, std::wstring& name)>;

    // The process clock: milliseconds of `clock` counted from start_ms.
    MacroRecorder(MacroStore& store, const kg::MonotonicClock& clock, std::uint64_t start_ms);
    // The program's clock, counted from the start of the process.
    explicit MacroRecorder(MacroStore& store);

    // The editor opens: nothing has been recorded yet.
    void restart() noexcept { m_lastEventTime = -1; }
    std::int32_t lastEventTime() const noexcept { return m_lastEventTime; }
    // Milliseconds since the process started, as a signed 32-bit value (it stops at the top of
    // the range after 24 days instead of wrapping).
    std::int32_t processTime() const noexcept;

    // One key event for the page shown. recordTicked is the record box, shown the group the
    // step list shows (null: none).
    RecorderResult onKeyEvent(int page, bool recordTicked, MacroGroup* shown,
                              std::uintptr_t message, const platform::KeyEvent& event,
                              const KeyLookup& lookup);

private:
    RecorderResult recordMacroKey(bool recordTicked, MacroGroup* shown, std::uintptr_t message,
                                  const platform::KeyEvent& event);
    RecorderResult captureSingleKey(std::uintptr_t message, const platform::KeyEvent& event,
                                    const KeyLookup& lookup);
    // The delay the previous step gets when the next event arrives.
    std::int32_t delayBeforeNow() const noexcept;

    MacroStore& m_store;
    const kg::MonotonicClock& m_clock;
    std::uint64_t m_start_ms;
    std::int32_t m_lastEventTime = -1;
};
