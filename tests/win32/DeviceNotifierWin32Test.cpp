#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: dbt.h needs its types.
#include <dbt.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/DeviceNotifier.h"

namespace {

using platform::DeviceChange;

const wchar_t kPath[] =
    L"\\\\?\\hid#vid_1a2c&pid_0002&mi_01&col02#7&1b2c3d4e&0&0001#"
    L"{4d1e55b2-f16f-11cf-88cb-001111000030}";

// The backend's message-only window of this process (message-only windows are not top-level
// windows: they are found below HWND_MESSAGE).
std::vector<HWND> notifierWindows() {
    std::vector<HWND> found;
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, L"KeyGlowDeviceNotifier", nullptr);
         w != nullptr; w = FindWindowExW(HWND_MESSAGE, w, L"KeyGlowDeviceNotifier", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) {
            found.push_back(w);
        }
    }
    return found;
}

// What the system sends for a device interface event, in the variable-length record that
// WM_DEVICECHANGE carries.
struct Broadcast {
    std::vector<unsigned char> bytes;
    Broadcast(DWORD deviceType, const std::wstring& name) {
        const std::size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                 (name.size() + 1) * sizeof(wchar_t);
        bytes.assign(size, 0);
        auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
        record->dbcc_size = static_cast<DWORD>(size);
        record->dbcc_devicetype = deviceType;
        std::memcpy(record->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    }
    LPARAM lparam() { return reinterpret_cast<LPARAM>(bytes.data()); }
};

struct Seen {
    std::vector<std::pair<DeviceChange, std::wstring>> events;
    platform::DeviceNotifier::Handler handler() {
        return [this](DeviceChange change, const std::wstring& path) {
            events.emplace_back(change, path);
        };
    }
};

TEST(DeviceNotifierWin32, RegistersOnAMessageOnlyWindowOfItsOwn) {
    auto notifier = platform::createSystemDeviceNotifier();
    Seen seen;
    ASSERT_TRUE(notifier->start(seen.handler())) << "RegisterDeviceNotificationW refused";
    const auto windows = notifierWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(IsWindowVisible(windows[0]));
    EXPECT_EQ(notifier->pollFd(), -1) << "messages arrive on the thread's own message loop";

    notifier.reset();
    EXPECT_TRUE(notifierWindows().empty()) << "the window ends with the notifier";
}

TEST(DeviceNotifierWin32, ArrivalAndRemovalReachTheHandlerWithThePath) {
    auto notifier = platform::createSystemDeviceNotifier();
    Seen seen;
    ASSERT_TRUE(notifier->start(seen.handler()));
    const auto windows = notifierWindows();
    ASSERT_EQ(windows.size(), 1u);

    Broadcast arrival(DBT_DEVTYP_DEVICEINTERFACE, kPath);
    EXPECT_EQ(SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVICEARRIVAL, arrival.lparam()), TRUE);
    Broadcast removal(DBT_DEVTYP_DEVICEINTERFACE, kPath);
    SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, removal.lparam());

    ASSERT_EQ(seen.events.size(), 2u);
    EXPECT_EQ(seen.events[0].first, DeviceChange::Arrival);
    EXPECT_EQ(seen.events[0].second, kPath);
    EXPECT_EQ(seen.events[1].first, DeviceChange::RemoveComplete);
    EXPECT_EQ(seen.events[1].second, kPath);
}

TEST(DeviceNotifierWin32, OtherDeviceEventsAreIgnored) {
    auto notifier = platform::createSystemDeviceNotifier();
    Seen seen;
    ASSERT_TRUE(notifier->start(seen.handler()));
    const auto windows = notifierWindows();
    ASSERT_EQ(windows.size(), 1u);

    Broadcast volume(DBT_DEVTYP_VOLUME, L"");
    SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVICEARRIVAL, volume.lparam());
    Broadcast query(DBT_DEVTYP_DEVICEINTERFACE, kPath);
    SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, query.lparam());
    SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    SendMessageW(windows[0], WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_TRUE(seen.events.empty());
}

TEST(DeviceNotifierWin32, TwoNotifiersShareTheWindowClass) {
    auto first = platform::createSystemDeviceNotifier();
    auto second = platform::createSystemDeviceNotifier();
    Seen a;
    Seen b;
    ASSERT_TRUE(first->start(a.handler()));
    ASSERT_TRUE(second->start(b.handler()));
    EXPECT_EQ(notifierWindows().size(), 2u);
    first.reset();
    EXPECT_EQ(notifierWindows().size(), 1u);
}

}  // namespace
