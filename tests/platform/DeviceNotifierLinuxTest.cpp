#include "platform/linux/DeviceNotifierLinux.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/linux/HidrawBackend.h"

namespace {

using platform::DeviceChange;

const std::string kFixture = std::string(KEYGLOW_TEST_DATA_DIR) + "/sysfs/keyglow-keyboard";

struct Seen {
    std::vector<std::pair<DeviceChange, std::wstring>> events;
    platform::DeviceNotifier::Handler handler() {
        return [this](DeviceChange change, const std::wstring& path) {
            events.emplace_back(change, path);
        };
    }
};

// The paths the hidraw backend lists for one node, as the device layer will open them.
std::vector<std::wstring> backendPaths(const std::string& node) {
    platform::HidrawBackend backend(kFixture, "/nonexistent");
    std::vector<platform::HidInterfaceEntry> entries;
    backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, entries);
    std::vector<std::wstring> out;
    const std::wstring marker = L"#" + std::wstring(node.begin(), node.end()) + L"&";
    for (const auto& entry : entries) {
        if (entry.path.find(marker) != std::wstring::npos) {
            out.push_back(entry.path);
        }
    }
    return out;
}

std::vector<std::wstring> pathsOf(const Seen& seen, DeviceChange change) {
    std::vector<std::wstring> out;
    for (const auto& [c, path] : seen.events) {
        EXPECT_EQ(c, change);
        out.push_back(path);
    }
    return out;
}

TEST(DeviceNotifierLinux, AddedNodeArrivesWithEveryCollectionPath) {
    const std::vector<std::wstring> expected = backendPaths("hidraw1");
    ASSERT_GE(expected.size(), 2u);  // the fixture's node with two collections

    platform::DeviceNotifierLinux notifier(kFixture, "/nonexistent");
    Seen seen;
    notifier.start(seen.handler());
    notifier.handleUevent("add", "hidraw1");
    EXPECT_EQ(pathsOf(seen, DeviceChange::Arrival), expected);
}

TEST(DeviceNotifierLinux, RemovedNodeLeavesWithThePathsItHad) {
    platform::DeviceNotifierLinux notifier(kFixture, "/nonexistent");
    Seen seen;
    notifier.start(seen.handler());
    // Known from start(); hidraw10 must not be taken for hidraw1.
    notifier.handleUevent("remove", "hidraw1");
    EXPECT_EQ(pathsOf(seen, DeviceChange::RemoveComplete), backendPaths("hidraw1"));

    seen.events.clear();
    notifier.handleUevent("remove", "hidraw1");
    EXPECT_TRUE(seen.events.empty());
}

TEST(DeviceNotifierLinux, UnknownNodesAndOtherActionsSayNothing) {
    platform::DeviceNotifierLinux notifier(kFixture, "/nonexistent");
    Seen seen;
    notifier.start(seen.handler());
    notifier.handleUevent("remove", "hidraw7");  // never seen: its interfaces are unknown
    notifier.handleUevent("add", "hidraw7");     // not in sysfs: no interface to report
    notifier.handleUevent("change", "hidraw1");
    notifier.handleUevent("add", "");
    EXPECT_TRUE(seen.events.empty());
}

TEST(DeviceNotifierLinux, MonitorDispatchNeverBlocks) {
    platform::DeviceNotifierLinux notifier(kFixture, "/nonexistent");
    Seen seen;
    if (!notifier.start(seen.handler())) {
        GTEST_SKIP() << "no udev netlink monitor allowed here";
    }
    EXPECT_GE(notifier.pollFd(), 0);
    notifier.dispatch();
}

}  // namespace
