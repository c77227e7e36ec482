// A second process for the Windows tests:
//   helper instance NAME       claims the single-instance NAME; exits 0 when another instance
//                              runs (having shown its windows), 10 when it was the first
//   helper guard-probe NAME    exits 0 when someone else holds the named guard NAME, 1 when it
//                              is free
//   helper guard-wait NAME     takes the named guard NAME (waiting as long as it takes) and
//                              exits 0 once held, 1 when it could not be taken
//   helper guard-abandon NAME  takes the guard NAME and ends without releasing it
//   helper tray present        exits 0 when the notification area holds the icon of the running
//                              program's tray window, 1 when it does not (or there is no such
//                              window)
//   helper tray remove         takes that icon out of the notification area, as a shell that
//                              restarts forgets it; exits 0 when it was there
//   helper tray announce       tells every top-level window that a new shell has started
//                              ("TaskbarCreated"), as the shell does after a restart
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>

#include "platform/NamedGuard.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string mode = argv[1];
    const std::string name = argv[2];
    if (mode == "instance") {
        const std::wstring wide(name.begin(), name.end());
        platform::SingleInstance instance(wide);
        return instance.claim() == platform::InstanceClaim::First ? 10 : 0;
    }
    if (mode == "guard-probe") {
        const std::wstring wide(name.begin(), name.end());
        HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, wide.c_str());
        if (mutex == nullptr) {
            return 1;
        }
        const DWORD waited = WaitForSingleObject(mutex, 0);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            ReleaseMutex(mutex);
        }
        CloseHandle(mutex);
        return waited == WAIT_TIMEOUT ? 0 : 1;
    }
    if (mode == "guard-wait") {
        platform::NamedGuard guard(name);
        return guard.held() ? 0 : 1;
    }
    if (mode == "guard-abandon") {
        platform::NamedGuard guard(name);
        // Ends with the guard held: the system marks the mutex abandoned.
        ExitProcess(guard.held() ? 0 : 1);
    }
    if (mode == "tray") {
        // Qt's window that owns a QSystemTrayIcon's icon (icon id 0). A top-level window, so
        // that the shell's broadcast reaches it.
        HWND owner = FindWindowW(nullptr, L"QTrayIconMessageWindow");
        if (name == "announce") {
            const UINT created = RegisterWindowMessageW(L"TaskbarCreated");
            return created != 0 && PostMessageW(HWND_BROADCAST, created, 0, 0) ? 0 : 1;
        }
        if (owner == nullptr) {
            return 1;
        }
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof(icon);
        icon.hWnd = owner;
        icon.uID = 0;
        if (name == "present") {
            // Changing nothing succeeds only for an icon the notification area holds.
            return Shell_NotifyIconW(NIM_MODIFY, &icon) ? 0 : 1;
        }
        if (name == "remove") {
            return Shell_NotifyIconW(NIM_DELETE, &icon) ? 0 : 1;
        }
    }
    return 2;
}
