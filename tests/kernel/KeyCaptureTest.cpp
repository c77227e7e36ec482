// Key capture against the real kernel: the gadget keyboard is grabbed, its keys reach the hook,
// and what the listeners pass or re-assign comes out of the uinput virtual keyboard.

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "platform/KeyInput.h"
#include "runtime/SimpleThread.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "tests/kernel/EvdevNode.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"

namespace {

using kgtest::KeyStroke;

constexpr char kVirtualKeyboard[] = "KeyGlow virtual keyboard";
constexpr int kKeyWait_ms = 1000;

// HID usages of the boot keyboard.
constexpr std::uint8_t kUsageA = 0x04;
constexpr std::uint8_t kUsageB = 0x05;
constexpr std::uint8_t kUsageC = 0x06;

struct SeenEvent {
    std::uint32_t vk;
    bool release;
    bool injected;
};

std::vector<SeenEvent> g_seen;

// The first listener: notes every event and lets it go on.
class NotingListener final : public IKeyboardHookListener {
public:
    std::int32_t onHookEvent(int*, std::uintptr_t* message,
                             platform::KeyEvent** record) noexcept override {
        g_seen.push_back({(*record)->vkCode, platform::isKeyRelease(*message),
                          ((*record)->flags & platform::kKeyFlagInjected) != 0});
        return 0;
    }
};

class ConnectedHost final : public IKeyRemapHost {
public:
    bool keyboardConnected() const noexcept override { return true; }
    IKeyboardHookListener* openEditor() const noexcept override { return nullptr; }
};

// The UI thread's part: the test thread dispatches key events while it waits for output.
void pumpFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    platform::KeyInput& input = KeyboardHook::keyInput();
    while (std::chrono::steady_clock::now() < end) {
        pollfd ready{input.pollFd(), POLLIN, 0};
        if (::poll(&ready, 1, 5) > 0) {
            input.dispatch();
        }
    }
}

// Reads key strokes from `node` while dispatching, until `count` came or the wait ended.
std::vector<KeyStroke> pumpAndRead(kgtest::EvdevNode& node, std::size_t count,
                                   int limit_ms = kKeyWait_ms) {
    std::vector<KeyStroke> keys;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    while (keys.size() < count && std::chrono::steady_clock::now() < end) {
        pumpFor(5);
        for (const KeyStroke& k : node.readKeys(count - keys.size(), 0)) {
            keys.push_back(k);
        }
    }
    return keys;
}

// A keyboard made through uinput, as another program (an on-screen keyboard) makes one.
class OtherProgramsKeyboard {
public:
    OtherProgramsKeyboard() {
        m_fd = ::open("/dev/uinput", O_RDWR | O_CLOEXEC);
        if (m_fd < 0) {
            return;
        }
        ioctl(m_fd, UI_SET_EVBIT, EV_KEY);
        for (int code = 1; code < 0x80; ++code) {
            ioctl(m_fd, UI_SET_KEYBIT, code);
        }
        uinput_setup setup{};
        setup.id.bustype = BUS_VIRTUAL;
        std::snprintf(setup.name, sizeof setup.name, "Other program's keyboard");
        ioctl(m_fd, UI_DEV_SETUP, &setup);
        ioctl(m_fd, UI_DEV_CREATE);
        kgtest::settleUdev();
    }
    ~OtherProgramsKeyboard() {
        if (m_fd >= 0) {
            ioctl(m_fd, UI_DEV_DESTROY);
            ::close(m_fd);
        }
    }
    void tap(std::uint16_t code) {
        for (int value : {1, 0}) {
            input_event ev[2]{};
            ev[0].type = EV_KEY;
            ev[0].code = code;
            ev[0].value = value;
            ev[1].type = EV_SYN;
            (void)!::write(m_fd, ev, sizeof ev);
        }
    }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

class KeyCapture : public testing::Test {
protected:
    void SetUp() override {
        KG_REQUIRE_GADGET(gadget);
        m_gadget = &gadget;
        g_seen.clear();
        m_records.clearRecords();
        ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
        ASSERT_TRUE(KeyboardHook::addListener(&m_noting));
        ASSERT_TRUE(KeyboardHook::addListener(&m_remapper));
        m_worker.Start(nullptr);
        m_virtual = std::make_unique<kgtest::EvdevNode>(kgtest::eventNodeNamed(kVirtualKeyboard));
        ASSERT_TRUE(m_virtual->isOpen()) << "no virtual keyboard";
        m_virtual->drain();
    }
    void TearDown() override {
        m_worker.Stop();
        KeyboardHook::removeListener(&m_remapper);
        KeyboardHook::removeListener(&m_noting);
        KeyboardHook::uninstall();
    }

    kgtest::UsbGadget* m_gadget = nullptr;
    NotingListener m_noting;
    ConnectedHost m_host;
    AppConfig m_config;
    SimpleThread m_worker;
    MacroPlayer m_player{m_worker, platform::systemKeyOutput()};
    RecordStore m_records;
    MacroStore m_macros;
    KeyRemapper m_remapper{m_host,   m_records, m_macros.config(),
                           m_config, m_player,  platform::systemKeyOutput()};
    std::unique_ptr<kgtest::EvdevNode> m_virtual;
};

TEST_F(KeyCapture, GadgetKeyboardIsGrabbedAndAPassedKeyComesOutUnchanged) {
    kgtest::EvdevNode own(m_gadget->keyboardEventNode());
    ASSERT_TRUE(own.isOpen());
    EXPECT_TRUE(own.grabbedByOther());
    own.drain();

    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_A, 1}, {KEY_A, 0}}));
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].vk, 0x41u);
    EXPECT_FALSE(g_seen[0].release);
    EXPECT_TRUE(g_seen[1].release);
    EXPECT_FALSE(g_seen[0].injected);
    EXPECT_TRUE(own.readKeys(1, 100).empty()) << "the grabbed node delivers to us only";
}

TEST_F(KeyCapture, ReassignedKeyComesOutAsItsTarget) {
    KeyRecord record;
    record.code = 0x41;  // A
    record.type = 1;
    record.steps.push_back(MacroStep{0x43, 0, 0, L"C"});
    m_records.setRecord(record);

    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    ASSERT_TRUE(m_gadget->tapKey(kUsageB));
    EXPECT_EQ(pumpAndRead(*m_virtual, 4),
              (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}, {KEY_B, 1}, {KEY_B, 0}}));
}

TEST_F(KeyCapture, KeysOfUinputKeyboardsAreNeverCaptured) {
    OtherProgramsKeyboard other;
    ASSERT_TRUE(other.ok());
    pumpFor(100);  // the hot-plug event reaches the capture
    kgtest::EvdevNode otherNode(kgtest::eventNodeNamed("Other program's keyboard"));
    ASSERT_TRUE(otherNode.isOpen());
    EXPECT_FALSE(otherNode.grabbedByOther());
    otherNode.drain();

    other.tap(KEY_X);
    pumpFor(200);
    EXPECT_TRUE(g_seen.empty()) << "the hook saw a software keyboard's key";
    EXPECT_EQ(otherNode.readKeys(2, 200), (std::vector<KeyStroke>{{KEY_X, 1}, {KEY_X, 0}}));
    EXPECT_TRUE(m_virtual->readKeys(1, 100).empty());

    // Nor our own: a key we type never comes back into the hook.
    kgtest::EvdevNode virtualNode(kgtest::eventNodeNamed(kVirtualKeyboard));
    EXPECT_FALSE(virtualNode.grabbedByOther());
    platform::systemKeyOutput().sendKey(0x44, 0, 0, platform::kSyntheticMarker);
    platform::systemKeyOutput().sendKey(0x44, 0, platform::kSendKeyUp, platform::kSyntheticMarker);
    pumpFor(200);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(m_virtual->readKeys(2, 200), (std::vector<KeyStroke>{{KEY_D, 1}, {KEY_D, 0}}));
}

TEST_F(KeyCapture, LockLightsSetOnTheVirtualKeyboardReachTheHeldKeyboard) {
    // The desktop sets the lights on the keyboard it sees, the virtual one.
    const int fd = ::open(kgtest::eventNodeNamed(kVirtualKeyboard).c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    input_event ev[2]{};
    ev[0].type = EV_LED;
    ev[0].code = LED_CAPSL;
    ev[0].value = 1;
    ev[1].type = EV_SYN;
    ASSERT_EQ(::write(fd, ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
    pumpFor(200);
    // The boot keyboard's output report: bit 1 is Caps Lock.
    std::optional<kgtest::Bytes> report;
    for (int i = 0; i < 10 && !(report = m_gadget->readKeyboardReport(100)); ++i) {
        pumpFor(20);
    }
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(*report, (kgtest::Bytes{0x02}));
    ev[0].value = 0;
    ASSERT_EQ(::write(fd, ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
    ::close(fd);
    pumpFor(200);
    m_gadget->drain();
}

TEST_F(KeyCapture, KeyboardPluggedInWhileRunningIsGrabbed) {
    ASSERT_TRUE(m_gadget->unplug());
    pumpFor(100);
    ASSERT_TRUE(m_gadget->plug());
    pumpFor(300);
    kgtest::EvdevNode own(m_gadget->keyboardEventNode());
    ASSERT_TRUE(own.isOpen());
    EXPECT_TRUE(own.grabbedByOther());
    ASSERT_TRUE(m_gadget->tapKey(kUsageC));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}}));
}

// A UI thread that hangs must not take the keyboard away: past the deadline keys go out
// unchanged, and once the UI thread answers again it is asked again.
TEST_F(KeyCapture, AStalledUiThreadIsPassedByAndAskedAgainWhenItIsBack) {
    KeyRecord record;
    record.code = 0x41;  // A
    record.type = 1;
    record.steps.push_back(MacroStep{0x43, 0, 0, L"C"});
    m_records.setRecord(record);

    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}}));

    // The UI thread stalls: nobody dispatches.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    EXPECT_EQ(m_virtual->readKeys(2, 3000), (std::vector<KeyStroke>{{KEY_A, 1}, {KEY_A, 0}}))
        << "a stalled UI thread held the key back";
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    std::printf("stalled UI thread: the key went out unchanged after %lld ms\n",
                static_cast<long long>(waited));
    ASSERT_TRUE(m_gadget->tapKey(kUsageB));
    EXPECT_EQ(m_virtual->readKeys(2, 1000), (std::vector<KeyStroke>{{KEY_B, 1}, {KEY_B, 0}}))
        << "keys are not passed at once while the UI thread is behind";

    // Back: the missed events are dropped (they went out), and the next key is re-assigned.
    pumpFor(50);
    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}}));
    EXPECT_EQ(g_seen.size(), 4u) << "the hook saw events that had gone out already";
    EXPECT_TRUE(m_virtual->keysDown().empty());
}

// The UI thread typed a key's target on its press and then stalled before its release (a
// window painting for the first time): the release goes out past the deadline, and the target
// must not stay down on the virtual keyboard. A key still held on the keyboard stays down.
TEST_F(KeyCapture, ATargetTypedBeforeAStallIsReleasedWithItsKey) {
    KeyRecord record;
    record.code = 0x41;  // A
    record.type = 1;
    record.steps.push_back(MacroStep{0x43, 0, 0, L"C"});
    m_records.setRecord(record);
    constexpr std::uint8_t kLeftShift = 0x02;

    ASSERT_TRUE(m_gadget->sendKeys(kLeftShift, {}));
    ASSERT_TRUE(m_gadget->sendKeys(kLeftShift, {kUsageA}));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_LEFTSHIFT, 1}, {KEY_C, 1}}));

    // The UI thread stalls: nobody dispatches the release.
    ASSERT_TRUE(m_gadget->sendKeys(kLeftShift, {}));
    EXPECT_EQ(m_virtual->readKeys(1, 3000), (std::vector<KeyStroke>{{KEY_C, 0}}))
        << "the target stayed down";
    EXPECT_EQ(m_virtual->keysDown(), (std::vector<std::uint16_t>{KEY_LEFTSHIFT}));
    ASSERT_TRUE(m_gadget->sendKeys(0, {}));
    EXPECT_EQ(m_virtual->readKeys(1, 1000), (std::vector<KeyStroke>{{KEY_LEFTSHIFT, 0}}));

    // Back: the next tap is re-assigned as a whole.
    pumpFor(50);
    ASSERT_TRUE(m_gadget->tapKey(kUsageA));
    EXPECT_EQ(pumpAndRead(*m_virtual, 2), (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}}));
    EXPECT_TRUE(m_virtual->keysDown().empty());
}

}  // namespace
