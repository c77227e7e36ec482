// The XDG autostart entry, written into a temporary configuration folder.
#include "platform/Autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TestFiles.h"

namespace {

using kgtest::ScopedEnv;
using kgtest::TempFolder;
using platform::Autostart;

class AutostartLinux : public testing::Test {
protected:
    std::filesystem::path autostartFolder() const { return m_config.path() / "autostart"; }
    std::filesystem::path entry() const { return autostartFolder() / "keyglow.desktop"; }
    // A program outside the PATH, in a folder whose name needs quoting.
    std::filesystem::path makeProgram(const std::string& folder) const {
        const std::filesystem::path dir = m_programs.path() / folder;
        std::filesystem::create_directories(dir);
        const std::filesystem::path program = dir / "keyglow";
        kgtest::writeFile(program, "#!/bin/sh\n");
        ::chmod(program.c_str(), 0755);
        return program;
    }
    Autostart autostartFor(const std::filesystem::path& program) const {
        return Autostart(autostartFolder().wstring(), program.wstring());
    }

    TempFolder m_config;
    TempFolder m_programs;
    ScopedEnv m_path{"PATH", "/usr/bin:/bin"};
};

TEST_F(AutostartLinux, EnableWritesAnEntryThatStartsTheProgramHidden) {
    const Autostart autostart = autostartFor(makeProgram("bin"));
    EXPECT_FALSE(autostart.isEnabled());
    ASSERT_TRUE(autostart.enable()) << "the autostart folder is made when missing";
    EXPECT_TRUE(autostart.isEnabled());
    const std::string text = kgtest::readFile(entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=" + (m_programs.path() / "bin" / "keyglow").string() + " -hid\n"),
              std::string::npos)
        << text;
}

TEST_F(AutostartLinux, DisableRemovesTheEntryAndIsContentWhenThereIsNone) {
    const Autostart autostart = autostartFor(makeProgram("bin"));
    EXPECT_TRUE(autostart.disable()) << "nothing there yet";
    ASSERT_TRUE(autostart.enable());
    ASSERT_TRUE(autostart.disable());
    EXPECT_FALSE(kgtest::exists(entry()));
    EXPECT_FALSE(autostart.isEnabled());
}

TEST_F(AutostartLinux, TheInstalledProgramIsStartedByItsName) {
    const std::filesystem::path program = makeProgram("lib");
    // /usr/bin/keyglow is a link to the program in its program folder.
    const std::filesystem::path bin = m_programs.path() / "bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_symlink(program, bin / "keyglow");
    ScopedEnv path("PATH", (bin.string() + ":/usr/bin").c_str());
    EXPECT_EQ(autostartFor(program).command(), L"keyglow -hid");
    // Another keyglow first on the PATH is not this program.
    EXPECT_EQ(autostartFor(makeProgram("other")).command(),
              (m_programs.path() / "other" / "keyglow").wstring() + L" -hid");
}

struct QuotingCase {
    const char* name;
    const char* folder;
    const char* exec;  // the Exec value after the folder of the temporary programs
};

class AutostartQuoting : public AutostartLinux, public testing::WithParamInterface<QuotingCase> {};

TEST_P(AutostartQuoting, ExecLineKeepsThePathWhole) {
    const QuotingCase& c = GetParam();
    const Autostart autostart = autostartFor(makeProgram(c.folder));
    ASSERT_TRUE(autostart.enable());
    const std::string text = kgtest::readFile(entry());
    const std::string expected = std::string("\nExec=\"") + m_programs.path().string() + c.exec;
    EXPECT_NE(text.find(expected), std::string::npos) << text << "\nexpected " << expected;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AutostartQuoting,
    testing::Values(QuotingCase{"Space", "My Programs", "/My Programs/keyglow\" -hid\n"},
                    QuotingCase{"Dollar", "a$b", "/a\\\\$b/keyglow\" -hid\n"},
                    QuotingCase{"Quote", "a\"b", "/a\\\\\"b/keyglow\" -hid\n"},
                    QuotingCase{"Backslash", "a\\b", "/a\\\\\\\\b/keyglow\" -hid\n"},
                    QuotingCase{"Percent", "100% sure", "/100%% sure/keyglow\" -hid\n"}),
    [](const testing::TestParamInfo<QuotingCase>& row) { return std::string(row.param.name); });

struct EntryCase {
    const char* name;
    const char* text;
    bool enabled;
};

class AutostartExistingEntry : public AutostartLinux,
                               public testing::WithParamInterface<EntryCase> {};

TEST_P(AutostartExistingEntry, IsOnUnlessTheDesktopSwitchedItOff) {
    const EntryCase& c = GetParam();
    std::filesystem::create_directories(autostartFolder());
    kgtest::writeFile(entry(), c.text);
    const Autostart autostart = autostartFor(makeProgram("bin"));
    EXPECT_EQ(autostart.isEnabled(), c.enabled);
    // Ticking it again makes it an entry the session starts.
    ASSERT_TRUE(autostart.enable());
    EXPECT_TRUE(autostart.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AutostartExistingEntry,
    testing::Values(
        EntryCase{"Plain", "[Desktop Entry]\nType=Application\nExec=keyglow -hid\n", true},
        EntryCase{"Hidden", "[Desktop Entry]\nExec=keyglow -hid\nHidden=true\n", false},
        EntryCase{"HiddenWithSpaces", "[Desktop Entry]\nHidden = true\n", false},
        EntryCase{"HiddenFalse", "[Desktop Entry]\nHidden=false\n", true},
        EntryCase{"GnomeSwitchedOff", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
        EntryCase{"GnomeSwitchedOn", "[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n", true},
        EntryCase{"HiddenInAnotherGroup",
                  "[Desktop Entry]\nExec=keyglow -hid\n[Desktop Action x]\nHidden=true\n", true}),
    [](const testing::TestParamInfo<EntryCase>& row) { return std::string(row.param.name); });

TEST(AutostartLinuxPlace, IsTheAutostartFolderOfTheUsersConfiguration) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/kg-config");
        ScopedEnv home("HOME", "/tmp/kg-home");
        EXPECT_EQ(Autostart::defaultPlace(), L"/tmp/kg-config/autostart");
    }
    {
        // A relative XDG_CONFIG_HOME is invalid and ignored.
        ScopedEnv xdg("XDG_CONFIG_HOME", "config");
        ScopedEnv home("HOME", "/tmp/kg-home");
        EXPECT_EQ(Autostart::defaultPlace(), L"/tmp/kg-home/.config/autostart");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_EQ(Autostart::defaultPlace(), L"");
        EXPECT_FALSE(Autostart(Autostart::defaultPlace(), L"/usr/bin/keyglow").enable());
    }
}

TEST(AutostartLinuxPlace, ThisProgramIsTheRunningExecutable) {
    const Autostart autostart = Autostart::forThisProgram();
    EXPECT_EQ(std::filesystem::path(autostart.program()).filename(), "kg_program_files_tests");
}

}  // namespace
