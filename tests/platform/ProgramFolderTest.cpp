#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
