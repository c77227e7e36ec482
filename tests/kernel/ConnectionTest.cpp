// The device connection against the gadget keyboard: the reports arrive at the device with
// their exact bytes, and the cable pulled and plugged in again (the UDC unbound and bound) is
// seen through the real udev monitor.

#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "lighting/ConnectionHost.h"
#include "lighting/DeviceConnection.h"
#include "lighting/LightingReports.h"
#include "platform/DeviceNotifier.h"
#include "settings/EffectStore.h"
#include "settings/SideLightStore.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"
#include "tests/kernel/UhidDevice.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TestFiles.h"

namespace {

using kgtest::Bytes;
using platform::DeviceChange;

const kg::UsbIdentity kShipped{0x258A, 0x0049, 1, 2};
constexpr int kReportWait_ms = 2000;

class RecordingHost final : public kg::IConnectionHost {
public:
    void showMessage(const std::wstring& text, const std::wstring&) override {
        calls.push_back(L"message " + text);
    }
    void setVersionText(const std::wstring& text) override { calls.push_back(L"version " + text); }
    std::wstring translate(const std::wstring& text) override { return text; }
    void closeWindow() override { calls.push_back(L"close"); }
    void showStoresInPanels() override {}
    void refreshKeyMarks() override {}

    bool called(const std::wstring& what) const {
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }
    std::vector<std::wstring> calls;
};

// The system's notifier handing every change to the connection, pumped by the test as the UI
// loop would.
class NotifierPump {
public:
    explicit NotifierPump(kg::DeviceConnection& connection)
        : m_notifier(platform::createSystemDeviceNotifier()) {
        m_started =
            m_notifier->start([this, &connection](DeviceChange change, const std::wstring& path) {
                changes.push_back({change, path});
                connection.OnDeviceChange(change, path);
            });
    }
    bool started() const { return m_started; }

    // Dispatches until `done` holds or the limit passes.
    template <typename Done>
    bool pumpUntil(Done done, int limit_ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            pollfd ready{m_notifier->pollFd(), POLLIN, 0};
            if (::poll(&ready, 1, 20) > 0) {
                m_notifier->dispatch();
            }
        }
        return true;
    }

    bool saw(DeviceChange change, const std::wstring& fragment) const {
        for (const auto& [c, path] : changes) {
            if (c == change && path.find(fragment) != std::wstring::npos) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::pair<DeviceChange, std::wstring>> changes;

private:
    std::unique_ptr<platform::DeviceNotifier> m_notifier;
    bool m_started = false;
};

class GadgetConnection : public testing::Test {
protected:
    void SetUp() override {
        m_sides.load((m_dir.path() / "sidemodel.xml").wstring());
        m_effects.load((m_dir.path() / "ledeffect.xml").wstring());
    }

    kgtest::TempFolder m_dir;
    EffectStore m_effects;
    SideLightStore m_sides;
    kg::ManualClock m_clock;
    RecordingHost m_host;
};

Bytes bytes(const kg::Report& report) {
    return Bytes(report.begin(), report.end());
}

TEST_F(GadgetConnection, ReportsArriveAtTheDeviceWithTheirBytes) {
    KG_REQUIRE_GADGET(gadget);
    kg::DeviceConnection connection(platform::systemHidBackend(), m_host, m_effects, m_sides,
                                    kShipped, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    EXPECT_FALSE(m_host.called(L"close"));
    // The firmware request goes out at start.
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), (Bytes{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));

    connection.commands().SendEffectCommand(5);  // device effect 6
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), (Bytes{0x07, 0xF7, 0x06, 0, 0, 0, 0, 0}));
    connection.commands().SendSideLightCommand(3);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms),
              bytes(kg::SideLightReport(static_cast<std::uint8_t>(m_sides.record(3)->level()), 3)));

    // The worker's start-up report, two (clock) seconds after the start.
    *m_effects.record(0) = EffectRecord{3, 2, 1, 3};
    connection.commands().publishStartupRecord();
    ASSERT_TRUE(m_clock.waitForSleepers(1, std::chrono::seconds(5)));
    m_clock.advance(kg::DeviceConnection::kStartupEffectDelay_ms);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms),
              (Bytes{0x07, 0xF7, 0x00, 0x00, 0x03, 0x02, 0x01, 0x03}));
    connection.StopWorker();

    // The factory reset's two output reports.
    EXPECT_EQ(connection.device().Write(kg::FactoryResetReport().data()), 8u);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), bytes(kg::FactoryResetReport()));
    EXPECT_EQ(connection.device().Write(kg::EffectResetReport().data()), 8u);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), bytes(kg::EffectResetReport()));
    EXPECT_FALSE(gadget.readVendorReport(200)) << "nothing else goes to the keyboard";
}

TEST_F(GadgetConnection, FactoryResetRestartIsFollowedThroughRemovalAndArrival) {
    KG_REQUIRE_GADGET(gadget);
    kg::DeviceConnection connection(platform::systemHidBackend(), m_host, m_effects, m_sides,
                                    kShipped, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    NotifierPump pump(connection);
    ASSERT_TRUE(pump.started());
    gadget.drain();

    connection.setFactoryResetPending(true);
    ASSERT_EQ(connection.device().Write(kg::FactoryResetReport().data()), 8u);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), bytes(kg::FactoryResetReport()));

    // The keyboard restarts: gone, then back.
    ASSERT_TRUE(gadget.unplug());
    ASSERT_TRUE(pump.pumpUntil([&] { return !connection.keyboardConnected(); }));
    EXPECT_FALSE(m_host.called(L"close")) << "a removal during the reset keeps the program";
    ASSERT_TRUE(gadget.plug());
    ASSERT_TRUE(pump.pumpUntil([&] { return connection.keyboardConnected(); }));
    EXPECT_TRUE(pump.saw(DeviceChange::Arrival, L"&mi_01&col02#"));
    EXPECT_FALSE(connection.factoryResetPending());
    // Re-opened on arrival, it asks the firmware version again.
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), (Bytes{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));

    // A second pull-out ends the program.
    ASSERT_TRUE(gadget.unplug());
    EXPECT_TRUE(pump.pumpUntil([&] { return m_host.called(L"close"); }));
    connection.StopWorker();
    ASSERT_TRUE(gadget.plug());
}

// The firmware version through the real GET_FEATURE of the USB keyboard. The 6.12 gadget
// answers with what it was given (the firmware's answer); 6.1's cannot be given an answer and
// sends zeros, which read as an early firmware.
TEST_F(GadgetConnection, FirmwareVersionIsReadThroughTheGadgetsGetFeature) {
    KG_REQUIRE_GADGET(gadget);
    const bool answers = kgtest::kernelAtLeast(6, 12);
    ASSERT_EQ(gadget.answersFeatures(), answers);
    kg::DeviceConnection connection(platform::systemHidBackend(), m_host, m_effects, m_sides,
                                    kShipped, m_clock);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(connection.StartConnection());
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), (Bytes{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));
    if (!answers) {
        EXPECT_EQ(connection.firmwareVersion(), 0);
        EXPECT_TRUE(m_host.called(L"version Firmware: Early version"));
        connection.StopWorker();
        return;
    }
    ASSERT_EQ(gadget.kFirmwareAnswer[1], 0x01);
    ASSERT_EQ(gadget.kFirmwareAnswer[2], 0x05);
    EXPECT_EQ(connection.firmwareVersion(), 0x0105);
    EXPECT_TRUE(m_host.called(L"version Firmware: v1.5"));
    std::printf("the gadget answered GET_FEATURE: connected within %lld ms\n",
                static_cast<long long>(took));

    // Another firmware, asked again.
    ASSERT_TRUE(gadget.setFeatureAnswer({0x07, 0x02, 0x10, 0, 0, 0, 0, 0}));
    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0210);
    EXPECT_EQ(gadget.readVendorReport(kReportWait_ms), (Bytes{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(gadget.setFeatureAnswer(gadget.kFirmwareAnswer));
    connection.StopWorker();
}

// Where the firmware's answers matter on 6.1 as well, a uhid device plays it. Without a USB
// parent its paths carry no interface number.
TEST_F(GadgetConnection, FirmwareVersionIsReadFromTheDevicesAnswer) {
    KG_REQUIRE_GUEST();
    const Bytes descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07,
                              0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07,
                              0x09, 0x01, 0xB1, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
    kgtest::UhidDevice device;
    std::string error;
    ASSERT_TRUE(device.create(descriptor, 0x1A2C, 0x0002, 0x0101, error)) << error;
    device.setFeatureAnswer({0x07, 0x01, 0x02, 0, 0, 0, 0, 0});
    kg::DeviceConnection connection(platform::systemHidBackend(), m_host, m_effects, m_sides,
                                    kg::UsbIdentity{0x1A2C, 0x0002, -1, -1}, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    EXPECT_EQ(connection.firmwareVersion(), 0x0102);
    EXPECT_TRUE(m_host.called(L"version Firmware: v1.2"));
    ASSERT_TRUE(device.waitForReports(1, kReportWait_ms));
    EXPECT_EQ(device.received()[0], (Bytes{0x07, 0xFC, 0, 0, 0, 0, 0, 0}));

    // A refused GET_FEATURE leaves the version as it was.
    device.setFeatureAnswer({});
    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0102);
    connection.StopWorker();
}

}  // namespace
