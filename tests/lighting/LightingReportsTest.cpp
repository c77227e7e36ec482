#include "lighting/LightingReports.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kg::Report;

struct EffectCase {
    const char* name;
    int effectIndex;
    Report expected;
};

class EffectSelect : public testing::TestWithParam<EffectCase> {};

TEST_P(EffectSelect, CarriesTheDeviceEffectNumberAndNoParameters) {
    EXPECT_EQ(kg::EffectSelectReport(GetParam().effectIndex), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Indices, EffectSelect,
    testing::Values(EffectCase{"Zero", 0, {0x07, 0xF7, 0x00, 0, 0, 0, 0, 0}},
                    EffectCase{"Three", 3, {0x07, 0xF7, 0x03, 0, 0, 0, 0, 0}},
                    EffectCase{"FourBecomesFive", 4, {0x07, 0xF7, 0x05, 0, 0, 0, 0, 0}},
                    EffectCase{"FiveBecomesSix", 5, {0x07, 0xF7, 0x06, 0, 0, 0, 0, 0}},
                    EffectCase{"SixBecomesSeven", 6, {0x07, 0xF7, 0x07, 0, 0, 0, 0, 0}},
                    EffectCase{"SevenStaysSeven", 7, {0x07, 0xF7, 0x07, 0, 0, 0, 0, 0}},
                    EffectCase{"Nineteen", 19, {0x07, 0xF7, 0x13, 0, 0, 0, 0, 0}},
                    EffectCase{"MinusOneSendsItsLowByte", -1, {0x07, 0xF7, 0xFF, 0, 0, 0, 0, 0}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(LightingReports, StartupEffectCarriesTheRecordInRecordOrder) {
    EXPECT_EQ(kg::StartupEffectReport({0x05, 0x01, 0x00, 0x01}),
              (Report{0x07, 0xF7, 0x00, 0x00, 0x05, 0x01, 0x00, 0x01}));
    EXPECT_EQ(kg::StartupEffectReport({0x03, 0x02, 0x01, 0x03}),
              (Report{0x07, 0xF7, 0x00, 0x00, 0x03, 0x02, 0x01, 0x03}));
}

struct SideCase {
    const char* name;
    std::uint8_t level;
    int sideIndex;
    std::uint8_t byte6;
};

class SideLight : public testing::TestWithParam<SideCase> {};

TEST_P(SideLight, PacksLevelAndSideEffect) {
    const SideCase& c = GetParam();
    EXPECT_EQ(kg::SideLightReport(c.level, c.sideIndex),
              (Report{0x07, 0xFF, 0xFF, 0x20, 0x00, 0x00, c.byte6, 0x00}));
}

INSTANTIATE_TEST_SUITE_P(Values, SideLight,
                         testing::Values(SideCase{"IndexThreeLevelSeven", 7, 3, 0x73},
                                         SideCase{"IndexZeroLevelFour", 4, 0, 0x40},
                                         SideCase{"IndexElevenLevelZero", 0, 11, 0x0B},
                                         SideCase{"MinusOneFillsTheLowNibble", 5, -1, 0x5F}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(LightingReports, FixedReports) {
    EXPECT_EQ(kg::FirmwareRequestReport(), (Report{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(kg::FactoryResetReport(), (Report{0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0}));
    EXPECT_EQ(kg::EffectResetReport(), (Report{0x07, 0xF7, 0, 0, 0, 0, 0, 0}));
}

TEST(LightingReports, FirmwareReplyBytesAreUnsigned) {
    EXPECT_EQ(kg::FirmwareVersionFromReply({0x07, 0x01, 0x00, 0, 0, 0, 0, 0}), 0x0100);
    EXPECT_EQ(kg::FirmwareVersionFromReply({0x07, 0x02, 0x85, 0, 0, 0, 0, 0}), 0x0285);
    EXPECT_EQ(kg::FirmwareVersionFromReply({0x07, 0xFF, 0xFF, 0, 0, 0, 0, 0}), 0xFFFF);
}

struct VersionCase {
    const char* name;
    int version;
    const wchar_t* english;
    const wchar_t* chinese;
};

class VersionText : public testing::TestWithParam<VersionCase> {};

std::wstring toChinese(const std::wstring& text) {
    if (text == L"Firmware") {
        return L"固件";
    }
    if (text == L": ") {
        return L"：";
    }
    if (text == L"Early version") {
        return L"早期版本";
    }
    return text;
}

TEST_P(VersionText, FormatsThroughTheTranslator) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(kg::FirmwareVersionText(c.version, [](const std::wstring& t) { return t; }),
              c.english);
    EXPECT_EQ(kg::FirmwareVersionText(c.version, toChinese), c.chinese);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionText,
    testing::Values(VersionCase{"Latest", 0x0100, L"Firmware: v1.0", L"固件: v1.0"},
                    VersionCase{"Early", 0, L"Firmware: Early version", L"固件：早期版本"},
                    VersionCase{"TwoPointHundredThirtyThree", 0x0285, L"Firmware: v2.133",
                                L"固件: v2.133"},
                    VersionCase{"NoVersionLeavesTheLabel", -1, L"", L""}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
