#include "settings/MacroStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/XmlFile.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kDecl = "<?xml version=\"1.0\"?>\n";

bool sameConfig(const MacroConfig& a, const MacroConfig& b) {
    return a.type == b.type && a.repeat == b.repeat && a.delay == b.delay && a.mode == b.mode &&
           a.media == b.media && a.function == b.function && a.skcode == b.skcode &&
           a.group == b.group && a.recording == b.recording && a.playmode == b.playmode;
}

class MacroStoreFile : public testing::Test {
protected:
    std::wstring path() const { return m_temp.wfile("macro.xml"); }
    std::filesystem::path file() const { return m_temp.file("macro.xml"); }
    void write(std::string_view bytes) const { kgtest::writeFile(file(), bytes); }
    std::string written() const { return kgtest::readFile(file()); }

    kgtest::TempFolder m_temp;
    MacroStore m_store;
};

TEST_F(MacroStoreFile, FirstStartHasTheDefaultsAndTheFirstSaveWritesACompleteFile) {
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_FALSE(kgtest::exists(file())) << "a failed load writes nothing";
    EXPECT_TRUE(sameConfig(m_store.config(), MacroConfig{0, 1, 10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m_store.groupCount(), 0);
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), kgtest::readTestData("stores/macro-default.xml"));
}

TEST_F(MacroStoreFile, AFileAsTheProgramWritesItComesBackByteForByte) {
    const std::string used = kgtest::readTestData("stores/macro-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    const MacroConfig& c = m_store.config();
    EXPECT_TRUE(sameConfig(c, MacroConfig{3, 5, 25, 1, 2, 4, 65, 1, 0, 1}));
    ASSERT_EQ(m_store.groupCount(), 3);
    const MacroGroup& g0 = *m_store.groupAt(0);
    EXPECT_EQ(g0.name, L"Group 0");
    ASSERT_EQ(g0.steps.size(), 3u);
    EXPECT_EQ(g0.steps[0].code, 65);
    EXPECT_EQ(g0.steps[0].delay, 120);
    EXPECT_EQ(g0.steps[0].name, L"A");
    EXPECT_EQ(g0.steps[1].state, 1);
    EXPECT_EQ(g0.steps[2].code, -1) << "4294967295 reads back as -1";
    EXPECT_EQ(g0.steps[2].state, 2);
    EXPECT_EQ(m_store.groupAt(1)->name, L"Copy & <paste> \"quoted\" \x5B8F");
    EXPECT_TRUE(m_store.groupAt(1)->steps.empty());
    EXPECT_EQ(m_store.groupAt(2)->steps[0].delay, -10);
    EXPECT_EQ(m_store.groupAt(-1), m_store.groupAt(1)) << "negative means the group setting";
    ASSERT_TRUE(m_store.save());
    EXPECT_EQ(written(), used);
    EXPECT_EQ(m_store.saveBuffer(), used) << "the bytes in memory are the file's";
    MacroStore fromBytes;
    ASSERT_TRUE(fromBytes.loadBuffer(used));
    EXPECT_EQ(fromBytes.saveBuffer(), used);
}

TEST_F(MacroStoreFile, SaveAndLoadGiveBackEveryFieldButRecording) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.config() = MacroConfig{2, 7, 33, 2, 9, 8, 0x41, 3, 1, 1};
    m_store.addGroup();
    m_store.groupAt(0)->addStep(-1, 0, 4294967, L"\x00E9t\x00E9");
    m_store.groupAt(0)->addStep(2147483647, -2147483647 - 1, -5, L"");
    ASSERT_TRUE(m_store.save());
    EXPECT_NE(written().find("code=\"4294967295\""), std::string::npos);

    MacroStore back;
    ASSERT_TRUE(back.load(path()));
    EXPECT_TRUE(sameConfig(back.config(), MacroConfig{2, 7, 33, 2, 9, 8, 0x41, 3, 0, 1}));
    ASSERT_EQ(back.groupCount(), 1);
    const auto& steps = back.groupAt(0)->steps;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].code, -1);
    EXPECT_EQ(steps[0].delay, 4294967);
    EXPECT_EQ(steps[0].name, L"\x00E9t\x00E9");
    EXPECT_EQ(steps[1].code, 2147483647);
    EXPECT_EQ(steps[1].state, -2147483647 - 1);
    EXPECT_EQ(steps[1].delay, -5);
}

TEST_F(MacroStoreFile, ModeIsTheDelayModeAndDelayTheFixedDelay) {
    write(std::string(kDecl) + "<config mode=\"1\" delay=\"250\" />\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.config().mode, 1);
    EXPECT_EQ(m_store.config().delay, 250);
    m_store.config().mode = 2;
    m_store.config().delay = 40;
    ASSERT_TRUE(m_store.save());
    EXPECT_NE(written().find("mode=\"2\" delay=\"40\""), std::string::npos);
}

TEST_F(MacroStoreFile, ConfigWithoutMacroLoadsNoGroups) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.addGroup();
    write(std::string(kDecl) + "<config type=\"1\" />\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.groupCount(), 0);
    // Absent attributes of a present config read as 0.
    EXPECT_TRUE(sameConfig(m_store.config(), MacroConfig{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MacroStoreFile, MacroWithoutConfigLeavesTheSettings) {
    m_store.config().repeat = 4;
    m_store.config().playmode = 1;
    write(std::string(kDecl) + "<macro>\n\t<group name=\"x\" />\n</macro>\n");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.config().repeat, 4);
    EXPECT_EQ(m_store.config().playmode, 1);
    EXPECT_EQ(m_store.groupCount(), 1);
}

TEST_F(MacroStoreFile, MalformedFileLeavesTheStoreAndTheFile) {
    write(kgtest::readTestData("stores/macro-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    const std::string broken = "<config type=\"0\"/><macro><group>";
    write(broken);
    EXPECT_FALSE(m_store.load(path()));
    EXPECT_EQ(m_store.groupCount(), 3);
    EXPECT_EQ(m_store.config().type, 3);
    EXPECT_EQ(written(), broken);
    EXPECT_EQ(m_store.path(), path());
}

TEST_F(MacroStoreFile, NullPathChangesNothing) {
    EXPECT_FALSE(m_store.load(nullptr));
    EXPECT_TRUE(m_store.path().empty());
    EXPECT_FALSE(m_store.save());
}

TEST_F(MacroStoreFile, ChildrenOfAnyNameAreGroupsAndSteps) {
    write(std::string(kDecl) +
          "<macro><set name=\"a\"><k code=\"1\"/><item code=\"2\"/></set><group/></macro>");
    ASSERT_TRUE(m_store.load(path()));
    ASSERT_EQ(m_store.groupCount(), 2);
    EXPECT_EQ(m_store.groupAt(0)->name, L"a");
    ASSERT_EQ(m_store.groupAt(0)->steps.size(), 2u);
    EXPECT_EQ(m_store.groupAt(0)->steps[1].code, 2);
    EXPECT_EQ(m_store.groupAt(1)->name, L"");
}

TEST_F(MacroStoreFile, OnlyTheFirstMacroAndConfigCount) {
    write(
        "<macro><group name=\"1\"/></macro><macro><group/><group/></macro>"
        "<config type=\"1\"/><config type=\"2\"/>");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_EQ(m_store.groupCount(), 1);
    EXPECT_EQ(m_store.config().type, 1);
}

struct NameCase {
    const char* name;
    std::vector<std::wstring> existing;
    std::wstring expected;
};

class GroupName : public MacroStoreFile, public testing::WithParamInterface<NameCase> {};

TEST_P(GroupName, IsGeneratedUnique) {
    ASSERT_FALSE(m_store.load(path()));
    std::string text = std::string(kDecl) + "<macro>";
    for (const std::wstring& n : GetParam().existing) {
        text += "<group name=\"" + std::string(n.begin(), n.end()) + "\"/>";
    }
    write(text + "</macro>");
    ASSERT_TRUE(m_store.load(path()));
    EXPECT_TRUE(m_store.addGroup());
    ASSERT_EQ(m_store.groupCount(), static_cast<int>(GetParam().existing.size()) + 1);
    EXPECT_EQ(m_store.groups().back().name, GetParam().expected);
    EXPECT_TRUE(m_store.groups().back().steps.empty());
    MacroStore back;
    ASSERT_TRUE(back.load(path()));
    EXPECT_EQ(back.groupCount(), m_store.groupCount()) << "addGroup saves";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupName,
    testing::Values(NameCase{"empty_store", {}, L"Group 0"},
                    NameCase{"two_in_order", {L"Group 0", L"Group 1"}, L"Group 2"},
                    NameCase{"one_named_group_1", {L"Group 1"}, L"Group 2"},
                    NameCase{"group_2_and_x", {L"Group 2", L"X"}, L"Group 3"},
                    NameCase{"case_matters", {L"group 1"}, L"Group 1"},
                    NameCase{"gaps", {L"Group 3", L"Group 4", L"Group 2"}, L"Group 5"}),
    [](const testing::TestParamInfo<NameCase>& p) { return std::string(p.param.name); });

TEST_F(MacroStoreFile, RenameGroup) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.addGroup();
    const std::string before = written();
    EXPECT_FALSE(m_store.renameGroup(0, L"Group 0")) << "same name";
    EXPECT_EQ(written(), before);
    std::filesystem::remove(file());
    EXPECT_FALSE(m_store.renameGroup(0, L"Group 0"));
    EXPECT_FALSE(kgtest::exists(file())) << "a rename to the same name does not write";
    EXPECT_FALSE(m_store.renameGroup(1, L"x"));
    EXPECT_FALSE(m_store.renameGroup(-1, L"x"));
    EXPECT_TRUE(m_store.renameGroup(0, L"Mine"));
    EXPECT_EQ(m_store.groupAt(0)->name, L"Mine");
    EXPECT_NE(written().find("name=\"Mine\""), std::string::npos);
}

TEST_F(MacroStoreFile, DeleteGroup) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.addGroup();
    m_store.addGroup();
    EXPECT_FALSE(m_store.deleteGroup(2));
    EXPECT_FALSE(m_store.deleteGroup(-1));
    EXPECT_EQ(m_store.groupCount(), 2);
    EXPECT_TRUE(m_store.deleteGroup(0));
    EXPECT_EQ(m_store.groupCount(), 1);
    EXPECT_EQ(m_store.groupAt(0)->name, L"Group 1");
    EXPECT_EQ(written().find("Group 0"), std::string::npos);
}

TEST_F(MacroStoreFile, GroupAtRule) {
    ASSERT_FALSE(m_store.load(path()));
    m_store.addGroup();
    m_store.addGroup();
    EXPECT_EQ(m_store.groupAt(2), nullptr);
    m_store.config().group = 1;
    EXPECT_EQ(m_store.groupAt(-1), m_store.groupAt(1));
    m_store.config().group = 5;
    EXPECT_EQ(m_store.groupAt(-1), nullptr);
    m_store.config().group = -3;  // read from a file as it stood
    EXPECT_EQ(m_store.groupAt(-1), nullptr);
}

TEST(MacroGroupSteps, EditsFollowTheIndexRules) {
    MacroGroup g;
    g.addStep(1, 0, 10, L"a");
    g.addStep(2, 1, 20, L"b");
    g.addStep(3, 0, 30, L"c");
    EXPECT_FALSE(g.moveStepUp(0));
    EXPECT_FALSE(g.moveStepUp(3));
    EXPECT_FALSE(g.moveStepUp(-1));
    EXPECT_TRUE(g.moveStepUp(2));
    EXPECT_EQ(g.steps[1].code, 3);
    EXPECT_EQ(g.steps[2].code, 2);
    EXPECT_FALSE(g.moveStepDown(2));
    EXPECT_FALSE(g.moveStepDown(-1));
    EXPECT_TRUE(g.moveStepDown(0));
    EXPECT_EQ(g.steps[0].code, 3);
    EXPECT_EQ(g.steps[1].code, 1);
    EXPECT_FALSE(g.deleteStep(3));
    EXPECT_FALSE(g.deleteStep(-1));
    EXPECT_TRUE(g.deleteStep(1));
    ASSERT_EQ(g.steps.size(), 2u);
    EXPECT_EQ(g.steps[1].name, L"b");
    g.clearSteps();
    EXPECT_TRUE(g.steps.empty());
}

TEST_F(MacroStoreFile, ResetConfigKeepsPlaymodeGroupsAndPathAndDoesNotSave) {
    write(kgtest::readTestData("stores/macro-used.xml"));
    ASSERT_TRUE(m_store.load(path()));
    m_store.config().recording = 1;
    std::filesystem::remove(file());
    m_store.resetConfig();
    EXPECT_TRUE(sameConfig(m_store.config(), MacroConfig{0, 1, 10, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(m_store.groupCount(), 3);
    EXPECT_EQ(m_store.path(), path());
    EXPECT_FALSE(kgtest::exists(file()));
}

TEST_F(MacroStoreFile, AFailedSaveReturnsFalseAndKeepsTheOldFile) {
    const std::string used = kgtest::readTestData("stores/macro-used.xml");
    write(used);
    ASSERT_TRUE(m_store.load(path()));
    std::filesystem::create_directory(m_temp.file("macro.xml.tmp"));
    EXPECT_FALSE(m_store.addGroup());
    EXPECT_EQ(m_store.groupCount(), 4);
    EXPECT_EQ(written(), used);
}

class MacroBadInput : public testing::TestWithParam<kgtest::BadInput> {};

TEST_P(MacroBadInput, FailsWithoutChangesOrReads) {
    kgtest::TempFolder temp;
    const std::filesystem::path file = temp.file("macro.xml");
    kgtest::writeFile(file, GetParam().bytes);
    pugi::xml_document reference;
    const bool wellFormed = kg::loadXmlBuffer(reference, GetParam().bytes);

    // The store holds what a good file gave it, so a load that empties or overwrites anything
    // before it finds the file malformed shows.
    const std::filesystem::path good = temp.file("good.xml");
    kgtest::writeFile(good, kgtest::readTestData("stores/macro-used.xml"));
    MacroStore store;
    ASSERT_TRUE(store.load(good.wstring()));
    store.config().repeat = 42;
    ASSERT_GT(store.groupCount(), 0);
    const std::vector<MacroGroup> groupsBefore = store.groups();
    ASSERT_TRUE(store.save());
    const std::string storeBefore = kgtest::readFile(good);

    EXPECT_EQ(store.load(file.wstring()), wellFormed);
    EXPECT_EQ(kgtest::readFile(file), GetParam().bytes) << "loading never writes";
    EXPECT_EQ(store.path(), file.wstring());
    if (!wellFormed) {
        EXPECT_EQ(store.config().repeat, 42);
        ASSERT_EQ(store.groupCount(), static_cast<int>(groupsBefore.size()));
        for (std::size_t i = 0; i < groupsBefore.size(); ++i) {
            EXPECT_EQ(store.groups()[i].name, groupsBefore[i].name);
            EXPECT_EQ(store.groups()[i].steps.size(), groupsBefore[i].steps.size());
        }
        // Saved again, it writes exactly what it held.
        ASSERT_TRUE(store.save());
        EXPECT_EQ(kgtest::readFile(file), storeBefore);
    } else {
        EXPECT_TRUE(store.save());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MacroBadInput,
    testing::ValuesIn(kgtest::badInputs(kgtest::readTestData("stores/macro-used.xml"))),
    [](const testing::TestParamInfo<kgtest::BadInput>& p) { return p.param.name; });

}  // namespace
