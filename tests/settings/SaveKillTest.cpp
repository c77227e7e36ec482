// Crash-safe saves, shown: a child process saves each settings file over and over, switching
// between two versions of its settings, and is killed at a random moment, a thousand times.
// After every kill each file must be well-formed and hold exactly the old or the new version:
// never empty, never cut, never a mix. Linux only (fork and SIGKILL).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"
#include "tests/support/TestFiles.h"

namespace {

// One settings file and its two versions, each a store whose save writes that version.
struct SettingsFile {
    std::string name;
    std::function<bool()> saveOld;
    std::function<bool()> saveNew;
    std::string oldBytes;
    std::string newBytes;
};

int rounds() {
    const char* v = std::getenv("KEYGLOW_KILL_ROUNDS");
    return v != nullptr ? std::atoi(v) : 1000;
}

TEST(SaveKill, EveryFileIsTheOldOrTheNewVersionWheneverTheSaveIsKilled) {
    kgtest::TempFolder temp;
    const auto path = [&](const char* name) { return temp.wfile(name); };

    EffectStore effectOld, effectNew;
    effectOld.load(path("ledeffect.xml"));
    effectOld.resetDefaults();
    effectNew.load(path("ledeffect.xml"));
    effectNew.record(0)->brightness = 2;
    effectNew.record(7)->speed = 0;
    effectNew.setCurrentIndex(7);

    SideLightStore sideOld, sideNew;
    sideOld.load(path("sidemodel.xml"));
    sideNew.load(path("sidemodel.xml"));
    sideNew.record(3)->setLevel(1);
    sideNew.setCurrentIndex(3);

    MacroStore macroOld, macroNew;
    macroOld.load(path("macro.xml"));
    macroNew.load(path("macro.xml"));
    macroNew.config().repeat = 20;
    macroNew.addGroup();
    for (int i = 0; i < 200; ++i) {
        macroNew.groupAt(0)->addStep(0x41 + i % 26, i % 2, 10 * i, L"key");
    }

    RecordStore recordOld, recordNew;
    recordOld.load(path("record.xml"));
    recordNew.load(path("record.xml"));
    for (int code = 0x41; code < 0x41 + 20; ++code) {
        KeyRecord r;
        r.code = code;
        r.repeat = 3;
        r.name = L"key";
        r.group = L"Group 0";
        r.steps.assign(10, MacroStep{0x42, 0, 5, L"B"});
        recordNew.setRecord(r);
    }

    std::vector<SettingsFile> files = {
        {"ledeffect.xml",
         [&] { return effectOld.save(); },
         [&] { return effectNew.save(); },
         {},
         {}},
        {"sidemodel.xml", [&] { return sideOld.save(); }, [&] { return sideNew.save(); }, {}, {}},
        {"macro.xml", [&] { return macroOld.save(); }, [&] { return macroNew.save(); }, {}, {}},
        {"record.xml", [&] { return recordOld.save(); }, [&] { return recordNew.save(); }, {}, {}},
    };
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
            for (unsigned n = 0;; ++n) {
                for (SettingsFile& f : files) {
                    (n % 2 == 0 ? f.saveNew : f.saveOld)();
                }
            }
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
