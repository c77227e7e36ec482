#include <gtest/gtest.h>

#include <vector>

#include "platform/HidBackend.h"

namespace {

using platform::HidBackend;
using platform::kInvalidHidHandle;

// The system's HID stack on a machine without the keyboard (Wine has no HID devices).
TEST(HidWin32BackendTest, ListsTheHidInterfaceClass) {
    HidBackend& backend = platform::systemHidBackend();
    std::vector<platform::HidInterfaceEntry> entries;
    ASSERT_TRUE(backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, entries));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].memberIndex, i);
        EXPECT_EQ(entries[i].interfaceClassGuid, platform::kHidInterfaceClassGuid);
    }
}

TEST(HidWin32BackendTest, AbsentInterfaceDoesNotOpen) {
    HidBackend& backend = platform::systemHidBackend();
    const std::wstring path =
        L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col02#7&1b2c3d4e&0&0001#{4d1e55b2-f16f-11cf-88cb-"
        L"001111000030}";
    EXPECT_EQ(backend.open(path, platform::kGenericRead | platform::kGenericWrite, 3, true),
              kInvalidHidHandle);
    EXPECT_EQ(backend.open(path, 0, 3, false), kInvalidHidHandle);
}

TEST(HidWin32BackendTest, InvalidHandleIsRefused) {
    HidBackend& backend = platform::systemHidBackend();
    const std::uint8_t report[8] = {0x07, 0xF7};
    std::uint8_t buffer[8] = {0x07};
    EXPECT_FALSE(backend.close(kInvalidHidHandle));
    EXPECT_EQ(backend.write(kInvalidHidHandle, report, 8, 10).outcome,
              platform::WriteOutcome::Failed);
    EXPECT_FALSE(backend.setFeature(kInvalidHidHandle, report, 8));
    EXPECT_FALSE(backend.getFeature(kInvalidHidHandle, buffer, 8));
    platform::HidCaps caps;
    EXPECT_FALSE(backend.getCaps(kInvalidHidHandle, caps));
}

}  // namespace
