#include "settings/EffectStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/XmlFile.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kDecl = "<?xml version=\"1.0\"?>\n";

bool sameRecord(const EffectRecord& a, const EffectRecord& b) {
    return a.brightness == b.brightness && a.speed == b.speed && a.direction == b.direction &&
           a.selection == b.selection;
}

std::string defaultFile() {
    return kgtest::readTestData("stores/ledeffect-default.xml");
}

class EffectStoreFile : public testing::Test {
protected:
    std::wstring path() const { return m_temp.wfile("ledeffect.xml"); }
    std::filesystem::path file() const { return m_temp.file("ledeffect.xml"); }
    void write(std::string_view bytes) const { kgtest::writeFile(file(), bytes); }
    std::string written() const { return kgtest::readFile(file()); }

    kgtest::TempFolder m_temp;
    EffectStore m_store;
};

TEST_F(EffectStoreFile, FirstStartCreatesTheDefaultFile) {
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(written(), defaultFile());
    EXPECT_EQ(m_store.currentIndex(), 20);
    EXPECT_EQ(m_store.record(-1), nullptr);
    for (int i = 0; i < EffectStore::kRecordCount; ++i) {
        ASSERT_NE(m_store.record(i), nullptr);
        EXPECT_TRUE(sameRecord(*m_store.record(i), EffectRecord{5, 1, 0, 1})) << i;
    }
}

TEST_F(EffectStoreFile, MalformedFileIsOverwrittenWithTheDefaults) {
    write("<effect sel=\"3\"><item speed=\"2\"></effect>");
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(written(), defaultFile());
    EXPECT_EQ(m_store.currentIndex(), 20);
}

TEST_F(EffectStoreFile, NullPathChangesNothing) {
    EXPECT_FALSE(m_store.load(nullptr));
    EXPECT_TRUE(m_store.path().empty());
    EXPECT_FALSE(m_store.save());
}

TEST_F(EffectStoreFile, AFileAsTheProgramWritesItComesBackByteForByte) {
    const std::string used = kgtest::readTestData("stores/ledeffect-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), 7);
    ASSERT_NE(m_store.record(-1), nullptr);
    EXPECT_TRUE(sameRecord(*m_store.record(-1), EffectRecord{2, 1, 1, 2}));
    EXPECT_TRUE(sameRecord(*m_store.record(19), EffectRecord{2, 1, 1, 2}));
    EXPECT_EQ(written(), used) << "load must not rewrite a good file";
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), used);
}

TEST_F(EffectStoreFile, WellFormedFileWithAnotherRootKeepsTheRecordsAndIsNotRewritten) {
    write(kgtest::readTestData("stores/ledeffect-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    const EffectRecord before = *m_store.record(3);

    const std::string other =
        std::string(kDecl) + "<lighting sel=\"5\">\n\t<item speed=\"0\" />\n</lighting>\n";
    write(other);
    EXPECT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), 0);
    EXPECT_TRUE(sameRecord(*m_store.record(3), before));
    EXPECT_EQ(written(), other);
}

struct SelCase {
    const char* name;
    const char* root;  // the root element's start tag
    int expected;
};

class EffectSel : public EffectStoreFile, public testing::WithParamInterface<SelCase> {};

TEST_P(EffectSel, IsReadAndLimited) {
    write(std::string(kDecl) + GetParam().root + "\n\t<item />\n</effect>\n");
    EXPECT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectSel,
    testing::Values(SelCase{"zero", "<effect sel=\"0\">", 0},
                    SelCase{"twenty_stays", "<effect sel=\"20\">", 20},
                    SelCase{"twenty_one_becomes_zero", "<effect sel=\"21\">", 0},
                    SelCase{"absent", "<effect>", 0},
                    SelCase{"minus_one", "<effect sel=\"-1\">", 0},
                    SelCase{"wraps_to_beyond_range", "<effect sel=\"4294967296\">", 0},
                    SelCase{"digits_then_text", "<effect sel=\"7abc\">", 7},
                    SelCase{"not_a_number", "<effect sel=\"x\">", 0},
                    SelCase{"leading_space", "<effect sel=\" 19\">", 19}),
    [](const testing::TestParamInfo<SelCase>& p) { return std::string(p.param.name); });

struct FieldCase {
    const char* name;
    const char* item;  // one item element
    EffectRecord expected;
};

class EffectFields : public EffectStoreFile, public testing::WithParamInterface<FieldCase> {};

TEST_P(EffectFields, AreReadAndCorrected) {
    write(std::string(kDecl) + "<effect sel=\"0\">\n\t" + GetParam().item + "\n</effect>\n");
    ASSERT_TRUE(m_store.load(path()));
    const EffectRecord& r = *m_store.record(0);
    const EffectRecord& e = GetParam().expected;
    EXPECT_EQ(r.brightness, e.brightness);
    EXPECT_EQ(r.speed, e.speed);
    EXPECT_EQ(r.direction, e.direction);
    EXPECT_EQ(r.selection, e.selection);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectFields,
    testing::Values(
        FieldCase{"all_in_range",
                  "<item speed=\"2\" brightness=\"3\" deriction=\"1\" selection=\"3\" />",
                  {3, 2, 1, 3}},
        FieldCase{"speed_7_becomes_1",
                  "<item speed=\"7\" brightness=\"0\" deriction=\"0\" selection=\"1\" />",
                  {0, 1, 0, 1}},
        FieldCase{"brightness_9_becomes_5",
                  "<item speed=\"0\" brightness=\"9\" deriction=\"0\" selection=\"1\" />",
                  {5, 0, 0, 1}},
        FieldCase{"deriction_2_becomes_0",
                  "<item speed=\"0\" brightness=\"0\" deriction=\"2\" selection=\"1\" />",
                  {0, 0, 0, 1}},
        FieldCase{"speed_258_is_low_byte_2",
                  "<item speed=\"258\" brightness=\"261\" deriction=\"257\" selection=\"258\" />",
                  {5, 2, 1, 2}},
        FieldCase{"missing_attributes", "<item />", {0, 0, 0, 1}},
        FieldCase{"selection_0_becomes_1", "<item selection=\"0\" />", {0, 0, 0, 1}},
        FieldCase{"selection_4_becomes_1", "<item selection=\"4\" />", {0, 0, 0, 1}},
        FieldCase{"negative_values",
                  "<item speed=\"-1\" brightness=\"-1\" deriction=\"-1\" selection=\"-1\" />",
                  {5, 1, 0, 1}},
        FieldCase{"huge_values_saturate",
                  "<item speed=\"99999999999\" brightness=\"99999999999\" />",
                  {5, 1, 0, 1}},
        FieldCase{"any_element_name", "<light speed=\"2\" brightness=\"4\" />", {4, 2, 0, 1}},
        FieldCase{
            "duplicated_attribute_first_counts", "<item speed=\"2\" speed=\"0\" />", {0, 2, 0, 1}}),
    [](const testing::TestParamInfo<FieldCase>& p) { return std::string(p.param.name); });

TEST_F(EffectStoreFile, TwentyFiveItemsReadTheFirstTwentyAndSaveTwenty) {
    std::string text = std::string(kDecl) + "<effect sel=\"1\">\n";
    for (int i = 0; i < 25; ++i) {
        text += "\t<item speed=\"" + std::to_string(i % 3) + "\" brightness=\"" +
                std::to_string(i % 6) + "\" />\n";
    }
    text += "</effect>\n";
    write(text);
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.record(19)->speed, 19 % 3);
    EXPECT_EQ(m_store.record(19)->brightness, 19 % 6);
    ASSERT_TRUE(m_store.save());
    const std::string out = written();
    std::size_t items = 0;
    for (std::size_t p = out.find("<item "); p != std::string::npos;
         p = out.find("<item ", p + 1)) {
        ++items;
    }
    EXPECT_EQ(items, 20u);
}

TEST_F(EffectStoreFile, FiveItemsLeaveTheOtherRecordsAsTheyWere) {
    write(kgtest::readTestData("stores/ledeffect-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    const EffectRecord before7 = *m_store.record(7);
    const EffectRecord before19 = *m_store.record(19);

    std::string text = std::string(kDecl) + "<effect sel=\"2\">\n";
    for (int i = 0; i < 5; ++i) {
        text += "\t<item speed=\"0\" brightness=\"0\" deriction=\"0\" selection=\"1\" />\n";
    }
    write(text + "</effect>\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_TRUE(sameRecord(*m_store.record(4), EffectRecord{0, 0, 0, 1}));
    EXPECT_TRUE(sameRecord(*m_store.record(7), before7));
    EXPECT_TRUE(sameRecord(*m_store.record(19), before19));
}

TEST_F(EffectStoreFile, NeverLoadedRecordsAreZero) {
    write(std::string(kDecl) + "<effect sel=\"0\" />\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_TRUE(sameRecord(*m_store.record(0), EffectRecord{0, 0, 0, 0}));
}

TEST_F(EffectStoreFile, RecordIndexRule) {
    ASSERT_FALSE(m_store.load(path()));
    EXPECT_EQ(m_store.record(-1), nullptr);  // current index 20
    EXPECT_EQ(m_store.record(-2), nullptr);
    EXPECT_EQ(m_store.record(20), nullptr);
    EXPECT_NE(m_store.record(0), nullptr);
    EXPECT_NE(m_store.record(19), nullptr);
    m_store.setCurrentIndex(4);
    EXPECT_EQ(m_store.record(-1), m_store.record(4));
}

TEST_F(EffectStoreFile, SetCurrentIndexStoresWithoutRangeTestAndSaves) {
    ASSERT_FALSE(m_store.load(path()));
    EXPECT_TRUE(m_store.setCurrentIndex(25));
    EXPECT_EQ(m_store.currentIndex(), 25);
    EXPECT_EQ(m_store.record(-1), nullptr);
    EXPECT_NE(written().find("<effect sel=\"25\">"), std::string::npos);
    EXPECT_TRUE(m_store.setCurrentIndex(-3));
    EXPECT_NE(written().find("<effect sel=\"-3\">"), std::string::npos);
}

TEST_F(EffectStoreFile, ResetDefaultsWritesTheDefaultFile) {
    write(kgtest::readTestData("stores/ledeffect-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_TRUE(m_store.resetDefaults());
    EXPECT_EQ(m_store.currentIndex(), 20);
    EXPECT_EQ(written(), defaultFile());
}

TEST_F(EffectStoreFile, AFailedSaveReturnsFalseKeepsMemoryAndTheOldFile) {
    const std::string used = kgtest::readTestData("stores/ledeffect-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    std::filesystem::create_directory(m_temp.file("ledeffect.xml.tmp"));
    m_store.record(0)->brightness = 1;
    EXPECT_FALSE(m_store.setCurrentIndex(3));
    EXPECT_EQ(m_store.currentIndex(), 3);
    EXPECT_EQ(m_store.record(0)->brightness, 1);
    EXPECT_EQ(written(), used);
}

TEST_F(EffectStoreFile, DefaultsThatCannotBeWrittenStillLoad) {
    // A folder that cannot hold the file: load still supplies the defaults.
    EffectStore store;
    EXPECT_FALSE(store.load((m_temp.path() / "missing" / "ledeffect.xml").wstring()));
    EXPECT_EQ(store.currentIndex(), 20);
    EXPECT_TRUE(sameRecord(*store.record(0), EffectRecord{5, 1, 0, 1}));
}

TEST_F(EffectStoreFile, EncodingsAndByteOrderMarks) {
    const std::string used = kgtest::readTestData("stores/ledeffect-used.xml");
    // The file is read as UTF-8: a UTF-8 byte-order mark is fine...
    write("\xEF\xBB\xBF" + used);
    EXPECT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.currentIndex(), 7);
    // ...a UTF-16 file is not, and is replaced by the defaults.
    write(kgtest::utf16le(used, true));
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(written(), defaultFile());
}

class EffectBadInput : public testing::TestWithParam<kgtest::BadInput> {};

TEST_P(EffectBadInput, GivesDefaultsOrReadsWithinRange) {
    kgtest::TempFolder temp;
    const std::filesystem::path file = temp.file("ledeffect.xml");
    kgtest::writeFile(file, GetParam().bytes);
    pugi::xml_document reference;
    const bool wellFormed = kg::loadXmlBuffer(reference, GetParam().bytes);

    EffectStore store;
    EXPECT_EQ(store.load(file.wstring()), wellFormed);
    if (wellFormed) {
        EXPECT_EQ(kgtest::readFile(file), GetParam().bytes) << "a well-formed file is left alone";
        EXPECT_GE(store.currentIndex(), 0);
        EXPECT_LE(store.currentIndex(), 20);
    } else {
        EXPECT_EQ(kgtest::readFile(file), defaultFile());
        EXPECT_EQ(store.currentIndex(), 20);
    }
    for (int i = 0; i < EffectStore::kRecordCount; ++i) {
        const EffectRecord& r = *store.record(i);
        EXPECT_LE(r.speed, 2);
        EXPECT_LE(r.brightness, 5);
        EXPECT_LE(r.direction, 1);
        EXPECT_LE(r.selection, 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EffectBadInput,
    testing::ValuesIn(kgtest::badInputs(kgtest::readTestData("stores/ledeffect-used.xml"))),
    [](const testing::TestParamInfo<kgtest::BadInput>& p) { return p.param.name; });

}  // namespace
