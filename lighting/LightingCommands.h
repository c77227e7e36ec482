#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "runtime/MonotonicClock.h"

class EffectStore;
class HidDevice;
class SideLightStore;

namespace kg {

class IConnectionHost;

// The lighting commands of the main window: they read the stores, build the reports and send
// them to the keyboard, keeping at least 100 ms between two lighting commands because the
// keyboard drops a second report that follows too closely. Everything runs on the UI thread
// except SendStartupEffect, which the worker runs.
class LightingCommands {
public:
    static constexpr std::uint64_t kCommandGap_ms = 100;

    // `deviceLock` is the connection's lock around re-opening the device; the worker's report
    // takes it so it never uses a handle that the UI thread is replacing.
    // The stores are read on the UI thread only; the worker reads its published copy.
    LightingCommands(HidDevice& device, IConnectionHost& host, const EffectStore& effects,
                     const SideLightStore& sideLights, MonotonicClock& clock,
                     std::mutex& deviceLock);

    // The effect select report for `effectIndex` (-1: the effect in use, for the record test;
    // the report then carries 0xFF). Nothing at all when the index has no record.
    void SendEffectCommand(int effectIndex);

    // The side-light report for `sideIndex` (-1: the side effect in use for the record test).
    void SendSideLightCommand(int sideIndex);

    // Effect record 0 as the start-up effect report; worker thread. No pacing.
    int SendStartupEffect(std::int32_t param1, std::int32_t param2, const std::uint8_t* data,
                          std::size_t dataSize);

    // Reads the version into firmwareVersion; nothing when the device is closed, and the old
    // value stays when the request or the reply fails.
    void QueryFirmwareVersion();

    // Writes firmwareVersion into the version label; -1 leaves the label as it is.
    void ShowFirmwareVersion();

    // Waits until kCommandGap_ms have passed since lastCommandTime.
    void PaceCommand();

    // Copies effect record 0 for the worker's start-up report. The store has no lock, so the
    // worker never reads it: the UI thread publishes a copy under m_startupLock here, and does
    // so itself in every lighting command and at every (re)connection. Code that changes
    // record 0 without sending a lighting command afterwards calls this too.
    void publishStartupRecord();

    int firmwareVersion() const { return m_firmwareVersion; }
    void setFirmwareVersion(int version) { m_firmwareVersion = version; }
    std::uint64_t lastCommandTime() const { return m_lastCommandTime; }
    void resetCommandTime() { m_lastCommandTime = m_clock.nowMs(); }

private:
    HidDevice& m_device;
    IConnectionHost& m_host;
    const EffectStore& m_effects;
    const SideLightStore& m_sideLights;
    MonotonicClock& m_clock;
    std::mutex& m_deviceLock;

    std::uint64_t m_lastCommandTime = 0;
    // -1: no version; 0: a firmware too early to report one; else major * 256 + minor.
    int m_firmwareVersion = -1;

    std::mutex m_startupLock;
    std::array<std::uint8_t, 4> m_startupRecord{};
};

}  // namespace kg
