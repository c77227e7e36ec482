#include "lighting/DeviceConnection.h"

#include <utility>

#include "device/HidPath.h"
#include "lighting/ConnectionHost.h"

namespace kg {

namespace {

const wchar_t* const kWarning = L"Warning";

}  // namespace

DeviceConnection::DeviceConnection(platform::HidBackend& backend, IConnectionHost& host,
                                   const EffectStore& effects, const SideLightStore& sideLights,
                                   const UsbIdentity& usb, MonotonicClock& clock)
    : m_host(host),
      m_usb(usb),
      m_clock(clock),
      m_device(backend, true),
      m_commands(m_device, host, effects, sideLights, clock, m_deviceLock),
      m_worker(clock) {}

DeviceConnection::~DeviceConnection() {
    m_worker.Stop();
}

bool DeviceConnection::openConfigured() {
    const std::int32_t products[1] = {m_usb.productId};
    std::lock_guard lock(m_deviceLock);
    return m_device.OpenFirstMatch(m_usb.vendorId, products, m_usb.productId != 0 ? 1 : 0,
                                   m_usb.interfaceNumber, m_usb.collectionNumber, nullptr,
                                   HidDevice::kDefaultAccess);
}

bool DeviceConnection::StartConnection(std::unique_ptr<SimpleThread::ICallback> idleCallback,
                                       void* context) {
    m_commands.resetCommandTime();
    if (!openConfigured()) {
        m_commands.setFirmwareVersion(-1);
        m_commands.ShowFirmwareVersion();
        m_host.showMessage(L"Please insert USB device!", kWarning);
        m_host.closeWindow();
        return false;
    }
    if (keyboardConnected()) {
        m_commands.QueryFirmwareVersion();
    }
    m_commands.ShowFirmwareVersion();
    m_host.refreshKeyMarks();
    m_host.showStoresInPanels();

    m_worker.Start(context);
    if (idleCallback) {
        m_worker.SetIdleCallback(std::move(idleCallback));
    }
    m_commands.publishStartupRecord();
    auto task = std::make_unique<SimpleRunable<LightingCommands>>(
        &m_commands, &LightingCommands::SendStartupEffect);
    task->intervalMs = kStartupEffectDelay_ms;
    task->repeatCount = 1;
    m_worker.Post(std::move(task));
    return true;
}

bool DeviceConnection::concernsKeyboard(const wchar_t* path) const {
    HidPathIds ids;
    if (!ParseHidPath(path, &ids)) {
        return false;
    }
    // Looser than the start-up search: an absent interface or collection field passes.
    return (ids.vendorId == 0 || ids.vendorId == m_usb.vendorId) &&
           (ids.productId == 0 || ids.productId == m_usb.productId) &&
           (ids.interfaceNumber < 0 || ids.interfaceNumber == m_usb.interfaceNumber) &&
           (ids.collectionNumber < 0 || ids.collectionNumber == m_usb.collectionNumber);
}

void DeviceConnection::OnDeviceChange(platform::DeviceChange change, const wchar_t* path) {
    if (change != platform::DeviceChange::Arrival &&
        change != platform::DeviceChange::RemoveComplete) {
        return;
    }
    if (!concernsKeyboard(path)) {
        return;
    }
    if (change == platform::DeviceChange::Arrival) {
        bool opened;
        {
            std::lock_guard lock(m_deviceLock);
            opened = m_device.Open(HidDevice::kDefaultAccess, path);
        }
        if (!opened) {
            m_commands.setFirmwareVersion(-1);
            m_commands.ShowFirmwareVersion();
            return;
        }
        m_commands.QueryFirmwareVersion();
        m_commands.ShowFirmwareVersion();
        m_commands.resetCommandTime();
        m_host.showStoresInPanels();
        m_commands.publishStartupRecord();
        m_host.refreshKeyMarks();
        m_factoryResetPending = false;
        return;
    }
    {
        std::lock_guard lock(m_deviceLock);
        m_device.Close();
    }
    m_commands.setFirmwareVersion(-1);
    m_commands.ShowFirmwareVersion();
    if (!m_factoryResetPending) {
        m_host.closeWindow();
    }
}

void DeviceConnection::OnFirmwareCommand() {
    if (!keyboardConnected()) {
        m_host.showMessage(L"Please insert USB device", kWarning);
        return;
    }
    if (m_commands.firmwareVersion() == 0x0100) {
        m_host.showMessage(
            L"The firmware is already the latest version and no upgrade is required.", kWarning);
        return;
    }
    {
        std::lock_guard lock(m_deviceLock);
        m_device.Close();
    }
    if (openConfigured()) {
        m_commands.QueryFirmwareVersion();
    } else {
        m_commands.setFirmwareVersion(-1);
    }
    m_commands.ShowFirmwareVersion();
}

void DeviceConnection::StopWorker() {
    m_worker.Stop();
}

}  // namespace kg
