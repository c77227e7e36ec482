#include "settings/SideLightStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/XmlFile.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kDecl = "<?xml version=\"1.0\"?>\n";

std::string defaultFile() {
    return kgtest::readTestData("stores/sidemodel-default.xml");
}

class SideLightStoreFile : public testing::Test {
protected:
    std::wstring path() const { return m_temp.wfile("sidemodel.xml"); }
    std::filesystem::path file() const { return m_temp.file("sidemodel.xml"); }
    void write(std::string_view bytes) const { kgtest::writeFile(file(), bytes); }
    std::string written() const { return kgtest::readFile(file()); }

    kgtest::TempFolder m_temp;
    SideLightStore m_store;
};

TEST_F(SideLightStoreFile, FirstStartCreatesTheDefaultFile) {
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(written(), defaultFile());
    EXPECT_EQ(m_store.currentIndex(), 0);
    const int levels[12] = {4, 4, 4, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    for (int i = 0; i < SideLightStore::kRecordCount; ++i) {
        EXPECT_EQ(m_store.record(i)->level(), levels[i]) << i;
        EXPECT_EQ(m_store.record(i)->flags, 0x01) << i;
        EXPECT_EQ(m_store.record(i)->levelAndEffect & 0x0F, 0) << i;
    }
}

TEST_F(SideLightStoreFile, MalformedFileIsOverwrittenWithTheDefaults) {
    write("<effect sel=\"3\"><item brightness=\"2\">");
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(written(), defaultFile());
}

TEST_F(SideLightStoreFile, AFileAsTheProgramWritesItComesBackByteForByte) {
    const std::string used = kgtest::readTestData("stores/sidemodel-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), 11);
    EXPECT_EQ(m_store.record(-1)->level(), (11 * 3) % 8);
    EXPECT_EQ(written(), used);
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), used);
}

struct LevelCase {
    const char* name;
    const char* item;
    int expected;
};

class SideLevel : public SideLightStoreFile, public testing::WithParamInterface<LevelCase> {};

TEST_P(SideLevel, IsTheLowNibbleLimitedToSeven) {
    write(std::string(kDecl) + "<effect sel=\"0\">\n\t" + GetParam().item + "\n</effect>\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.record(0)->level(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SideLevel,
    testing::Values(LevelCase{"seven", "<item brightness=\"7\" />", 7},
                    LevelCase{"nine_becomes_zero", "<item brightness=\"9\" />", 0},
                    LevelCase{"seventeen_is_low_nibble_1", "<item brightness=\"17\" />", 1},
                    LevelCase{"missing", "<item />", 0},
                    LevelCase{"minus_one", "<item brightness=\"-1\" />", 0},
                    LevelCase{"huge_saturates", "<item brightness=\"99999999999\" />", 0},
                    LevelCase{"any_element_name", "<side brightness=\"3\" />", 3}),
    [](const testing::TestParamInfo<LevelCase>& p) { return std::string(p.param.name); });

struct SideSelCase {
    const char* name;
    const char* sel;
    int expected;
};

class SideSel : public SideLightStoreFile, public testing::WithParamInterface<SideSelCase> {};

TEST_P(SideSel, IsLimitedToTwelve) {
    write(std::string(kDecl) + "<effect sel=\"" + GetParam().sel + "\" />\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SideSel,
                         testing::Values(SideSelCase{"twelve_stays", "12", 12},
                                         SideSelCase{"thirteen_becomes_zero", "13", 0},
                                         SideSelCase{"eleven", "11", 11},
                                         SideSelCase{"minus_one", "-1", 0}),
                         [](const testing::TestParamInfo<SideSelCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(SideLightStoreFile, LoadKeepsTheLowNibbleAndTheFlags) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.record(2)->levelAndEffect = 0x35;  // level 3, effect nibble 5
    m_store.record(2)->flags = 0xF1;
    write(std::string(kDecl) +
          "<effect sel=\"0\">\n\t<item />\n\t<item />\n\t<item brightness=\"6\" />\n</effect>\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.record(2)->levelAndEffect, 0x65);
    EXPECT_EQ(m_store.record(2)->flags, 0xF1);
}

TEST_F(SideLightStoreFile, ResetDefaultsSetsFlagBitZeroClearsOneToThreeKeepsTheRest) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.record(5)->flags = 0xAE;
    m_store.setCurrentIndex(9);
    EXPECT_TRUE(m_store.resetDefaults());
    EXPECT_EQ(m_store.record(5)->flags, 0xA1);
    EXPECT_EQ(m_store.currentIndex(), 0);
    EXPECT_EQ(written(), defaultFile());
}

TEST_F(SideLightStoreFile, ThirteenItemsReadTwelve) {
    std::string text = std::string(kDecl) + "<effect sel=\"0\">\n";
    for (int i = 0; i < 13; ++i) {
        text += "\t<item brightness=\"" + std::to_string(i % 8) + "\" />\n";
    }
    write(text + "</effect>\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.record(11)->level(), 3);
    EXPECT_EQ(m_store.record(12), nullptr);
}

TEST_F(SideLightStoreFile, AFailedSaveReturnsFalseKeepsMemoryAndTheOldFile) {
    const std::string used = kgtest::readTestData("stores/sidemodel-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    std::filesystem::create_directory(m_temp.file("sidemodel.xml.tmp"));
    EXPECT_FALSE(m_store.setCurrentIndex(2));
    EXPECT_EQ(m_store.currentIndex(), 2);
    EXPECT_EQ(written(), used);
}

TEST(SideLightRecord, SetLevelKeepsTheLowNibble) {
    SideLightRecord r;
    r.levelAndEffect = 0x0B;
    r.setLevel(7);
    EXPECT_EQ(r.levelAndEffect, 0x7B);
    EXPECT_EQ(r.level(), 7);
}

class SideBadInput : public testing::TestWithParam<kgtest::BadInput> {};

TEST_P(SideBadInput, GivesDefaultsOrReadsWithinRange) {
    kgtest::TempFolder temp;
    const std::filesystem::path file = temp.file("sidemodel.xml");
    kgtest::writeFile(file, GetParam().bytes);
    pugi::xml_document reference;
    const bool wellFormed = kg::loadXmlBuffer(reference, GetParam().bytes);

    SideLightStore store;
    EXPECT_EQ(store.load(file.wstring()), wellFormed);
    if (wellFormed) {
        EXPECT_EQ(kgtest::readFile(file), GetParam().bytes);
        EXPECT_LE(store.currentIndex(), 12);
    } else {
        EXPECT_EQ(kgtest::readFile(file), defaultFile());
    }
    EXPECT_GE(store.currentIndex(), 0);
    for (int i = 0; i < SideLightStore::kRecordCount; ++i) {
        EXPECT_LE(store.record(i)->level(), 7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SideBadInput,
    testing::ValuesIn(kgtest::badInputs(kgtest::readTestData("stores/sidemodel-used.xml"))),
    [](const testing::TestParamInfo<kgtest::BadInput>& p) { return p.param.name; });

}  // namespace
