// Key capture and output on Windows: the system-wide low-level keyboard hook, installed on
// the UI thread (the system calls it there while the thread waits for messages), keybd_event
// for synthesised keys, ShellExecuteW and LockWorkStation.

#include <windows.h>
// windows.h must come first.
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "platform/KeyInput.h"

namespace platform {
namespace {

// The hook record is handed to the portable procedure as it stands.
static_assert(sizeof(KeyEvent) == sizeof(KBDLLHOOKSTRUCT));
static_assert(offsetof(KeyEvent, vkCode) == offsetof(KBDLLHOOKSTRUCT, vkCode));
static_assert(offsetof(KeyEvent, scanCode) == offsetof(KBDLLHOOKSTRUCT, scanCode));
static_assert(offsetof(KeyEvent, flags) == offsetof(KBDLLHOOKSTRUCT, flags));
static_assert(offsetof(KeyEvent, time) == offsetof(KBDLLHOOKSTRUCT, time));
static_assert(offsetof(KeyEvent, dwExtraInfo) == offsetof(KBDLLHOOKSTRUCT, dwExtraInfo));
static_assert(kKeyFlagExtended == LLKHF_EXTENDED && kKeyFlagInjected == LLKHF_INJECTED);
static_assert(kSendKeyUp == KEYEVENTF_KEYUP && kSendExtendedKey == KEYEVENTF_EXTENDEDKEY);

KeyHookProc g_proc = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK systemHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (g_proc == nullptr) {
        return CallNextHookEx(g_hook, code, wParam, lParam);
    }
    return static_cast<LRESULT>(
        g_proc(code, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam)));
}

class Win32KeyInput final : public KeyInput {
public:
    bool installHook(KeyHookProc proc, bool lowLevel, void* module,
                     std::uint32_t threadId) noexcept override {
        if (g_hook != nullptr) {
            return true;
        }
        if (proc == nullptr) {
            return false;
        }
        g_proc = proc;
        HINSTANCE instance =
            module != nullptr ? static_cast<HINSTANCE>(module) : GetModuleHandleW(nullptr);
        g_hook = SetWindowsHookExW(lowLevel ? WH_KEYBOARD_LL : WH_KEYBOARD, systemHookProc,
                                   instance, static_cast<DWORD>(threadId));
        if (g_hook == nullptr) {
            g_proc = nullptr;
            m_offReason = "the system refused the keyboard hook (error " +
                          std::to_string(GetLastError()) + ")";
            return false;
        }
        m_offReason.clear();
        return true;
    }

    std::string captureOffReason() const override { return m_offReason; }

    bool removeHook() noexcept override {
        if (g_hook == nullptr || !UnhookWindowsHookEx(g_hook)) {
            return false;
        }
        g_hook = nullptr;
        g_proc = nullptr;
        return true;
    }

    std::intptr_t callNextHook(int code, std::uintptr_t message,
                               std::intptr_t eventRecord) noexcept override {
        return static_cast<std::intptr_t>(CallNextHookEx(g_hook, code, static_cast<WPARAM>(message),
                                                         static_cast<LPARAM>(eventRecord)));
    }

private:
    std::string m_offReason;
};

class Win32KeyOutput final : public KeyOutput {
public:
    void sendKey(std::uint8_t vk, std::uint8_t scanCode, std::uint32_t flags,
                 std::uintptr_t extraInfo) noexcept override {
        keybd_event(vk, scanCode, static_cast<DWORD>(flags), static_cast<ULONG_PTR>(extraInfo));
    }

    std::uint32_t scanCodeFor(std::uint32_t code) noexcept override {
        return MapVirtualKeyW(code, MAPVK_VK_TO_VSC);
    }

    void openProgram(void* ownerWindow, const std::wstring& path,
                     const std::wstring& arguments) noexcept override {
        ShellExecuteW(static_cast<HWND>(ownerWindow), L"open",
                      path.empty() ? nullptr : path.c_str(),
                      arguments.empty() ? nullptr : arguments.c_str(), nullptr, SW_SHOWNORMAL);
    }

    void lockWorkstation() noexcept override { LockWorkStation(); }
};

}  // namespace

KeyInput& systemKeyInput() noexcept {
    static Win32KeyInput input;
    return input;
}

KeyOutput& systemKeyOutput() noexcept {
    static Win32KeyOutput output;
    return output;
}

}  // namespace platform
