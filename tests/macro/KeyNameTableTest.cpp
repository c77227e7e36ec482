#include <gtest/gtest.h>

#include <string>

#include "macro/KeyNameTable.h"

namespace {

struct NameCase {
    const char* name;
    std::uint32_t vk;
    std::uint32_t flags;
    std::wstring expected;
};

class KeyNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(KeyNames, NameOfTheEvent) {
    const NameCase& c = GetParam();
    platform::KeyEvent e;
    e.vkCode = c.vk;
    e.flags = c.flags;
    EXPECT_EQ(keyNameFor(e), c.expected);
}

constexpr std::uint32_t kExt = platform::kKeyFlagExtended;

const NameCase kCases[] = {
    {"Digit", 0x37, 0, L"7"},
    {"Letter", 0x51, 0, L"Q"},
    {"PadDigit", 0x63, 0, L"Pad 3"},
    {"FunctionKey", 0x7B, 0, L"F12"},
    {"Enter", 0x0D, 0, L"Enter"},
    {"ExtendedEnterIsThePadEnter", 0x0D, kExt, L"Pad Enter"},
    {"ExtendedInsertFallsBackToInsert", 0x2D, kExt, L"Insert"},
    {"ShiftRight", 0xA1, 0, L"ShiftRight"},
    {"Backslash", 0xDC, 0, L"\\"},
    {"Quote", 0xDE, 0, L"\u2018"},
    {"Tilde", 0xC0, 0, L"~"},
    {"PadDivideExtended", 0x6F, kExt, L"Pad /"},
    {"NoRowGivesTheEmptyName", 0x07, 0, L""},
    {"NoRowForF13", 0x7C, 0, L""},
    {"NoRowForPadSeparator", 0x6C, 0, L""},
    {"AHugeCodeHasNoName", 0x10000041, 0, L""},
};

INSTANTIATE_TEST_SUITE_P(KeyNameTable, KeyNames, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(KeyNameTable, DigitsAndLettersNameThemselves) {
    for (wchar_t c = L'0'; c <= L'9'; ++c) {
        ASSERT_NE(KeyNameTable::find(c), nullptr);
        EXPECT_EQ(std::wstring(KeyNameTable::find(c)), std::wstring(1, c));
    }
    for (wchar_t c = L'A'; c <= L'Z'; ++c) {
        ASSERT_NE(KeyNameTable::find(c), nullptr);
        EXPECT_EQ(std::wstring(KeyNameTable::find(c)), std::wstring(1, c));
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(std::wstring(KeyNameTable::find(0x70 + i)), L"F" + std::to_wstring(i + 1));
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::wstring(KeyNameTable::find(0x60 + i)), L"Pad " + std::to_wstring(i));
    }
}

TEST(KeyNameTable, OnlyThePadEnterHasAnExtendedRow) {
    int extendedRows = 0;
    for (int code = 0x100; code < 0x200; ++code) {
        extendedRows += KeyNameTable::find(code) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(extendedRows, 1);
    EXPECT_EQ(std::wstring(KeyNameTable::find(0x10D)), L"Pad Enter");
}

}  // namespace
