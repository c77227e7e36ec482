#include "settings/RecordStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/XmlFile.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kDecl = "<?xml version=\"1.0\"?>\n";

KeyRecord makeRecord(int code, int type, const wchar_t* group) {
    KeyRecord r;
    r.code = code;
    r.type = type;
    r.group = group;
    r.name = L"K";
    r.steps.push_back(MacroStep{65, 0, 5, L"A"});
    return r;
}

class RecordStoreFile : public testing::Test {
protected:
    std::wstring path() const { return m_temp.wfile("record.xml"); }
    std::filesystem::path file() const { return m_temp.file("record.xml"); }
    void write(std::string_view bytes) const { kgtest::writeFile(file(), bytes); }
    std::string written() const { return kgtest::readFile(file()); }

    kgtest::TempFolder m_temp;
    RecordStore m_store;
};

TEST_F(RecordStoreFile, FirstStartIsEmptyAndSavesADeclarationOnly) {
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_TRUE(m_store.records().empty());
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), kgtest::readTestData("stores/record-empty.xml"));
    // The XML library reports a document without any element as not well-formed, so the
    // file of an empty store reads as a failed load; the store stays empty all the same.
    RecordStore back;
    EXPECT_FALSE(back.load(path()));
    EXPECT_TRUE(back.records().empty());
}

TEST_F(RecordStoreFile, AFileAsTheProgramWritesItComesBackByteForByte) {
    const std::string used = kgtest::readTestData("stores/record-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    ASSERT_EQ(m_store.records().size(), 5u);
    const KeyRecord& r0 = m_store.records()[0];
    EXPECT_EQ(r0.code, 269);
    EXPECT_EQ(r0.type, 0);
    EXPECT_EQ(r0.repeat, 3);
    EXPECT_EQ(r0.mode, 1);
    EXPECT_EQ(r0.name, L"Num Enter");
    EXPECT_EQ(r0.group, L"Group 0");
    ASSERT_EQ(r0.steps.size(), 2u);
    EXPECT_EQ(r0.steps[1].state, 1);
    const KeyRecord& r3 = m_store.records()[3];
    ASSERT_EQ(r3.steps.size(), 4u);
    EXPECT_EQ(r3.steps[0].delay, 21);
    EXPECT_EQ(m_store.records()[4].code, -5);
    EXPECT_EQ(m_store.records()[4].repeat, -1);
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), used);
    EXPECT_EQ(m_store.saveBuffer(), used) << "the bytes in memory are the file's";
    RecordStore fromBytes;
    ASSERT_TRUE(fromBytes.loadBuffer(used));
    EXPECT_EQ(fromBytes.saveBuffer(), used);
}

TEST_F(RecordStoreFile, SetRecordReplacesInPlaceOrAppendsAndSaves) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.setRecord(makeRecord(112, 0, L"one"));
    EXPECT_NE(written().find("group=\"one\""), std::string::npos) << "appending saves";
    m_store.setRecord(makeRecord(113, 1, L"two"));
    m_store.setRecord(makeRecord(112, 3, L"three"));
    ASSERT_EQ(m_store.records().size(), 2u);
    EXPECT_EQ(m_store.records()[0].code, 112);
    EXPECT_EQ(m_store.records()[0].type, 3);
    EXPECT_EQ(m_store.records()[0].group, L"three");
    EXPECT_EQ(m_store.records()[1].code, 113);
    EXPECT_EQ(written().find("three"), std::string::npos) << "replacing leaves the save to callers";
    ASSERT_TRUE(m_store.save());
    EXPECT_NE(written().find("three"), std::string::npos);
}

TEST_F(RecordStoreFile, RemoveRecord) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.setRecord(makeRecord(112, 0, L"a"));
    m_store.setRecord(makeRecord(113, 0, L"b"));
    const std::string before = written();
    EXPECT_FALSE(m_store.removeRecord(114));
    EXPECT_EQ(m_store.records().size(), 2u);
    EXPECT_TRUE(m_store.removeRecord(112));
    ASSERT_EQ(m_store.records().size(), 1u);
    EXPECT_EQ(m_store.records()[0].code, 113);
    EXPECT_EQ(written(), before) << "removeRecord does not save";
}

TEST_F(RecordStoreFile, DuplicateCodesAllLoadAndTheFirstIsFound) {
    write(std::string(kDecl) +
          "<record code=\"65\" group=\"first\"/>\n<record code=\"65\" group=\"second\"/>\n");
    ASSERT_TRUE(m_store.load(path()));
    ASSERT_EQ(m_store.records().size(), 2u);
    ASSERT_NE(m_store.findRecord(65), nullptr);
    EXPECT_EQ(m_store.findRecord(65)->group, L"first");
    EXPECT_EQ(m_store.findRecord(66), nullptr);
    m_store.setRecord(makeRecord(65, 2, L"new"));
    EXPECT_EQ(m_store.records()[0].group, L"new");
    EXPECT_EQ(m_store.records()[1].group, L"second");
}

TEST_F(RecordStoreFile, EveryTopLevelElementIsARecordWhateverItsName) {
    write("<key code=\"1\"><step code=\"9\"/></key>text<record code=\"2\"/><x/>");
    ASSERT_TRUE(m_store.load(path()));
    ASSERT_EQ(m_store.records().size(), 3u);
    EXPECT_EQ(m_store.records()[0].steps.at(0).code, 9);
    EXPECT_EQ(m_store.records()[1].code, 2);
    EXPECT_EQ(m_store.records()[2].code, 0);
}

TEST_F(RecordStoreFile, NumbersWrapAndTextDefaults) {
    write("<record code=\"4294967295\" type=\" 2\" repeat=\"99999999999\" mode=\"-2\"/>");
    ASSERT_TRUE(m_store.load(path()));
    const KeyRecord& r = m_store.records().at(0);
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.type, 2);
    EXPECT_EQ(r.repeat, -1);
    EXPECT_EQ(r.mode, -2);
    EXPECT_EQ(r.name, L"");
    EXPECT_EQ(r.group, L"");
}

TEST_F(RecordStoreFile, MalformedFileLeavesTheRecords) {
    write(kgtest::readTestData("stores/record-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    write("<record code=\"1\"><item");
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(m_store.records().size(), 5u);
}

TEST_F(RecordStoreFile, ClearRecordsEmptiesAndSaves) {
    write(kgtest::readTestData("stores/record-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_TRUE(m_store.clearRecords());
    EXPECT_TRUE(m_store.records().empty());
    EXPECT_EQ(written(), kgtest::readTestData("stores/record-empty.xml"));
}

TEST_F(RecordStoreFile, AFailedSaveKeepsTheOldFile) {
    const std::string used = kgtest::readTestData("stores/record-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    std::filesystem::create_directory(m_temp.file("record.xml.tmp"));
    m_store.setRecord(makeRecord(200, 0, L"x"));
    EXPECT_EQ(m_store.records().size(), 6u);
    EXPECT_FALSE(m_store.save());
    EXPECT_EQ(written(), used);
}

class RecordBadInput : public testing::TestWithParam<kgtest::BadInput> {};

TEST_P(RecordBadInput, FailsWithoutChangesOrReads) {
    kgtest::TempFolder temp;
    const std::filesystem::path file = temp.file("record.xml");
    kgtest::writeFile(file, GetParam().bytes);
    pugi::xml_document reference;
    const bool wellFormed = kg::loadXmlBuffer(reference, GetParam().bytes);

    RecordStore store;
    EXPECT_EQ(store.load(file.wstring()), wellFormed);
    EXPECT_EQ(kgtest::readFile(file), GetParam().bytes);
    EXPECT_TRUE(store.save());
    RecordStore back;
    EXPECT_EQ(back.load(file.wstring()), !store.records().empty());
    EXPECT_EQ(back.records().size(), store.records().size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordBadInput,
    testing::ValuesIn(kgtest::badInputs(kgtest::readTestData("stores/record-used.xml"))),
    [](const testing::TestParamInfo<kgtest::BadInput>& p) { return p.param.name; });

}  // namespace
