#include "platform/emulator/EmulatorDeviceNotifier.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::DeviceChange;
using platform::EmulatedKeyboard;

constexpr auto kHangGuard = 10s;

EmulatedKeyboard::Options quickRestart() {
    EmulatedKeyboard::Options o;
    o.restartRemovalDelay = 10ms;
    o.restartArrivalDelay = 40ms;
    return o;
}

struct Delivered {
    std::vector<std::pair<DeviceChange, std::wstring>> events;
    std::vector<std::thread::id> threads;
};

TEST(EmulatorDeviceNotifier, EventsWaitForDispatchOnTheCallingThread) {
    EmulatedKeyboard keyboard(quickRestart());
    platform::EmulatorDeviceNotifier notifier(keyboard);
    Delivered delivered;
    std::atomic<int> ready = 0;
    notifier.setReadyCallback([&] { ++ready; });
    notifier.start([&](DeviceChange change, const std::wstring& path) {
        delivered.events.emplace_back(change, path);
        delivered.threads.push_back(std::this_thread::get_id());
    });
    EXPECT_EQ(notifier.pollFd(), -1);

    std::thread other([&] { keyboard.unplug(); });
    other.join();
    EXPECT_TRUE(delivered.events.empty());  // nothing before dispatch
    ASSERT_EQ(notifier.pending(), 3u);
    EXPECT_EQ(ready.load(), 3);

    notifier.dispatch();
    ASSERT_EQ(delivered.events.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(delivered.events[i].first, DeviceChange::RemoveComplete);
        EXPECT_EQ(delivered.threads[i], std::this_thread::get_id());
    }
    EXPECT_EQ(delivered.events[EmulatedKeyboard::kVendorCollection].second,
              keyboard.path(EmulatedKeyboard::kVendorCollection));
    EXPECT_EQ(notifier.pending(), 0u);
}

TEST(EmulatorDeviceNotifier, FactoryResetRestartIsARemovalThenAnArrival) {
    EmulatedKeyboard keyboard(quickRestart());
    platform::EmulatorDeviceNotifier notifier(keyboard);
    Delivered delivered;
    notifier.start([&](DeviceChange change, const std::wstring& path) {
        delivered.events.emplace_back(change, path);
    });

    const std::wstring vendor = keyboard.path(EmulatedKeyboard::kVendorCollection);
    platform::HidHandle handle =
        keyboard.open(vendor, platform::kGenericRead | platform::kGenericWrite,
                      platform::kShareRead | platform::kShareWrite, true);
    const std::uint8_t reset[8] = {0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0};
    keyboard.write(handle, reset, 8, 3000);

    ASSERT_TRUE(notifier.waitForPending(6, kHangGuard));
    notifier.dispatch();
    ASSERT_EQ(delivered.events.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(delivered.events[i].first, DeviceChange::RemoveComplete);
        EXPECT_EQ(delivered.events[i + 3].first, DeviceChange::Arrival);
    }
}

}  // namespace
