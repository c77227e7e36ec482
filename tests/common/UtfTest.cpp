#include "common/Utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsAsciiChineseAndCharactersBeyondTheBasicPlane) {
    // "Group 宏 😀": a CJK character (3 bytes) and an emoji (4 bytes; a surrogate pair where
    // wchar_t has 16 bits).
    const std::string utf8 = "Group \xE5\xAE\x8F \xF0\x9F\x98\x80";
    const std::wstring wide = kg::fromUtf8(utf8);
    EXPECT_EQ(wide.substr(0, 6), L"Group ");
    EXPECT_EQ(wide[6], L'\x5B8F');
    if constexpr (sizeof(wchar_t) == 2) {
        ASSERT_EQ(wide.size(), 10u);
        EXPECT_EQ(static_cast<unsigned>(wide[8]), 0xD83Du);
        EXPECT_EQ(static_cast<unsigned>(wide[9]), 0xDE00u);
    } else {
        ASSERT_EQ(wide.size(), 9u);
        EXPECT_EQ(static_cast<unsigned>(wide[8]), 0x1F600u);
    }
    EXPECT_EQ(kg::toUtf8(wide), utf8);
}

TEST(Utf, EmptyStrings) {
    EXPECT_EQ(kg::toUtf8(L""), "");
    EXPECT_EQ(kg::fromUtf8(""), L"");
}

TEST(Utf, MalformedUtf8DoesNotStopTheConversion) {
    // A lone continuation byte, a cut-off sequence and Latin-1 bytes.
    const std::wstring wide = kg::fromUtf8(
        "a\x80"
        "b\xE5\xAE"
        "c\xE9\xFF"
        "d");
    EXPECT_NE(wide.find(L'a'), std::wstring::npos);
    EXPECT_NE(wide.find(L'd'), std::wstring::npos);
    EXPECT_LE(wide.size(), 10u);
}

}  // namespace
