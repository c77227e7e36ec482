// Crash-safe saves, shown: a child process saves each settings file over and over, switching
// between two versions of its settings, and is killed at a random moment, a thousand times.
// After every kill each file must be well-formed and hold exactly the old or the new version:
// never empty, never cut, never a mix. Linux only (fork and SIGKILL).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/settings/SaveKillFiles.h"
#include "tests/support/TestFiles.h"

namespace {

using kgtest::SettingsFile;

int rounds() {
    const char* v = std::getenv("KEYGLOW_KILL_ROUNDS");
    return v != nullptr ? std::atoi(v) : 1000;
}

TEST(SaveKill, EveryFileIsTheOldOrTheNewVersionWheneverTheSaveIsKilled) {
    kgtest::TempFolder temp;
    kgtest::SaveKillStores stores([&](const char* name) { return temp.wfile(name); });
    std::vector<SettingsFile> files = stores.files();
    for (SettingsFile& f : files) {
        ASSERT_TRUE(f.saveNew()) << f.name;
        f.newBytes = kgtest::readFile(temp.file(f.name));
        ASSERT_TRUE(f.saveOld()) << f.name;
        f.oldBytes = kgtest::readFile(temp.file(f.name));
        ASSERT_NE(f.oldBytes, f.newBytes) << f.name;
        ASSERT_FALSE(f.oldBytes.empty());
    }

    std::mt19937 rng(20261211u);
    int killedMidSave = 0;
    const int total = rounds();
    for (int round = 0; round < total; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            stores.saveForEver({});
        }
        // Up to 4 ms: a save here takes about 1 ms (the flush to disk), so kills fall at every
        // point of every file's save.
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        bool midSave = false;
        for (const SettingsFile& f : files) {
            const std::string bytes = kgtest::readFile(temp.file(f.name));
            ASSERT_TRUE(bytes == f.oldBytes || bytes == f.newBytes)
                << f.name << " after kill " << round << " holds " << bytes.size()
                << " bytes that are neither version";
            midSave = midSave || kgtest::exists(temp.file(f.name + ".tmp"));
        }
        killedMidSave += midSave ? 1 : 0;
    }
    // The kills must have landed inside saves (a temporary file left behind), or the test
    // showed nothing.
    EXPECT_GT(killedMidSave, total / 10);
    std::printf("%d kills, %d of them while a temporary file was being written\n", total,
                killedMidSave);
}

}  // namespace
