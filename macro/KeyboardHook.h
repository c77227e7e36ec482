#pragma once

#include <cstdint>

#include "platform/KeyInput.h"

// A receiver of the key events of the system-wide hook. The three values arrive by pointer:
// a listener may change them, and the changed values go on to the next hook. A nonzero
// result swallows the event.
class IKeyboardHookListener {
public:
    virtual ~IKeyboardHookListener() = default;
    virtual std::int32_t onHookEvent(int* code, std::uintptr_t* message,
                                     platform::KeyEvent** eventRecord) noexcept = 0;
};

// The process-wide key hook: one hook on the system's key events and the ordered list of
// listeners it offers them to. The list does not own its listeners; a listener removes itself
// before it dies. Everything runs on the UI thread, which installs the hook and on which the
// system calls hookProc, so no lock is taken.
class KeyboardHook {
public:
    KeyboardHook() = delete;

    // Installs the hook when none is held (lowLevel nonzero: the system-wide low-level hook).
    // True when a hook is held afterwards.
    static bool install(int lowLevel, void* module, std::uint32_t threadId) noexcept;
    static bool uninstall() noexcept;
    static bool isInstalled() noexcept;

    // Refused (false) while no hook is held and for a null listener. Adding a listener that
    // is already listed changes nothing; removing takes out every occurrence.
    static bool addListener(IKeyboardHookListener* listener) noexcept;
    static bool removeListener(IKeyboardHookListener* listener) noexcept;

    // The procedure the key source calls: offers the event to the listeners in order; the
    // first nonzero result swallows it (1), otherwise the event goes on to the next hook.
    static std::intptr_t hookProc(int code, std::uintptr_t message,
                                  std::intptr_t eventRecord) noexcept;

    // The key source the hook is installed on: the system's unless another (the emulated key
    // stream) is chosen before install. Null restores the system's.
    static void setKeyInput(platform::KeyInput* input) noexcept;
    static platform::KeyInput& keyInput() noexcept;
};
