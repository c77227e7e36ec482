#include "macro/KeyboardHook.h"

#include <algorithm>
#include <vector>

namespace {

struct HookState {
    platform::KeyInput* input = nullptr;
    bool held = false;
    std::vector<IKeyboardHookListener*> listeners;
};

HookState& state() noexcept {
    static HookState s;
    return s;
}

}  // namespace

void KeyboardHook::setKeyInput(platform::KeyInput* input) noexcept {
    state().input = input;
}

platform::KeyInput& KeyboardHook::keyInput() noexcept {
    HookState& s = state();
    return s.input != nullptr ? *s.input : platform::systemKeyInput();
}

bool KeyboardHook::install(int lowLevel, void* module, std::uint32_t threadId) noexcept {
    HookState& s = state();
    if (!s.held) {
        s.held = keyInput().installHook(&KeyboardHook::hookProc, lowLevel != 0, module, threadId);
    }
    return s.held;
}

bool KeyboardHook::uninstall() noexcept {
    HookState& s = state();
    if (!s.held || !keyInput().removeHook()) {
        return false;
    }
    s.held = false;
    return true;
}

bool KeyboardHook::isInstalled() noexcept {
    return state().held;
}

bool KeyboardHook::addListener(IKeyboardHookListener* listener) noexcept {
    HookState& s = state();
    if (!s.held || listener == nullptr) {
        return false;
    }
    if (std::find(s.listeners.begin(), s.listeners.end(), listener) == s.listeners.end()) {
        s.listeners.push_back(listener);
    }
    return true;
}

bool KeyboardHook::removeListener(IKeyboardHookListener* listener) noexcept {
    HookState& s = state();
    if (!s.held || listener == nullptr) {
        return false;
    }
    std::erase(s.listeners, listener);
    return true;
}

std::intptr_t KeyboardHook::hookProc(int code, std::uintptr_t message,
                                     std::intptr_t eventRecord) noexcept {
    HookState& s = state();
    auto* record = reinterpret_cast<platform::KeyEvent*>(eventRecord);
    // By index: a listener may remove itself while it is being called.
    for (std::size_t i = 0; i < s.listeners.size(); ++i) {
        if (s.listeners[i]->onHookEvent(&code, &message, &record) != 0) {
            return 1;
        }
    }
    return keyInput().callNextHook(code, message, reinterpret_cast<std::intptr_t>(record));
}
