#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// The keyboard's whole lighting protocol: 8-byte reports with report ID 7 in byte 0 and a
// command byte in byte 1. These builders only make the bytes; sending and pacing live in
// LightingCommands.
namespace kg {

using Report = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t kReportId = 0x07;
inline constexpr std::uint8_t kCommandEffect = 0xF7;
inline constexpr std::uint8_t kCommandSideLight = 0xFF;
inline constexpr std::uint8_t kCommandFirmware = 0xFC;
inline constexpr std::uint8_t kCommandFactoryReset = 0xF0;

// The device's number for an effect index: the index's low byte, except that the firmware
// numbers effects 4 to 6 one higher (so index 4 is never sent and 6 and 7 both give 7).
std::uint8_t DeviceEffectNumber(int effectIndex);

// 07 F7 <device effect number> 00 00 00 00 00. The record's parameters are not sent here.
Report EffectSelectReport(int effectIndex);

// 07 F7 00 00 and the four bytes of effect record 0 in record order
// (brightness, speed, direction, selection).
Report StartupEffectReport(const std::array<std::uint8_t, 4>& recordBytes);

// 07 FF FF 20 00 00 <level in the high nibble, side index in the low nibble> 00.
Report SideLightReport(std::uint8_t level, int sideIndex);

Report FirmwareRequestReport();
Report FactoryResetReport();
Report EffectResetReport();

// Byte 1 × 256 + byte 2 of the firmware reply, both unsigned.
int FirmwareVersionFromReply(const Report& reply);

// The version label's text: "Firmware" translated, then ": " translated and "Early version"
// translated for 0, or ": v<major>.<minor>" for any other version. Empty for -1 (no version):
// the label then keeps what it shows.
using Translate = std::function<std::wstring(const std::wstring&)>;
std::wstring FirmwareVersionText(int firmwareVersion, const Translate& translate);

}  // namespace kg
