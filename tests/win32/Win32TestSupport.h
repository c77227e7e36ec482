#pragma once

#include <windows.h>

#include <string>

namespace kg::win32test {

// Names unique to this process, so that parallel test runs never meet.
inline std::wstring uniqueName(const std::wstring& what) {
    return L"KeyGlowTest-" + what + L"-" + std::to_wstring(GetCurrentProcessId());
}

inline std::string narrow(const std::wstring& ascii) {
    return {ascii.begin(), ascii.end()};
}

inline void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The helper program (Win32Helper.cpp) beside the test, started as another process.
class HelperProcess {
public:
    HelperProcess(const std::string& mode, const std::wstring& name) {
        wchar_t self[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return;
        }
        std::wstring helper(self, length);
        helper = helper.substr(0, helper.find_last_of(L"\\/") + 1) + L"kg_win32_helper.exe";
        std::wstring commandLine =
            L"\"" + helper + L"\" " + std::wstring(mode.begin(), mode.end()) + L" " + name;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            m_process = process.hProcess;
        }
    }
    ~HelperProcess() {
        if (m_process != nullptr) {
            TerminateProcess(m_process, 1);
            CloseHandle(m_process);
        }
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool started() const { return m_process != nullptr; }
    bool running() const {
        return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
    }

    // The exit code, or -1 when it did not end within a generous limit. Messages of this
    // thread's windows keep flowing meanwhile (the helper may show them from its side).
    int wait() {
        if (m_process == nullptr) {
            return -1;
        }
        constexpr DWORD kLimit_ms = 20000;
        const DWORD start = GetTickCount();
        DWORD waited = WAIT_TIMEOUT;
        while (GetTickCount() - start < kLimit_ms) {
            waited = MsgWaitForMultipleObjects(1, &m_process, FALSE, 100, QS_ALLINPUT);
            if (waited == WAIT_OBJECT_0) {
                break;
            }
            pumpMessages();
        }
        DWORD code = 0;
        if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(m_process, &code)) {
            return -1;
        }
        CloseHandle(m_process);
        m_process = nullptr;
        return static_cast<int>(code);
    }

private:
    HANDLE m_process = nullptr;
};

}  // namespace kg::win32test
