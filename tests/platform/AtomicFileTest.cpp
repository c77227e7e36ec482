#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace {

TEST(AtomicFile, CreatesAFileWithExactlyTheBytes) {
    kgtest::TempFolder temp;
    const std::string bytes("a\0b\r\nc", 6);
    ASSERT_TRUE(platform::writeFileAtomic(temp.wfile("new.xml"), bytes));
    EXPECT_EQ(kgtest::readFile(temp.file("new.xml")), bytes);
    EXPECT_FALSE(kgtest::exists(temp.file("new.xml.tmp")));
}

TEST(AtomicFile, ReplacesALongerFileCompletely) {
    kgtest::TempFolder temp;
    kgtest::writeFile(temp.file("f.xml"), std::string(5000, 'x'));
    ASSERT_TRUE(platform::writeFileAtomic(temp.wfile("f.xml"), "short"));
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml")), "short");
}

TEST(AtomicFile, WritesAnEmptyFile) {
    kgtest::TempFolder temp;
    kgtest::writeFile(temp.file("f.xml"), "old");
    ASSERT_TRUE(platform::writeFileAtomic(temp.wfile("f.xml"), ""));
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml")), "");
}

TEST(AtomicFile, ReusesAStaleTemporaryFile) {
    // A save cut short by a crash leaves its temporary file; the next save must still work.
    kgtest::TempFolder temp;
    kgtest::writeFile(temp.file("f.xml.tmp"), "half a fi");
    ASSERT_TRUE(platform::writeFileAtomic(temp.wfile("f.xml"), "whole"));
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml")), "whole");
    EXPECT_FALSE(kgtest::exists(temp.file("f.xml.tmp")));
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileIntact) {
    // A folder squatting on the temporary name makes the write fail before the target is
    // touched.
    kgtest::TempFolder temp;
    kgtest::writeFile(temp.file("f.xml"), "old contents");
    std::filesystem::create_directory(temp.file("f.xml.tmp"));
    EXPECT_FALSE(platform::writeFileAtomic(temp.wfile("f.xml"), "new contents"));
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml")), "old contents");
}

TEST(AtomicFile, FailsInAMissingFolder) {
    kgtest::TempFolder temp;
    EXPECT_FALSE(platform::writeFileAtomic((temp.path() / "no" / "f.xml").wstring(), "x"));
    EXPECT_FALSE(kgtest::exists(temp.path() / "no"));
}

TEST(AtomicFile, FailsWhenTheTargetIsAFolderAndRemovesItsTemporaryFile) {
    kgtest::TempFolder temp;
    std::filesystem::create_directory(temp.file("f.xml"));
    kgtest::writeFile(temp.file("f.xml") / "inside", "keep");
    EXPECT_FALSE(platform::writeFileAtomic(temp.wfile("f.xml"), "x"));
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml") / "inside"), "keep");
    EXPECT_FALSE(kgtest::exists(temp.file("f.xml.tmp")));
}

TEST(AtomicFile, EmptyPathFails) {
    EXPECT_FALSE(platform::writeFileAtomic(L"", "x"));
}

TEST(AtomicFile, TemporaryFileLiesBesideTheTarget) {
    const std::filesystem::path target = std::filesystem::path("dir") / "f.xml";
    const std::filesystem::path temp(platform::temporaryPathFor(target.wstring()));
    EXPECT_EQ(temp.parent_path(), target.parent_path());
    EXPECT_NE(temp, target);
}

}  // namespace
