#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct UnsignedCase {
    const char* name;
    std::string text;
    std::uint32_t expected;
};

class Unsigned32 : public testing::TestWithParam<UnsignedCase> {};

TEST_P(Unsigned32, Reads) {
    EXPECT_EQ(kg::parseUnsigned32(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Unsigned32,
    testing::Values(UnsignedCase{"plain", "42", 42u}, UnsignedCase{"zero", "0", 0u},
                    UnsignedCase{"empty", "", 0u}, UnsignedCase{"no_digits", "abc", 0u},
                    UnsignedCase{"leading_space", "  \t\n17", 17u},
                    UnsignedCase{"stops_at_non_digit", "12ab3", 12u},
                    UnsignedCase{"trailing_space", "12 3", 12u},
                    UnsignedCase{"max", "4294967295", 4294967295u},
                    UnsignedCase{"one_beyond_max_saturates", "4294967296", 4294967295u},
                    UnsignedCase{"huge_saturates", std::string(400, '9'), 4294967295u},
                    UnsignedCase{"leading_zeros", std::string(50, '0') + "7", 7u},
                    UnsignedCase{"minus_one_wraps", "-1", 4294967295u},
                    UnsignedCase{"minus_wraps_modulo", "-4294967295", 1u},
                    UnsignedCase{"minus_beyond_range_saturates", "-4294967296", 4294967295u},
                    UnsignedCase{"minus_zero", "-0", 0u}, UnsignedCase{"plus", "+5", 5u},
                    UnsignedCase{"sign_alone", "-", 0u}, UnsignedCase{"double_sign", "--5", 0u},
                    UnsignedCase{"space_after_sign", "- 5", 0u},
                    UnsignedCase{"hex_prefix_is_not_read", "0x1F", 0u},
                    UnsignedCase{"decimal_point", "3.9", 3u},
                    UnsignedCase{"full_width_digit", "\xEF\xBC\x91", 0u}),
    [](const testing::TestParamInfo<UnsignedCase>& p) { return std::string(p.param.name); });

TEST(Wrapped32, SameBitsInASignedField) {
    EXPECT_EQ(kg::parseWrapped32("4294967295"), -1);
    EXPECT_EQ(kg::parseWrapped32("-1"), -1);
    EXPECT_EQ(kg::parseWrapped32("2147483648"), INT32_MIN);
    EXPECT_EQ(kg::parseWrapped32("-2147483648"), INT32_MIN);
    EXPECT_EQ(kg::parseWrapped32("269"), 269);
}

struct HexCase {
    const char* name;
    const char* text;
    std::uint32_t expected;
};

class Hex32 : public testing::TestWithParam<HexCase> {};

TEST_P(Hex32, Reads) {
    EXPECT_EQ(kg::parseHex32(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Hex32,
    testing::Values(HexCase{"capitals", "258A", 0x258Au}, HexCase{"small_letters", "258a", 0x258Au},
                    HexCase{"prefix", "0x258a", 0x258Au},
                    HexCase{"capital_prefix", "0X258A", 0x258Au},
                    HexCase{"leading_zeros", "0049", 0x49u}, HexCase{"empty", "", 0u},
                    HexCase{"stops_at_non_hex", "12g4", 0x12u},
                    HexCase{"prefix_without_digits", "0x", 0u},
                    HexCase{"prefix_then_non_hex", "0xg", 0u},
                    HexCase{"leading_space", " 1f", 0x1Fu}, HexCase{"max", "FFFFFFFF", 0xFFFFFFFFu},
                    HexCase{"beyond_max_saturates", "1FFFFFFFF", 0xFFFFFFFFu},
                    HexCase{"minus", "-1", 0xFFFFFFFFu}, HexCase{"no_digits", "zz", 0u}),
    [](const testing::TestParamInfo<HexCase>& p) { return std::string(p.param.name); });

struct AtolCase {
    const char* name;
    const char* text;
    std::int32_t expected;
};

class Atol : public testing::TestWithParam<AtolCase> {};

TEST_P(Atol, Reads) {
    EXPECT_EQ(kg::parseAtol(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Atol,
    testing::Values(AtolCase{"plain", "17", 17}, AtolCase{"negative", "-20", -20},
                    AtolCase{"empty", "", 0}, AtolCase{"letters", "ctrl", 0},
                    AtolCase{"stops_at_letter", "67c", 67}, AtolCase{"leading_tab", "\t9", 9},
                    AtolCase{"max", "2147483647", INT32_MAX},
                    AtolCase{"beyond_max_saturates", "2147483648", INT32_MAX},
                    AtolCase{"min", "-2147483648", INT32_MIN},
                    AtolCase{"beyond_min_saturates", "-99999999999", INT32_MIN}),
    [](const testing::TestParamInfo<AtolCase>& p) { return std::string(p.param.name); });

TEST(LowBits, KeepOnlyTheLowBits) {
    EXPECT_EQ(kg::low8(258), 2);
    EXPECT_EQ(kg::low8(0xFFFFFFFFu), 255);
    EXPECT_EQ(kg::low4(17), 1);
    EXPECT_EQ(kg::low4(0xF0), 0);
    EXPECT_EQ(kg::low4(9), 9);
}

}  // namespace
