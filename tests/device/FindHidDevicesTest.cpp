#include "device/HidDeviceInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/emulator/EmulatedKeyboard.h"
#include "tests/support/LogCapture.h"

namespace {

using platform::EmulatedKeyboard;

EmulatedKeyboard::Interface hidInterface(const wchar_t* path, std::uint16_t usagePage,
                                         std::uint16_t version) {
    EmulatedKeyboard::Interface source;
    source.path = path;
    source.caps = {0x0001, usagePage, 8, 8, 8};
    source.versionNumber = version;
    return source;
}

// A system with several devices; the fields of each path decide what a search finds.
EmulatedKeyboard::Options tableSystem() {
    EmulatedKeyboard::Options options;
    options.interfaces = {
        hidInterface(L"\\\\?\\hid#vid_1a2c&pid_0002&mi_01&col02#7&1b2c3d4e&0&0001", 0xFF00, 0x11),
        hidInterface(L"\\\\?\\HID#VID_1A2C&PID_0002&MI_00#7&2A5B1C3D&0&0000", 0x0001, 0x12),
        hidInterface(L"\\\\?\\hid#vid_1a2c&pid_0002#6&2f3e4d5c&0&0000", 0x000C, 0x13),
        hidInterface(L"\\\\?\\hid#vid_1a2c&pid_0003&mi_10#7&3c4d5e6f&0&0000", 0x0001, 0x14),
        hidInterface(L"\\\\?\\usb#vid_1a2c&pid_0002#5&1234&0&1", 0x0001, 0x15),
        hidInterface(L"\\\\?\\hid#vid_5555&pid_0002&mi_01&col02#7&4d5e6f70&0&0001", 0xFF00, 0x16),
    };
    options.vendorInterface = 0;
    return options;
}

struct SearchCase {
    const char* name;
    std::int32_t vendorId;
    std::vector<std::int32_t> products;
    std::int32_t productCount;  // -2: the size of `products`
    std::int32_t interfaceNumber;
    std::int32_t collectionNumber;
    std::vector<std::size_t> expected;  // interfaces of tableSystem(), in list order
};

const SearchCase kSearchCases[] = {
    {"VendorWithAnyInterfaceAndCollection", 0x1A2C, {}, -2, -1, -1, {0, 1, 2, 3}},
    {"InterfaceAndCollection", 0x1A2C, {}, -2, 1, 2, {0}},
    {"UpperCasePathMatches", 0x1A2C, {}, -2, 0, -1, {1, 3}},
    {"AbsentMiFailsAConfiguredInterface", 0x1A2C, {2}, -2, 1, -1, {0}},
    {"AbsentColFailsAConfiguredCollection", 0x1A2C, {2}, -2, -1, 2, {0}},
    {"AbsentFieldsPassWithMinusOne", 0x1A2C, {2}, -2, -1, -1, {0, 1, 2}},
    {"Mi10IsInterface0", 0x1A2C, {3}, -2, 0, -1, {3}},
    {"ProductList", 0x1A2C, {7, 3}, -2, -1, -1, {3}},
    {"AnyVendorWithAProduct", 0, {2}, -2, -1, -1, {0, 1, 2, 5}},
    {"NegativeVendorIsAnyVendor", -5, {2}, -2, 1, 2, {0, 5}},
    {"NegativeCountMeansAnyProduct", 0x1A2C, {7}, -1, -1, -1, {0, 1, 2, 3}},
    {"InterfaceMinus2MatchesNothing", 0x1A2C, {}, -2, -2, -1, {}},
    {"CollectionMinus2MatchesNothing", 0x1A2C, {}, -2, -1, -2, {}},
    {"OtherVendor", 0x9999, {}, -2, -1, -1, {}},
    {"ProductNotListed", 0x1A2C, {7}, -2, -1, -1, {}},
};

class FindHidDevicesTest : public testing::TestWithParam<SearchCase> {
protected:
    LogCapture m_trace;
};

TEST_P(FindHidDevicesTest, ListsMatchesInEnumerationOrder) {
    const SearchCase& c = GetParam();
    EmulatedKeyboard::Options options = tableSystem();
    const std::vector<EmulatedKeyboard::Interface> interfaces = options.interfaces;
    EmulatedKeyboard system(options);
    const std::int32_t count =
        c.productCount == -2 ? static_cast<std::int32_t>(c.products.size()) : c.productCount;

    const std::unique_ptr<HidDeviceInfo> list =
        FindHidDevices(system, c.vendorId, c.products.empty() ? nullptr : c.products.data(), count,
                       c.interfaceNumber, c.collectionNumber);

    std::vector<std::wstring> found;
    for (const HidDeviceInfo* info = list.get(); info != nullptr; info = info->next.get()) {
        found.push_back(info->path);
    }
    std::vector<std::wstring> expected;
    for (std::size_t index : c.expected) {
        expected.push_back(interfaces[index].path);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(list == nullptr, c.expected.empty());
    // Every match was opened once for its attributes, and closed again.
    EXPECT_EQ(system.callCount(EmulatedKeyboard::Operation::Open),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(system.openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Searches, FindHidDevicesTest, testing::ValuesIn(kSearchCases),
                         [](const testing::TestParamInfo<SearchCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(FindHidDevicesEntryTest, CarriesParsedIdsAndTheDevicesAttributes) {
    LogCapture trace;
    EmulatedKeyboard system(tableSystem());
    const std::int32_t product = 2;
    const std::unique_ptr<HidDeviceInfo> list = FindHidDevices(system, 0x1A2C, &product, 1, 0, -1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->next, nullptr);
    EXPECT_EQ(list->vendorId, 0x1A2C);
    EXPECT_EQ(list->productId, 2);
    EXPECT_EQ(list->versionNumber, 0x12);
    EXPECT_EQ(list->usagePage, 0x0001);
    EXPECT_EQ(list->usage, 0x0001);
    EXPECT_EQ(list->interfaceClassGuid, platform::kHidInterfaceClassGuid);
    EXPECT_EQ(list->interfaceFlags, platform::kInterfaceActive);
}

struct PreconditionCase {
    const char* name;
    std::int32_t vendorId;
    bool nullProducts;
    std::int32_t productCount;
};

class FindHidDevicesPreconditionTest : public testing::TestWithParam<PreconditionCase> {};

// A search needs a vendor or at least one product; without one nothing is enumerated.
TEST_P(FindHidDevicesPreconditionTest, ReturnsNullWithoutEnumerating) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    const std::int32_t products[] = {0x0049};
    const PreconditionCase& c = GetParam();
    EXPECT_EQ(FindHidDevices(keyboard, c.vendorId, c.nullProducts ? nullptr : products,
                             c.productCount, -1, -1),
              nullptr);
    EXPECT_EQ(keyboard.callCount(EmulatedKeyboard::Operation::Enumerate), 0);
    EXPECT_TRUE(trace.lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Preconditions, FindHidDevicesPreconditionTest,
                         testing::Values(PreconditionCase{"VendorZeroNoProducts", 0, true, 0},
                                         PreconditionCase{"VendorZeroEmptyList", 0, false, 0},
                                         PreconditionCase{"NullListWithCount", 0, true, 1},
                                         PreconditionCase{"NegativeCount", 0, false, -1},
                                         PreconditionCase{"NegativeVendor", -1, true, 0}),
                         [](const testing::TestParamInfo<PreconditionCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(FindHidDevicesFailureTest, InterfaceThatCannotBeOpenedStaysWithoutAttributes) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    keyboard.failCalls(EmulatedKeyboard::Operation::Open, 1);
    const std::unique_ptr<HidDeviceInfo> list = FindHidDevices(keyboard, 0x258A, nullptr, 0, 1, -1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->path, keyboard.path(EmulatedKeyboard::kConsumerControl));
    EXPECT_EQ(list->versionNumber, 0);
    EXPECT_EQ(list->usagePage, 0);
    EXPECT_EQ(list->usage, 0);
    ASSERT_NE(list->next, nullptr);
    EXPECT_EQ(list->next->path, keyboard.path(EmulatedKeyboard::kVendorCollection));
    EXPECT_EQ(list->next->usagePage, 0xFF00);
    EXPECT_TRUE(trace.contains("open dev: ffffffff\n"));
}

TEST(FindHidDevicesFailureTest, UnreadableCapabilitiesLeaveUsageZeroButKeepTheVersion) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    keyboard.failCalls(EmulatedKeyboard::Operation::GetCaps, 1);
    const std::unique_ptr<HidDeviceInfo> list = FindHidDevices(keyboard, 0x258A, nullptr, 0, 0, -1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->versionNumber, 0x0100);
    EXPECT_EQ(list->usagePage, 0);
    EXPECT_EQ(list->usage, 0);
}

TEST(FindHidDevicesFailureTest, InterfaceWhosePathCannotBeReadIsSkipped) {
    LogCapture trace;
    EmulatedKeyboard::Options options;
    options.interfaces[EmulatedKeyboard::kBootKeyboard].detailFails = true;
    EmulatedKeyboard keyboard(options);
    const std::unique_ptr<HidDeviceInfo> list =
        FindHidDevices(keyboard, 0x258A, nullptr, 0, -1, -1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->path, keyboard.path(EmulatedKeyboard::kConsumerControl));
    EXPECT_TRUE(trace.contains("获取接口信息失败\n"));
}

TEST(FindHidDevicesFailureTest, NoInterfaceSetGivesNull) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    keyboard.failCalls(EmulatedKeyboard::Operation::Enumerate, 1);
    EXPECT_EQ(FindHidDevices(keyboard, 0x258A, nullptr, 0, -1, -1), nullptr);
}

TEST(FindHidDevicesFailureTest, UnpluggedKeyboardIsNotFound) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    keyboard.unplug();
    EXPECT_EQ(FindHidDevices(keyboard, 0x258A, nullptr, 0, -1, -1), nullptr);
}

TEST(FindHidDevicesTraceTest, WritesTheSearchLines) {
    LogCapture trace;
    EmulatedKeyboard keyboard(EmulatedKeyboard::Options{});
    const std::int32_t product = 0x0049;
    ASSERT_NE(FindHidDevices(keyboard, 0x258A, &product, 1, 1, 2), nullptr);
    const std::vector<std::string> expected = {
        "got classs: guid={4d1e55b2-f16f-11cf-88cb001111000030}\n",
        "enum interface: guid={4d1e55b2-f16f-11cf-88cb001111000030} index=0\n",
        "enum interface: guid={4d1e55b2-f16f-11cf-88cb001111000030} index=1\n",
        "enum interface: guid={4d1e55b2-f16f-11cf-88cb001111000030} index=2\n",
        "open dev: 00000100\n",
    };
    EXPECT_EQ(trace.lines(), expected);
}

}  // namespace
