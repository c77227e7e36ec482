// The user's Run key: every value under HKCU\Software\Microsoft\Windows\CurrentVersion\Run is
// started when the user logs in. The Task Manager's start-up page does not delete a value the
// user switches off; it marks it in the sibling key Explorer\StartupApproved\Run (a binary
// value whose first byte is odd while it is off).

#include "platform/Autostart.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

namespace {

constexpr wchar_t kValueName[] = L"KeyGlow";

// "...\CurrentVersion\Run" -> "...\CurrentVersion\Explorer\StartupApproved\Run".
std::wstring approvalPlace(const std::wstring& place) {
    const std::size_t slash = place.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return L"Explorer\\StartupApproved\\" + place;
    }
    return place.substr(0, slash) + L"\\Explorer\\StartupApproved" + place.substr(slash);
}

bool switchedOffByTheUser(const std::wstring& place) {
    std::vector<BYTE> data(64);
    DWORD size = static_cast<DWORD>(data.size());
    const LSTATUS status =
        ::RegGetValueW(HKEY_CURRENT_USER, approvalPlace(place).c_str(), kValueName,
                       RRF_RT_REG_BINARY, nullptr, data.data(), &size);
    return status == ERROR_SUCCESS && size > 0 && (data[0] & 1) != 0;
}

bool deleteValue(const std::wstring& keyPath) {
    HKEY key = nullptr;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (status != ERROR_SUCCESS) {
        return false;
    }
    status = ::RegDeleteValueW(key, kValueName);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

Autostart::Autostart(std::wstring place, std::wstring program)
    : m_place(std::move(place)), m_program(std::move(program)) {}

Autostart Autostart::forThisProgram() {
    // Long paths do not fit MAX_PATH; grow the buffer until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) {
            buffer.clear();
            break;
        }
        if (n < size) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) {
            buffer.clear();
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return Autostart(defaultPlace(), buffer);
}

std::wstring Autostart::defaultPlace() {
    return L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

std::wstring Autostart::command() const {
    // Quoted, so that a folder with spaces ("Program Files") is not cut at the first one.
    return L"\"" + m_program + L"\" -hid";
}

bool Autostart::isEnabled() const {
    DWORD size = 0;
    const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, m_place.c_str(), kValueName,
                                          RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                          nullptr, nullptr, &size);
    // An empty string starts nothing.
    if (status != ERROR_SUCCESS || size <= sizeof(wchar_t)) {
        return false;
    }
    return !switchedOffByTheUser(m_place);
}

bool Autostart::enable() const {
    if (m_program.empty()) {
        return false;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_place.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring data = command();
    const LSTATUS status =
        ::RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    // Ticked again in the program: the mark of an earlier switch-off no longer applies.
    return deleteValue(approvalPlace(m_place));
}

bool Autostart::disable() const {
    const bool removed = deleteValue(m_place);
    return deleteValue(approvalPlace(m_place)) && removed;
}

}  // namespace platform
