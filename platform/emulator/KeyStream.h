#pragma once

// The emulated key stream: a scripted key source that offers presses and releases to the
// installed hook procedure on the calling thread, and a recording sink that keeps what the
// program typed, started and locked, and what it let through to the system.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/KeyInput.h"

namespace platform::emulator {

struct TypedKey {
    std::uint8_t vk = 0;
    std::uint8_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uintptr_t extraInfo = 0;
    std::chrono::steady_clock::time_point at;
    bool isRelease() const { return (flags & kSendKeyUp) != 0; }
};

struct PassedEvent {
    int code = 0;
    std::uintptr_t message = 0;
    KeyEvent event;
};

struct Launch {
    void* owner = nullptr;
    std::wstring path;
    std::wstring arguments;
};

class KeyStream final : public KeyInput, public KeyOutput {
public:
    KeyStream() = default;
    ~KeyStream() override;
    KeyStream(const KeyStream&) = delete;
    KeyStream& operator=(const KeyStream&) = delete;

    // Makes installHook fail, as a system without permission to capture keys does; the
    // refusal then gives a reason as the system backends do.
    void setCaptureAvailable(bool available);
    // Offers every typed key back to the hook (marked injected, with its extra information) on
    // the next pumpEchoes(), as Windows does with keybd_event.
    void setEchoTyped(bool echo);

    // The scripted source; each call runs the hook procedure on the caller's thread and
    // returns its result (0 without a hook). scanCode 0 takes the key's own scan code.
    std::intptr_t press(std::uint32_t vk, std::uint32_t flags = 0, std::uint32_t scanCode = 0,
                        std::uintptr_t extraInfo = 0);
    std::intptr_t release(std::uint32_t vk, std::uint32_t flags = 0, std::uint32_t scanCode = 0,
                          std::uintptr_t extraInfo = 0);
    std::intptr_t offer(std::uintptr_t message, KeyEvent event, int code = 0);
    // Offers the echoes of keys typed since the last call; returns how many.
    std::size_t pumpEchoes();

    // What the sink saw, one line per action in order: "down 0x41", "up 0x41 ext",
    // "open <path> <arguments>", "lock", and for events let through to the system
    // "pass down 0x41" / "pass up 0x41".
    std::vector<std::string> log() const;
    std::vector<TypedKey> typed() const;
    std::vector<PassedEvent> passed() const;
    std::vector<Launch> launches() const;
    int lockCount() const;
    // Virtual keys the program pressed and has not released, in the order pressed.
    std::vector<std::uint8_t> heldKeys() const;
    // Waits until at least count keys have been typed or the time is up; true when they have.
    bool waitForTyped(std::size_t count, std::chrono::milliseconds timeout) const;
    void clearLog();

    bool hookInstalled() const;

    // Also appends every line of the log to a file (KEYGLOW_EMULATOR_LOG), keys typed by the
    // program as "key down 0x42" / "key up 0x42" so that they stand apart from the report
    // lines of the emulated keyboard in the same file. An empty path closes the file. False
    // when the file cannot be opened.
    bool openLogFile(const std::string& path);
    // A line of its own in that file (the key script's complaints).
    void noteInLogFile(const std::string& line);

    // KeyInput
    bool installHook(KeyHookProc proc, bool lowLevel, void* module,
                     std::uint32_t threadId) noexcept override;
    bool removeHook() noexcept override;
    std::string captureOffReason() const override;
    std::intptr_t callNextHook(int code, std::uintptr_t message,
                               std::intptr_t eventRecord) noexcept override;

    // KeyOutput
    void sendKey(std::uint8_t vk, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo) noexcept override;
    std::uint32_t scanCodeFor(std::uint32_t code) noexcept override;
    void openProgram(void* ownerWindow, const std::wstring& path,
                     const std::wstring& arguments) noexcept override;
    void lockWorkstation() noexcept override;

private:
    void writeLogFile(const std::string& line);  // m_mutex held

    mutable std::mutex m_mutex;
    std::FILE* m_logFile = nullptr;
    mutable std::condition_variable m_typedChanged;
    KeyHookProc m_proc = nullptr;
    bool m_captureAvailable = true;
    std::string m_offReason;
    bool m_echo = false;
    std::uint32_t m_clock_ms = 0;
    std::vector<std::string> m_log;
    std::vector<TypedKey> m_typed;
    std::vector<TypedKey> m_pendingEchoes;
    std::vector<PassedEvent> m_passed;
    std::vector<Launch> m_launches;
    std::vector<std::uint8_t> m_held;
    int m_locks = 0;
};

}  // namespace platform::emulator
