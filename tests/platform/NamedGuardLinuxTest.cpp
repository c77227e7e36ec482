#include "platform/NamedGuard.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using platform::NamedGuard;

// The lock files go to $XDG_RUNTIME_DIR; each test gets its own, removed afterwards.
class NamedGuardLinuxTest : public testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        m_folder = fs::temp_directory_path() /
                   ("kg-guard-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(m_folder);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_hadOld = old != nullptr;
        if (m_hadOld) {
            m_old = old;
        }
        ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    }
    void TearDown() override {
        if (m_hadOld) {
            ::setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path m_folder;
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(NamedGuardLinuxTest, KeepsItsLockFileInTheRuntimeFolder) {
    NamedGuard guard("HidDevice::Open");
    EXPECT_TRUE(guard.held());
    EXPECT_TRUE(fs::exists(m_folder / "keyglow" / "HidDevice::Open.lock"));
}

// A second process of the same user waits for the holder, and gets the lock once it lets go.
TEST_F(NamedGuardLinuxTest, IsSharedWithOtherProcesses) {
    int held[2];
    int release[2];
    ASSERT_EQ(::pipe(held), 0);
    ASSERT_EQ(::pipe(release), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok;
        {
            NamedGuard guard("HidDevice::SetFeature");
            ok = guard.held();
            char signal = ok ? 'h' : 'x';
            ok = ::write(held[1], &signal, 1) == 1 && ok;
            ok = ::read(release[0], &signal, 1) == 1 && ok;
        }
        ::_exit(ok ? 0 : 1);
    }

    char signal = 0;
    ASSERT_EQ(::read(held[0], &signal, 1), 1);
    ASSERT_EQ(signal, 'h');

    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        NamedGuard guard("HidDevice::SetFeature");
        acquired = guard.held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(acquired) << "the lock was taken while the other process held it";

    ASSERT_EQ(::write(release[1], "r", 1), 1);
    waiter.join();
    EXPECT_TRUE(acquired);

    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int fd : {held[0], held[1], release[0], release[1]}) {
        ::close(fd);
    }
}

}  // namespace
