#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device/HidDevice.h"
#include "lighting/LightingCommands.h"
#include "platform/DeviceNotifier.h"
#include "platform/HidBackend.h"
#include "runtime/MonotonicClock.h"
#include "runtime/SimpleThread.h"

namespace kg {

class IConnectionHost;

// The keyboard's identification from the configuration (the usb element of config.xml).
struct UsbIdentity {
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::int32_t interfaceNumber = 0;
    std::int32_t collectionNumber = 0;  // the configured sub-device
};

// The main window's side of the keyboard: it opens the keyboard when the window starts, ends
// the program when the keyboard is missing or pulled out (except during a factory reset),
// follows arrivals, re-reads the firmware version on the menu command and owns the worker that
// sends the start-up effect and plays queued key steps. The window owns one and forwards to it.
class DeviceConnection {
public:
    static constexpr std::uint32_t kStartupEffectDelay_ms = 2000;

    DeviceConnection(platform::HidBackend& backend, IConnectionHost& host,
                     const EffectStore& effects, const SideLightStore& sideLights,
                     const UsbIdentity& usb, MonotonicClock& clock = systemClock());
    ~DeviceConnection();

    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    // Opens the keyboard, reads and shows the firmware version, marks the assigned keys,
    // shows the stores, starts the worker with `idleCallback` (the key player; may be null)
    // and `context`, and posts the start-up effect. Without a keyboard it shows "Please insert
    // USB device!" and closes the window instead; the worker is not started. Returns whether
    // the keyboard was opened.
    bool StartConnection(std::unique_ptr<SimpleThread::ICallback> idleCallback = nullptr,
                         void* context = nullptr);

    // A device notification with the interface path; paths that do not name the configured
    // keyboard are ignored.
    void OnDeviceChange(platform::DeviceChange change, const wchar_t* path);
    void OnDeviceChange(platform::DeviceChange change, const std::wstring& path) {
        OnDeviceChange(change, path.c_str());
    }

    // Command 1 of the "more" menu: re-opens the keyboard and refreshes the version unless it
    // already runs the latest firmware.
    void OnFirmwareCommand();

    // Window destruction: ends the worker's threads. The device stays open.
    void StopWorker();

    bool keyboardConnected() const { return m_device.IsOpen(); }
    int firmwareVersion() const { return m_commands.firmwareVersion(); }
    bool factoryResetPending() const { return m_factoryResetPending; }
    void setFactoryResetPending(bool pending) { m_factoryResetPending = pending; }

    HidDevice& device() { return m_device; }
    LightingCommands& commands() { return m_commands; }
    SimpleThread& worker() { return m_worker; }

private:
    bool concernsKeyboard(const wchar_t* path) const;
    bool openConfigured();

    IConnectionHost& m_host;
    UsbIdentity m_usb;
    MonotonicClock& m_clock;

    // Held by the UI thread while it opens or closes the device and by the worker while it
    // sends, so the worker never uses a handle being replaced.
    std::mutex m_deviceLock;
    HidDevice m_device;
    LightingCommands m_commands;
    bool m_factoryResetPending = false;
    SimpleThread m_worker;
};

}  // namespace kg
