// Reading the key layout file of the keyboard image: colours, rectangles, the file itself and
// the path the "crdxml" value names.

#include "controls/KeyLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

#include "platform/ProgramFolder.h"

namespace {

struct ColourCase {
    const char* name;
    const char* text;
    std::uint32_t expected;
};

class KeyColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(KeyColour, Reads) {
    EXPECT_EQ(kg::parseKeyColour(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyColour,
    ::testing::Values(ColourCase{"WithHash", "#FF8000", 0xFF8000},
                      ColourCase{"WithoutHash", "FF8000", 0xFF8000},
                      ColourCase{"SpacesBetweenPairs", "#FF 80 00", 0xFF8000},
                      ColourCase{"SpacesAndHashesAnywhere", " # ff8 0#00 ", 0xFF8000},
                      ColourCase{"LowerCase", "#dd4bae", 0xDD4BAE},
                      ColourCase{"StopsAtTheFirstNonDigit", "12G456", 0x12},
                      ColourCase{"HexPrefix", "0x00FF00", 0x00FF00},
                      ColourCase{"EightDigitsKeptWhole", "80FF8000", 0x80FF8000},
                      ColourCase{"EmptyIsWhite", "", 0xFFFFFF},
                      ColourCase{"OnlyHashIsWhite", "#", 0xFFFFFF},
                      ColourCase{"NotStartingWithADigitIsWhite", "red", 0xFFFFFF},
                      ColourCase{"MinusIsWhite", "-12", 0xFFFFFF}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct RectCase {
    const char* name;
    const char* text;
    int left, top, right, bottom;
};

class KeyRect : public ::testing::TestWithParam<RectCase> {};

TEST_P(KeyRect, Reads) {
    CoordButton key;
    kg::parseKeyRect(GetParam().text, key);
    EXPECT_EQ(key.left, GetParam().left);
    EXPECT_EQ(key.top, GetParam().top);
    EXPECT_EQ(key.right, GetParam().right);
    EXPECT_EQ(key.bottom, GetParam().bottom);
}

constexpr int kMaxInt = std::numeric_limits<int>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyRect,
    ::testing::Values(RectCase{"LeftTopWidthHeight", "10,20,30,40", 10, 20, 40, 60},
                      RectCase{"SpacesIgnored", " 10 , 2 0,30 ,  40 ", 10, 20, 40, 60},
                      RectCase{"MissingNumbersAreZero", "10,20", 10, 20, 10, 20},
                      RectCase{"UnreadableNumberIsZero", "x,20,30,40", 0, 20, 30, 60},
                      RectCase{"EmptyFieldIsZero", "10,,30,40", 10, 0, 40, 40},
                      RectCase{"Empty", "", 0, 0, 0, 0},
                      RectCase{"NegativePosition", "-5,-5,10,10", -5, -5, 5, 5},
                      RectCase{"HugeWidthDoesNotWrap", "10,0,2147483647,5", 10, 0, kMaxInt, 5}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(KeyButton, RightAndBottomEdgesAreOutside) {
    CoordButton key;
    kg::parseKeyRect("10,20,30,40", key);
    EXPECT_TRUE(key.contains(10, 20));
    EXPECT_TRUE(key.contains(39, 59));
    EXPECT_FALSE(key.contains(40, 30));
    EXPECT_FALSE(key.contains(20, 60));
    EXPECT_FALSE(key.contains(9, 30));
}

class KeyLayoutFile : public ::testing::Test {
protected:
    std::wstring write(const QByteArray& text) {
        const QString p = m_dir.filePath(QStringLiteral("keys.xml"));
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return p.toStdWString();
    }
    QTemporaryDir m_dir;
};

TEST_F(KeyLayoutFile, EveryChildOfPositionsIsAKeyInDocumentOrder) {
    const std::wstring p = write(
        "<?xml version=\"1.0\"?>\n<positions>\n"
        "  <key id=\"65\" va=\"65\" name=\"A\" color=\"#102030\" rect=\"1,2,3,4\"/>\n"
        "  <!-- a comment is no key -->\n"
        "  <button id=\"269\" name=\"Pad Enter\" rect=\"10,10,5,5\"/>\n"
        "  <anything/>\n"
        "</positions>\n");
    std::list<CoordButton> keys;
    ASSERT_TRUE(kg::loadKeyLayout(p, 0x123456, keys));
    ASSERT_EQ(keys.size(), 3u);
    auto it = keys.begin();
    EXPECT_EQ(it->id, 65);
    EXPECT_EQ(it->va, 65);
    EXPECT_EQ(it->name, L"A");
    EXPECT_EQ(it->colour, 0x102030u);
    EXPECT_EQ(it->right, 4);
    EXPECT_EQ(it->bottom, 6);
    EXPECT_EQ(it->tip, L"");
    EXPECT_EQ(it->checked + it->hover + it->pressed, 0);
    ++it;
    EXPECT_EQ(it->id, 269);
    EXPECT_EQ(it->va, -1) << "absent va";
    EXPECT_EQ(it->colour, 0x123456u) << "absent colour: the control's default";
    ++it;
    EXPECT_EQ(it->id, -1) << "absent id";
    EXPECT_EQ(it->name, L"");
    EXPECT_EQ(it->right, 0);
}

TEST_F(KeyLayoutFile, NamesInOtherEncodingsAreRead) {
    // UTF-16 with a byte-order mark: the parser detects it.
    const QString text =
        QStringLiteral("<positions><k id=\"1\" name=\"\u00C4 Taste\"/></positions>");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    std::list<CoordButton> keys;
    ASSERT_TRUE(kg::loadKeyLayout(write(bytes), 0xFFFFFF, keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys.front().name, L"\u00C4 Taste");
}

TEST_F(KeyLayoutFile, BrokenFilesGiveNoKeys) {
    std::list<CoordButton> keys;
    keys.emplace_back();
    EXPECT_FALSE(kg::loadKeyLayout(write("<positions><key id=\"1\"></positions>"), 0, keys));
    EXPECT_TRUE(keys.empty());
    EXPECT_FALSE(kg::loadKeyLayout(write("<keys><key id=\"1\"/></keys>"), 0, keys));
    EXPECT_TRUE(keys.empty());
    EXPECT_FALSE(
        kg::loadKeyLayout(m_dir.filePath(QStringLiteral("none.xml")).toStdWString(), 0, keys));
    EXPECT_TRUE(keys.empty());
}

TEST(KeyLayoutPath, IsAlwaysBelowTheProgramFolderWithEitherSeparator) {
    const std::wstring sep(1, platform::pathSeparator());
    const std::wstring expected =
        sep + L"opt" + sep + L"kg" + sep + L"uires" + sep + L"keyboard.xml";
    EXPECT_EQ(kg::keyLayoutPath(L"/opt/kg", L"uires\\keyboard.xml"), expected);
    EXPECT_EQ(kg::keyLayoutPath(L"/opt/kg", L"\\uires\\keyboard.xml"), expected);
    EXPECT_EQ(kg::keyLayoutPath(L"/opt/kg", L"/uires/keyboard.xml"), expected);
    EXPECT_EQ(kg::keyLayoutPath(L"\\opt\\kg", L"uires/keyboard.xml"), expected);
}

}  // namespace
