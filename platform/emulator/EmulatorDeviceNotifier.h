#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "platform/DeviceNotifier.h"
#include "platform/emulator/EmulatedKeyboard.h"

namespace platform {

// Plug and unplug of the emulated keyboard (including its restart after a factory reset) as
// device notifications. The emulator reports on whichever thread caused the change; the
// events wait here until the UI thread calls dispatch().
class EmulatorDeviceNotifier final : public DeviceNotifier {
public:
    explicit EmulatorDeviceNotifier(EmulatedKeyboard& keyboard);
    ~EmulatorDeviceNotifier() override;

    EmulatorDeviceNotifier(const EmulatorDeviceNotifier&) = delete;
    EmulatorDeviceNotifier& operator=(const EmulatorDeviceNotifier&) = delete;

    bool start(Handler handler) override;
    void setReadyCallback(std::function<void()> ready) override;
    void dispatch() override;

    // Events received and not yet dispatched.
    std::size_t pending() const;
    // Waits in real time until at least `count` events are pending; false on time-out.
    bool waitForPending(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void onKeyboardEvent(EmulatedKeyboard::DeviceEvent event, const std::wstring& path);

    EmulatedKeyboard& m_keyboard;
    int m_listenerId = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::deque<std::pair<DeviceChange, std::wstring>> m_pending;
    Handler m_handler;
    std::function<void()> m_ready;
};

}  // namespace platform
