// Key re-assignment and macro playback through the real hook procedure, the real worker and
// the emulated key stream, which records what would be typed, started and let through.

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdio>

#include <chrono>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "platform/emulator/KeyStream.h"
#include "runtime/SimpleThread.h"
#include "settings/AppConfig.h"
#include "settings/RecordStore.h"

namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;
using platform::emulator::KeyStream;

constexpr std::uint32_t kKeyF = 0x46;
constexpr std::uint32_t kKeyG = 0x47;

struct Host : IKeyRemapHost {
    bool connected = true;
    IKeyboardHookListener* editor = nullptr;
    bool keyboardConnected() const noexcept override { return connected; }
    IKeyboardHookListener* openEditor() const noexcept override { return editor; }
};

// Answers every event with a fixed result and counts the calls.
struct CountingListener : IKeyboardHookListener {
    explicit CountingListener(std::int32_t r) : result(r) {}
    std::int32_t onHookEvent(int*, std::uintptr_t*, platform::KeyEvent**) noexcept override {
        ++calls;
        return result;
    }
    std::int32_t result;
    int calls = 0;
};

MacroStep step(std::int32_t code, std::int32_t state, std::int32_t delay) {
    return MacroStep{code, state, delay, {}};
}

KeyRecord record(std::int32_t code, std::int32_t type, std::vector<MacroStep> steps,
                 std::int32_t repeat = 0, std::int32_t mode = 0) {
    KeyRecord r;
    r.code = code;
    r.type = type;
    r.repeat = repeat;
    r.mode = mode;
    r.steps = std::move(steps);
    return r;
}

class KeyPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        KeyboardHook::setKeyInput(&keys);
        ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
        ASSERT_TRUE(KeyboardHook::addListener(&remapper));
        worker.SetIdleCallback(std::make_unique<SimpleThread::Callback<MacroPlayer>>(
            &player, &MacroPlayer::playNextStep));
    }

    void TearDown() override {
        stopWorker();
        KeyboardHook::removeListener(&remapper);
        KeyboardHook::uninstall();
        KeyboardHook::setKeyInput(nullptr);
    }

    void startWorker() { worker.Start(this); }
    void stopWorker() {
        player.beginStop();
        worker.Stop();
        player.finishStop();
    }

    void add(const KeyRecord& r) { records.setRecord(r); }

    bool waitUntilQueueEmpty(std::chrono::milliseconds guard = 2s) {
        const auto end = std::chrono::steady_clock::now() + guard;
        while (!player.queue().empty() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(5ms);
        }
        return player.queue().empty();
    }

    KeyStream keys;
    Host host;
    RecordStore records;
    MacroConfig editorConfig;
    AppConfig config;
    SimpleThread worker;
    MacroPlayer player{worker, keys};
    KeyRemapper remapper{host, records, editorConfig, config, player, keys};
};

// ---- Keys acted on at once from the hook --------------------------------------------------

struct Action {
    bool release;
    std::uint32_t vk;
    std::uint32_t flags = 0;
    std::uint32_t scanCode = 0;
    std::uintptr_t extra = 0;
};

struct ImmediateCase {
    const char* name;
    std::vector<KeyRecord> records;
    bool connected;
    std::vector<Action> script;
    std::vector<std::intptr_t> results;
    Log log;
};

const std::vector<MacroStep> kToA = {step('A', 0, 0)};

std::vector<ImmediateCase> immediateCases() {
    return {
        {"SingleKeyPressAndRelease",
         {record(kKeyF, 1, kToA)},
         true,
         {{false, kKeyF}, {true, kKeyF}},
         {1, 1},
         {"down 0x41", "up 0x41"}},
        {"SingleKeyScanCodeBit200IsSwallowedSilently",
         {record(kKeyF, 1, kToA)},
         true,
         {{false, kKeyF, 0, 0x221}, {true, kKeyF, 0, 0x221}},
         {1, 1},
         {}},
        {"SingleKeyTargetIsNotReassignedAgain",
         {record(kKeyF, 1, kToA), record('A', 1, {step('B', 0, 0)})},
         true,
         {{false, kKeyF}, {true, kKeyF}},
         {1, 1},
         {"down 0x41", "up 0x41"}},
        {"SingleKeyExtendedTargetGoesOutPlain",
         {record(kKeyF, 1, {step(0x12D, 0, 0)})},
         true,
         {{false, kKeyF}},
         {1},
         {"down 0x2d"}},
        {"SingleKeyWithoutStepsGoesOn",
         {record(kKeyF, 1, {})},
         true,
         {{false, kKeyF}},
         {0},
         {"pass down 0x46"}},
        {"MediaKeyBelow10000",
         {record(kKeyF, 2, {step(0xAF, 0, 0)})},
         true,
         {{false, kKeyF}, {true, kKeyF}},
         {1, 1},
         {"down 0xaf", "up 0xaf"}},
        {"ProgramStartsOnPressOnly",
         {record(kKeyF, 2, {step(10000, 0, 0)})},
         true,
         {{false, kKeyF}, {false, kKeyF}, {true, kKeyF}},
         {1, 1, 1},
         {"open calc -x", "open calc -x"}},
        {"ProgramCodeWithoutEntryGoesOn",
         {record(kKeyF, 2, {step(10007, 0, 0)})},
         true,
         {{false, kKeyF}, {true, kKeyF}},
         {0, 0},
         {"pass down 0x46", "pass up 0x46"}},
        {"ProgramCodeWithoutEntryGoesOnToTheNextRecord",
         {record(kKeyF, 2, {step(10007, 0, 0)}), record(kKeyF, 1, {step('B', 0, 0)})},
         true,
         {{false, kKeyF}},
         {1},
         {"down 0x42"}},
        {"MarkedEventPassesUntouched",
         {record(kKeyF, 1, kToA)},
         true,
         {{false, kKeyF, 0, 0, platform::kSyntheticMarker}},
         {0},
         {"pass down 0x46"}},
        {"InjectedEventPassesUntouched",
         {record(kKeyF, 1, kToA)},
         true,
         {{false, kKeyF, platform::kKeyFlagInjected}},
         {0},
         {"pass down 0x46"}},
        {"KeyboardUnpluggedReassignsNothing",
         {record(kKeyF, 1, kToA)},
         false,
         {{false, kKeyF}, {true, kKeyF}},
         {0, 0},
         {"pass down 0x46", "pass up 0x46"}},
        {"KeyboardUnpluggedPlaysNoMacroOrCombination",
         {record(kKeyF, 0, kToA, 1), record(kKeyG, 3, {step('A', 1, 0), step('A', 0, 0)})},
         false,
         {{true, kKeyF}, {false, kKeyG}, {true, kKeyG}},
         {0, 0, 0},
         {"pass up 0x46", "pass down 0x47", "pass up 0x47"}},
        {"KeypadEnterIs10D",
         {record(0x10D, 1, {step('X', 0, 0)})},
         true,
         {{false, 0x0D, platform::kKeyFlagExtended}, {false, 0x0D}},
         {1, 0},
         {"down 0x58", "pass down 0x0d"}},
        {"UnassignedKeyPasses",
         {record(kKeyG, 1, kToA)},
         true,
         {{false, kKeyF}},
         {0},
         {"pass down 0x46"}},
        {"UnknownTypeGoesOn",
         {record(kKeyF, 7, kToA)},
         true,
         {{false, kKeyF}},
         {0},
         {"pass down 0x46"}},
    };
}

class ImmediateKeys : public KeyPlayback, public ::testing::WithParamInterface<ImmediateCase> {};

TEST_P(ImmediateKeys, TypesWhatTheRecordSays) {
    const ImmediateCase& c = GetParam();
    for (const KeyRecord& r : c.records) {
        add(r);
    }
    config.mediaKeys.push_back(MediaKeyEntry{L"Calculator", 10000, L"calc", L"-x"});
    host.connected = c.connected;
    std::vector<std::intptr_t> results;
    for (const Action& a : c.script) {
        results.push_back(a.release ? keys.release(a.vk, a.flags, a.scanCode, a.extra)
                                    : keys.press(a.vk, a.flags, a.scanCode, a.extra));
    }
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(keys.log(), c.log);
}

INSTANTIATE_TEST_SUITE_P(Records, ImmediateKeys, ::testing::ValuesIn(immediateCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(KeyPlayback, TypedKeysComingBackMarkedPassAndAreNotReassigned) {
    add(record(kKeyF, 1, kToA));
    add(record('A', 1, {step('B', 0, 0)}));
    keys.setEchoTyped(true);
    EXPECT_EQ(keys.press(kKeyF), 1);
    EXPECT_EQ(keys.pumpEchoes(), 1u);
    EXPECT_EQ(keys.log(), (Log{"down 0x41", "pass down 0x41"}));
    ASSERT_EQ(keys.typed().size(), 1u);
    EXPECT_EQ(keys.typed()[0].extraInfo, platform::kSyntheticMarker);
}

TEST_F(KeyPlayback, SingleKeyGetsTheScanCodeOfItsTarget) {
    add(record(kKeyF, 1, kToA));
    keys.press(kKeyF);
    ASSERT_EQ(keys.typed().size(), 1u);
    EXPECT_EQ(keys.typed()[0].scanCode, 0x1E);
}

// ---- Key combinations and macros through the worker --------------------------------------------
// (the cases of playback in time are scripts in tests/data/keys, run by KeyScriptTest.cpp)

// Ctrl+C as the assignment panel builds it from "17:20,67:20": the releases (delay + 1) first,
// then the presses.
KeyRecord ctrlC() {
    return record(kKeyF, 3, {step(17, 1, 21), step(67, 1, 21), step(17, 0, 20), step(67, 0, 20)});
}

TEST_F(KeyPlayback, MacroWithoutStepsOrRepeatQueuesNothingButSwallows) {
    add(record(kKeyF, 0, {}, 3, 1));
    add(record(kKeyG, 0, {step('A', 0, 0)}, 0));
    EXPECT_EQ(keys.release(kKeyF), 1);
    EXPECT_EQ(keys.release(kKeyG), 1);
    EXPECT_TRUE(player.queue().empty());
    EXPECT_EQ(player.stopOnKeyUp(), 0);  // the last release was the G record's mode 0
}

// The low-level hook holds up every key of the desktop, and Windows removes a hook that overruns
// its time-out, so a release must come back at once whatever the record holds. The guard is
// thousands of times what the call needs: only a loop over the repeat count can reach it.
TEST_F(KeyPlayback, EmptyMacroWithHugeRepeatReturnsAtOnce) {
    add(record(kKeyF, 0, {}, std::numeric_limits<std::int32_t>::max()));
    add(record(kKeyG, 0, {step('A', 0, 0), step('A', 1, 0)},
               std::numeric_limits<std::int32_t>::max()));
    for (std::uint32_t key : {kKeyF, kKeyG}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(keys.release(key), 1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 250ms) << "key " << key;
    }
    EXPECT_EQ(player.queue().size(), PlaybackQueue::kCapacity);
}

// Shift, A, B, Shift: six steps; 20000 copies are more than the queue holds. Only whole copies
// are queued, so every key the macro presses is released again.
const std::vector<MacroStep> kShiftAB = {step(0x10, 0, 0), step('A', 0, 0), step('A', 1, 0),
                                         step('B', 0, 0),  step('B', 1, 0), step(0x10, 1, 0)};

TEST_F(KeyPlayback, BoundedMacroQueuesWholeCopiesAndLeavesNoKeyDown) {
    add(record(kKeyF, 0, kShiftAB, 20000));
    EXPECT_EQ(keys.release(kKeyF), 1);
    EXPECT_EQ(player.queue().size(), PlaybackQueue::kCapacity / 6 * 6);
    startWorker();
    ASSERT_TRUE(waitUntilQueueEmpty(60s));
    EXPECT_EQ(keys.heldKeys(), std::vector<std::uint8_t>{});
}

// The same rule in a queue of any room: a six-step macro fits as often as six steps do; a room
// smaller than one copy takes none.
TEST(PlaybackQueueRoom, TakesWholeCopiesOnlyInAnyRoom) {
    SimpleThread worker;
    for (std::size_t room : {0u, 1u, 5u, 6u, 7u, 12u, 13u, 600u}) {
        PlaybackQueue queue(worker, room);
        const std::size_t capacity = room == 0 ? 1 : room;
        EXPECT_EQ(queue.capacity(), capacity) << "room " << room;
        EXPECT_EQ(queue.append(kShiftAB, 20000), capacity / 6) << "room " << room;
        EXPECT_EQ(queue.size(), capacity / 6 * 6) << "room " << room;
        EXPECT_EQ(queue.append(kShiftAB[0]), capacity % 6 != 0)
            << "a single step where one is left";
    }
}

// Room for two steps is left: Ctrl+C's two presses would fit but its releases would not.
TEST_F(KeyPlayback, CombinationIsQueuedOnlyWhenItsReleasesFitToo) {
    add(record(kKeyG, 0, {step('A', 0, 0), step('A', 1, 0)}, (PlaybackQueue::kCapacity - 2) / 2));
    add(ctrlC());
    EXPECT_EQ(keys.release(kKeyG), 1);
    ASSERT_EQ(player.queue().size(), PlaybackQueue::kCapacity - 2);
    EXPECT_EQ(keys.press(kKeyF), 1);
    EXPECT_EQ(keys.release(kKeyF), 1);
    startWorker();
    ASSERT_TRUE(waitUntilQueueEmpty(60s));
    EXPECT_EQ(keys.heldKeys(), std::vector<std::uint8_t>{});
}

// While a combination is held, the room for its releases stays free: a macro queued meanwhile
// takes only what is left.
TEST_F(KeyPlayback, RoomForAHeldCombinationsReleasesIsKeptFree) {
    add(ctrlC());
    add(record(kKeyG, 0, {step('A', 0, 0), step('A', 1, 0)}, 1000000));
    EXPECT_EQ(keys.press(kKeyF), 1);
    EXPECT_EQ(keys.release(kKeyG), 1);
    EXPECT_EQ(keys.release(kKeyF), 1);
    EXPECT_EQ(player.queue().size(), PlaybackQueue::kCapacity);
    startWorker();
    ASSERT_TRUE(waitUntilQueueEmpty(60s));
    EXPECT_EQ(keys.heldKeys(), std::vector<std::uint8_t>{});
    const Log log = keys.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Log(log.end() - 2, log.end()), (Log{"up 0x11", "up 0x43"}));
}

TEST_F(KeyPlayback, EditorGetsTheKeysWhileRecordingOrOnTheSingleKeyPage) {
    CountingListener editor(1);
    add(record(kKeyF, 1, kToA));
    host.editor = &editor;
    EXPECT_EQ(keys.press(kKeyF), 1);  // not recording, macro page: the assignment acts
    EXPECT_EQ(editor.calls, 0);
    editorConfig.type = 1;
    EXPECT_EQ(keys.press(kKeyF), 1);
    editorConfig.type = 0;
    editorConfig.recording = 1;
    EXPECT_EQ(keys.release(kKeyF), 1);
    EXPECT_EQ(editor.calls, 2);
    EXPECT_EQ(keys.log(), (Log{"down 0x41"}));
    // Played keys never reach the recorder.
    EXPECT_EQ(keys.press('A', 0, 0, platform::kSyntheticMarker), 0);
    EXPECT_EQ(editor.calls, 2);
}

// ---- The hook and its listeners ------------------------------------------------------------

class Hook : public ::testing::Test {
protected:
    void SetUp() override { KeyboardHook::setKeyInput(&keys); }
    void TearDown() override {
        for (auto* l : {&first, &second}) {
            KeyboardHook::removeListener(l);
        }
        KeyboardHook::uninstall();
        KeyboardHook::setKeyInput(nullptr);
    }
    KeyStream keys;
    CountingListener first{1};
    CountingListener second{0};
};

TEST_F(Hook, WithoutListenersEveryEventGoesOn) {
    ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
    EXPECT_EQ(keys.press(kKeyF), 0);
    EXPECT_EQ(keys.log(), (Log{"pass down 0x46"}));
}

TEST_F(Hook, FirstSwallowingListenerEndsTheWalk) {
    ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
    ASSERT_TRUE(KeyboardHook::addListener(&first));
    ASSERT_TRUE(KeyboardHook::addListener(&second));
    EXPECT_EQ(keys.press(kKeyF), 1);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 0);
    EXPECT_TRUE(keys.log().empty());
}

TEST_F(Hook, AddingTwiceListsOnceAndRemovingTakesItOut) {
    ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
    second.result = 0;
    ASSERT_TRUE(KeyboardHook::addListener(&second));
    ASSERT_TRUE(KeyboardHook::addListener(&second));
    keys.press(kKeyF);
    EXPECT_EQ(second.calls, 1);
    ASSERT_TRUE(KeyboardHook::removeListener(&second));
    keys.press(kKeyF);
    EXPECT_EQ(second.calls, 1);
    EXPECT_FALSE(KeyboardHook::addListener(nullptr));
    EXPECT_FALSE(KeyboardHook::removeListener(nullptr));
}

TEST_F(Hook, AddListenerBeforeInstallIsRefusedForGood) {
    EXPECT_FALSE(KeyboardHook::addListener(&first));
    ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
    EXPECT_TRUE(KeyboardHook::install(1, nullptr, 0));  // a second install keeps the hook
    EXPECT_EQ(keys.press(kKeyF), 0);
    EXPECT_EQ(first.calls, 0);
}

TEST_F(Hook, CaptureUnavailableLeavesNoHook) {
    EXPECT_EQ(keys.captureOffReason(), "");  // not asked yet
    keys.setCaptureAvailable(false);
    EXPECT_FALSE(KeyboardHook::install(1, nullptr, 0));
    EXPECT_FALSE(KeyboardHook::isInstalled());
    EXPECT_FALSE(KeyboardHook::addListener(&first));
    EXPECT_FALSE(KeyboardHook::uninstall());
    // The refusal says why, as the system backends do, until a later start succeeds.
    EXPECT_EQ(keys.captureOffReason(), "the emulated system refused key capture");
    keys.setCaptureAvailable(true);
    EXPECT_TRUE(KeyboardHook::install(1, nullptr, 0));
    EXPECT_EQ(keys.captureOffReason(), "");
}

// A listener that rewrites the event: the changed key goes on to the system.
struct Rewriter : IKeyboardHookListener {
    std::int32_t onHookEvent(int*, std::uintptr_t*, platform::KeyEvent** e) noexcept override {
        (*e)->vkCode = 'Z';
        return 0;
    }
};

TEST_F(Hook, ChangedValuesGoOnToTheNextHook) {
    Rewriter rewriter;
    ASSERT_TRUE(KeyboardHook::install(1, nullptr, 0));
    ASSERT_TRUE(KeyboardHook::addListener(&rewriter));
    keys.press(kKeyF);
    KeyboardHook::removeListener(&rewriter);
    EXPECT_EQ(keys.log(), (Log{"pass down 0x5a"}));
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

// Caps the address space 64 MB above what the process uses now, so that a queue that copies
// what it does not need runs out of memory.
bool capAddressSpace() {
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    rlimit limit{};
    if (pages <= 0 || ::getrlimit(RLIMIT_AS, &limit) != 0) {
        return false;
    }
    limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) +
                     (rlim_t{64} << 20);
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

// A step with a 4 MB display name, repeated to fill the queue: 400 GB if every copy took the
// name along. Exit codes: 10 no cap, 11 the queue did not fill; running out of memory inside
// the hook ends the process otherwise.
void queueLongNamesUnderAMemoryCap() {
    KeyStream keys;
    Host host;
    RecordStore records;
    MacroConfig editorConfig;
    AppConfig config;
    SimpleThread worker;
    MacroPlayer player{worker, keys};
    KeyRemapper remapper{host, records, editorConfig, config, player, keys};
    MacroStep named = step('A', 0, 0);
    named.name.assign(1 << 20, L'x');
    records.setRecord(
        record(kKeyF, 0, {named}, static_cast<std::int32_t>(PlaybackQueue::kCapacity)));
    if (!capAddressSpace()) {
        std::_Exit(10);
    }
    platform::KeyEvent event;
    event.vkCode = kKeyF;
    platform::KeyEvent* eventRecord = &event;
    int code = 0;
    std::uintptr_t message = platform::kMsgKeyUp;
    remapper.onHookEvent(&code, &message, &eventRecord);
    std::_Exit(player.queue().size() == PlaybackQueue::kCapacity ? 0 : 11);
}

TEST(KeyPlaybackDeathTest, QueuedStepsCarryNoDisplayName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(queueLongNamesUnderAMemoryCap(), testing::ExitedWithCode(0), "");
}

#endif

}  // namespace
