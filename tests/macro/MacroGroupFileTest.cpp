// Export and import of macro groups through files of their own, on real files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/MacroGroupFile.h"
#include "settings/MacroStore.h"
#include "tests/support/TestFiles.h"

namespace {

using kgtest::TempFolder;

MacroGroup group(std::wstring name, std::vector<MacroStep> steps) {
    return MacroGroup{std::move(name), std::move(steps)};
}

TEST(MacroGroupFile, ExportWritesTheGroupAsInMacroXml) {
    TempFolder dir;
    const MacroGroup g = group(L"Hello <1>", {{0x41, 0, 50, L"A"}, {0x41, 1, -1, L"A"}});
    ASSERT_TRUE(kg::exportMacroGroup(g, dir.wfile("g.xml")));
    EXPECT_EQ(kgtest::readFile(dir.file("g.xml")),
              "<?xml version=\"1.0\"?>\n"
              "<macro>\n"
              "\t<group name=\"Hello &lt;1>\">\n"
              "\t\t<item code=\"65\" state=\"0\" delay=\"50\" name=\"A\" />\n"
              "\t\t<item code=\"65\" state=\"1\" delay=\"4294967295\" name=\"A\" />\n"
              "\t</group>\n"
              "</macro>\n");
}

TEST(MacroGroupFile, ExportToAFolderThatDoesNotExistFails) {
    TempFolder dir;
    EXPECT_FALSE(kg::exportMacroGroup(group(L"G", {}), dir.wfile("missing/g.xml")));
}

TEST(MacroGroupFile, RoundTripAddsTheGroupsUnderUniqueNamesAndSaves) {
    TempFolder dir;
    MacroStore source;
    ASSERT_FALSE(source.load(dir.wfile("source.xml")));
    source.appendGroups(
        {group(L"Copy", {{17, 0, 20, L"CtrlLeft"}, {67, 0, 0, L"C"}}), group(L"Empty", {})});
    ASSERT_TRUE(kg::exportMacroGroup(*source.groupAt(0), dir.wfile("copy.xml")));

    MacroStore target;
    target.load(dir.wfile("macro.xml"));
    target.appendGroups({group(L"Copy", {}), group(L"Copy (2)", {})});
    EXPECT_EQ(kg::importMacroGroupFile(target, dir.wfile("copy.xml")), 1);
    ASSERT_EQ(target.groupCount(), 3);
    EXPECT_EQ(target.groupAt(2)->name, L"Copy (3)");
    ASSERT_EQ(target.groupAt(2)->steps.size(), 2u);
    EXPECT_EQ(target.groupAt(2)->steps[0].code, 17);
    EXPECT_EQ(target.groupAt(2)->steps[0].delay, 20);
    EXPECT_EQ(target.groupAt(2)->steps[1].name, L"C");

    // Saved: a fresh store reads the imported group back from macro.xml.
    MacroStore reread;
    ASSERT_TRUE(reread.load(dir.wfile("macro.xml")));
    ASSERT_EQ(reread.groupCount(), 3);
    EXPECT_EQ(reread.groupAt(2)->name, L"Copy (3)");
}

TEST(MacroGroupFile, AFileWithTwoGroupsOfOneNameGetsTwoNames) {
    TempFolder dir;
    kgtest::writeFile(dir.file("two.xml"),
                      "<?xml version=\"1.0\"?>\n<macro>\n\t<group name=\"X\" />\n"
                      "\t<group name=\"X\" />\n</macro>\n");
    MacroStore store;
    store.load(dir.wfile("macro.xml"));
    EXPECT_EQ(kg::importMacroGroupFile(store, dir.wfile("two.xml")), 2);
    ASSERT_EQ(store.groupCount(), 2);
    EXPECT_EQ(store.groupAt(0)->name, L"X");
    EXPECT_EQ(store.groupAt(1)->name, L"X (2)");
}

TEST(MacroGroupFile, AMacroXmlImportsItsGroups) {
    TempFolder dir;
    MacroStore other;
    other.load(dir.wfile("other.xml"));
    other.addGroup();
    MacroStore store;
    store.load(dir.wfile("macro.xml"));
    EXPECT_EQ(kg::importMacroGroupFile(store, dir.wfile("other.xml")), 1);
    EXPECT_EQ(store.groupAt(0)->name, L"Group 0");
}

struct BadFile {
    const char* name;
    const char* bytes;  // null: no file at all
};

class BadGroupFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadGroupFile, ChangesNothing) {
    TempFolder dir;
    if (GetParam().bytes != nullptr) {
        kgtest::writeFile(dir.file("in.xml"), GetParam().bytes);
    }
    MacroStore store;
    store.load(dir.wfile("macro.xml"));
    store.appendGroups({group(L"Kept", {{65, 0, 0, L"A"}})});
    const std::string before = kgtest::readFile(dir.file("macro.xml"));
    EXPECT_EQ(kg::importMacroGroupFile(store, dir.wfile("in.xml")), -1);
    EXPECT_EQ(store.groupCount(), 1);
    EXPECT_EQ(kgtest::readFile(dir.file("macro.xml")), before);
}

const BadFile kBadFiles[] = {
    {"Missing", nullptr},
    {"Empty", ""},
    {"NotXml", "just some text"},
    {"Truncated", "<?xml version=\"1.0\"?>\n<macro>\n\t<group name=\"A\">"},
    {"NoMacroElement", "<?xml version=\"1.0\"?>\n<config type=\"0\" />\n"},
    {"MacroWithoutGroups", "<?xml version=\"1.0\"?>\n<macro />\n"},
    {"RecordXml", "<?xml version=\"1.0\"?>\n<record code=\"65\" type=\"0\" />\n"},
    {"GroupsOnlyUnderOtherNames", "<?xml version=\"1.0\"?>\n<macro><item code=\"1\"/></macro>\n"},
};

INSTANTIATE_TEST_SUITE_P(MacroGroupFile, BadGroupFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
