#include "platform/emulator/EmulatedKeyboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/HidDevice.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using platform::EmulatedKeyboard;
using Event = EmulatedKeyboard::DeviceEvent;

constexpr std::int32_t kProduct = 0x0049;

bool openVendorCollection(HidDevice& device) {
    return device.OpenFirstMatch(0x258A, &kProduct, 1, 1, 2, nullptr, HidDevice::kDefaultAccess);
}

std::vector<std::uint8_t> report(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out(8, 0);
    std::size_t i = 0;
    for (int v : values) {
        out[i++] = static_cast<std::uint8_t>(v);
    }
    return out;
}

// Device notifications as a listener receives them.
class EventLog {
public:
    void add(Event event, const std::wstring& path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.emplace_back(event, path);
    }
    std::vector<std::pair<Event, std::wstring>> events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<Event, std::wstring>> m_events;
};

std::vector<std::pair<Event, std::wstring>> allInterfaces(const EmulatedKeyboard& keyboard,
                                                          Event event) {
    std::vector<std::pair<Event, std::wstring>> out;
    for (std::size_t i = 0; i < 3; ++i) {
        out.emplace_back(event, keyboard.path(i));
    }
    return out;
}

bool waitForRestart(const EmulatedKeyboard& keyboard, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (keyboard.restartCount() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

using kgtest::TempFolder;

using kgtest::readFile;

TEST(EmulatedKeyboardTest, PlugAndUnplugNotifyEveryInterface) {
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    EventLog log;
    const int id = keyboard.addListener(
        [&log](Event event, const std::wstring& path) { log.add(event, path); });
    keyboard.unplug();
    keyboard.unplug();  // already out: nothing more
    keyboard.plug();
    keyboard.removeListener(id);
    keyboard.unplug();

    std::vector<std::pair<Event, std::wstring>> expected = allInterfaces(keyboard, Event::Removal);
    for (auto& arrival : allInterfaces(keyboard, Event::Arrival)) {
        expected.push_back(arrival);
    }
    EXPECT_EQ(log.events(), expected);
}

TEST(EmulatedKeyboardTest, ListenerMayRemoveItselfWhileCalled) {
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    int calls = 0;
    int id = 0;
    id = keyboard.addListener([&](Event, const std::wstring&) {
        ++calls;
        keyboard.removeListener(id);
    });
    keyboard.unplug();
    EXPECT_EQ(calls, 1);
}

TEST(EmulatedKeyboardTest, RestartsAfterTheFactoryResetReport) {
    LogCapture trace;
    EmulatedKeyboard::Options options;
    options.restartRemovalDelay = std::chrono::milliseconds(10);
    options.restartArrivalDelay = std::chrono::milliseconds(50);
    EmulatedKeyboard keyboard(options);
    EventLog log;
    keyboard.addListener([&log](Event event, const std::wstring& path) { log.add(event, path); });

    HidDevice device(keyboard);
    ASSERT_TRUE(openVendorCollection(device));
    ASSERT_EQ(device.Write(report({0x07, 0xF0, 0xAA}).data()), 8u);
    ASSERT_TRUE(waitForRestart(keyboard, 1));

    std::vector<std::pair<Event, std::wstring>> expected = allInterfaces(keyboard, Event::Removal);
    for (auto& arrival : allInterfaces(keyboard, Event::Arrival)) {
        expected.push_back(arrival);
    }
    EXPECT_EQ(log.events(), expected);

    // The handle from before the restart is dead; the arrival's path opens the keyboard again.
    EXPECT_FALSE(device.SetFeature(report({0x07, 0xFC}).data()));
    const std::wstring arrived = log.events().back().second;
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, arrived.c_str()));
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xFC}).data()));
}

TEST(EmulatedKeyboardTest, OtherOutputReportsDoNotRestart) {
    LogCapture trace;
    EmulatedKeyboard::Options options;
    options.restartRemovalDelay = std::chrono::milliseconds(0);
    EmulatedKeyboard keyboard(options);
    HidDevice device(keyboard);
    ASSERT_TRUE(openVendorCollection(device));
    ASSERT_EQ(device.Write(report({0x07, 0xF0, 0x00}).data()), 8u);
    ASSERT_EQ(device.Write(report({0x07, 0xF7, 0x00}).data()), 8u);
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xF0, 0xAA}).data()));  // not as output report
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(keyboard.plugged());
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xFC}).data()));
}

TEST(EmulatedKeyboardTest, DestroyingItDuringARestartIsSafe) {
    LogCapture trace;
    EmulatedKeyboard::Options options;
    options.restartRemovalDelay = std::chrono::milliseconds(0);
    options.restartArrivalDelay = std::chrono::milliseconds(10000);
    int removals = 0;
    {
        EmulatedKeyboard keyboard(options);
        keyboard.addListener(
            [&](Event event, const std::wstring&) { removals += event == Event::Removal ? 1 : 0; });
        HidDevice device(keyboard);
        ASSERT_TRUE(openVendorCollection(device));
        ASSERT_EQ(device.Write(report({0x07, 0xF0, 0xAA}).data()), 8u);
        while (keyboard.plugged()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }  // the pending arrival is dropped with the keyboard
    EXPECT_EQ(removals, 3);
}

// Only the vendor collection takes feature reports, and only with report ID 7.
TEST(EmulatedKeyboardTest, FeatureReportsGoToTheVendorCollectionOnly) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    HidDevice device(keyboard);
    const std::wstring boot = keyboard.path(EmulatedKeyboard::kBootKeyboard);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, boot.c_str()));
    EXPECT_FALSE(device.SetFeature(report({0x07, 0xFC}).data()));
    ASSERT_TRUE(openVendorCollection(device));
    EXPECT_FALSE(device.SetFeature(report({0x06, 0xFC}).data()));
    EXPECT_TRUE(device.SetFeature(report({0x07, 0xFC}).data()));
}

TEST(EmulatedKeyboardLogTest, AppendsOneLinePerReport) {
    LogCapture trace;
    TempFolder folder;
    const fs::path logFile = folder.path() / "reports.log";
    { std::ofstream(logFile, std::ios::binary) << "earlier line\n"; }

    EmulatedKeyboard::Options options;
    options.logPath = logFile.string();
    options.restartRemovalDelay = std::chrono::milliseconds(500);
    options.restartArrivalDelay = std::chrono::milliseconds(20);
    options.firmwareVersion = 0x0285;
    EmulatedKeyboard keyboard(options);
    HidDevice device(keyboard);
    ASSERT_TRUE(openVendorCollection(device));

    std::vector<std::uint8_t> buffer = report({0x07, 0xFC});
    ASSERT_TRUE(device.SetFeature(buffer.data()));
    ASSERT_TRUE(device.GetFeature(buffer.data()));
    ASSERT_TRUE(device.SetFeature(report({0x07, 0xF7, 0x06}).data()));
    ASSERT_TRUE(device.SetFeature(report({0x07, 0xFF, 0xFF, 0x20, 0x00, 0x00, 0x73}).data()));
    ASSERT_EQ(device.Write(report({0x07, 0xF0, 0xAA}).data()), 8u);
    ASSERT_EQ(device.Write(report({0x07, 0xF7}).data()), 8u);
    ASSERT_TRUE(waitForRestart(keyboard, 1));

    EXPECT_EQ(readFile(logFile),
              readFile(fs::path(KEYGLOW_TEST_DATA_DIR) / "device" / "emulator-log.txt"));
}

}  // namespace
