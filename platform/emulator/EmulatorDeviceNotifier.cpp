#include "platform/emulator/EmulatorDeviceNotifier.h"

namespace platform {

EmulatorDeviceNotifier::EmulatorDeviceNotifier(EmulatedKeyboard& keyboard) : m_keyboard(keyboard) {}

EmulatorDeviceNotifier::~EmulatorDeviceNotifier() {
    if (m_listenerId != 0) {
        m_keyboard.removeListener(m_listenerId);
    }
}

bool EmulatorDeviceNotifier::start(Handler handler) {
    {
        std::lock_guard lock(m_mutex);
        m_handler = std::move(handler);
    }
    if (m_listenerId == 0) {
        m_listenerId = m_keyboard.addListener(
            [this](EmulatedKeyboard::DeviceEvent event, const std::wstring& path) {
                onKeyboardEvent(event, path);
            });
    }
    return true;
}

void EmulatorDeviceNotifier::setReadyCallback(std::function<void()> ready) {
    std::lock_guard lock(m_mutex);
    m_ready = std::move(ready);
}

void EmulatorDeviceNotifier::onKeyboardEvent(EmulatedKeyboard::DeviceEvent event,
                                             const std::wstring& path) {
    std::function<void()> ready;
    {
        std::lock_guard lock(m_mutex);
        m_pending.emplace_back(event == EmulatedKeyboard::DeviceEvent::Arrival
                                   ? DeviceChange::Arrival
                                   : DeviceChange::RemoveComplete,
                               path);
        ready = m_ready;
    }
    m_arrived.notify_all();
    if (ready) {
        ready();
    }
}

void EmulatorDeviceNotifier::dispatch() {
    std::deque<std::pair<DeviceChange, std::wstring>> events;
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        events.swap(m_pending);
        handler = m_handler;
    }
    if (!handler) {
        return;
    }
    // The handler may re-open the keyboard, which can raise further events; they wait for the
    // next dispatch.
    for (const auto& [change, path] : events) {
        handler(change, path);
    }
}

std::size_t EmulatorDeviceNotifier::pending() const {
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

bool EmulatorDeviceNotifier::waitForPending(std::size_t count,
                                            std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, timeout, [&] { return m_pending.size() >= count; });
}

}  // namespace platform
