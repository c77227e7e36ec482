#include "lighting/LightingCommands.h"

#include <cstring>

#include "device/HidDevice.h"
#include "lighting/ConnectionHost.h"
#include "lighting/LightingReports.h"
#include "settings/EffectStore.h"
#include "settings/SideLightStore.h"

namespace kg {

LightingCommands::LightingCommands(HidDevice& device, IConnectionHost& host,
                                   const EffectStore& effects, const SideLightStore& sideLights,
                                   MonotonicClock& clock, std::mutex& deviceLock)
    : m_device(device),
      m_host(host),
      m_effects(effects),
      m_sideLights(sideLights),
      m_clock(clock),
      m_deviceLock(deviceLock) {}

void LightingCommands::PaceCommand() {
    const std::uint64_t now = m_clock.nowMs();
    const std::uint64_t since = now - m_lastCommandTime;
    if (since < kCommandGap_ms) {
        m_clock.sleepMs(kCommandGap_ms - since);
    }
}

void LightingCommands::SendEffectCommand(int effectIndex) {
    publishStartupRecord();
    if (m_effects.record(effectIndex) == nullptr) {
        return;
    }
    PaceCommand();
    const Report report = EffectSelectReport(effectIndex);
    m_device.SetFeature(report.data());
    m_lastCommandTime = m_clock.nowMs();
}

void LightingCommands::SendSideLightCommand(int sideIndex) {
    publishStartupRecord();
    const SideLightRecord* record = m_sideLights.record(sideIndex);
    if (record == nullptr) {
        return;
    }
    PaceCommand();
    const Report report = SideLightReport(static_cast<std::uint8_t>(record->level()), sideIndex);
    m_device.SetFeature(report.data());
    m_lastCommandTime = m_clock.nowMs();
}

void LightingCommands::publishStartupRecord() {
    std::array<std::uint8_t, 4> bytes{};
    if (const EffectRecord* record = m_effects.record(0)) {
        std::memcpy(bytes.data(), record, bytes.size());
    }
    std::lock_guard lock(m_startupLock);
    m_startupRecord = bytes;
}

int LightingCommands::SendStartupEffect(std::int32_t, std::int32_t, const std::uint8_t*,
                                        std::size_t) {
    std::array<std::uint8_t, 4> bytes;
    {
        std::lock_guard lock(m_startupLock);
        bytes = m_startupRecord;
    }
    const Report report = StartupEffectReport(bytes);
    std::lock_guard device(m_deviceLock);
    m_device.SetFeature(report.data());
    return 0;
}

void LightingCommands::QueryFirmwareVersion() {
    if (!m_device.IsOpen()) {
        return;
    }
    Report buffer = FirmwareRequestReport();
    if (!m_device.SetFeature(buffer.data())) {
        return;
    }
    // Byte 0 still holds the report ID the reply is asked for.
    if (!m_device.GetFeature(buffer.data())) {
        return;
    }
    m_firmwareVersion = FirmwareVersionFromReply(buffer);
}

void LightingCommands::ShowFirmwareVersion() {
    if (m_firmwareVersion == -1) {
        return;
    }
    m_host.setVersionText(FirmwareVersionText(
        m_firmwareVersion, [this](const std::wstring& text) { return m_host.translate(text); }));
}

}  // namespace kg
