// The key table behind the Linux backend and the emulated key stream: which virtual key a
// Linux key produces, with the extended flag, and back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/KeyCodes.h"

namespace {

struct KeyRow {
    const char* name;
    std::uint16_t linuxCode;
    std::uint8_t vk;
    bool extended;
    std::uint8_t scanCode;
};

const std::vector<KeyRow> kKeys = {
    {"A", 30, 'A', false, 0x1E},
    {"Enter", 28, 0x0D, false, 0x1C},
    {"KeypadEnter", 96, 0x0D, true, 0x1C},
    {"LeftCtrl", 29, 0xA2, false, 0x1D},
    {"RightCtrl", 97, 0xA3, true, 0x1D},
    {"RightShiftIsNotExtended", 54, 0xA1, false, 0x36},
    {"LeftWindows", 125, 0x5B, true, 0x5B},
    {"Delete", 111, 0x2E, true, 0x53},
    {"Keypad7", 71, 0x67, false, 0x47},
    {"NumLockIsExtended", 69, 0x90, true, 0x45},
    {"VolumeUp", 115, 0xAF, true, 0x30},
    {"PlayPause", 164, 0xB3, true, 0x22},
    {"F24", 194, 0x87, false, 0x76},
};

class KeyTable : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyTable, LinuxKeyToVirtualKeyAndBack) {
    const KeyRow& k = GetParam();
    const platform::VirtualKey v = platform::virtualKeyForLinuxKey(k.linuxCode);
    EXPECT_EQ(v.vk, k.vk);
    EXPECT_EQ(v.extended, k.extended);
    EXPECT_EQ(v.scanCode, k.scanCode);
    EXPECT_EQ(platform::linuxKeyForVirtualKey(k.vk, k.extended), k.linuxCode);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, ::testing::ValuesIn(kKeys),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(KeyTableEdges, SideNeutralModifiersTypeTheLeftKeys) {
    EXPECT_EQ(platform::linuxKeyForVirtualKey(0x10, false), 42);
    EXPECT_EQ(platform::linuxKeyForVirtualKey(0x11, false), 29);
    EXPECT_EQ(platform::linuxKeyForVirtualKey(0x12, false), 56);
    EXPECT_EQ(platform::scanCodeForVirtualKey(0x11), 0x1Du);
}

TEST(KeyTableEdges, AnExtendedRequestFallsBackToThePlainKeyAndTheOtherWayRound) {
    EXPECT_EQ(platform::linuxKeyForVirtualKey('A', true), 30);
    EXPECT_EQ(platform::linuxKeyForVirtualKey(0x2E, false), 111);
}

TEST(KeyTableEdges, UnknownCodes) {
    EXPECT_EQ(platform::virtualKeyForLinuxKey(0).vk, 0);
    EXPECT_EQ(platform::virtualKeyForLinuxKey(0x110).vk, 0);  // BTN_LEFT is no key
    EXPECT_EQ(platform::linuxKeyForVirtualKey(0xFF, false), 0);
    EXPECT_EQ(platform::scanCodeForVirtualKey(0x141), 0u);
    EXPECT_EQ(platform::scanCodeForVirtualKey(10000), 0u);
}

}  // namespace
