// How the Linux key output starts an entry's program or opens its document: the programs it
// runs are stand-ins on the PATH that write down how they were called.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/KeyInput.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestFiles.h"

namespace {

using kgtest::ScopedEnv;
using kgtest::TempFolder;

struct OpenCase {
    const char* name;
    const char* path;  // "@" stands for the temporary folder
    const char* arguments;
    const char* expected;  // the program called and its arguments, one a line; "@" as above
};

class OpenProgramLinux : public testing::TestWithParam<OpenCase> {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_folder.path() / "bin");
        std::filesystem::create_directories(m_folder.path() / "home" / "Documents");
        for (const char* name : {"xdg-open", "fake-tool"}) {
            const std::filesystem::path program = m_folder.path() / "bin" / name;
            // Written beside the log and renamed, so that the test never reads half of it.
            kgtest::writeFile(program, std::string("#!/bin/sh\nprintf '%s\\n' ") + name +
                                           " \"$@\" > \"$KG_OPEN_LOG.part\"\n"
                                           "mv \"$KG_OPEN_LOG.part\" \"$KG_OPEN_LOG\"\n");
            ::chmod(program.c_str(), 0755);
        }
    }
    std::string withFolder(const char* text) const {
        std::string out;
        for (const char* c = text; *c; ++c) {
            out += *c == '@' ? m_folder.path().string() : std::string(1, *c);
        }
        return out;
    }
    std::string waitForLog() const {
        const std::filesystem::path log = m_folder.path() / "log";
        for (int i = 0; i < 500 && !kgtest::exists(log); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return kgtest::readFile(log);
    }

    TempFolder m_folder;
    ScopedEnv m_path{"PATH", (m_folder.path() / "bin").string().append(":/usr/bin:/bin").c_str()};
    ScopedEnv m_home{"HOME", (m_folder.path() / "home").c_str()};
    ScopedEnv m_log{"KG_OPEN_LOG", (m_folder.path() / "log").c_str()};
};

TEST_P(OpenProgramLinux, StartsTheRightProgram) {
    const OpenCase& c = GetParam();
    const std::string path = withFolder(c.path);
    platform::systemKeyOutput().openProgram(
        nullptr, std::wstring(path.begin(), path.end()),
        std::wstring(c.arguments, c.arguments + std::strlen(c.arguments)));
    EXPECT_EQ(waitForLog(), withFolder(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, OpenProgramLinux,
    testing::Values(
        OpenCase{"ProgramOnThePath", "fake-tool", "", "fake-tool\n"},
        OpenCase{"ArgumentsSplitLikeAShell", "fake-tool", "a \"b c\"", "fake-tool\na\nb c\n"},
        OpenCase{"Folder", "@/home/Documents", "", "xdg-open\n@/home/Documents\n"},
        OpenCase{"HomeFolder", "~", "", "xdg-open\n@/home\n"},
        OpenCase{"FolderInTheHomeFolder", "~/Documents", "ignored", "xdg-open\n@/home/Documents\n"},
        OpenCase{"Address", "https://example.org/", "", "xdg-open\nhttps://example.org/\n"}),
    [](const testing::TestParamInfo<OpenCase>& row) { return std::string(row.param.name); });

}  // namespace
