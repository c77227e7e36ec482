#include "platform/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using platform::HidCaps;
using platform::ParseTopLevelCollections;

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

// A boot keyboard: 8 modifier bits, a reserved byte, 6 key bytes in; 5 LED bits and padding out.
const std::vector<std::uint8_t> kBootKeyboard = bytes({
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
});

// Consumer control with report ID 3: one 16-bit usage in.
const std::vector<std::uint8_t> kConsumerControl = bytes({
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x03,
    0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
});

// The keyboard's vendor collection: report ID 7 with seven data bytes as feature and output.
const std::vector<std::uint8_t> kVendorCollection = bytes({
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x07, 0x09, 0x01, 0xB1, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0,
});

// A boot mouse: a physical collection inside the application collection.
const std::vector<std::uint8_t> kMouse = bytes({
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
    0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
    0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0,
});

std::vector<std::uint8_t> concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

std::vector<std::uint8_t> truncated(std::vector<std::uint8_t> descriptor, std::size_t size) {
    descriptor.resize(size);
    return descriptor;
}

struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    std::vector<HidCaps> expected;  // usage, usage page, input, output, feature lengths
};

std::vector<DescriptorCase> descriptorCases() {
    return {
        {"BootKeyboard", kBootKeyboard, {{0x06, 0x01, 9, 2, 0}}},
        {"ConsumerControlWithReportId", kConsumerControl, {{0x01, 0x0C, 3, 0, 0}}},
        {"VendorCollectionWithFeatureReport7", kVendorCollection, {{0x01, 0xFF00, 0, 8, 8}}},
        {"MouseWithNestedCollection", kMouse, {{0x02, 0x01, 4, 0, 0}}},
        {"MultiCollectionInterface",
         concat({kConsumerControl, kVendorCollection}),
         {{0x01, 0x0C, 3, 0, 0}, {0x01, 0xFF00, 0, 8, 8}}},
        {"FourByteUsageCarriesItsPage",
         bytes({0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0xC0}),
         {{0x01, 0x0C, 0, 0, 0}}},
        {"PushAndPopRestoreTheUsagePage",
         bytes({0x05, 0x01, 0xA4, 0x05, 0x0C, 0xB4, 0x09, 0x06, 0xA1, 0x01, 0xC0}),
         {{0x06, 0x01, 0, 0, 0}}},
        {"LongItemIsSkipped",
         bytes({0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0}),
         {{0x02, 0x01, 0, 0, 0}}},
        {"NonApplicationTopLevelCollectionIsNotListed",
         bytes({0x05, 0x01, 0x09, 0x02, 0xA1, 0x00, 0xC0}),
         {}},
        {"TruncatedItemKeepsCollectionsBegunBeforeIt",
         concat({kConsumerControl, truncated(kVendorCollection, 10)}),
         {{0x01, 0x0C, 3, 0, 0}, {0x01, 0xFF00, 0, 0, 0}}},
        {"EndCollectionWithoutCollectionStops", concat({bytes({0xC0}), kBootKeyboard}), {}},
        {"PopWithoutPushStops",
         concat({kConsumerControl, bytes({0xB4}), kMouse}),
         {{0x01, 0x0C, 3, 0, 0}}},
        {"Empty", {}, {}},
    };
}

class DescriptorTest : public testing::TestWithParam<DescriptorCase> {};

TEST_P(DescriptorTest, ListsTopLevelCollectionsInOrder) {
    const DescriptorCase& c = GetParam();
    const std::vector<HidCaps> found =
        ParseTopLevelCollections(c.descriptor.data(), c.descriptor.size());
    ASSERT_EQ(found.size(), c.expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].usagePage, c.expected[i].usagePage) << "collection " << i;
        EXPECT_EQ(found[i].usage, c.expected[i].usage) << "collection " << i;
        EXPECT_EQ(found[i].inputReportByteLength, c.expected[i].inputReportByteLength)
            << "collection " << i;
        EXPECT_EQ(found[i].outputReportByteLength, c.expected[i].outputReportByteLength)
            << "collection " << i;
        EXPECT_EQ(found[i].featureReportByteLength, c.expected[i].featureReportByteLength)
            << "collection " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Own, DescriptorTest, testing::ValuesIn(descriptorCases()),
                         [](const testing::TestParamInfo<DescriptorCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(DescriptorTest, NullDescriptorHasNoCollections) {
    EXPECT_TRUE(ParseTopLevelCollections(nullptr, 10).empty());
}

// Descriptors captured from real devices; their collections as the fixture folder's README
// lists them.
struct RealDevice {
    const char* file;
    const char* collections;
};

const RealDevice kRealDevices[] = {
    {"045e-02ff-gamepad.bin", "0001:0005"},
    {"046a-0011-keyboard.bin", "0001:0006"},
    {"046d-0a37-headset-consumer.bin", "000c:0001"},
    {"046d-b010-bt-mouse-6-collections.bin",
     "0001:0002 000c:0001 ff00:0001 ff00:0002 0001:0006 000c:0001"},
    {"046d-c077-mouse.bin", "0001:0002"},
    {"046d-c283-joystick.bin", "0001:0004"},
    {"046d-c52f-receiver-mouse.bin", "0001:0002"},
    {"1532-00a3-mouse.bin", "0001:0002"},
};

TEST(RealDescriptorTest, FindsEachDevicesCollectionsInOrder) {
    const std::filesystem::path folder =
        std::filesystem::path(KEYGLOW_SHARED_DIR) / "fixtures" / "hid-descriptors";
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << "no captured descriptors: " << folder << " is absent";
    }
    for (const RealDevice& device : kRealDevices) {
        std::ifstream in(folder / device.file, std::ios::binary);
        ASSERT_TRUE(in) << device.file;
        const std::vector<std::uint8_t> descriptor((std::istreambuf_iterator<char>(in)),
                                                   std::istreambuf_iterator<char>());
        std::string found;
        for (const HidCaps& caps : ParseTopLevelCollections(descriptor.data(), descriptor.size())) {
            char text[16];
            std::snprintf(text, sizeof text, "%s%04x:%04x", found.empty() ? "" : " ",
                          caps.usagePage, caps.usage);
            found += text;
        }
        EXPECT_EQ(found, device.collections) << device.file;
    }
}

}  // namespace
