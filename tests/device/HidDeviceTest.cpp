#include "device/HidDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/NamedGuard.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "tests/support/LogCapture.h"

namespace {

using platform::EmulatedKeyboard;
using Op = EmulatedKeyboard::Operation;

// The keyboard as the shipped config.xml names it: vid="258A" pid="0049" interface="1"
// subdevice="2".
constexpr std::int32_t kConfigVendor = 0x258A;
constexpr std::int32_t kConfigProduct = 0x0049;
constexpr std::int32_t kConfigInterface = 1;
constexpr std::int32_t kConfigSubdevice = 2;

bool openConfigured(HidDevice& device, std::uint16_t* version = nullptr) {
    return device.OpenFirstMatch(kConfigVendor, &kConfigProduct, 1, kConfigInterface,
                                 kConfigSubdevice, version, HidDevice::kDefaultAccess);
}

std::vector<std::uint8_t> report(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out(8, 0);
    std::size_t i = 0;
    for (int v : values) {
        out[i++] = static_cast<std::uint8_t>(v);
    }
    return out;
}

class HidDeviceTest : public testing::Test {
protected:
    LogCapture m_trace;
    EmulatedKeyboard m_keyboard{EmulatedKeyboard::Options{}};
};

TEST_F(HidDeviceTest, OpensTheConfiguredKeyboardAndReadsItsFirmwareVersion) {
    HidDevice device(m_keyboard);
    std::uint16_t version = 0;
    ASSERT_TRUE(openConfigured(device, &version));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(version, 0x0100);
    EXPECT_EQ(device.caps().usagePage, 0xFF00);
    EXPECT_EQ(device.caps().outputReportByteLength, 8);

    std::vector<std::uint8_t> buffer = report({0x07, 0xFC});
    ASSERT_TRUE(device.SetFeature(buffer.data()));
    ASSERT_TRUE(device.GetFeature(buffer.data()));
    EXPECT_EQ(buffer, report({0x07, 0x01, 0x00}));

    const std::vector<EmulatedKeyboard::Report> seen = m_keyboard.reports();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, EmulatedKeyboard::ReportKind::SetFeature);
    EXPECT_EQ(seen[0].interfaceIndex, EmulatedKeyboard::kVendorCollection);
    EXPECT_EQ(seen[0].bytes, report({0x07, 0xFC}));
    EXPECT_EQ(seen[1].kind, EmulatedKeyboard::ReportKind::GetFeature);
}

struct EnvironmentCase {
    const char* name;
    const char* firmware;  // KEYGLOW_EMULATOR_FIRMWARE, null when unset
    std::uint16_t expected;
};

class EmulatorFirmwareTest : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(EmulatorFirmwareTest, AnswersWithTheVersionFromTheEnvironment) {
    LogCapture trace;
    const char* firmware = GetParam().firmware;
    EmulatedKeyboard keyboard(
        EmulatedKeyboard::Options::fromEnvironment([firmware](const char* name) -> const char* {
            return std::string(name) == "KEYGLOW_EMULATOR_FIRMWARE" ? firmware : nullptr;
        }));
    HidDevice device(keyboard);
    ASSERT_TRUE(openConfigured(device));
    std::vector<std::uint8_t> buffer = report({0x07, 0xFC});
    ASSERT_TRUE(device.SetFeature(buffer.data()));
    ASSERT_TRUE(device.GetFeature(buffer.data()));
    EXPECT_EQ(buffer[1], GetParam().expected >> 8);
    EXPECT_EQ(buffer[2], GetParam().expected & 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Firmware, EmulatorFirmwareTest,
                         testing::Values(EnvironmentCase{"Unset", nullptr, 0x0100},
                                         EnvironmentCase{"Hex", "0x0285", 0x0285},
                                         EnvironmentCase{"Decimal", "257", 0x0101},
                                         EnvironmentCase{"EarlyFirmware", "0", 0x0000},
                                         EnvironmentCase{"Unreadable", "v2", 0x0100},
                                         EnvironmentCase{"TooLarge", "0x10000", 0x0100}),
                         [](const testing::TestParamInfo<EnvironmentCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(HidDeviceTest, OpenFirstMatchOpensTheFirstOfSeveralMatches) {
    HidDevice device(m_keyboard);
    std::uint16_t version = 0;
    ASSERT_TRUE(device.OpenFirstMatch(kConfigVendor, &kConfigProduct, 1, 1, -1, &version,
                                      HidDevice::kDefaultAccess));
    EXPECT_EQ(device.caps().usagePage, 0x000C);  // col01 comes before col02
    EXPECT_EQ(version, 0x0100);
}

TEST_F(HidDeviceTest, OpenFirstMatchWithoutAMatchFails) {
    HidDevice device(m_keyboard);
    std::uint16_t version = 0xBEEF;
    EXPECT_FALSE(device.OpenFirstMatch(kConfigVendor, &kConfigProduct, 1, 3, -1, &version,
                                       HidDevice::kDefaultAccess));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(version, 0xBEEF);
}

TEST_F(HidDeviceTest, NullPathFailsAndLeavesTheOpenHandle) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    EXPECT_FALSE(device.Open(HidDevice::kDefaultAccess, nullptr));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xF7, 0x03}).data()));
}

TEST_F(HidDeviceTest, OpenOnAnOpenObjectClosesTheOldHandle) {
    HidDevice device(m_keyboard);
    const std::wstring vendor = m_keyboard.path(EmulatedKeyboard::kVendorCollection);
    const std::wstring consumer = m_keyboard.path(EmulatedKeyboard::kConsumerControl);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, vendor.c_str()));
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, consumer.c_str()));
    EXPECT_EQ(m_keyboard.openHandleCount(), 1u);
    EXPECT_EQ(device.caps().usagePage, 0x000C);
}

TEST_F(HidDeviceTest, FailedOpenLeavesTheObjectClosed) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.failCalls(Op::Open, 1);
    const std::wstring vendor = m_keyboard.path(EmulatedKeyboard::kVendorCollection);
    EXPECT_FALSE(device.Open(HidDevice::kDefaultAccess, vendor.c_str()));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(m_keyboard.openHandleCount(), 0u);
    EXPECT_TRUE(m_trace.contains("open dev: ffffffff\n"));
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(device.Open(HidDevice::kDefaultAccess, vendor.c_str()));
}

TEST_F(HidDeviceTest, UnreadableCapabilitiesDoNotFailTheOpen) {
    HidDevice device(m_keyboard);
    m_keyboard.failCalls(Op::GetCaps, 1);
    const std::wstring vendor = m_keyboard.path(EmulatedKeyboard::kVendorCollection);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, vendor.c_str()));
    EXPECT_EQ(device.caps().outputReportByteLength, 0);
    // Without a known output length the whole report goes out.
    EXPECT_EQ(device.Write(report({0x07, 0xF7}).data()), 8u);
}

TEST_F(HidDeviceTest, CloseReleasesTheHandle) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(m_keyboard.openHandleCount(), 0u);
}

TEST_F(HidDeviceTest, FailedCloseKeepsTheHandle) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.failCalls(Op::Close, 1);
    device.Close();
    EXPECT_TRUE(device.IsOpen());
}

struct LengthCase {
    const char* name;
    std::uint16_t outputLength;
    std::uint32_t expectedWritten;
};

class HidDeviceWriteLengthTest : public HidDeviceTest,
                                 public testing::WithParamInterface<LengthCase> {};

// A write never exceeds the interface's output report; longer reports still get 8 bytes.
TEST_P(HidDeviceWriteLengthTest, WritesAtMostTheOutputReportLength) {
    m_keyboard.setCaps(EmulatedKeyboard::kVendorCollection,
                       {0x0001, 0xFF00, 0, GetParam().outputLength, 8});
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    const std::vector<std::uint8_t> effect = report({0x07, 0xF7, 0x00, 0x00, 1, 2, 3, 4});
    EXPECT_EQ(device.Write(effect.data()), GetParam().expectedWritten);
    const std::vector<EmulatedKeyboard::Report> seen = m_keyboard.reports();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].bytes, std::vector<std::uint8_t>(
                                 effect.begin(), effect.begin() + GetParam().expectedWritten));
    EXPECT_TRUE(
        m_trace.contains("正在写入... " + std::to_string(GetParam().expectedWritten) + "\n"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, HidDeviceWriteLengthTest,
                         testing::Values(LengthCase{"Four", 4, 4}, LengthCase{"Eight", 8, 8},
                                         LengthCase{"Nine", 9, 8}, LengthCase{"SixtyFive", 65, 8}),
                         [](const testing::TestParamInfo<LengthCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(HidDeviceTest, WriteWaitsAtMost3000Milliseconds) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    EXPECT_EQ(device.Write(report({0x07, 0xF0, 0xAA}).data()), 8u);
    EXPECT_EQ(m_keyboard.lastWriteTimeout_ms(), 3000u);
    EXPECT_TRUE(m_trace.contains("已写长度为 8\n"));
}

// The time limit is shortened here; the driver sees the limit it is given, as above.
TEST_F(HidDeviceTest, StalledWriteIsCancelledAtTheLimitAndTheDeviceWorksAfterwards) {
    HidDevice device(m_keyboard, true, 50);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.stallWrites(true);
    EXPECT_EQ(device.Write(report({0x07, 0xF7, 0x01}).data()), 0u);
    EXPECT_EQ(m_keyboard.writesPending(), 0) << "a transfer was left in flight";
    EXPECT_EQ(m_trace.count("写文件错误(", ",997)\n"), 1);
    EXPECT_TRUE(m_trace.contains("超时索引错误\n"));
    EXPECT_TRUE(m_trace.contains("已写长度为 0\n"));

    m_keyboard.stallWrites(false);
    EXPECT_EQ(device.Write(report({0x07, 0xF7, 0x02}).data()), 8u);
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xF7, 0x03}).data()));

    const std::vector<EmulatedKeyboard::Report> seen = m_keyboard.reports();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].completed);
    EXPECT_TRUE(seen[1].completed);
    EXPECT_EQ(seen[1].bytes, report({0x07, 0xF7, 0x02}));
}

TEST_F(HidDeviceTest, PendingWriteThatFinishesInTimeCounts) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.stallWrites(true);
    std::thread releaser([this] {
        while (m_keyboard.writesPending() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_keyboard.stallWrites(false);
    });
    EXPECT_EQ(device.Write(report({0x07, 0xF7, 0x01}).data()), 8u);
    releaser.join();
    EXPECT_EQ(m_trace.count("写文件错误(", ",997)\n"), 1);
    EXPECT_EQ(m_trace.count("asynchronous write succeed : "), 1);
}

TEST_F(HidDeviceTest, FailedWriteReturnsZero) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.failCalls(Op::Write, 1);
    EXPECT_EQ(device.Write(report({0x07, 0xF7}).data()), 0u);
    // An error other than a pending transfer is traced twice.
    EXPECT_EQ(m_trace.count("写文件错误(", ",31)\n"), 2);
}

TEST_F(HidDeviceTest, FailedFeatureCallsReturnFalse) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.failCalls(Op::SetFeature, 1);
    m_keyboard.failCalls(Op::GetFeature, 1);
    std::vector<std::uint8_t> buffer = report({0x07, 0xFC});
    EXPECT_FALSE(device.SetFeature(buffer.data()));
    EXPECT_FALSE(device.GetFeature(buffer.data()));
    EXPECT_TRUE(device.SetFeature(buffer.data()));
}

struct ClosedCase {
    const char* name;
    bool open;  // an open device with a null buffer
    std::function<bool(HidDevice&)> call;
    Op driverCall;
};

class HidDeviceClosedTest : public HidDeviceTest, public testing::WithParamInterface<ClosedCase> {};

// Without a handle or a buffer the operations fail without reaching the driver.
TEST_P(HidDeviceClosedTest, FailsWithoutADriverCall) {
    HidDevice device(m_keyboard);
    if (GetParam().open) {
        ASSERT_TRUE(openConfigured(device));
    }
    EXPECT_FALSE(GetParam().call(device));
    EXPECT_EQ(m_keyboard.callCount(GetParam().driverCall), 0);
}

std::uint8_t gBuffer[8] = {0x07, 0xFC};

INSTANTIATE_TEST_SUITE_P(
    Calls, HidDeviceClosedTest,
    testing::Values(ClosedCase{"WriteClosed", false,
                               [](HidDevice& d) { return d.Write(gBuffer) != 0; }, Op::Write},
                    ClosedCase{"GetFeatureClosed", false,
                               [](HidDevice& d) { return d.GetFeature(gBuffer); }, Op::GetFeature},
                    ClosedCase{"SetFeatureClosed", false,
                               [](HidDevice& d) { return d.SetFeature(gBuffer); }, Op::SetFeature},
                    ClosedCase{"CloseClosed", false,
                               [](HidDevice& d) {
                                   d.Close();
                                   return d.IsOpen();
                               },
                               Op::Close},
                    ClosedCase{"WriteNullBuffer", true,
                               [](HidDevice& d) { return d.Write(nullptr) != 0; }, Op::Write},
                    ClosedCase{"GetFeatureNullBuffer", true,
                               [](HidDevice& d) { return d.GetFeature(nullptr); }, Op::GetFeature},
                    ClosedCase{"SetFeatureNullBuffer", true,
                               [](HidDevice& d) { return d.SetFeature(nullptr); }, Op::SetFeature}),
    [](const testing::TestParamInfo<ClosedCase>& param) { return std::string(param.param.name); });

TEST_F(HidDeviceTest, NestedOpenUnderTheHeldGuardDoesNotBlock) {
    HidDevice device(m_keyboard);
    platform::NamedGuard held("HidDevice::Open");
    EXPECT_TRUE(openConfigured(device));
}

TEST_F(HidDeviceTest, OpenOnAnotherThreadWaitsForTheGuard) {
    HidDevice device(m_keyboard);
    std::atomic<bool> opened{false};
    std::thread other;
    {
        platform::NamedGuard held("HidDevice::Open");
        other = std::thread([&] { opened = openConfigured(device); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(opened);
        EXPECT_EQ(m_keyboard.callCount(Op::Enumerate), 0);
    }
    other.join();
    EXPECT_TRUE(opened);
}

TEST_F(HidDeviceTest, UnpluggedKeyboardRefusesReportsUntilReopened) {
    HidDevice device(m_keyboard);
    ASSERT_TRUE(openConfigured(device));
    m_keyboard.unplug();
    EXPECT_FALSE(device.SetFeature(report({0x07, 0xF7}).data()));
    EXPECT_EQ(device.Write(report({0x07, 0xF7}).data()), 0u);
    m_keyboard.plug();
    EXPECT_FALSE(device.SetFeature(report({0x07, 0xF7}).data())) << "the old handle is gone";
    const std::wstring vendor = m_keyboard.path(EmulatedKeyboard::kVendorCollection);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, vendor.c_str()));
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xF7}).data()));
}

}  // namespace
