// The Windows key backend against the real API: the low-level hook sees keybd_event's keys
// marked injected with our extra information, the re-assignment listener lets them pass, a
// swallowed key never reaches the focused window, a key swallowed and sent again as another
// arrives there as the other, and the scan-code lookup.

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "platform/KeyInput.h"
#include "runtime/SimpleThread.h"
#include "settings/AppConfig.h"
#include "settings/RecordStore.h"

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

// A real top-level window with the keyboard focus, recording the key messages it receives.
struct WindowMessage {
    UINT message;
    WPARAM key;
};

LRESULT CALLBACK recordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) {
        auto* received =
            reinterpret_cast<std::vector<WindowMessage>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (received != nullptr) {
            received->push_back(WindowMessage{message, wParam});
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class FocusedWindow {
public:
    FocusedWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = recordingWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        m_class = RegisterClassExW(&wc);
        if (m_class == 0) {
            return;
        }
        m_window = CreateWindowExW(0, kClassName, L"key test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   100, 100, 320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        if (m_window == nullptr) {
            return;
        }
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
        ShowWindow(m_window, SW_SHOW);
        UpdateWindow(m_window);
        SetForegroundWindow(m_window);
        SetFocus(m_window);
    }
    ~FocusedWindow() {
        if (m_window != nullptr) {
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
            DestroyWindow(m_window);
        }
        if (m_class != 0) {
            UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
        }
    }
    FocusedWindow(const FocusedWindow&) = delete;
    FocusedWindow& operator=(const FocusedWindow&) = delete;

    bool hasFocus() const { return m_window != nullptr && GetFocus() == m_window; }

    // Pumps the thread's messages until the window has received a release of key, or the
    // deadline (a few hundred ms) passes. Input arrives in order, so anything sent before
    // that release has been delivered by then.
    void pumpUntilReleaseOf(WPARAM key) {
        const ULONGLONG deadline = GetTickCount64() + 500;
        while (count(WM_KEYUP, key) == 0 && GetTickCount64() < deadline) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

    std::size_t count(UINT message, WPARAM key) const {
        std::size_t n = 0;
        for (const WindowMessage& m : received) {
            n += m.message == message && m.key == key ? 1 : 0;
        }
        return n;
    }
    // Key messages naming the key, and characters typed from it (either case).
    std::size_t messagesAbout(char letter) const {
        const auto upper = static_cast<WPARAM>(letter);
        const auto lower = static_cast<WPARAM>(letter - 'A' + 'a');
        return count(WM_KEYDOWN, upper) + count(WM_KEYUP, upper) + count(WM_CHAR, upper) +
               count(WM_CHAR, lower);
    }

    std::vector<WindowMessage> received;

private:
    static constexpr const wchar_t* kClassName = L"KeyGlowKeyTestWindow";
    ATOM m_class = 0;
    HWND m_window = nullptr;
};

// Swallows every event of one key, as a re-assignment does, and counts what it swallowed.
struct Swallower : IKeyboardHookListener {
    explicit Swallower(std::uint32_t swallowedKey) : key(swallowedKey) {}
    std::int32_t onHookEvent(int*, std::uintptr_t*, platform::KeyEvent** e) noexcept override {
        if ((*e)->vkCode != key) {
            return 0;
        }
        ++swallowed;
        return 1;
    }
    std::uint32_t key;
    int swallowed = 0;
};

// Swallows a key that did not come from the program and sends another in its place through
// the real key output, marked as the program's own.
struct Reassigner : IKeyboardHookListener {
    Reassigner(std::uint32_t oldKey, std::uint8_t newKey) : from(oldKey), to(newKey) {}
    std::int32_t onHookEvent(int*, std::uintptr_t* message,
                             platform::KeyEvent** e) noexcept override {
        if ((*e)->vkCode != from || (*e)->dwExtraInfo == platform::kSyntheticMarker) {
            return 0;
        }
        platform::KeyOutput& out = platform::systemKeyOutput();
        const auto scan = static_cast<std::uint8_t>(out.scanCodeFor(to));
        out.sendKey(to, scan, platform::isKeyRelease(*message) ? platform::kSendKeyUp : 0,
                    platform::kSyntheticMarker);
        ++replaced;
        return 1;
    }
    std::uint32_t from;
    std::uint8_t to;
    int replaced = 0;
};

// Stands in for a key pressed and released on the keyboard: no extra information.
void pressPhysical(char key) {
    const auto vk = static_cast<BYTE>(key);
    const auto scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    keybd_event(vk, scan, 0, 0);
    keybd_event(vk, scan, KEYEVENTF_KEYUP, 0);
}

TEST_F(KeysWin32, ASwallowedKeyNeverReachesTheFocusedWindow) {
    FocusedWindow window;
    ASSERT_TRUE(window.hasFocus());
    Swallower swallower('Q');
    ASSERT_TRUE(KeyboardHook::addListener(&swallower));
    pressPhysical('Q');
    // A key nobody swallows, sent after it, shows that keys do reach the window.
    pressPhysical('W');
    window.pumpUntilReleaseOf('W');
    KeyboardHook::removeListener(&swallower);

    EXPECT_EQ(swallower.swallowed, 2);
    EXPECT_EQ(window.messagesAbout('Q'), 0u);
    EXPECT_EQ(window.count(WM_KEYDOWN, 'W'), 1u);
    EXPECT_EQ(window.count(WM_CHAR, 'w'), 1u);
    EXPECT_EQ(window.count(WM_KEYUP, 'W'), 1u);
}

TEST_F(KeysWin32, AReassignedKeyArrivesAsTheNewKey) {
    FocusedWindow window;
    ASSERT_TRUE(window.hasFocus());
    Reassigner reassigner('R', 'T');
    ASSERT_TRUE(KeyboardHook::addListener(&reassigner));
    pressPhysical('R');
    window.pumpUntilReleaseOf('T');
    KeyboardHook::removeListener(&reassigner);

    EXPECT_EQ(reassigner.replaced, 2);
    EXPECT_EQ(window.messagesAbout('R'), 0u);
    ASSERT_EQ(window.received.size(), 3u);
    EXPECT_EQ(window.received[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(window.received[0].key, static_cast<WPARAM>('T'));
    EXPECT_EQ(window.received[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(window.received[1].key, static_cast<WPARAM>('t'));
    EXPECT_EQ(window.received[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(window.received[2].key, static_cast<WPARAM>('T'));
}

TEST(KeyOutputWin32, ScanCodesOfTheLayout) {
    platform::KeyOutput& out = platform::systemKeyOutput();
    EXPECT_EQ(out.scanCodeFor('A'), 0x1Eu);
    EXPECT_EQ(out.scanCodeFor(VK_RETURN), 0x1Cu);
    EXPECT_EQ(out.scanCodeFor(0), 0u);
}

}  // namespace
