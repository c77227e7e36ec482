#include "platform/linux/HidrawBackend.h"
#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::HidCaps;
using platform::HidHandle;
using platform::HidrawBackend;
using platform::kInvalidHidHandle;

const std::string kFixture = std::string(KEYGLOW_TEST_DATA_DIR) + "/sysfs/keyglow-keyboard";

const wchar_t kBootKeyboard[] =
    L"\\\\?\\hid#vid_258a&pid_0049&mi_00#hidraw0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t kConsumer[] =
    L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col01#hidraw1&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t kVendor[] =
    L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col02#hidraw1&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t kUhid[] =
    L"\\\\?\\hid#vid_1a2c&pid_0002#hidraw2&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t kMouse[] =
    L"\\\\?\\hid#vid_046d&pid_c077#hidraw10&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// A folder under the system's temporary folder, removed with the object.
using kgtest::TempFolder;

TEST(HidrawBackendTest, ListsOneWindowsFormPathPerTopLevelCollection) {
    HidrawBackend backend(kFixture, "/nonexistent");
    std::vector<platform::HidInterfaceEntry> entries;
    ASSERT_TRUE(backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, entries));

    // hidraw10 after hidraw2: nodes in number order, not name order.
    const std::vector<std::wstring> expected = {kBootKeyboard, kConsumer, kVendor, kUhid, kMouse};
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].path, expected[i]) << "entry " << i;
        EXPECT_EQ(entries[i].memberIndex, i);
        EXPECT_EQ(entries[i].detail, platform::InterfaceDetail::Ok);
        EXPECT_EQ(entries[i].interfaceClassGuid, platform::kHidInterfaceClassGuid);
        EXPECT_EQ(entries[i].flags, platform::kInterfaceActive);
    }
}

TEST(HidrawBackendTest, GivesThePathsOfOneNode) {
    HidrawBackend backend(kFixture, "/nonexistent");
    EXPECT_EQ(backend.interfacePaths("hidraw1"), (std::vector<std::wstring>{kConsumer, kVendor}));
    EXPECT_TRUE(backend.interfacePaths("hidraw7").empty());
    EXPECT_TRUE(backend.interfacePaths("../hidraw1").empty());
}

TEST(HidrawBackendTest, OtherInterfaceClassesAreEmpty) {
    HidrawBackend backend(kFixture, "/nonexistent");
    std::vector<platform::HidInterfaceEntry> entries;
    EXPECT_TRUE(backend.enumerateInterfaces(platform::Guid{1, 2, 3, {}}, entries));
    EXPECT_TRUE(entries.empty());
}

TEST(HidrawBackendTest, SystemWithoutHidrawClassHasNoInterfaces) {
    TempFolder empty;
    HidrawBackend backend(empty.path().string(), "/nonexistent");
    std::vector<platform::HidInterfaceEntry> entries;
    EXPECT_TRUE(backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, entries));
    EXPECT_TRUE(entries.empty());
}

struct CapsCase {
    const char* name;
    const wchar_t* path;
    HidCaps caps;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t version;
};

class HidrawCapsTest : public testing::TestWithParam<CapsCase> {};

// A handle without access rights needs no device node: everything comes from sysfs.
TEST_P(HidrawCapsTest, ReadsCapabilitiesAndAttributesWithoutAccessRights) {
    const CapsCase& c = GetParam();
    HidrawBackend backend(kFixture, "/nonexistent");
    const HidHandle handle = backend.open(c.path, 0, 3, false);
    ASSERT_NE(handle, kInvalidHidHandle);
    HidCaps caps;
    ASSERT_TRUE(backend.getCaps(handle, caps));
    EXPECT_EQ(caps, c.caps);
    platform::HidAttributes attributes;
    ASSERT_TRUE(backend.getAttributes(handle, attributes));
    EXPECT_EQ(attributes.vendorId, c.vendorId);
    EXPECT_EQ(attributes.productId, c.productId);
    EXPECT_EQ(attributes.versionNumber, c.version);
    EXPECT_TRUE(backend.close(handle));
    EXPECT_FALSE(backend.close(handle));
}

INSTANTIATE_TEST_SUITE_P(
    Fixture, HidrawCapsTest,
    testing::Values(
        CapsCase{"BootKeyboard", kBootKeyboard, {0x06, 0x01, 9, 2, 0}, 0x258A, 0x49, 0x0105},
        CapsCase{"ConsumerControl", kConsumer, {0x01, 0x0C, 3, 0, 0}, 0x258A, 0x49, 0x0105},
        CapsCase{"VendorCollection", kVendor, {0x01, 0xFF00, 0, 8, 8}, 0x258A, 0x49, 0x0105},
        CapsCase{"UhidWithoutUsbParents", kUhid, {0x01, 0x0C, 3, 0, 0}, 0x1A2C, 0x02, 0},
        CapsCase{"SingleInterfaceMouse", kMouse, {0x02, 0x01, 4, 0, 0}, 0x046D, 0xC077, 0x7200}),
    [](const testing::TestParamInfo<CapsCase>& param) { return std::string(param.param.name); });

struct BadPathCase {
    const char* name;
    const wchar_t* path;
};

class HidrawBadPathTest : public testing::TestWithParam<BadPathCase> {};

TEST_P(HidrawBadPathTest, DoesNotOpen) {
    HidrawBackend backend(kFixture, "/nonexistent");
    EXPECT_EQ(backend.open(GetParam().path, 0, 3, false), kInvalidHidHandle);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HidrawBadPathTest,
    testing::Values(
        BadPathCase{"NodeThatEscapesTheFolder",
                    L"\\\\?\\hid#vid_258a&pid_0049#../../etc/passwd&0000#{4d1e55b2-f16f-11cf-"
                    L"88cb-001111000030}"},
        BadPathCase{"CollectionIndexOutOfRange",
                    L"\\\\?\\hid#vid_258a&pid_0049&mi_01#hidraw1&0002#{4d1e55b2-f16f-11cf-88cb-"
                    L"001111000030}"},
        BadPathCase{"NodeNotPresent",
                    L"\\\\?\\hid#vid_258a&pid_0049#hidraw7&0000#{4d1e55b2-f16f-11cf-88cb-"
                    L"001111000030}"},
        BadPathCase{"NotOurPathForm", L"/dev/hidraw0"},
        BadPathCase{"NonAsciiCharacter",
                    L"\\\\?\\hid#vid_258a&pid_0049#hidraw0\u00e9&0000#{4d1e55b2-f16f-11cf-88cb-"
                    L"001111000030}"}),
    [](const testing::TestParamInfo<BadPathCase>& param) { return std::string(param.param.name); });

TEST(HidrawBackendTest, OpeningForReadAndWriteNeedsTheDeviceNode) {
    HidrawBackend backend(kFixture, "/nonexistent");
    EXPECT_EQ(backend.open(kVendor, platform::kGenericRead | platform::kGenericWrite, 3, true),
              kInvalidHidHandle);
}

// A plain file stands in for the device node: write() and poll() behave alike on it, the
// feature ioctls are refused.
TEST(HidrawBackendTest, WritesTheOutputReportToTheNodeOfTheCollection) {
    TempFolder dev;
    { std::ofstream(dev.path() / "hidraw1"); }
    HidrawBackend backend(kFixture, dev.path().string());
    const HidHandle handle =
        backend.open(kVendor, platform::kGenericRead | platform::kGenericWrite, 3, true);
    ASSERT_NE(handle, kInvalidHidHandle);

    const std::uint8_t report[8] = {0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0};
    const platform::WriteResult result = backend.write(handle, report, 8, 3000);
    EXPECT_EQ(result.outcome, platform::WriteOutcome::CompletedAtOnce);
    EXPECT_EQ(result.bytesWritten, 8u);

    std::uint8_t feature[8] = {0x07, 0xFC};
    EXPECT_FALSE(backend.setFeature(handle, feature, 8));
    EXPECT_FALSE(backend.getFeature(handle, feature, 8));
    EXPECT_TRUE(backend.close(handle));

    std::ifstream in(dev.path() / "hidraw1", std::ios::binary);
    const std::vector<char> written((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    EXPECT_EQ(std::vector<char>(std::begin(report), std::end(report)), written);
}

TEST(HidrawBackendTest, HandleWithoutAccessRightsMovesNoReports) {
    HidrawBackend backend(kFixture, "/nonexistent");
    const HidHandle handle = backend.open(kVendor, 0, 3, false);
    ASSERT_NE(handle, kInvalidHidHandle);
    const std::uint8_t report[8] = {0x07, 0xF7};
    EXPECT_EQ(backend.write(handle, report, 8, 10).outcome, platform::WriteOutcome::Failed);
    EXPECT_FALSE(backend.setFeature(handle, report, 8));
    EXPECT_TRUE(backend.close(handle));
}

// A FIFO whose buffer is full stands in for a keyboard that stops taking reports: the write()
// inside blocks as hidraw's does while the USB transfer waits.
TEST(HidrawBackendTest, WriteToADeviceThatTakesNothingReturnsAtTheLimit) {
    TempFolder dev;
    const std::string node = (dev.path() / "hidraw1").string();
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    const int other = ::open(node.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(other, 0);
    const std::vector<std::uint8_t> filler(4096, 0xEE);
    while (::write(other, filler.data(), filler.size()) > 0) {
    }
    HidrawBackend backend(kFixture, dev.path().string());
    const HidHandle handle =
        backend.open(kVendor, platform::kGenericRead | platform::kGenericWrite, 3, true);
    ASSERT_NE(handle, kInvalidHidHandle);

    const std::uint8_t report[8] = {0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0};
    EXPECT_EQ(backend.write(handle, report, 8, 50).outcome, platform::WriteOutcome::TimedOut);
    // The first transfer is still outstanding, so the next one does not start either.
    EXPECT_EQ(backend.write(handle, report, 8, 50).outcome, platform::WriteOutcome::TimedOut);
    // The handle may go while the transfer runs on its own descriptor.
    EXPECT_TRUE(backend.close(handle));

    // The device takes reports again: the outstanding one arrives, once.
    std::vector<std::uint8_t> drained;
    std::uint8_t buffer[4096];
    for (int i = 0; i < 200 && drained.size() < 8; ++i) {
        const ssize_t got = ::read(other, buffer, sizeof buffer);
        if (got > 0) {
            for (ssize_t b = 0; b < got; ++b) {
                if (buffer[b] != 0xEE) {
                    drained.push_back(buffer[b]);
                }
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    EXPECT_EQ(drained, std::vector<std::uint8_t>(std::begin(report), std::end(report)));
    const HidHandle again =
        backend.open(kVendor, platform::kGenericRead | platform::kGenericWrite, 3, true);
    const platform::WriteResult result = backend.write(again, report, 8, 3000);
    EXPECT_EQ(result.outcome, platform::WriteOutcome::CompletedAtOnce);
    EXPECT_EQ(result.bytesWritten, 8u);
    EXPECT_TRUE(backend.close(again));
    ::close(other);
}

// A device being unplugged fails the reads of its sysfs files (ENODEV); a folder in place of a
// file fails its read the same way (EISDIR). The node is listed as unreadable, nothing throws.
TEST(HidrawBackendTest, ASysfsFileThatFailsItsReadLeavesTheNodeUnreadable) {
    TempFolder sys;
    const std::filesystem::path device = sys.path() / "class" / "hidraw" / "hidraw0" / "device";
    std::filesystem::create_directories(device / "uevent");
    HidrawBackend backend(sys.path().string(), "/nonexistent");
    std::vector<platform::HidInterfaceEntry> entries;
    EXPECT_TRUE(backend.enumerateInterfaces(platform::kHidInterfaceClassGuid, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].detail, platform::InterfaceDetail::Failed);
    EXPECT_TRUE(backend.interfacePaths("hidraw0").empty());
}

}  // namespace
