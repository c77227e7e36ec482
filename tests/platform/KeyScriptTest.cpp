// The emulated key stream's script input and its log file, on real files.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/emulator/KeyScript.h"
#include "platform/emulator/KeyStream.h"
#include "tests/support/TestFiles.h"

namespace {

using platform::emulator::KeyScript;
using platform::emulator::KeyStream;
using platform::emulator::ScriptLine;
using Kind = ScriptLine::Kind;

struct LineCase {
    const char* name;
    const char* text;
    Kind kind;
    std::uint32_t vk;
    bool extended;
    std::uint32_t wait_ms;
};

class ScriptLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptLines, Parse) {
    const LineCase& c = GetParam();
    const ScriptLine line = platform::emulator::parseScriptLine(c.text);
    EXPECT_EQ(line.kind, c.kind);
    if (c.kind == Kind::Down || c.kind == Kind::Up) {
        EXPECT_EQ(line.vk, c.vk);
        EXPECT_EQ(line.extended, c.extended);
    }
    if (c.kind == Kind::Wait) {
        EXPECT_EQ(line.wait_ms, c.wait_ms);
    }
}

const LineCase kLines[] = {
    {"Down", "down 0x41", Kind::Down, 0x41, false, 0},
    {"UpExtended", "up 0x0d ext", Kind::Up, 0x0D, true, 0},
    {"DecimalCode", "down 65", Kind::Down, 65, false, 0},
    {"ExtraSpaces", "  down   0x41  ", Kind::Down, 0x41, false, 0},
    {"Wait", "wait 200", Kind::Wait, 0, false, 200},
    {"Blank", "   ", Kind::Skip, 0, false, 0},
    {"Comment", "# a note", Kind::Skip, 0, false, 0},
    {"UnknownWord", "jump 0x41", Kind::Invalid, 0, false, 0},
    {"NoCode", "down", Kind::Invalid, 0, false, 0},
    {"CodeZero", "down 0", Kind::Invalid, 0, false, 0},
    {"CodeBeyondAByte", "down 0x141", Kind::Invalid, 0, false, 0},
    {"NotANumber", "up 0xZZ", Kind::Invalid, 0, false, 0},
    {"UnknownFlag", "up 0x41 shift", Kind::Invalid, 0, false, 0},
    {"NegativeWait", "wait -5", Kind::Invalid, 0, false, 0},
    {"WaitWithoutTime", "wait", Kind::Invalid, 0, false, 0},
    {"UpperCaseWord", "DOWN 0x41", Kind::Invalid, 0, false, 0},
};

INSTANTIATE_TEST_SUITE_P(KeyScript, ScriptLines, ::testing::ValuesIn(kLines),
                         [](const auto& p) { return std::string(p.param.name); });

struct Offered {
    std::uintptr_t message;
    std::uint32_t vk;
    std::uint32_t flags;
};
std::vector<Offered> g_offered;

std::intptr_t recordingHook(int, std::uintptr_t message, std::intptr_t record) noexcept {
    const auto* e = reinterpret_cast<const platform::KeyEvent*>(record);
    g_offered.push_back({message, e->vkCode, e->flags});
    return 1;
}

TEST(KeyScript, OffersTheKeysOfAFileInOrderAfterTheirWaits) {
    kgtest::TempFolder dir;
    kgtest::writeFile(dir.file("keys.txt"),
                      "down 0x41\r\nwait 120\nup 0x41\n\njump\nup 0x0d ext\n");
    KeyStream keys;
    ASSERT_TRUE(keys.openLogFile(dir.file("log.txt").string()));
    ASSERT_TRUE(keys.installHook(&recordingHook, true, nullptr, 0));
    g_offered.clear();
    {
        KeyScript script(keys, dir.file("keys.txt").string());
        std::atomic<int> ready{0};
        std::vector<std::chrono::steady_clock::time_point> readyAt;
        std::mutex readyMutex;
        script.setReadyCallback([&] {
            std::lock_guard lock(readyMutex);
            readyAt.push_back(std::chrono::steady_clock::now());
            ++ready;
        });
        ASSERT_TRUE(script.start());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!script.finished() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(script.finished());
        // Nothing reaches the hook until the UI side dispatches.
        EXPECT_TRUE(g_offered.empty());
        script.dispatch();
        EXPECT_EQ(script.offered(), 3u);
        ASSERT_EQ(ready.load(), 3);
        EXPECT_GE(readyAt[1] - readyAt[0], std::chrono::milliseconds(120));
    }
    ASSERT_EQ(g_offered.size(), 3u);
    EXPECT_EQ(g_offered[0].message, platform::kMsgKeyDown);
    EXPECT_EQ(g_offered[0].vk, 0x41u);
    EXPECT_EQ(g_offered[1].message, platform::kMsgKeyUp);
    EXPECT_EQ(g_offered[2].vk, 0x0Du);
    EXPECT_NE(g_offered[2].flags & platform::kKeyFlagExtended, 0u);
    keys.removeHook();
    keys.openLogFile("");
    EXPECT_EQ(kgtest::readFile(dir.file("log.txt")), "script line 5 not understood: jump\n");
}

TEST(KeyScript, AMissingFileIsNotedAndEnds) {
    kgtest::TempFolder dir;
    KeyStream keys;
    ASSERT_TRUE(keys.openLogFile(dir.file("log.txt").string()));
    KeyScript script(keys, dir.file("none.txt").string());
    ASSERT_TRUE(script.start());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!script.finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(script.finished());
    keys.openLogFile("");
    EXPECT_EQ(kgtest::readFile(dir.file("log.txt")),
              "script cannot open " + dir.file("none.txt").string() + "\n");
}

TEST(KeyStreamLog, WhatTheProgramDoesGoesToTheLogFile) {
    kgtest::TempFolder dir;
    KeyStream keys;
    ASSERT_TRUE(keys.openLogFile(dir.file("log.txt").string()));
    keys.sendKey(0x42, 0x30, 0, platform::kSyntheticMarker);
    keys.sendKey(0x5B, 0x5B, platform::kSendKeyUp | platform::kSendExtendedKey, 0);
    keys.press(0x41);  // no hook: it passes to the system
    keys.release(0x41, platform::kKeyFlagExtended);
    keys.openProgram(nullptr, L"calc.exe", L"");
    keys.openProgram(nullptr, L"notepad.exe", L"a.txt");
    keys.lockWorkstation();
    keys.openLogFile("");
    EXPECT_EQ(kgtest::readFile(dir.file("log.txt")),
              "key down 0x42\nkey up 0x5b ext\npass down 0x41\npass up 0x41 ext\n"
              "open calc.exe\nopen notepad.exe a.txt\nlock\n");
    // The stream's own log keeps its short form.
    EXPECT_EQ(keys.log().front(), "down 0x42");
}

}  // namespace
