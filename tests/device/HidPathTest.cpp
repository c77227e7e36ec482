#include "device/HidPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase {
    const char* name;
    const wchar_t* path;
    bool matches;
    HidPathIds expected;  // vendor, product, interface, collection
};

const PathCase kPathCases[] = {
    {"LowerCase",
     L"\\\\?\\hid#vid_1a2c&pid_0002&mi_01&col02#7&1b2c3d4e&0&0001#{4d1e55b2-f16f-11cf-88cb-"
     L"001111000030}",
     true,
     {0x1A2C, 2, 1, 2}},
    {"UpperCase",
     L"\\\\?\\HID#VID_1A2C&PID_0002&MI_01&COL02#7&1B2C3D4E&0&0001",
     true,
     {0x1A2C, 2, 1, 2}},
    {"NoMiNoCol", L"\\\\?\\hid#vid_1a2c&pid_0002#6&2f3e4d5c&0&0000", true, {0x1A2C, 2, -1, -1}},
    {"ColWithoutMi", L"hid#vid_1a2c&pid_0002&col03#x", true, {0x1A2C, 2, -1, 3}},
    {"MiWithoutCol", L"hid#vid_258a&pid_0049&mi_00#x", true, {0x258A, 0x49, 0, -1}},
    {"Mi10GivesItsLastDigit", L"hid#vid_1a2c&pid_0002&mi_10#x", true, {0x1A2C, 2, 0, -1}},
    {"Mi0aGives10", L"hid#vid_1a2c&pid_0002&mi_0a#x", true, {0x1A2C, 2, 10, -1}},
    {"Col12GivesItsLastDigit", L"hid#vid_1a2c&pid_0002&mi_01&col12#x", true, {0x1A2C, 2, 1, 2}},
    {"RevisionIsSkipped", L"hid#vid_1a2c&pid_0002&rev_0105&mi_01&col02#x", true, {0x1A2C, 2, 1, 2}},
    {"MixedCase", L"\\\\?\\Hid#Vid_1A2c&Pid_0002&Mi_01&Col02#x", true, {0x1A2C, 2, 1, 2}},
    {"ShortRevisionEndsTheMatch", L"hid#vid_1a2c&pid_0002&rev_01&mi_01", true, {0x1A2C, 2, -1, -1}},
    {"FirstOccurrenceCounts",
     L"hid#vid_1111&pid_2222#hid#vid_3333&pid_4444&mi_01",
     true,
     {0x1111, 0x2222, -1, -1}},
    {"FoundAnywhereInThePath",
     L"some prefix \\hid#vid_1a2c&pid_0002&mi_01",
     true,
     {0x1A2C, 2, 1, -1}},
    {"HexStopsAtFirstNonHexDigit", L"hid#vid_04zz&pid_0002", true, {4, 2, -1, -1}},
    {"FieldStartingWithNonHexGivesZero", L"hid#vid_zz12&pid_0002&mi_0g", true, {0, 2, 0, -1}},
    {"OneDigitMiIsNotAnMiField", L"hid#vid_1a2c&pid_0002&mi_1&col02", true, {0x1A2C, 2, -1, -1}},
    {"UsbPathDoesNotMatch",
     L"\\\\?\\usb#vid_1a2c&pid_0002#5&1234&0&1#{a5dcbf10-6530-11d2-901f-"
     L"00c04fb951ed}",
     false,
     {}},
    {"ShortVendorDoesNotMatch", L"hid#vid_1a2&pid_0002", false, {}},
    {"StorageVolumeDoesNotMatch",
     L"\\\\?\\STORAGE#Volume#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
     false,
     {}},
    {"EmptyPath", L"", false, {}},
};

class HidPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(HidPathTest, Parses) {
    const PathCase& c = GetParam();
    // Sentinels show which fields a call wrote.
    HidPathIds ids{77, 77, 77, 77};
    EXPECT_EQ(ParseHidPath(c.path, &ids), c.matches);
    const HidPathIds expected = c.matches ? c.expected : HidPathIds{77, 77, 77, 77};
    EXPECT_EQ(ids.vendorId, expected.vendorId);
    EXPECT_EQ(ids.productId, expected.productId);
    EXPECT_EQ(ids.interfaceNumber, expected.interfaceNumber);
    EXPECT_EQ(ids.collectionNumber, expected.collectionNumber);
}

TEST_P(HidPathTest, ReportsTheMatchWithoutIds) {
    EXPECT_EQ(ParseHidPath(GetParam().path, nullptr), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Paths, HidPathTest, testing::ValuesIn(kPathCases),
                         [](const testing::TestParamInfo<PathCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(HidPathNullTest, NullPathDoesNotMatchAndLeavesIdsAlone) {
    HidPathIds ids{5, 6, 7, 8};
    EXPECT_FALSE(ParseHidPath(nullptr, &ids));
    EXPECT_EQ(ids.vendorId, 5);
    EXPECT_EQ(ids.collectionNumber, 8);
}

}  // namespace
