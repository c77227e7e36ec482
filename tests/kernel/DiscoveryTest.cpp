// Discovery against the real kernel: the hidraw backend lists the gadget keyboard's interfaces
// with the interface and collection fields the shipped Linux configuration names.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/HidDeviceInfo.h"
#include "settings/AppConfig.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"

namespace {

struct SearchCase {
    const char* name;
    int interfaceNumber;
    int collectionNumber;
    const wchar_t* pathFragment;  // of the first entry; null: nothing is found
    int count;
    std::uint16_t usagePage;
    std::uint16_t usage;
};

class Discovery : public testing::TestWithParam<SearchCase> {};

TEST_P(Discovery, FindsTheGadgetInterface) {
    KG_REQUIRE_GADGET(gadget);
    const SearchCase& c = GetParam();
    const std::int32_t product = kgtest::UsbGadget::kProductId;
    auto list = FindHidDevices(kgtest::UsbGadget::kVendorId, &product, 1, c.interfaceNumber,
                               c.collectionNumber);
    if (c.pathFragment == nullptr) {
        EXPECT_EQ(list, nullptr);
        return;
    }
    ASSERT_NE(list, nullptr);
    int count = 0;
    for (const HidDeviceInfo* e = list.get(); e != nullptr; e = e->next.get()) {
        ++count;
    }
    EXPECT_EQ(count, c.count);
    EXPECT_NE(list->path.find(c.pathFragment), std::wstring::npos)
        << std::string(list->path.begin(), list->path.end());
    EXPECT_EQ(list->versionNumber, kgtest::UsbGadget::kDeviceVersion);
    EXPECT_EQ(list->usagePage, c.usagePage);
    EXPECT_EQ(list->usage, c.usage);
}

INSTANTIATE_TEST_SUITE_P(
    Gadget, Discovery,
    testing::Values(SearchCase{"VendorCollection", 1, 2, L"&mi_01&col02#", 1, 0xFF00, 0x0001},
                    SearchCase{"ConsumerCollection", 1, 1, L"&mi_01&col01#", 1, 0x000C, 0x0001},
                    SearchCase{"BootKeyboard", 0, -1, L"&mi_00#", 1, 0x0001, 0x0006},
                    // -1 takes any collection: the first one the system lists comes first
                    SearchCase{"AnyCollectionOfInterfaceOne", 1, -1, L"&mi_01&col01#", 2, 0x000C,
                               0x0001},
                    SearchCase{"AnyInterfaceAnyCollection", -1, -1, L"&mi_00#", 3, 0x0001, 0x0006},
                    SearchCase{"NoSuchInterface", 2, -1, nullptr, 0, 0, 0},
                    SearchCase{"MinusTwoMatchesNothing", -2, -1, nullptr, 0, 0, 0}),
    [](const testing::TestParamInfo<SearchCase>& p) { return std::string(p.param.name); });

TEST(DiscoveryWithShippedConfig, FindsTheVendorCollection) {
    KG_REQUIRE_GADGET(gadget);
    AppConfig config;
    ASSERT_TRUE(config.loadFile(std::wstring(L"" KEYGLOW_SOURCE_DIR "/app/config-linux.xml")));
    const std::int32_t product = config.usbProductId;
    auto list =
        FindHidDevices(config.usbVendorId, &product, 1, config.usbInterface, config.usbSubdevice);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->next, nullptr);
    EXPECT_NE(list->path.find(L"vid_258a&pid_0049&mi_01&col02#"), std::wstring::npos);
    EXPECT_EQ(list->versionNumber, 0x0105);
}

}  // namespace
