#include <windows.h>
// windows.h first: dbt.h needs its types.
#include <dbt.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "platform/DeviceNotifier.h"

namespace platform {

namespace {

const wchar_t kWindowClass[] = L"KeyGlowDeviceNotifier";

// {4D1E55B2-F16F-11CF-88CB-001111000030}, the HID device interface class.
const GUID kHidClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// A message-only window of our own receives WM_DEVICECHANGE. It belongs to the thread that
// called start() (the UI thread), whose message loop delivers the notifications, so the
// handler runs on that thread as the messages come; there is nothing to poll.
class DeviceNotifierWin32 final : public DeviceNotifier {
public:
    ~DeviceNotifierWin32() override {
        if (m_registration != nullptr) {
            UnregisterDeviceNotification(m_registration);
        }
        if (m_window != nullptr) {
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
            DestroyWindow(m_window);
        }
    }

    bool start(Handler handler) override {
        m_handler = std::move(handler);
        if (m_window != nullptr) {
            return m_registration != nullptr;
        }
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &DeviceNotifierWin32::windowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        // A second notifier finds the class registered already; that is fine.
        if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            return false;
        }
        m_window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr);
        if (m_window == nullptr) {
            return false;
        }
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

        DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kHidClass;
        // All interface classes: the path test of the connection sorts them.
        m_registration = RegisterDeviceNotificationW(
            m_window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
        return m_registration != nullptr;
    }

    void dispatch() override {
        std::deque<std::pair<DeviceChange, std::wstring>> events;
        events.swap(m_pending);
        for (const auto& [change, path] : events) {
            if (m_handler) {
                m_handler(change, path);
            }
        }
    }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE) {
            auto* self =
                reinterpret_cast<DeviceNotifierWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self != nullptr) {
                self->onDeviceChange(wParam, lParam);
            }
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void onDeviceChange(WPARAM event, LPARAM data) {
        if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
            return;
        }
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
        if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
            return;
        }
        const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
        m_pending.emplace_back(
            event == DBT_DEVICEARRIVAL ? DeviceChange::Arrival : DeviceChange::RemoveComplete,
            std::wstring(broadcast->dbcc_name));
        dispatch();
    }

    Handler m_handler;
    HWND m_window = nullptr;
    HDEVNOTIFY m_registration = nullptr;
    std::deque<std::pair<DeviceChange, std::wstring>> m_pending;
};

}  // namespace

std::unique_ptr<DeviceNotifier> createSystemDeviceNotifier() {
    return std::make_unique<DeviceNotifierWin32>();
}

}  // namespace platform
