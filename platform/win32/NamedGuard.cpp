#include "platform/NamedGuard.h"

#include <windows.h>

namespace platform {
namespace {

std::wstring wideName(const std::string& name) {
    if (name.empty()) {
        return std::wstring();
    }
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                              length);
    }
    return wide;
}

}  // namespace

// A named mutex of the session's namespace: recursive for its owner, shared by every process of
// the same login that opens the same name.
NamedGuard::NamedGuard(const std::string& name) {
    const std::wstring wide = wideName(name);
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, wide.c_str());
    if (mutex == nullptr) {
        mutex = ::CreateMutexW(nullptr, FALSE, wide.c_str());
    }
    if (mutex == nullptr) {
        return;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    // An abandoned mutex (its owner ended while holding it) is ours now all the same.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return;
    }
    m_state = reinterpret_cast<std::uintptr_t>(mutex);
    m_held = true;
}

NamedGuard::~NamedGuard() {
    if (m_state == 0) {
        return;
    }
    HANDLE mutex = reinterpret_cast<HANDLE>(m_state);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

}  // namespace platform
