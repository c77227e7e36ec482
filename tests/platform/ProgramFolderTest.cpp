#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <optional>
#else
#include "tests/support/ScopedEnv.h"
#endif

namespace {

TEST(ProgramFolder, IsTheFolderOfThisExecutableWithoutTrailingSeparator) {
    const std::wstring folder = platform::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), platform::pathSeparator());
    const std::filesystem::path p(folder);
    EXPECT_TRUE(std::filesystem::is_directory(p));
    // The test executable is named after its target and lies in that folder.
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(p)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("kg_program_files_tests", 0) == 0) {
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST(ProgramFolder, WritableConfigFolderIsTheProgramFolderWhenThatIsWritable) {
    // Build trees are writable.
    EXPECT_EQ(platform::writableConfigFolder(), platform::programFolder());
}

#ifndef _WIN32

using kgtest::ScopedEnv;

class ConfigFolderFallback : public testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("kg_config_folder_" +
                 std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    // Even root cannot write into a folder that does not exist, so this stands for an install
    // under /usr without running the test as another user.
    std::wstring unwritableProgramFolder() const { return (m_dir / "not-there" / "bin").wstring(); }

    std::filesystem::path m_dir;
};

TEST_F(ConfigFolderFallback, XdgConfigHomeIsUsedAndTheFolderCreated) {
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_dir / "xdg").c_str());
    const std::wstring folder = platform::writableConfigFolderFor(unwritableProgramFolder());
    EXPECT_EQ(std::filesystem::path(folder), m_dir / "xdg" / "keyglow");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "xdg" / "keyglow"));
}

TEST_F(ConfigFolderFallback, WithoutAnAbsoluteXdgConfigHomeTheHomeConfigFolderIsUsed) {
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        ScopedEnv unsetXdg("XDG_CONFIG_HOME", xdg);
        ScopedEnv home("HOME", (m_dir / "home").c_str());
        const std::wstring folder = platform::writableConfigFolderFor(unwritableProgramFolder());
        EXPECT_EQ(std::filesystem::path(folder), m_dir / "home" / ".config" / "keyglow")
            << (xdg ? xdg : "(unset)");
    }
}

TEST_F(ConfigFolderFallback, AFolderThatCannotBeMadeLeavesTheProgramFolder) {
    // A plain file where the configuration folder would go.
    std::ofstream(m_dir / "file") << "x";
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_dir / "file").c_str());
    EXPECT_EQ(platform::writableConfigFolderFor(unwritableProgramFolder()),
              unwritableProgramFolder());

    ScopedEnv unsetXdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(platform::writableConfigFolderFor(unwritableProgramFolder()),
              unwritableProgramFolder());
}

TEST_F(ConfigFolderFallback, AWritableProgramFolderIsKeptWhateverTheEnvironment) {
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_dir / "xdg").c_str());
    EXPECT_EQ(platform::writableConfigFolderFor(m_dir.wstring()), m_dir.wstring());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "xdg"));
}

TEST_F(ConfigFolderFallback, AnInstallUnderUsrNeverWritesBesideItselfEvenAsRoot) {
    // /usr/lib is writable when the tests run as root, as an installed program run by root is.
    ScopedEnv xdg("XDG_CONFIG_HOME", (m_dir / "xdg").c_str());
    for (const wchar_t* folder : {L"/usr/lib", L"/usr"}) {
        EXPECT_EQ(std::filesystem::path(platform::writableConfigFolderFor(folder)),
                  m_dir / "xdg" / "keyglow");
    }
}

#else

// LOCALAPPDATA for one test, put back afterwards.
class ScopedLocalAppData {
public:
    explicit ScopedLocalAppData(const std::wstring& value) {
        wchar_t old[32768];
        const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", old, 32768);
        if (n > 0 && n < 32768) {
            m_old = std::wstring(old, n);
        }
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", value.empty() ? nullptr : value.c_str());
    }
    ~ScopedLocalAppData() {
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", m_old ? m_old->c_str() : nullptr);
    }
    ScopedLocalAppData(const ScopedLocalAppData&) = delete;
    ScopedLocalAppData& operator=(const ScopedLocalAppData&) = delete;

private:
    std::optional<std::wstring> m_old;
};

class ConfigFolderFallback : public testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("kg_config_folder_" +
                 std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "local");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    // No account can make files in a folder that does not exist; it stands for Program Files,
    // which Wine lets every process write to.
    std::wstring unwritableProgramFolder() const { return (m_dir / "not-there" / "bin").wstring(); }

    std::filesystem::path m_dir;
};

TEST_F(ConfigFolderFallback, AnUnwritableProgramFolderSendsTheSettingsToLocalAppData) {
    ScopedLocalAppData local((m_dir / "local").wstring());
    const std::wstring folder = platform::writableConfigFolderFor(unwritableProgramFolder());
    EXPECT_EQ(std::filesystem::path(folder), m_dir / "local" / "KeyGlow");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "local" / "KeyGlow"));
    // Found again, already there.
    EXPECT_EQ(platform::writableConfigFolderFor(unwritableProgramFolder()), folder);
}

TEST_F(ConfigFolderFallback, AWritableProgramFolderIsKeptAndLeftClean) {
    ScopedLocalAppData local((m_dir / "local").wstring());
    EXPECT_EQ(platform::writableConfigFolderFor(m_dir.wstring()), m_dir.wstring());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "local" / "KeyGlow"));
    // The write probe is gone.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
        entries += entry.path().filename() == "local" ? 0 : 1;
    }
    EXPECT_EQ(entries, 0);
}

TEST_F(ConfigFolderFallback, WithoutAUsableLocalAppDataTheProgramFolderStays) {
    std::ofstream(m_dir / "file") << "x";
    for (const std::wstring& local :
         {std::wstring(), (m_dir / "missing").wstring(), (m_dir / "file").wstring()}) {
        ScopedLocalAppData scoped(local);
        EXPECT_EQ(platform::writableConfigFolderFor(unwritableProgramFolder()),
                  unwritableProgramFolder());
    }
}

#endif

}  // namespace
