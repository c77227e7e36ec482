#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/EventSource.h"

namespace platform {

// The system's device-change codes, as WM_DEVICECHANGE reports them.
enum class DeviceChange : std::uint32_t {
    Arrival = 0x8000,         // DBT_DEVICEARRIVAL
    RemoveComplete = 0x8004,  // DBT_DEVICEREMOVECOMPLETE
};

// Arrival and removal of HID interfaces, each with the interface path in the Windows form
// (\\?\hid#vid_XXXX&pid_XXXX...), the same path the HID backend lists for it.
class DeviceNotifier : public EventSource {
public:
    using Handler = std::function<void(DeviceChange change, const std::wstring& path)>;

    // Begins watching; `handler` is called from dispatch(). False when the system refuses
    // (no notifications then arrive; the program runs on without them).
    virtual bool start(Handler handler) = 0;
};

// Notifications of the system the program was built for: a udev monitor of the hidraw
// subsystem on Linux, RegisterDeviceNotificationW on a message-only window on Windows.
std::unique_ptr<DeviceNotifier> createSystemDeviceNotifier();

}  // namespace platform
