// Failures that only a Linux test can produce on demand: a full disk (the file-size limit
// stands in for it) and a name outside ASCII.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
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

}  // namespace
