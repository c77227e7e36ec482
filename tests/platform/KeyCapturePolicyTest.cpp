// The plain decisions of Linux key capture: which input devices are held, the emergency chord,
// the hand-off of key events to a UI thread that may not answer, and the argument splitting of
// program entries.

#include <linux/input-event-codes.h>
#include <poll.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/ArgumentSplit.h"
#include "platform/linux/EmergencyChord.h"
#include "platform/linux/KeyHandoff.h"
#include "platform/linux/KeyboardGrabPolicy.h"

namespace {

using namespace std::chrono_literals;
using platform::linux_detail::decideGrab;
using platform::linux_detail::EmergencyChord;
using platform::linux_detail::GrabDecision;
using platform::linux_detail::InputDeviceFacts;
using platform::linux_detail::KeyHandoff;
using platform::linux_detail::RawKey;
using platform::linux_detail::splitArguments;

struct GrabCase {
    const char* name;
    InputDeviceFacts device;
    GrabDecision expected;
};

// Paths and names as udev reported them for real devices (the USB ones from the test guest).
const GrabCase kGrabCases[] = {
    {"UsbKeyboard",
     {"/dev/input/event3",
      "/sys/devices/platform/dummy_hcd.0/usb1/1-1/1-1:1.0/0003:258A:0049.0001/input/input3/event3",
      "1", "KeyGlow test Gadget keyboard"},
     GrabDecision::Grab},
    {"BuiltInKeyboard",
     {"/dev/input/event0", "/sys/devices/platform/i8042/serio0/input/input0/event0", "1",
      "AT Translated Set 2 keyboard"},
     GrabDecision::Grab},
    {"BluetoothLeKeyboardOnUhid",
     {"/dev/input/event7", "/sys/devices/virtual/misc/uhid/0005:046D:B342.0004/input/input9/event7",
      "1", "Keyboard K380"},
     GrabDecision::Grab},
    {"OtherProgramsUinputKeyboard",
     {"/dev/input/event5", "/sys/devices/virtual/input/input6/event5", "1",
      "ydotoold virtual device"},
     GrabDecision::SoftwareKeyboard},
    {"OurVirtualKeyboard",
     {"/dev/input/event4", "/sys/devices/virtual/input/input5/event4", "1",
      "KeyGlow virtual keyboard"},
     GrabDecision::OwnKeyboard},
    {"Mouse",
     {"/dev/input/event2", "/sys/devices/platform/i8042/serio1/input/input2/event2", "",
      "PS/2 Mouse"},
     GrabDecision::NotAKeyboard},
    {"KeyboardPropertyZero",
     {"/dev/input/event2", "/sys/devices/pci0000:00/input/input2/event2", "0", "Power Button"},
     GrabDecision::NotAKeyboard},
    {"LegacyKbdNode",
     {"/dev/input/by-id/usb-kbd", "/sys/devices/platform/i8042/serio0/input/input0", "1",
      "AT Translated Set 2 keyboard"},
     GrabDecision::NotAKeyboard},
    {"NoNode",
     {"", "/sys/devices/platform/i8042/serio0/input/input0", "1", "AT keyboard"},
     GrabDecision::NotAKeyboard},
};

class GrabPolicy : public testing::TestWithParam<GrabCase> {};

TEST_P(GrabPolicy, DecidesAsExpected) {
    EXPECT_EQ(decideGrab(GetParam().device), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Devices, GrabPolicy, testing::ValuesIn(kGrabCases),
                         [](const testing::TestParamInfo<GrabCase>& p) {
                             return std::string(p.param.name);
                         });

struct ChordCase {
    const char* name;
    std::vector<std::pair<std::uint16_t, std::int32_t>> events;
    int firesAt;  // index of the event that completes the chord; -1 never
};

const ChordCase kChordCases[] = {
    {"AllThreeInAnyOrder", {{KEY_ESC, 1}, {KEY_ENTER, 1}, {KEY_BACKSPACE, 1}}, 2},
    {"KeypadEnterCounts", {{KEY_BACKSPACE, 1}, {KEY_ESC, 1}, {KEY_KPENTER, 1}}, 2},
    {"OneReleasedBeforeTheThird",
     {{KEY_BACKSPACE, 1}, {KEY_ESC, 1}, {KEY_ESC, 0}, {KEY_ENTER, 1}},
     -1},
    {"RepeatsDoNotPress", {{KEY_BACKSPACE, 2}, {KEY_ESC, 2}, {KEY_ENTER, 2}}, -1},
    {"OtherKeysDoNotMatter", {{KEY_BACKSPACE, 1}, {KEY_A, 1}, {KEY_ESC, 1}, {KEY_ENTER, 1}}, 3},
    {"OnlyOnce",
     {{KEY_BACKSPACE, 1}, {KEY_ESC, 1}, {KEY_ENTER, 1}, {KEY_ENTER, 0}, {KEY_ENTER, 1}},
     2},
    {"TwoKeysOnly", {{KEY_BACKSPACE, 1}, {KEY_ENTER, 1}, {KEY_ENTER, 2}}, -1},
};

class Chord : public testing::TestWithParam<ChordCase> {};

TEST_P(Chord, FiresWhenTheThirdKeyGoesDown) {
    EmergencyChord chord;
    int firedAt = -1;
    int fires = 0;
    for (std::size_t i = 0; i < GetParam().events.size(); ++i) {
        if (chord.update(GetParam().events[i].first, GetParam().events[i].second)) {
            ++fires;
            firedAt = static_cast<int>(i);
        }
    }
    EXPECT_EQ(firedAt, GetParam().firesAt);
    EXPECT_LE(fires, 1);
}

INSTANTIATE_TEST_SUITE_P(Sequences, Chord, testing::ValuesIn(kChordCases),
                         [](const testing::TestParamInfo<ChordCase>& p) {
                             return std::string(p.param.name);
                         });

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<std::string> words;
};

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"Blanks", "  \t ", {}},
    {"Words", "--new-window  https://example.org", {"--new-window", "https://example.org"}},
    {"QuotedBlank", "\"/home/me/My Files\" -x", {"/home/me/My Files", "-x"}},
    {"QuotesInsideAWord", "--name=\"a b\"c", {"--name=a bc"}},
    {"EmptyQuotes", "\"\" x", {"", "x"}},
    {"UnclosedQuote", "a \"b c", {"a", "b c"}},
    {"Tabs", "a\tb", {"a", "b"}},
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, GivesTheWords) {
    EXPECT_EQ(splitArguments(GetParam().text), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Texts, Split, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<SplitCase>& p) {
                             return std::string(p.param.name);
                         });

// A UI thread that takes and finishes every event it is offered, noting the codes.
class AnsweringUi {
public:
    explicit AnsweringUi(KeyHandoff& handoff) : m_handoff(handoff) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                if (m_paused) {
                    std::this_thread::sleep_for(1ms);
                    continue;
                }
                RawKey key;
                if (m_handoff.take(key)) {
                    seen.push_back(key.code);
                    m_handoff.finish();
                }
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    ~AnsweringUi() {
        m_stop = true;
        m_thread.join();
    }
    void pause(bool paused) { m_paused = paused; }
    std::vector<std::uint16_t> seen;  // read after the thread has stopped or while paused

private:
    KeyHandoff& m_handoff;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::thread m_thread;
};

TEST(KeyHandoff, AnAnsweringUiThreadHandlesEveryEventInOrder) {
    KeyHandoff handoff(2000ms);
    std::vector<std::uint16_t> seen;
    {
        AnsweringUi ui(handoff);
        for (std::uint16_t code : {KEY_A, KEY_B, KEY_C}) {
            EXPECT_EQ(handoff.offer(RawKey{code, 1, 0, false}), KeyHandoff::Verdict::Handled);
        }
        ui.pause(true);
        seen = ui.seen;
    }
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{KEY_A, KEY_B, KEY_C}));
    EXPECT_FALSE(handoff.uiBehind());
}

TEST(KeyHandoff, AStalledUiThreadIsPassedByUntilItComesBack) {
    KeyHandoff handoff(30ms);
    // Nobody takes the event: past the deadline it is passed on, and so is the next one,
    // without waiting.
    EXPECT_EQ(handoff.offer(RawKey{KEY_A, 1, 0, false}), KeyHandoff::Verdict::PassedOn);
    EXPECT_TRUE(handoff.uiBehind());
    EXPECT_EQ(handoff.offer(RawKey{KEY_B, 1, 0, false}), KeyHandoff::Verdict::PassedOn);

    // The UI thread comes back: it finds the missed event gone, and is asked again after that.
    RawKey key;
    EXPECT_FALSE(handoff.take(key));
    EXPECT_FALSE(handoff.uiBehind());
    std::vector<std::uint16_t> seen;
    {
        AnsweringUi ui(handoff);
        EXPECT_EQ(handoff.offer(RawKey{KEY_C, 1, 0, false}), KeyHandoff::Verdict::Handled);
        ui.pause(true);
        seen = ui.seen;
    }
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{KEY_C}));
}

TEST(KeyHandoff, AnEventTakenButNotFinishedInTimeIsGivenUp) {
    KeyHandoff handoff(30ms);
    std::atomic<bool> taken{false};
    std::atomic<bool> givenUp{false};
    std::thread ui([&] {
        RawKey key;
        while (!handoff.take(key)) {
            std::this_thread::sleep_for(1ms);
        }
        taken = true;
        // A hook procedure that hangs past the deadline.
        while (!handoff.uiBehind()) {
            std::this_thread::sleep_for(1ms);
        }
        givenUp = handoff.currentGivenUp();
        handoff.finish();
    });
    EXPECT_EQ(handoff.offer(RawKey{KEY_A, 1, 0, false}), KeyHandoff::Verdict::PassedOn);
    ui.join();
    EXPECT_TRUE(taken);
    EXPECT_TRUE(givenUp) << "the UI thread must not send the event a second time";
    EXPECT_FALSE(handoff.uiBehind()) << "finishing shows that the UI thread is back";
}

TEST(KeyHandoff, WakeDescriptorIsReadableWhileAnEventWaits) {
    KeyHandoff handoff(30ms);
    ASSERT_GE(handoff.wakeFd(), 0);
    std::thread reader([&] { handoff.offer(RawKey{KEY_A, 1, 0, false}); });
    pollfd ready{handoff.wakeFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&ready, 1, 1000), 1);
    reader.join();
    RawKey key;
    handoff.take(key);
    EXPECT_EQ(::poll(&ready, 1, 0), 0) << "taking clears the wake-up";
}

}  // namespace
