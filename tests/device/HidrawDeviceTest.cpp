#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "device/HidDevice.h"
#include "device/HidDeviceInfo.h"
#include "platform/linux/HidrawBackend.h"
#include "tests/support/LogCapture.h"

namespace {

namespace fs = std::filesystem;

const std::string kFixture = std::string(KEYGLOW_TEST_DATA_DIR) + "/sysfs/keyglow-keyboard";

// Plain files stand in for the device nodes: open() and write() behave alike on them.
class FakeDevFolder {
public:
    FakeDevFolder() {
        m_path = fs::temp_directory_path() / ("kg-hidraw-dev-" + std::to_string(::getpid()));
        fs::create_directories(m_path);
        for (const char* node : {"hidraw0", "hidraw1", "hidraw2", "hidraw10"}) {
            std::ofstream(m_path / node);
        }
    }
    ~FakeDevFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// The search rules work on the paths the hidraw backend makes as they do on Windows paths.
TEST(HidrawDeviceTest, FindsTheKeyboardsInterfacesInOrder) {
    LogCapture trace;
    FakeDevFolder dev;
    platform::HidrawBackend backend(kFixture, dev.path().string());
    const std::unique_ptr<HidDeviceInfo> list = FindHidDevices(backend, 0x258A, nullptr, 0, -1, -1);

    std::vector<std::string> found;
    for (const HidDeviceInfo* info = list.get(); info != nullptr; info = info->next.get()) {
        char text[32];
        std::snprintf(text, sizeof text, "%04x:%04x v%04x", info->usagePage, info->usage,
                      info->versionNumber);
        found.push_back(text);
    }
    const std::vector<std::string> expected = {"0001:0006 v0105", "000c:0001 v0105",
                                               "ff00:0001 v0105"};
    EXPECT_EQ(found, expected);
}

TEST(HidrawDeviceTest, OpensTheConfiguredCollectionAndWritesToItsNode) {
    LogCapture trace;
    FakeDevFolder dev;
    platform::HidrawBackend backend(kFixture, dev.path().string());
    HidDevice device(backend);
    const std::int32_t product = 0x0049;
    std::uint16_t version = 0;
    ASSERT_TRUE(
        device.OpenFirstMatch(0x258A, &product, 1, 1, 2, &version, HidDevice::kDefaultAccess));
    EXPECT_EQ(version, 0x0105);
    EXPECT_EQ(device.caps().usagePage, 0xFF00);
    EXPECT_EQ(device.caps().outputReportByteLength, 8);

    const std::uint8_t reset[8] = {0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0};
    EXPECT_EQ(device.Write(reset), 8u);
    device.Close();
    EXPECT_FALSE(device.IsOpen());

    std::ifstream in(dev.path() / "hidraw1", std::ios::binary);
    const std::vector<char> written((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    EXPECT_EQ(written, std::vector<char>(std::begin(reset), std::end(reset)));
}

}  // namespace
