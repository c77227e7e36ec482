// The Windows key backend against the real API: the low-level hook sees keybd_event's keys
// marked injected with our extra information, the re-assignment listener lets them pass, the
// scan-code lookup, and the step timer's interruptible wait.

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "lighting/SimpleThread.h"
#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "macro/RecordStore.h"
#include "mainwnd/AppConfig.h"
#include "platform/KeyInput.h"

namespace {

struct Seen {
    std::uintptr_t message;
    platform::KeyEvent event;
};

struct Recorder : IKeyboardHookListener {
    std::int32_t onHookEvent(int*, std::uintptr_t* message,
                             platform::KeyEvent** e) noexcept override {
        if ((*e)->vkCode == kKey) {
            seen.push_back(Seen{*message, **e});
        }
        return 0;
    }
    static constexpr std::uint32_t kKey = VK_F13;  // nothing on the desktop reacts to it
    std::vector<Seen> seen;
};

// The system calls the hook on this thread while it pumps messages.
void pumpUntil(const std::vector<Seen>& seen, std::size_t count) {
    for (int i = 0; i < 200 && seen.size() < count; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class KeysWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(KeyboardHook::install(1, GetModuleHandleW(nullptr), 0));
        ASSERT_TRUE(KeyboardHook::addListener(&recorder));
    }
    void TearDown() override {
        KeyboardHook::removeListener(&recorder);
        EXPECT_TRUE(KeyboardHook::uninstall());
    }
    Recorder recorder;
};

TEST_F(KeysWin32, SentKeysComeBackMarkedAndInjected) {
    platform::KeyOutput& out = platform::systemKeyOutput();
    const auto scan = static_cast<std::uint8_t>(out.scanCodeFor(Recorder::kKey));
    out.sendKey(Recorder::kKey, scan, 0, platform::kSyntheticMarker);
    out.sendKey(Recorder::kKey, scan, platform::kSendKeyUp, platform::kSyntheticMarker);
    pumpUntil(recorder.seen, 2);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].message, platform::kMsgKeyDown);
    EXPECT_EQ(recorder.seen[1].message, platform::kMsgKeyUp);
    for (const Seen& s : recorder.seen) {
        EXPECT_EQ(s.event.dwExtraInfo, platform::kSyntheticMarker);
        EXPECT_NE(s.event.flags & platform::kKeyFlagInjected, 0u);
    }
}

struct Host : IKeyRemapHost {
    bool keyboardConnected() const noexcept override { return true; }
    IKeyboardHookListener* openEditor() const noexcept override { return nullptr; }
};

TEST_F(KeysWin32, InjectedKeysAreNotReassigned) {
    Host host;
    RecordStore records;
    MacroConfig editorConfig;
    AppConfig config;
    SimpleThread worker;
    MacroPlayer player(worker, platform::systemKeyOutput());
    KeyRemapper remapper(host, records, editorConfig, config, player, platform::systemKeyOutput());
    KeyRecord r;
    r.code = static_cast<std::int32_t>(Recorder::kKey);
    r.type = 2;
    r.steps = {MacroStep{VK_F14, 0, 0, {}}};
    records.setRecord(r);
    // The remapper goes first; the recorder after it sees what it lets through.
    KeyboardHook::removeListener(&recorder);
    ASSERT_TRUE(KeyboardHook::addListener(&remapper));
    ASSERT_TRUE(KeyboardHook::addListener(&recorder));
    keybd_event(static_cast<BYTE>(Recorder::kKey), 0, 0, 0);
    keybd_event(static_cast<BYTE>(Recorder::kKey), 0, KEYEVENTF_KEYUP, 0);
    pumpUntil(recorder.seen, 2);
    KeyboardHook::removeListener(&remapper);
    EXPECT_EQ(recorder.seen.size(), 2u);
}

TEST(KeyOutputWin32, ScanCodesOfTheLayout) {
    platform::KeyOutput& out = platform::systemKeyOutput();
    EXPECT_EQ(out.scanCodeFor('A'), 0x1Eu);
    EXPECT_EQ(out.scanCodeFor(VK_RETURN), 0x1Cu);
    EXPECT_EQ(out.scanCodeFor(0), 0u);
}

TEST(StepTimerWin32, InterruptEndsAWaitInProgress) {
    platform::StepTimer timer;
    std::thread cutter([&] {
        Sleep(50);
        timer.interrupt();
    });
    EXPECT_FALSE(timer.wait(60000, timer.epoch()));
    cutter.join();
}

TEST(StepTimerWin32, AnInterruptBeforeTheWaitIsNotLost) {
    platform::StepTimer timer;
    const std::uint64_t epoch = timer.epoch();
    timer.interrupt();
    EXPECT_FALSE(timer.wait(60000, epoch));
    // A stale wake-up does not cut the next, fresh wait.
    EXPECT_TRUE(timer.wait(1, timer.epoch()));
}

TEST(StepTimerWin32, ShutdownEndsEveryWaitUntilReopened) {
    platform::StepTimer timer;
    timer.shutdown();
    EXPECT_FALSE(timer.wait(60000, timer.epoch()));
    timer.reopen();
    EXPECT_TRUE(timer.wait(1, timer.epoch()));
}

}  // namespace
