#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using platform::InstanceClaim;
using platform::SingleInstance;

// Generous limits for another process to answer; a healthy run takes milliseconds.
constexpr int kAnswerLimit_ms = 10000;

// The helper program (SingleInstanceHelper.cpp) started as a real second process, with its
// standard input and output connected to us.
class Helper {
public:
    Helper(const std::string& name, const char* mode) {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            execl(KEYGLOW_SINGLE_INSTANCE_HELPER, KEYGLOW_SINGLE_INSTANCE_HELPER, name.c_str(),
                  mode, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
    }
    ~Helper() {
        closeInput();
        if (m_stdout >= 0) {
            close(m_stdout);
        }
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    // The next line the helper prints, or "" when none comes.
    std::string readLine() {
        std::string line;
        char c;
        while (true) {
            pollfd fd{m_stdout, POLLIN, 0};
            if (poll(&fd, 1, kAnswerLimit_ms) <= 0 || read(m_stdout, &c, 1) != 1) {
                return line;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
    }

    void closeInput() {
        if (m_stdin >= 0) {
            close(m_stdin);
            m_stdin = -1;
        }
    }

    // The exit code, or -1 when it did not end normally.
    int wait() {
        int status = 0;
        const pid_t pid = m_pid;
        m_pid = -1;
        if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

    void crash() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
};

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kAnswerLimit_ms) == 1;
}

// Every test gets its own runtime folder, so tests can run side by side and leave nothing.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kg-si-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_hadOld = old != nullptr;
        if (m_hadOld) {
            m_old = old;
        }
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_hadOld) {
            setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::size_t filesInRuntimeDir() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
            (void)entry;
            ++count;
        }
        return count;
    }

    const std::string kName = "KeyGlowSingleInstanceTest";
    const std::wstring kWideName = L"KeyGlowSingleInstanceTest";
    std::string m_dir;
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(SingleInstanceTest, SecondProcessAsksTheFirstToShowItselfAndExits) {
    SingleInstance first(kWideName);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    int activations = 0;
    first.setActivationCallback([&] { ++activations; });
    ASSERT_GE(first.activationFd(), 0);

    Helper second(kName, "claim");
    EXPECT_EQ(second.wait(), 0) << "the second start must see the running instance";

    ASSERT_TRUE(readable(first.activationFd()));
    EXPECT_EQ(first.dispatch(), 1);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(first.dispatch(), 0) << "a request is delivered once";
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, InstanceInAnotherProcessIsFoundAndActivated) {
    Helper first(kName, "hold");
    ASSERT_EQ(first.readLine(), "first");

    SingleInstance second(kWideName);
    EXPECT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    EXPECT_EQ(second.activationFd(), -1);
    EXPECT_EQ(first.readLine(), "activated");

    first.closeInput();
    EXPECT_EQ(first.wait(), 0);
}

TEST_F(SingleInstanceTest, NameIsFreeAgainWhenTheFirstInstanceEnds) {
    {
        Helper first(kName, "hold");
        ASSERT_EQ(first.readLine(), "first");
        first.closeInput();
        ASSERT_EQ(first.wait(), 0);
    }
    SingleInstance next(kWideName);
    EXPECT_EQ(next.claim(), InstanceClaim::First);
}

TEST_F(SingleInstanceTest, CrashedInstanceLeavesNoStaleClaim) {
    Helper crashed(kName, "hold");
    ASSERT_EQ(crashed.readLine(), "first");
    crashed.crash();
    // Its socket file stays behind; the lock does not.
    SingleInstance next(kWideName);
    ASSERT_EQ(next.claim(), InstanceClaim::First);

    int activations = 0;
    next.setActivationCallback([&] { ++activations; });
    Helper second(kName, "claim");
    EXPECT_EQ(second.wait(), 0);
    ASSERT_TRUE(readable(next.activationFd()));
    EXPECT_EQ(next.dispatch(), 1);
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, EveryRequestIsDispatched) {
    SingleInstance first(kWideName);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    int activations = 0;
    first.setActivationCallback([&] { ++activations; });
    for (int i = 0; i < 3; ++i) {
        SingleInstance again(kWideName);
        EXPECT_EQ(again.claim(), InstanceClaim::AnotherRunning) << "start " << i;
    }
    EXPECT_EQ(first.dispatch(), 3);
    EXPECT_EQ(activations, 3);
}

TEST_F(SingleInstanceTest, EndedInstanceRemovesItsSocket) {
    {
        SingleInstance first(kWideName);
        ASSERT_EQ(first.claim(), InstanceClaim::First);
        EXPECT_EQ(filesInRuntimeDir(), 2u);  // the lock and the socket
    }
    EXPECT_EQ(filesInRuntimeDir(), 1u) << "only the lock file stays";
    EXPECT_EQ(SingleInstance::activateRunning(kWideName), 0);
}

TEST_F(SingleInstanceTest, NamesDifferingInAnyCharacterDoNotShareAClaim) {
    SingleInstance slash(L"KeyGlow/Test");
    SingleInstance underscore(L"KeyGlow_Test");
    SingleInstance chinese(L"KeyGlow\u952e\u76d8");
    SingleInstance other(L"KeyGlow\u952e\u7d2b");
    EXPECT_EQ(slash.claim(), InstanceClaim::First);
    EXPECT_EQ(underscore.claim(), InstanceClaim::First);
    EXPECT_EQ(chinese.claim(), InstanceClaim::First);
    EXPECT_EQ(other.claim(), InstanceClaim::First);
    SingleInstance slashAgain(L"KeyGlow/Test");
    EXPECT_EQ(slashAgain.claim(), InstanceClaim::AnotherRunning);
}

TEST_F(SingleInstanceTest, RepeatedClaimKeepsTheFirstAnswer) {
    SingleInstance first(kWideName);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    SingleInstance second(kWideName);
    ASSERT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    EXPECT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    EXPECT_EQ(first.claim(), InstanceClaim::First);
    EXPECT_EQ(first.dispatch(), 1) << "the repeated claim asked nobody again";
}

TEST_F(SingleInstanceTest, EmptyNameClaimsNothing) {
    SingleInstance a(L"");
    SingleInstance b(L"");
    EXPECT_EQ(a.claim(), InstanceClaim::First);
    EXPECT_EQ(b.claim(), InstanceClaim::First);
    EXPECT_EQ(a.activationFd(), -1);
    EXPECT_EQ(filesInRuntimeDir(), 0u);
}

TEST_F(SingleInstanceTest, RuntimeFolderThatIsNotAFolderFallsBackSafely) {
    // A runtime folder that does not exist: the private folder in /tmp is used instead, which
    // must belong to us and be closed to others. Only check the claim still works.
    setenv("XDG_RUNTIME_DIR", (m_dir + "/missing").c_str(), 1);
    const std::wstring name = L"KeyGlowFallbackTest" + std::to_wstring(getpid());
    {
        SingleInstance first(name);
        ASSERT_EQ(first.claim(), InstanceClaim::First);
        SingleInstance second(name);
        EXPECT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    }
    const std::string fallback = "/tmp/keyglow-" + std::to_string(getuid());
    struct stat st {};
    ASSERT_EQ(lstat(fallback.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u);
    // Leave the shared folder itself, take our lock file back out of it.
    for (const auto& entry : std::filesystem::directory_iterator(fallback)) {
        if (entry.path().filename().string().rfind("KeyGlowFallbackTest", 0) == 0) {
            std::error_code ignored;
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

}  // namespace
