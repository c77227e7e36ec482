// Failures that only a Linux test can produce on demand: a full disk (the file-size limit
// stands in for it) and a name outside ASCII; and what a user set up around a settings file
// (a symbolic link to a file kept elsewhere, a file only its owner may read) surviving a save.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "platform/AtomicFile.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(AtomicFileLinux, DiskFullDuringTheWriteLeavesTheOldFileIntact) {
    kgtest::TempFolder temp;
    const std::string old(3000, 'o');
    kgtest::writeFile(temp.file("f.xml"), old);

    // In a child: a 1000-byte file-size limit makes the write stop part-way, as a full disk
    // would. We run as root, so permissions could not stop the write.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool ok = platform::writeFileAtomic(temp.wfile("f.xml"), std::string(5000, 'n'));
        ::_exit(ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write was reported as a success";
    EXPECT_EQ(kgtest::readFile(temp.file("f.xml")), old);
    EXPECT_FALSE(kgtest::exists(temp.file("f.xml.tmp")));
}

TEST(AtomicFileLinux, NonAsciiNamesAreUtf8OnDisk) {
    kgtest::TempFolder temp;
    const std::wstring path = temp.path().wstring() + L"/\x8BBE\x7F6E-\x1F600.xml";
    ASSERT_TRUE(platform::writeFileAtomic(path, "x"));
    // 设置-😀.xml
    EXPECT_EQ(kgtest::readFile(temp.path() / "\xE8\xAE\xBE\xE7\xBD\xAE-\xF0\x9F\x98\x80.xml"), "x");
}

namespace fs = std::filesystem;

struct LinkCase {
    const char* name;
    // The link as written into the settings folder, relative to it or absolute.
    bool absolute;
    // A second link in between: settings/f.xml -> elsewhere/hop.xml -> elsewhere/real.xml.
    bool chain;
    // The target does not exist yet: the first save creates it where the link points.
    bool dangling;
};

class AtomicFileLink : public testing::TestWithParam<LinkCase> {};

TEST_P(AtomicFileLink, SaveWritesThroughTheLinkAndKeepsIt) {
    const LinkCase& c = GetParam();
    kgtest::TempFolder temp;
    const fs::path settings = temp.path() / "settings";
    const fs::path elsewhere = temp.path() / "elsewhere";
    fs::create_directories(settings);
    fs::create_directories(elsewhere);
    const fs::path real = elsewhere / "real.xml";
    if (!c.dangling) {
        kgtest::writeFile(real, "old");
    }
    fs::path first = real;
    if (c.chain) {
        fs::create_symlink(c.absolute ? real : fs::path("real.xml"), elsewhere / "hop.xml");
        first = elsewhere / "hop.xml";
    }
    const fs::path link = settings / "f.xml";
    fs::create_symlink(c.absolute ? first : fs::path("..") / "elsewhere" / first.filename(), link);

    ASSERT_TRUE(platform::writeFileAtomic(link.wstring(), "new"));
    EXPECT_TRUE(fs::is_symlink(link)) << "the link was replaced by a plain file";
    if (c.chain) {
        EXPECT_TRUE(fs::is_symlink(elsewhere / "hop.xml"));
    }
    EXPECT_EQ(kgtest::readFile(real), "new");
    EXPECT_EQ(kgtest::readFile(link), "new");
    // The temporary file lay beside the target and is gone from both folders.
    EXPECT_EQ(std::distance(fs::directory_iterator(settings), fs::directory_iterator()), 1);
    EXPECT_FALSE(kgtest::exists(elsewhere / "real.xml.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Links, AtomicFileLink,
                         testing::Values(LinkCase{"Relative", false, false, false},
                                         LinkCase{"Absolute", true, false, false},
                                         LinkCase{"ChainOfTwo", false, true, false},
                                         LinkCase{"Dangling", true, false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(AtomicFileLinux, ALoopOfLinksFailsAndChangesNothing) {
    kgtest::TempFolder temp;
    fs::create_symlink("b.xml", temp.file("a.xml"));
    fs::create_symlink("a.xml", temp.file("b.xml"));
    EXPECT_FALSE(platform::writeFileAtomic(temp.wfile("a.xml"), "new"));
    EXPECT_TRUE(fs::is_symlink(temp.file("a.xml")));
    EXPECT_TRUE(fs::is_symlink(temp.file("b.xml")));
}

class AtomicFileMode : public testing::TestWithParam<mode_t> {};

TEST_P(AtomicFileMode, SaveKeepsTheOldFilesMode) {
    kgtest::TempFolder temp;
    const fs::path file = temp.file("f.xml");
    kgtest::writeFile(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), GetParam()), 0);
    // A stale temporary file of another mode must not pass its mode on.
    kgtest::writeFile(temp.file("f.xml.tmp"), "stale");
    ASSERT_EQ(::chmod(temp.file("f.xml.tmp").c_str(), 0666), 0);
    ASSERT_TRUE(platform::writeFileAtomic(file.wstring(), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, GetParam());
    EXPECT_EQ(kgtest::readFile(file), "new");
}

INSTANTIATE_TEST_SUITE_P(Modes, AtomicFileMode, testing::Values(0600, 0640, 0604, 0664),
                         [](const auto& row) {
                             return "mode_0" + std::to_string(row.param / 64) +
                                    std::to_string(row.param / 8 % 8) +
                                    std::to_string(row.param % 8);
                         });

}  // namespace
