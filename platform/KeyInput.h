#pragma once

// Key capture and key output, the way the rest of the program sees them: a source that
// offers every key press and release of the desktop to one hook procedure on the UI thread,
// and an output that types keys, starts programs and locks the workstation. Backends:
// linux/ (evdev grab + uinput), win32/ (WH_KEYBOARD_LL + keybd_event), emulator/.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// One key event, laid out as the low-level keyboard hook's record (KBDLLHOOKSTRUCT), so the
// Windows backend hands the system's record through unchanged.
struct KeyEvent {
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t dwExtraInfo = 0;
};

// Event flags (LLKHF_*).
inline constexpr std::uint32_t kKeyFlagExtended = 0x01;
inline constexpr std::uint32_t kKeyFlagInjected = 0x10;

// Event kinds handed to the hook procedure with each event (WM_*).
inline constexpr std::uintptr_t kMsgKeyDown = 0x0100;
inline constexpr std::uintptr_t kMsgKeyUp = 0x0101;
inline constexpr std::uintptr_t kMsgSysKeyDown = 0x0104;
inline constexpr std::uintptr_t kMsgSysKeyUp = 0x0105;

inline constexpr bool isKeyPress(std::uintptr_t message) {
    return message == kMsgKeyDown || message == kMsgSysKeyDown;
}
inline constexpr bool isKeyRelease(std::uintptr_t message) {
    return message == kMsgKeyUp || message == kMsgSysKeyUp;
}

// Flags of a synthesised key (KEYEVENTF_*).
inline constexpr std::uint32_t kSendExtendedKey = 0x0001;
inline constexpr std::uint32_t kSendKeyUp = 0x0002;

// Extra information carried by every key event the program synthesises; its own listener lets
// such events pass so that played keys never trigger anything again.
inline constexpr std::uintptr_t kSyntheticMarker = 0xFFFFFFFF;

// The hook procedure: hook code, event kind and the address of the KeyEvent. Nonzero
// swallows the event; otherwise the procedure returns what KeyInput::callNextHook returned.
using KeyHookProc = std::intptr_t (*)(int code, std::uintptr_t message,
                                      std::intptr_t eventRecord) noexcept;

class KeyInput {
public:
    virtual ~KeyInput() = default;

    // Starts offering every key press and release to proc, synchronously on the calling
    // thread (the UI thread). lowLevel picks the system-wide hook; module and threadId are the
    // Windows hook's. False when capture cannot start; nothing is offered then.
    virtual bool installHook(KeyHookProc proc, bool lowLevel, void* module,
                             std::uint32_t threadId) noexcept = 0;
    virtual bool removeHook() noexcept = 0;

    // Passes an event that no listener claimed on to the rest of the system.
    virtual std::intptr_t callNextHook(int code, std::uintptr_t message,
                                       std::intptr_t eventRecord) noexcept = 0;

    // For sources whose events the UI loop must fetch: a descriptor that becomes readable
    // when events are waiting (-1 when the system delivers them by itself), and the call that
    // offers them to the hook procedure. Both on the UI thread.
    virtual int pollFd() const noexcept { return -1; }
    virtual void dispatch() noexcept {}

    // Why capture is off (installHook failed, or capture stopped later), in words for the
    // user; empty while it runs or before it was asked to start.
    virtual std::string captureOffReason() const { return {}; }
};

class KeyOutput {
public:
    virtual ~KeyOutput() = default;

    // Inserts a press (flags 0) or a release (kSendKeyUp) of virtual key vk into the input
    // stream. Safe from any thread.
    virtual void sendKey(std::uint8_t vk, std::uint8_t scanCode, std::uint32_t flags,
                         std::uintptr_t extraInfo) noexcept = 0;

    // The scan code of a virtual key (MapVirtualKeyW with MAPVK_VK_TO_VSC); 0 when none.
    virtual std::uint32_t scanCodeFor(std::uint32_t code) noexcept = 0;

    // Opens a program or document with its arguments; an empty path or empty arguments are
    // passed as absent. Failures are not reported.
    virtual void openProgram(void* ownerWindow, const std::wstring& path,
                             const std::wstring& arguments) noexcept = 0;

    virtual void lockWorkstation() noexcept = 0;
};

// The system's key capture and key output (one each per process).
KeyInput& systemKeyInput() noexcept;
KeyOutput& systemKeyOutput() noexcept;

// The pause between played keys, as the player sees it: an interruptible wait of some
// milliseconds. interrupt() ends a wait in progress and any wait begun with an epoch read
// before it, so a cut that comes just before the wait starts is not lost. shutdown() makes
// every wait return at once until reopen(). The program uses StepTimer; tests drive one from
// their own clock.
class IStepTimer {
public:
    virtual ~IStepTimer() = default;
    virtual std::uint64_t epoch() const noexcept = 0;
    // Returns true when the whole time passed, false when interrupted or shut down.
    virtual bool wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept = 0;
    virtual void interrupt() noexcept = 0;
    virtual void shutdown() noexcept = 0;
    virtual void reopen() noexcept = 0;
};

// The system's step timer, with about 1 ms resolution (Windows' ordinary waits round to the
// 15.6 ms clock tick).
class StepTimer final : public IStepTimer {
public:
    StepTimer();
    ~StepTimer() override;
    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

    std::uint64_t epoch() const noexcept override;
    bool wait(std::uint32_t ms, std::uint64_t sinceEpoch) noexcept override;
    void interrupt() noexcept override;
    void shutdown() noexcept override;
    void reopen() noexcept override;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
