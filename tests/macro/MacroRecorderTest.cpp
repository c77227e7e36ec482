// The editor's recorder with the clock in the test's hand: what each key event makes of the
// shown group, by delay mode and page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/MacroRecorder.h"
#include "settings/MacroStore.h"
#include "tests/support/ManualClock.h"

namespace {

using platform::kMsgKeyDown;
using platform::kMsgKeyUp;
using platform::kMsgSysKeyDown;
using platform::kMsgSysKeyUp;

constexpr std::uint64_t kClockStart_ms = 1'000'000;
// The process started 5000 ms before the clock's start.
constexpr std::uint64_t kProcessStart_ms = kClockStart_ms - 5000;

struct Event {
    std::uint64_t after_ms;  // clock advance before the event
    std::uintptr_t message;
    std::uint32_t vk;
    std::uint32_t flags = 0;
};

struct Step {
    std::int32_t code;
    std::int32_t state;
    std::int32_t delay;
    std::wstring name;
    bool operator==(const Step&) const = default;
};

void PrintTo(const Step& s, std::ostream* os) {
    *os << "{" << s.code << "," << s.state << "," << s.delay << "}";
}

struct RecordCase {
    const char* name;
    std::int32_t mode;
    std::int32_t fixedDelay;
    std::vector<Step> before;  // steps of the group when the editor opens
    std::vector<Event> events;
    std::vector<Step> expected;
    std::vector<std::int32_t> swallowed;  // one result per event
};

std::vector<Step> steps(const MacroGroup& g) {
    std::vector<Step> out;
    for (const MacroStep& s : g.steps) {
        out.push_back({s.code, s.state, s.delay, s.name});
    }
    return out;
}

class Recording : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Recording, StepsAndDelays) {
    const RecordCase& c = GetParam();
    MacroStore store;
    store.config().mode = c.mode;
    store.config().delay = c.fixedDelay;
    MacroGroup group{L"G", {}};
    for (const Step& s : c.before) {
        group.addStep(s.code, s.state, s.delay, s.name);
    }
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    recorder.restart();
    std::vector<std::int32_t> results;
    for (const Event& e : c.events) {
        clock.advance(e.after_ms);
        platform::KeyEvent ev;
        ev.vkCode = e.vk;
        ev.flags = e.flags;
        results.push_back(
            recorder.onKeyEvent(MacroRecorder::kPageMacro, true, &group, e.message, ev, nullptr)
                .swallow);
    }
    EXPECT_EQ(steps(group), c.expected);
    EXPECT_EQ(results, c.swallowed);
}

const RecordCase kRecordCases[] = {
    {"RealTimeDelaysAreTheGapsBetweenEvents",
     0,
     10,
     {},
     {{0, kMsgKeyDown, 0x41}, {200, kMsgKeyUp, 0x41}, {300, kMsgKeyDown, 0x42}},
     {{0x41, 0, 200, L"A"}, {0x41, 1, 300, L"A"}, {0x42, 0, 0, L"B"}},
     {1, 1, 1}},
    {"FixedDelayGivesEveryStepButTheLastTheDelay",
     1,
     25,
     {},
     {{0, kMsgKeyDown, 0x41}, {200, kMsgKeyUp, 0x41}, {300, kMsgKeyDown, 0x42}},
     {{0x41, 0, 25, L"A"}, {0x41, 1, 25, L"A"}, {0x42, 0, 0, L"B"}},
     {1, 1, 1}},
    {"NoDelayGivesEveryStepZero",
     2,
     25,
     {},
     {{0, kMsgKeyDown, 0x41}, {200, kMsgKeyUp, 0x41}, {300, kMsgKeyDown, 0x42}},
     {{0x41, 0, 0, L"A"}, {0x41, 1, 0, L"A"}, {0x42, 0, 0, L"B"}},
     {1, 1, 1}},
    {"UnknownModeRecordsLikeNoDelay",
     7,
     25,
     {},
     {{0, kMsgKeyDown, 0x41}, {40, kMsgKeyUp, 0x41}},
     {{0x41, 0, 0, L"A"}, {0x41, 1, 0, L"A"}},
     {1, 1}},
    // lastEventTime starts at -1: the old last step gets the process time plus one.
    {"FirstKeyAfterOpeningGivesTheOldLastStepTheProcessTimePlusOne",
     0,
     10,
     {{0x43, 1, 7, L"C"}},
     {{0, kMsgKeyDown, 0x41}},
     {{0x43, 1, 5001, L"C"}, {0x41, 0, 0, L"A"}},
     {1}},
    {"AReleaseIntoAnEmptyListIsSwallowedAndNotRecorded",
     0,
     10,
     {},
     {{0, kMsgKeyUp, 0x41}, {10, kMsgKeyDown, 0x42}},
     {{0x42, 0, 0, L"B"}},
     {1, 1}},
    {"RightShiftIsCode161NamedShiftRight",
     2,
     10,
     {},
     {{0, kMsgKeyDown, 0xA1}},
     {{161, 0, 0, L"ShiftRight"}},
     {1}},
    {"ExtendedEnterIsCode13NamedPadEnter",
     2,
     10,
     {},
     {{0, kMsgKeyDown, 0x0D, platform::kKeyFlagExtended}},
     {{13, 0, 0, L"Pad Enter"}},
     {1}},
    {"SystemKeyEventsRecordLikePlainOnes",
     0,
     10,
     {},
     {{0, kMsgSysKeyDown, 0xA4}, {50, kMsgSysKeyUp, 0xA4}},
     {{0xA4, 0, 50, L"AltLeft"}, {0xA4, 1, 0, L"AltLeft"}},
     {1, 1}},
    {"HeldKeysRecordEveryRepeatedPress",
     0,
     10,
     {},
     {{0, kMsgKeyDown, 0x41}, {30, kMsgKeyDown, 0x41}, {30, kMsgKeyDown, 0x41}},
     {{0x41, 0, 30, L"A"}, {0x41, 0, 30, L"A"}, {0x41, 0, 0, L"A"}},
     {1, 1, 1}},
    // Only the low byte of the code is stored; a code whose low byte is 0 adds no step, yet it
    // counts as the last event (the A press gets 20, not 35).
    {"APressWithCodeZeroAppendsNothing",
     0,
     10,
     {},
     {{0, kMsgKeyDown, 0x41}, {15, kMsgKeyDown, 0x100}, {20, kMsgKeyUp, 0x141}},
     {{0x41, 0, 20, L"A"}, {0x41, 1, 0, L""}},
     {1, 1, 1}},
    {"OtherMessagesAreSwallowedAndRecordNothing", 0, 10, {}, {{0, 0x0200, 0x41}}, {}, {1}},
};

INSTANTIATE_TEST_SUITE_P(MacroRecorder, Recording, ::testing::ValuesIn(kRecordCases),
                         [](const auto& p) { return std::string(p.param.name); });

platform::KeyEvent key(std::uint32_t vk, std::uint32_t flags = 0) {
    platform::KeyEvent e;
    e.vkCode = vk;
    e.flags = flags;
    return e;
}

TEST(MacroRecorder, AnUntickedRecordBoxLetsEveryKeyGoOn) {
    MacroStore store;
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    MacroGroup group{L"G", {}};
    for (std::uintptr_t message : {kMsgKeyDown, kMsgKeyUp}) {
        const RecorderResult r = recorder.onKeyEvent(MacroRecorder::kPageMacro, false, &group,
                                                     message, key(0x41), nullptr);
        EXPECT_EQ(r.swallow, 0);
        EXPECT_FALSE(r.stepsChanged);
    }
    EXPECT_TRUE(group.steps.empty());
    EXPECT_EQ(recorder.lastEventTime(), -1);
}

TEST(MacroRecorder, RecordingWithoutAShownGroupSwallowsAndRecordsNothing) {
    MacroStore store;
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    EXPECT_EQ(
        recorder
            .onKeyEvent(MacroRecorder::kPageMacro, true, nullptr, kMsgKeyDown, key(0x41), nullptr)
            .swallow,
        1);
    EXPECT_EQ(recorder.lastEventTime(), 5000);
}

TEST(MacroRecorder, RealTimeDelaysCountFromTheLastRecordedEvent) {
    MacroStore store;
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    MacroGroup group{L"G", {}};
    recorder.onKeyEvent(0, true, &group, kMsgKeyDown, key(0x41), nullptr);
    EXPECT_EQ(recorder.lastEventTime(), 5000);
    clock.advance(120);
    recorder.onKeyEvent(0, true, &group, kMsgKeyUp, key(0x41), nullptr);
    EXPECT_EQ(recorder.lastEventTime(), 5120);
    // Opening again forgets the last event.
    recorder.restart();
    EXPECT_EQ(recorder.lastEventTime(), -1);
}

struct SingleKeyCase {
    const char* name;
    std::uintptr_t message;
    std::uint32_t vk;
    std::int32_t swallow;
    std::int32_t skcode;  // afterwards; the store starts with 7
    bool known;
    std::wstring shownName;
};

class SingleKey : public ::testing::TestWithParam<SingleKeyCase> {};

TEST_P(SingleKey, Capture) {
    const SingleKeyCase& c = GetParam();
    MacroStore store;
    store.config().skcode = 7;
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    // The keyboard image of the test knows only B.
    const MacroRecorder::KeyLookup lookup = [](int id, std::wstring& name) {
        if (id != 0x42) {
            return false;
        }
        name = L"B";
        return true;
    };
    const RecorderResult r = recorder.onKeyEvent(MacroRecorder::kPageSingleKey, false, nullptr,
                                                 c.message, key(c.vk), lookup);
    EXPECT_EQ(r.swallow, c.swallow);
    EXPECT_EQ(store.config().skcode, c.skcode);
    EXPECT_EQ(r.singleKeyKnown, c.known);
    EXPECT_EQ(r.singleKeyName, c.shownName);
}

const SingleKeyCase kSingleKeyCases[] = {
    {"AKnownKeyIsShownByName", kMsgKeyDown, 0x42, 1, 0x42, true, L"B"},
    {"ASystemPressCountsAsAPress", kMsgSysKeyDown, 0x42, 1, 0x42, true, L"B"},
    {"AnUnknownKeyIsTakenButNotShown", kMsgKeyDown, 0x43, 1, 0x43, false, L""},
    {"CodeZeroIsTakenAsNoKey", kMsgKeyDown, 0, 1, 0, false, L""},
    {"AReleaseGoesOnUntouched", kMsgKeyUp, 0x42, 0, 7, false, L""},
};

INSTANTIATE_TEST_SUITE_P(MacroRecorder, SingleKey, ::testing::ValuesIn(kSingleKeyCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(MacroRecorder, TheMediaAndCombinationPagesTakeNoKeys) {
    MacroStore store;
    kg::ManualClock clock(kClockStart_ms);
    MacroRecorder recorder(store, clock, kProcessStart_ms);
    MacroGroup group{L"G", {}};
    for (int page : {MacroRecorder::kPageMedia, MacroRecorder::kPageCombination}) {
        EXPECT_EQ(recorder.onKeyEvent(page, true, &group, kMsgKeyDown, key(0x41), nullptr).swallow,
                  0);
    }
    EXPECT_TRUE(group.steps.empty());
    EXPECT_EQ(store.config().skcode, 0);
}

}  // namespace
