#include "platform/SingleInstance.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace platform {

namespace {

// An upper bound for the list of top-level windows, so that a z-order that keeps changing
// while we read it cannot make the walk endless.
constexpr std::size_t kMaxTopLevelWindows = 1 << 16;

HWND toHwnd(std::uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}

}  // namespace

struct SingleInstance::State {
    HANDLE mutex = nullptr;
    bool claimed = false;
    InstanceClaim result = InstanceClaim::First;
};

SingleInstance::SingleInstance(std::wstring name)
    : m_name(std::move(name)), m_state(std::make_unique<State>()) {}

SingleInstance::~SingleInstance() {
    if (m_state->mutex != nullptr) {
        CloseHandle(m_state->mutex);
    }
}

InstanceClaim SingleInstance::claim() {
    if (m_state->claimed || m_name.empty()) {
        return m_state->result;
    }
    m_state->claimed = true;
    m_state->mutex = CreateMutexW(nullptr, TRUE, m_name.c_str());
    // Any other outcome, a failed create included, lets this process run as the first.
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return m_state->result;
    }
    activateRunning(m_name);
    m_state->result = InstanceClaim::AnotherRunning;
    return m_state->result;
}

int SingleInstance::activationFd() const {
    return -1;
}

int SingleInstance::dispatch() {
    return 0;
}

void SingleInstance::setActivationCallback(std::function<void()> callback) {
    m_callback = std::move(callback);
}

bool SingleInstance::markWindow(std::uintptr_t window, const std::wstring& name) {
    if (window == 0 || name.empty()) {
        return false;
    }
    return SetPropW(toHwnd(window), name.c_str(), reinterpret_cast<HANDLE>(std::uintptr_t{1})) !=
           FALSE;
}

bool SingleInstance::unmarkWindow(std::uintptr_t window, const std::wstring& name) {
    if (window == 0 || name.empty()) {
        return false;
    }
    return RemovePropW(toHwnd(window), name.c_str()) != nullptr;
}

int SingleInstance::activateRunning(const std::wstring& name) {
    if (name.empty()) {
        return 0;
    }
    // Read the whole list first: bringing a window to the front moves it to the top of the
    // z-order, and following GW_HWNDNEXT from there would visit the same windows again (and,
    // with two marked windows, forever).
    std::vector<HWND> windows;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD);
         IsWindow(w) && windows.size() < kMaxTopLevelWindows; w = GetWindow(w, GW_HWNDNEXT)) {
        windows.push_back(w);
    }
    int shown = 0;
    for (HWND w : windows) {
        if (!IsWindow(w) || GetPropW(w, name.c_str()) == nullptr) {
            continue;
        }
        if (IsIconic(w)) {
            ShowWindow(w, SW_RESTORE);
        }
        if (!IsWindowVisible(w)) {
            ShowWindow(w, SW_SHOW);
        }
        SetForegroundWindow(w);
        ++shown;
    }
    return shown;
}

}  // namespace platform
