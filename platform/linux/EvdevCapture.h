#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/KeyInput.h"
#include "platform/linux/EmergencyChord.h"
#include "platform/linux/KeyHandoff.h"
#include "platform/linux/VirtualKeyboard.h"

struct input_event;
struct udev;
struct udev_monitor;

namespace platform::linux_detail {

// Where capture looks for what it needs; tests point these elsewhere.
struct CapturePaths {
    std::string udevControl = "/run/udev/control";
};

// Key capture on Linux. Every keyboard's evdev node is grabbed (EVIOCGRAB), so its events
// reach nobody but us. A reader thread of our own reads them and hands each key event to the
// UI thread (which polls pollFd() and calls dispatch(), where the hook procedure runs); what no
// listener swallows goes out again through the uinput virtual keyboard. Keyboards made through
// uinput, ours included, are never grabbed: their keys are synthesized already, and so nothing
// we send comes back into the hook (what the Windows marker achieves there).
//
// Two ways out protect the user's keyboard: a UI thread that does not answer within the
// verdict deadline is passed by (the key goes out unchanged), and the emergency chord
// Backspace + Escape + Enter lets go of every keyboard for the rest of the run.
class EvdevCapture final : public KeyInput {
public:
    static constexpr std::chrono::milliseconds kVerdictDeadline{300};

    explicit EvdevCapture(VirtualKeyboard& keyboard, CapturePaths paths = {},
                          std::chrono::milliseconds verdictDeadline = kVerdictDeadline);
    ~EvdevCapture() override;
    EvdevCapture(const EvdevCapture&) = delete;
    EvdevCapture& operator=(const EvdevCapture&) = delete;

    bool installHook(KeyHookProc proc, bool lowLevel, void* module,
                     std::uint32_t threadId) noexcept override;
    bool removeHook() noexcept override;
    std::intptr_t callNextHook(int code, std::uintptr_t message,
                               std::intptr_t eventRecord) noexcept override;
    int pollFd() const noexcept override;
    void dispatch() noexcept override;
    std::string captureOffReason() const override;

    // The event nodes held now (for diagnostics and tests).
    std::vector<std::string> heldNodes() const;

private:
    struct Current {
        std::uint32_t vk = 0;
        std::uint32_t extended = 0;
        std::uint16_t linuxCode = 0;
        std::int32_t value = 0;
    };

    void setOff(const std::string& reason) noexcept;
    void watch(int fd) noexcept;
    bool grab(const char* node, int& error) noexcept;
    bool grabWhenReleased(int fd) noexcept;
    void forget(int fd) noexcept;
    void forwardLights() noexcept;
    void hotplug() noexcept;
    void readLoop() noexcept;
    bool readDevice(int fd) noexcept;
    bool handle(const ::input_event& in) noexcept;
    void deliver(std::uint16_t code, std::int32_t value, std::uint32_t time_ms) noexcept;
    void emergencyRelease() noexcept;
    void releaseDevices() noexcept;
    void teardown() noexcept;

    VirtualKeyboard& m_keyboard;
    const CapturePaths m_paths;
    KeyHandoff m_handoff;

    KeyHookProc m_proc = nullptr;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_epoll = -1;
    int m_stopFd = -1;
    int m_lightsFd = -1;  // the virtual keyboard's, owned by it
    std::thread m_reader;

    // Reader thread only once it runs (and installHook before, teardown after).
    std::map<std::string, int> m_devices;
    std::vector<int> m_waitingForRelease;
    std::set<std::uint16_t> m_passedDown;       // keys let through unasked while the UI was behind
    VirtualKeyboard::KeySet m_heldOnKeyboards;  // keys down on the grabbed keyboards now
    EmergencyChord m_chord;
    bool m_stallReported = false;

    // UI thread only.
    Current m_current;

    mutable std::mutex m_stateMutex;  // guards m_offReason and m_held
    std::string m_offReason;
    std::vector<std::string> m_held;
    std::atomic<bool> m_emergencyOff{false};
};

}  // namespace platform::linux_detail
