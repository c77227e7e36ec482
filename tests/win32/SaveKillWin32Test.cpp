// Crash-safe saves on Windows: another process saves each settings file over and over,
// switching between two versions, and is ended with TerminateProcess at a random moment, a
// thousand times. After every kill each file must hold exactly the old or the new version:
// never empty, never cut, never a mix. The process is kg_win32_save_kill_child beside this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/settings/SaveKillFiles.h"
#include "tests/support/TestFiles.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

using kgtest::SettingsFile;

int rounds() {
    const char* v = std::getenv("KEYGLOW_KILL_ROUNDS");
    return v != nullptr ? std::atoi(v) : 1000;
}

std::wstring childProgram() {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    const std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"kg_win32_save_kill_child.exe";
}

// Spins for `us` microseconds: Sleep counts in whole milliseconds or more.
void spin(std::int64_t us) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do {
        QueryPerformanceCounter(&now);
    } while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < us);
}

TEST(SaveKillWin32, EveryFileIsTheOldOrTheNewVersionWheneverTheSaverIsTerminated) {
    kgtest::TempFolder temp;
    std::vector<SettingsFile> files;
    {
        // The versions as the saving process writes them.
        for (const char* name : {"ledeffect.xml", "sidemodel.xml", "macro.xml", "record.xml"}) {
            std::error_code ec;
            std::filesystem::remove(temp.file(name), ec);
        }
        kgtest::SaveKillStores stores([&](const char* name) { return temp.wfile(name); });
        files = stores.files();
        for (SettingsFile& f : files) {
            ASSERT_TRUE(f.saveNew()) << f.name;
            f.newBytes = kgtest::readFile(temp.file(f.name));
            ASSERT_TRUE(f.saveOld()) << f.name;
            f.oldBytes = kgtest::readFile(temp.file(f.name));
            ASSERT_NE(f.oldBytes, f.newBytes) << f.name;
            ASSERT_FALSE(f.oldBytes.empty());
        }
        for (SettingsFile& f : files) {
            f.saveOld = f.saveNew = {};
        }
    }

    const std::wstring program = childProgram();
    ASSERT_FALSE(program.empty());
    const std::wstring eventName = kg::win32test::uniqueName(L"SaveKill");
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(started, nullptr);

    std::mt19937 rng(20261211u);
    int killedMidSave = 0;
    int terminated = 0;
    const int total = rounds();
    const DWORD begin = GetTickCount();
    for (int round = 0; round < total; ++round) {
        ResetEvent(started);
        std::wstring commandLine =
            L"\"" + program + L"\" \"" + temp.path().wstring() + L"\" " + eventName;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process))
            << "error " << GetLastError();
        CloseHandle(process.hThread);
        HANDLE waitFor[2] = {started, process.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waitFor, FALSE, 60000);
        ASSERT_EQ(woke, WAIT_OBJECT_0)
            << "the saving process did not start saving (round " << round << ")";
        // Up to 4 ms after its first round: a save takes about a millisecond (the flush), so
        // kills fall at every point of every file's save.
        spin(std::uniform_int_distribution<std::int64_t>(0, 4000)(rng));
        terminated += TerminateProcess(process.hProcess, 9) != 0 ? 1 : 0;
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        ASSERT_EQ(code, 9u) << "the saving process ended by itself (round " << round << ")";
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
    CloseHandle(started);
    EXPECT_EQ(terminated, total);
    // The kills must have landed inside saves (a temporary file left behind), or the test
    // showed nothing.
    EXPECT_GT(killedMidSave, total / 10);
    std::printf(
        "%d kills with TerminateProcess in %lu ms, %d of them while a temporary file was "
        "being written\n",
        total, static_cast<unsigned long>(GetTickCount() - begin), killedMidSave);
}

}  // namespace
