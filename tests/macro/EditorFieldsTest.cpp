#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "macro/EditorFields.h"
#include "settings/MacroStore.h"

namespace {

struct NumberCase {
    const char* name;
    std::wstring text;
    std::int32_t leading;              // repeat and fixed delay fields
    std::optional<std::int32_t> step;  // a step's delay field; nullopt: the old delay back
};

class FieldNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FieldNumbers, Read) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(kg::leadingNumber(c.text), c.leading);
    EXPECT_EQ(kg::stepDelayFromText(c.text), c.step);
}

const NumberCase kNumberCases[] = {
    {"Plain", L"25", 25, 25},
    {"LeadingWhiteSpace", L"  40", 40, 40},
    {"TrailingLetters", L"12ms", 12, 12},
    {"Signed", L"-3", -3, -3},
    {"PlusSign", L"+8", 8, 8},
    {"Empty", L"", 0, 0},
    {"OnlyWhiteSpace", L"   ", 0, 0},
    {"Letters", L"abc", 0, std::nullopt},
    {"ALoneSign", L"-", 0, std::nullopt},
    {"LettersBeforeDigits", L"x5", 0, std::nullopt},
    {"TooLargeStopsAtTheTop", L"99999999999", 2147483647, 2147483647},
    {"TooSmallStopsAtTheBottom", L"-99999999999", -2147483647 - 1, -2147483647 - 1},
};

INSTANTIATE_TEST_SUITE_P(EditorFields, FieldNumbers, ::testing::ValuesIn(kNumberCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(EditorFields, StepStates) {
    EXPECT_STREQ(kg::stepStateText(0), L"key down");
    EXPECT_STREQ(kg::stepStateText(1), L"key up");
    EXPECT_STREQ(kg::stepStateText(2), L"replace");
    EXPECT_STREQ(kg::stepStateText(-1), L"replace");
}

TEST(EditorFields, KeyNamesJoinInCodeOrderWithoutSpaces) {
    EXPECT_EQ(kg::joinKeyNames({}), L"");
    EXPECT_EQ(kg::joinKeyNames({{0x46, L"F"}}), L"F");
    EXPECT_EQ(kg::joinKeyNames({{0x46, L"F"}, {0x0D, L"Enter"}, {0x41, L"A"}}), L"Enter,A,F");
}

struct SettleCase {
    const char* name;
    std::int32_t group, mode;
    int groupCount;
    std::int32_t groupAfter, modeAfter;
    bool saved;
};

class Settle : public ::testing::TestWithParam<SettleCase> {};

TEST_P(Settle, OnOpening) {
    const SettleCase& c = GetParam();
    MacroConfig config;
    config.group = c.group;
    config.mode = c.mode;
    EXPECT_EQ(kg::settleEditorConfig(config, c.groupCount), c.saved);
    EXPECT_EQ(config.group, c.groupAfter);
    EXPECT_EQ(config.mode, c.modeAfter);
}

const SettleCase kSettleCases[] = {
    {"InRangeStays", 1, 2, 3, 1, 2, false},
    {"GroupEqualToTheCountBecomesZero", 3, 0, 3, 0, 0, false},
    {"NegativeGroupBecomesZero", -1, 1, 3, 0, 1, false},
    {"NoGroupsGivesZero", 0, 0, 0, 0, 0, false},
    {"ModeFiveBecomesRealTimeAndIsSaved", 0, 5, 1, 0, 0, true},
    {"ModeThreeBecomesRealTime", 0, 3, 1, 0, 0, true},
};

INSTANTIATE_TEST_SUITE_P(EditorFields, Settle, ::testing::ValuesIn(kSettleCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
