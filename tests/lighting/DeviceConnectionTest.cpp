#include "lighting/DeviceConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lighting/ConnectionHost.h"
#include "lighting/LightingReports.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/EmulatorDeviceNotifier.h"
#include "settings/EffectStore.h"
#include "settings/SideLightStore.h"
#include "tests/support/ManualClock.h"

namespace {

using namespace std::chrono_literals;
using platform::DeviceChange;
using platform::EmulatedKeyboard;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kHangGuard = 10s;

const kg::UsbIdentity kKeyboard{EmulatedKeyboard::kVendorId, EmulatedKeyboard::kProductId, 1, 2};

// Answers for the main window and remembers what the connection asked of it, in order.
class RecordingHost final : public kg::IConnectionHost {
public:
    void showMessage(const std::wstring& text, const std::wstring& caption) override {
        calls.push_back(L"message " + text + L" | " + caption);
    }
    void setVersionText(const std::wstring& text) override {
        calls.push_back(L"version " + text);
        versionLabel = text;
    }
    std::wstring translate(const std::wstring& text) override { return text; }
    void closeWindow() override { calls.push_back(L"close"); }
    void showStoresInPanels() override { calls.push_back(L"panels"); }
    void refreshKeyMarks() override { calls.push_back(L"marks"); }

    std::vector<std::wstring> calls;
    std::wstring versionLabel;
};

// Passes everything to the emulated keyboard and notes the thread of each feature report sent.
class ThreadNotingBackend final : public platform::HidBackend {
public:
    explicit ThreadNotingBackend(EmulatedKeyboard& keyboard) : m_keyboard(keyboard) {}

    struct Sent {
        Bytes bytes;
        std::thread::id thread;
    };

    bool enumerateInterfaces(const platform::Guid& g,
                             std::vector<platform::HidInterfaceEntry>& out) override {
        return m_keyboard.enumerateInterfaces(g, out);
    }
    platform::HidHandle open(const std::wstring& path, std::uint32_t access, std::uint32_t share,
                             bool overlapped) override {
        return m_keyboard.open(path, access, share, overlapped);
    }
    bool close(platform::HidHandle h) override { return m_keyboard.close(h); }
    bool getAttributes(platform::HidHandle h, platform::HidAttributes& out) override {
        return m_keyboard.getAttributes(h, out);
    }
    bool getCaps(platform::HidHandle h, platform::HidCaps& out) override {
        return m_keyboard.getCaps(h, out);
    }
    platform::WriteResult write(platform::HidHandle h, const std::uint8_t* data,
                                std::uint32_t length, std::uint32_t timeout_ms) override {
        return m_keyboard.write(h, data, length, timeout_ms);
    }
    bool getFeature(platform::HidHandle h, std::uint8_t* buffer, std::uint32_t length) override {
        return m_keyboard.getFeature(h, buffer, length);
    }
    bool setFeature(platform::HidHandle h, const std::uint8_t* buffer,
                    std::uint32_t length) override {
        bool ok = m_keyboard.setFeature(h, buffer, length);
        std::lock_guard lock(m_mutex);
        m_sent.push_back({Bytes(buffer, buffer + length), std::this_thread::get_id()});
        return ok;
    }

    std::vector<Sent> sent() const {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

private:
    EmulatedKeyboard& m_keyboard;
    mutable std::mutex m_mutex;
    std::vector<Sent> m_sent;
};

Bytes bytesOf(const kg::Report& report) {
    return Bytes(report.begin(), report.end());
}

// The feature reports the keyboard accepted, oldest first.
std::vector<Bytes> featureReports(const EmulatedKeyboard& keyboard) {
    std::vector<Bytes> out;
    for (const auto& report : keyboard.reports()) {
        if (report.kind == EmulatedKeyboard::ReportKind::SetFeature) {
            out.push_back(report.bytes);
        }
    }
    return out;
}

template <typename Condition>
bool waitUntil(Condition condition) {
    auto end = std::chrono::steady_clock::now() + kHangGuard;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool waitForFeatureReports(const EmulatedKeyboard& keyboard, std::size_t count) {
    return waitUntil([&] { return featureReports(keyboard).size() >= count; });
}

class DeviceConnectionTest : public testing::Test {
protected:
    void SetUp() override {
        // A parameterised test's name holds a '/', which would leave its parent folder behind.
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("kg_connection_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + name);
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_sides.load((m_dir / "sidemodel.xml").wstring());
        m_effects.load((m_dir / "ledeffect.xml").wstring());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    static EmulatedKeyboard::Options options(std::uint16_t firmware = 0x0100) {
        EmulatedKeyboard::Options o;
        o.firmwareVersion = firmware;
        o.restartRemovalDelay = 10ms;
        o.restartArrivalDelay = 50ms;
        return o;
    }

    std::filesystem::path m_dir;
    EffectStore m_effects;
    SideLightStore m_sides;
    kg::ManualClock m_clock;
    RecordingHost m_host;
};

TEST_F(DeviceConnectionTest, StartReadsTheVersionAndSendsRecordZeroFromTheWorkerTwoSecondsLater) {
    *m_effects.record(0) = EffectRecord{3, 2, 1, 3};
    EmulatedKeyboard keyboard(options());
    ThreadNotingBackend backend(keyboard);
    kg::DeviceConnection connection(backend, m_host, m_effects, m_sides, kKeyboard, m_clock);

    ASSERT_TRUE(connection.StartConnection());
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
    EXPECT_EQ(m_host.calls,
              (std::vector<std::wstring>{L"version Firmware: v1.0", L"marks", L"panels"}));
    EXPECT_TRUE(connection.worker().IsRunning());
    EXPECT_EQ(featureReports(keyboard), (std::vector<Bytes>{bytesOf(kg::FirmwareRequestReport())}));

    const Bytes startup{0x07, 0xF7, 0x00, 0x00, 0x03, 0x02, 0x01, 0x03};
    ASSERT_TRUE(m_clock.waitForSleepers(1, kHangGuard));
    m_clock.advance(1999);
    ASSERT_TRUE(m_clock.waitForSleepers(1, kHangGuard));
    EXPECT_EQ(featureReports(keyboard).size(), 1u);

    m_clock.advance(1);
    ASSERT_TRUE(waitForFeatureReports(keyboard, 2));
    EXPECT_EQ(featureReports(keyboard)[1], startup);
    // The keyboard takes the report before the backend notes its thread: wait for both.
    ASSERT_TRUE(waitUntil([&] { return backend.sent().size() >= 2; }));
    const auto sent = backend.sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].thread, std::this_thread::get_id());

    // It goes out once.
    m_clock.advance(10'000);
    connection.StopWorker();
    EXPECT_EQ(featureReports(keyboard).size(), 2u);
    EXPECT_FALSE(connection.worker().IsRunning());
    EXPECT_TRUE(connection.keyboardConnected());  // the device stays open
}

TEST_F(DeviceConnectionTest, StartupEffectCarriesRecordZeroAsChangedAfterTheStart) {
    EmulatedKeyboard keyboard(options());
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    ASSERT_TRUE(m_clock.waitForSleepers(1, kHangGuard));

    // The panel changes effect 0 on the UI thread and sends it, a second before the worker's
    // report is due.
    m_clock.advance(1000);
    m_effects.setCurrentIndex(0);
    *m_effects.record(0) = EffectRecord{1, 0, 0, 1};
    connection.commands().SendEffectCommand(0);
    m_clock.advance(1000);
    ASSERT_TRUE(waitForFeatureReports(keyboard, 3));
    connection.StopWorker();

    const auto reports = featureReports(keyboard);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[1], (Bytes{0x07, 0xF7, 0x00, 0, 0, 0, 0, 0}));
    EXPECT_EQ(reports[2], (Bytes{0x07, 0xF7, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01}));
}

TEST_F(DeviceConnectionTest, StartWithoutKeyboardTellsTheUserAndNeverStartsTheWorker) {
    EmulatedKeyboard keyboard(options());
    keyboard.unplug();
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);

    EXPECT_FALSE(connection.StartConnection());
    EXPECT_EQ(m_host.calls, (std::vector<std::wstring>{
                                L"message Please insert USB device! | Warning", L"close"}));
    EXPECT_FALSE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), -1);
    EXPECT_FALSE(connection.worker().IsRunning());
    m_clock.advance(5000);
    EXPECT_TRUE(keyboard.reports().empty());
}

struct FirmwareCase {
    const char* name;
    std::uint16_t firmware;
    int version;
    const wchar_t* label;
};

class FirmwareReply : public DeviceConnectionTest,
                      public testing::WithParamInterface<FirmwareCase> {};

TEST_P(FirmwareReply, IsShownInTheLabel) {
    EmulatedKeyboard keyboard(options(GetParam().firmware));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    EXPECT_EQ(connection.firmwareVersion(), GetParam().version);
    EXPECT_EQ(m_host.versionLabel, GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FirmwareReply,
    testing::Values(FirmwareCase{"OneZero", 0x0100, 0x0100, L"Firmware: v1.0"},
                    FirmwareCase{"ZeroZero", 0x0000, 0, L"Firmware: Early version"},
                    FirmwareCase{"TwoEightyFive", 0x0285, 0x0285, L"Firmware: v2.133"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(DeviceConnectionTest, FirmwareQueryOnAClosedDeviceChangesNothing) {
    EmulatedKeyboard keyboard(options(0x0100));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    connection.device().Close();
    keyboard.setFirmwareVersion(0x0285);
    const std::size_t before = keyboard.reports().size();

    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
    EXPECT_EQ(keyboard.reports().size(), before);
}

TEST_F(DeviceConnectionTest, FailedFirmwareRequestKeepsTheVersion) {
    EmulatedKeyboard keyboard(options(0x0100));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    keyboard.setFirmwareVersion(0x0285);

    keyboard.failCalls(EmulatedKeyboard::Operation::GetFeature, 1);
    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
    keyboard.failCalls(EmulatedKeyboard::Operation::SetFeature, 1);
    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
    connection.commands().QueryFirmwareVersion();
    EXPECT_EQ(connection.firmwareVersion(), 0x0285);
}

struct PathCase {
    const char* name;
    const wchar_t* path;
};

class UnrelatedArrival : public DeviceConnectionTest,
                         public testing::WithParamInterface<PathCase> {};

TEST_P(UnrelatedArrival, IsIgnored) {
    EmulatedKeyboard keyboard(options());
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    m_host.calls.clear();
    const int opens = keyboard.callCount(EmulatedKeyboard::Operation::Open);

    connection.OnDeviceChange(DeviceChange::Arrival, GetParam().path);
    connection.OnDeviceChange(DeviceChange::RemoveComplete, GetParam().path);
    EXPECT_EQ(keyboard.callCount(EmulatedKeyboard::Operation::Open), opens);
    EXPECT_TRUE(m_host.calls.empty());
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UnrelatedArrival,
    testing::Values(
        PathCase{
            "UsbStorageVolume",
            L"\\\\?\\usb#vid_258a&pid_0049#0123456789&0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"},
        PathCase{"OtherVendor",
                 L"\\\\?\\hid#vid_046d&pid_c52b&mi_01&col02#8&1a2b3c4d&0&0001#{4d1e55b2-f16f-11cf-"
                 L"88cb-001111000030}"},
        PathCase{"OtherInterfaceOfTheKeyboard",
                 L"\\\\?\\hid#vid_258a&pid_0049&mi_00#7&2a5b1c3d&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                 L"001111000030}"},
        PathCase{"OtherCollectionOfTheKeyboard",
                 L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col01#7&1b2c3d4e&0&0000#{4d1e55b2-f16f-11cf-"
                 L"88cb-001111000030}"},
        PathCase{"NoPath", nullptr}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(DeviceConnectionTest, ArrivalWithoutInterfaceFieldConcernsTheKeyboard) {
    // A keyboard whose vendor collection path carries no mi field: the start-up search for
    // interface 1 does not find it, the arrival test lets the absent field pass.
    EmulatedKeyboard::Options o = options(0x0285);
    const std::wstring path =
        L"\\\\?\\hid#vid_258a&pid_0049&col02#7&1b2c3d4e&0&0001#{4d1e55b2-f16f-11cf-88cb-"
        L"001111000030}";
    o.interfaces[EmulatedKeyboard::kVendorCollection].path = path;
    EmulatedKeyboard keyboard(o);
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);

    EXPECT_FALSE(connection.StartConnection());
    m_host.calls.clear();
    connection.OnDeviceChange(DeviceChange::Arrival, path);
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), 0x0285);
    EXPECT_EQ(m_host.calls,
              (std::vector<std::wstring>{L"version Firmware: v2.133", L"panels", L"marks"}));
}

TEST_F(DeviceConnectionTest, FailedReopenOnArrivalForgetsTheVersionAndKeepsTheLabel) {
    EmulatedKeyboard keyboard(options());
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    m_host.calls.clear();

    keyboard.failCalls(EmulatedKeyboard::Operation::Open, 1);
    connection.OnDeviceChange(DeviceChange::Arrival,
                              keyboard.path(EmulatedKeyboard::kVendorCollection));
    EXPECT_FALSE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), -1);
    EXPECT_TRUE(m_host.calls.empty());
    EXPECT_EQ(m_host.versionLabel, L"Firmware: v1.0");
}

TEST_F(DeviceConnectionTest, RemovalDuringFactoryResetKeepsTheWindowUntilTheSecondRemoval) {
    EmulatedKeyboard keyboard(options());
    platform::EmulatorDeviceNotifier notifier(keyboard);
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    notifier.start([&](DeviceChange change, const std::wstring& path) {
        connection.OnDeviceChange(change, path);
    });
    ASSERT_TRUE(connection.StartConnection());
    connection.setFactoryResetPending(true);
    m_host.calls.clear();

    keyboard.unplug();
    ASSERT_TRUE(notifier.waitForPending(3, kHangGuard));
    notifier.dispatch();
    EXPECT_FALSE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), -1);
    EXPECT_TRUE(connection.factoryResetPending());
    EXPECT_TRUE(m_host.calls.empty());

    keyboard.setFirmwareVersion(0x0285);
    keyboard.plug();
    ASSERT_TRUE(notifier.waitForPending(3, kHangGuard));
    notifier.dispatch();
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), 0x0285);
    EXPECT_FALSE(connection.factoryResetPending());
    EXPECT_EQ(m_host.calls,
              (std::vector<std::wstring>{L"version Firmware: v2.133", L"panels", L"marks"}));

    m_host.calls.clear();
    keyboard.unplug();
    ASSERT_TRUE(notifier.waitForPending(3, kHangGuard));
    notifier.dispatch();
    EXPECT_EQ(m_host.calls, (std::vector<std::wstring>{L"close"}));
}

TEST_F(DeviceConnectionTest, RemovalWithoutFactoryResetEndsTheProgram) {
    EmulatedKeyboard keyboard(options());
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    m_host.calls.clear();
    connection.OnDeviceChange(DeviceChange::RemoveComplete,
                              keyboard.path(EmulatedKeyboard::kVendorCollection));
    EXPECT_FALSE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), -1);
    EXPECT_EQ(m_host.calls, (std::vector<std::wstring>{L"close"}));
}

TEST_F(DeviceConnectionTest, KeyboardRestartAfterTheFactoryResetReportIsFollowed) {
    EmulatedKeyboard keyboard(options());
    platform::EmulatorDeviceNotifier notifier(keyboard);
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    notifier.start([&](DeviceChange change, const std::wstring& path) {
        connection.OnDeviceChange(change, path);
    });
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();

    connection.setFactoryResetPending(true);
    const kg::Report reset = kg::FactoryResetReport();
    EXPECT_EQ(connection.device().Write(reset.data()), 8u);
    // Removal and arrival of the three interfaces.
    ASSERT_TRUE(notifier.waitForPending(6, kHangGuard));
    notifier.dispatch();
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_FALSE(connection.factoryResetPending());
    EXPECT_EQ(connection.firmwareVersion(), 0x0100);
    EXPECT_EQ(std::count(m_host.calls.begin(), m_host.calls.end(), L"close"), 0);
}

struct FirmwareCommandCase {
    const char* name;
    std::uint16_t atStart;
    bool reopens;
    const wchar_t* lastCall;
};

class FirmwareCommand : public DeviceConnectionTest,
                        public testing::WithParamInterface<FirmwareCommandCase> {};

TEST_P(FirmwareCommand, ReopensUnlessLatest) {
    EmulatedKeyboard keyboard(options(GetParam().atStart));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    const int opens = keyboard.callCount(EmulatedKeyboard::Operation::Open);
    keyboard.setFirmwareVersion(0x0203);

    connection.OnFirmwareCommand();
    EXPECT_EQ(keyboard.callCount(EmulatedKeyboard::Operation::Open) > opens, GetParam().reopens);
    EXPECT_EQ(m_host.calls.back(), GetParam().lastCall);
    EXPECT_TRUE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), GetParam().reopens ? 0x0203 : GetParam().atStart);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FirmwareCommand,
    testing::Values(FirmwareCommandCase{"Latest", 0x0100, false,
                                        L"message The firmware is already the latest version and "
                                        L"no upgrade is required. | Warning"},
                    FirmwareCommandCase{"Newer", 0x0101, true, L"version Firmware: v2.3"},
                    FirmwareCommandCase{"Early", 0x0000, true, L"version Firmware: v2.3"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(DeviceConnectionTest, FirmwareCommandWithoutKeyboardAsksForIt) {
    EmulatedKeyboard keyboard(options(0x0101));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    connection.setFactoryResetPending(true);
    connection.OnDeviceChange(DeviceChange::RemoveComplete,
                              keyboard.path(EmulatedKeyboard::kVendorCollection));
    m_host.calls.clear();

    connection.OnFirmwareCommand();
    EXPECT_EQ(m_host.calls,
              (std::vector<std::wstring>{L"message Please insert USB device | Warning"}));
}

TEST_F(DeviceConnectionTest, FirmwareCommandWhoseReopenFailsForgetsTheVersion) {
    EmulatedKeyboard keyboard(options(0x0101));
    kg::DeviceConnection connection(keyboard, m_host, m_effects, m_sides, kKeyboard, m_clock);
    ASSERT_TRUE(connection.StartConnection());
    connection.StopWorker();
    m_host.calls.clear();
    keyboard.failCalls(EmulatedKeyboard::Operation::Open, -1);

    connection.OnFirmwareCommand();
    keyboard.failCalls(EmulatedKeyboard::Operation::Open, 0);
    EXPECT_FALSE(connection.keyboardConnected());
    EXPECT_EQ(connection.firmwareVersion(), -1);
    EXPECT_TRUE(m_host.calls.empty());
}

// Lighting commands against the connected keyboard, with the clock moved by hand.
class LightingCommandsTest : public DeviceConnectionTest {
protected:
    void SetUp() override {
        DeviceConnectionTest::SetUp();
        m_keyboard = std::make_unique<EmulatedKeyboard>(options());
        m_connection = std::make_unique<kg::DeviceConnection>(*m_keyboard, m_host, m_effects,
                                                              m_sides, kKeyboard, m_clock);
        ASSERT_TRUE(m_connection->StartConnection());
        m_connection->StopWorker();
        m_keyboard->clearReports();
    }
    void TearDown() override {
        m_connection.reset();
        m_keyboard.reset();
        DeviceConnectionTest::TearDown();
    }
    kg::LightingCommands& commands() { return m_connection->commands(); }

    std::unique_ptr<EmulatedKeyboard> m_keyboard;
    std::unique_ptr<kg::DeviceConnection> m_connection;
};

TEST_F(LightingCommandsTest, CommandsThirtyMillisecondsApartWaitForTheRest) {
    m_clock.advance(1000);
    commands().SendEffectCommand(3);
    m_clock.advance(30);
    commands().SendEffectCommand(6);
    EXPECT_EQ(m_clock.sleeps(), (std::vector<std::uint64_t>{70}));

    m_clock.advance(500);
    commands().SendSideLightCommand(3);
    EXPECT_EQ(m_clock.sleeps(), (std::vector<std::uint64_t>{70}));  // no further wait

    EXPECT_EQ(featureReports(*m_keyboard),
              (std::vector<Bytes>{{0x07, 0xF7, 0x03, 0, 0, 0, 0, 0},
                                  {0x07, 0xF7, 0x07, 0, 0, 0, 0, 0},
                                  {0x07, 0xFF, 0xFF, 0x20, 0, 0, 0x73, 0}}));
}

TEST_F(LightingCommandsTest, EffectAndSideLightShareOneCommandTime) {
    m_clock.advance(1000);
    commands().SendSideLightCommand(0);
    m_clock.advance(40);
    commands().SendEffectCommand(2);
    EXPECT_EQ(m_clock.sleeps(), (std::vector<std::uint64_t>{60}));
}

TEST_F(LightingCommandsTest, FirstCommandAfterConnectingIsPaced) {
    commands().SendEffectCommand(2);
    EXPECT_EQ(m_clock.sleeps(), (std::vector<std::uint64_t>{100}));
}

TEST_F(LightingCommandsTest, CommandsWithoutARecordSendNothingAndKeepTheTime) {
    m_clock.advance(1000);
    m_effects.setCurrentIndex(20);
    m_sides.setCurrentIndex(12);
    const std::uint64_t before = commands().lastCommandTime();
    commands().SendEffectCommand(20);
    commands().SendEffectCommand(-1);
    commands().SendSideLightCommand(12);
    commands().SendSideLightCommand(-1);
    EXPECT_TRUE(m_keyboard->reports().empty());
    EXPECT_EQ(commands().lastCommandTime(), before);
    EXPECT_TRUE(m_clock.sleeps().empty());
}

TEST_F(LightingCommandsTest, MinusOneSendsItsOwnLowByte) {
    m_clock.advance(1000);
    m_effects.setCurrentIndex(5);
    m_sides.setCurrentIndex(3);
    commands().SendEffectCommand(-1);
    m_clock.advance(1000);
    commands().SendSideLightCommand(-1);
    EXPECT_EQ(featureReports(*m_keyboard),
              (std::vector<Bytes>{{0x07, 0xF7, 0xFF, 0, 0, 0, 0, 0},
                                  {0x07, 0xFF, 0xFF, 0x20, 0, 0, 0x7F, 0}}));
}

TEST_F(LightingCommandsTest, ClosedDeviceStillPacesAndTakesTheTime) {
    m_connection->device().Close();
    m_clock.advance(1000);
    commands().SendEffectCommand(1);
    const std::uint64_t sent = m_clock.nowMs();
    m_clock.advance(10);
    commands().SendEffectCommand(1);
    EXPECT_EQ(m_clock.sleeps(), (std::vector<std::uint64_t>{90}));
    EXPECT_EQ(commands().lastCommandTime(), sent + 100);
    EXPECT_TRUE(m_keyboard->reports().empty());
}

}  // namespace
