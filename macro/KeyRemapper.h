#pragma once

#include <bitset>
#include <cstdint>

#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "platform/KeyInput.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"

// What only the main window knows, asked on every key event.
class IKeyRemapHost {
public:
    virtual ~IKeyRemapHost() = default;
    // Whether the keyboard is open; nothing is re-assigned or played without it.
    virtual bool keyboardConnected() const noexcept = 0;
    // The macro editor while it is shown, otherwise null.
    virtual IKeyboardHookListener* openEditor() const noexcept = 0;
    // The owner window of programs started for an assigned key.
    virtual void* ownerWindow() const noexcept { return nullptr; }
};

// The main window's hook listener: carries out the key assignments of the RecordStore on the
// computer. The window owns it and forwards its own onHookEvent here.
class KeyRemapper final : public IKeyboardHookListener {
public:
    KeyRemapper(IKeyRemapHost& host, const RecordStore& records, const MacroConfig& editorConfig,
                const AppConfig& config, MacroPlayer& player, platform::KeyOutput& output);

    std::int32_t onHookEvent(int* code, std::uintptr_t* message,
                             platform::KeyEvent** eventRecord) noexcept override;

    // The last press step queued for a key combination (code 0, state 1 after a release).
    const MacroStep& lastQueuedPress() const noexcept { return m_lastQueuedPress; }

private:
    // Result of one record: swallow the event, or try the next record with the same code.
    enum class Outcome { Swallow, GoOn };

    Outcome singleKey(const KeyRecord& record, std::uintptr_t message,
                      const platform::KeyEvent& event) noexcept;
    Outcome mediaOrProgram(const KeyRecord& record, std::uintptr_t message) noexcept;
    Outcome combination(const KeyRecord& record, std::uintptr_t message) noexcept;
    void sendNow(std::int32_t code, bool release) noexcept;
    // A release that the stop rule lets go untouched still releases what the program pressed
    // for that key: a single or media key's target, a held combination's keys. Otherwise they
    // would stay down after the key came up.
    void releaseWhatTheKeyHolds(std::int32_t keyCode) noexcept;
    static std::size_t slotOf(std::int32_t keyCode) noexcept;

    IKeyRemapHost& m_host;
    const RecordStore& m_records;
    const MacroConfig& m_editorConfig;
    const AppConfig& m_config;
    MacroPlayer& m_player;
    platform::KeyOutput& m_output;
    MacroStep m_lastQueuedPress;
    // Per key code (0 to 0x1FF): a combination whose presses went into the queue and whose
    // releases are still to come.
    std::bitset<0x200> m_releasesOwed;
    // Per key code: a single or media key whose target was pressed and not yet released.
    std::bitset<0x200> m_targetDown;
};
