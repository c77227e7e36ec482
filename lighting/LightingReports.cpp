#include "lighting/LightingReports.h"

namespace kg {

std::uint8_t DeviceEffectNumber(int effectIndex) {
    auto number = static_cast<std::uint8_t>(effectIndex & 0xFF);
    switch (number) {
        case 4:
            return 5;
        case 5:
            return 6;
        case 6:
            return 7;
        default:
            return number;
    }
}

Report EffectSelectReport(int effectIndex) {
    return {kReportId, kCommandEffect, DeviceEffectNumber(effectIndex), 0, 0, 0, 0, 0};
}

Report StartupEffectReport(const std::array<std::uint8_t, 4>& recordBytes) {
    return {kReportId,      kCommandEffect, 0, 0, recordBytes[0], recordBytes[1],
            recordBytes[2], recordBytes[3]};
}

Report SideLightReport(std::uint8_t level, int sideIndex) {
    auto byte6 = static_cast<std::uint8_t>(((level & 0x0F) << 4) | (sideIndex & 0x0F));
    return {kReportId, kCommandSideLight, 0xFF, 0x20, 0, 0, byte6, 0};
}

Report FirmwareRequestReport() {
    return {kReportId, kCommandFirmware, 0, 0, 0, 0, 0, 0};
}

Report FactoryResetReport() {
    return {kReportId, kCommandFactoryReset, 0xAA, 0, 0, 0, 0, 0};
}

Report EffectResetReport() {
    return {kReportId, kCommandEffect, 0, 0, 0, 0, 0, 0};
}

int FirmwareVersionFromReply(const Report& reply) {
    return static_cast<int>(reply[1]) * 256 + static_cast<int>(reply[2]);
}

std::wstring FirmwareVersionText(int firmwareVersion, const Translate& translate) {
    auto tr = [&](const wchar_t* text) { return translate ? translate(text) : std::wstring(text); };
    if (firmwareVersion == -1) {
        return {};
    }
    if (firmwareVersion == 0) {
        return tr(L"Firmware") + tr(L": ") + tr(L"Early version");
    }
    return tr(L"Firmware") + L": v" + std::to_wstring(firmwareVersion >> 8) + L"." +
           std::to_wstring(firmwareVersion & 0xFF);
}

}  // namespace kg
