// The key hook with random assignments (as a hand-edited record.xml may hold them) and random
// key sequences, the player drained in between on this thread without real time. Invariants: every
// call of the hook returns within a bound whatever the records hold, the queue never exceeds its
// room, and once every key is released and the queue has drained, no key the program pressed is
// down.
//
// Macro and combination steps are generated balanced (each key a copy presses it releases
// again, as recorded macros and the assignment panel's combinations are), so a key left down
// is the player's or the remapper's doing, not the record's.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <limits>
#include <mutex>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "macro/KeyRemapper.h"
#include "macro/MacroPlayer.h"
#include "settings/AppConfig.h"
#include "settings/RecordStore.h"

namespace {

// The worker's side, run on the fuzzing thread: the lock is real, passes are driven by hand.
class InlineWorker final : public ISimpleThread {
public:
    void Lock() override { m_lock.lock(); }
    void Unlock() override { m_lock.unlock(); }
    void Wait(std::uint32_t) override {}
    void Notify() override {}

private:
    std::recursive_mutex m_lock;
};

// Pauses take no time here.
class NoWaitTimer final : public platform::IStepTimer {
public:
    std::uint64_t epoch() const noexcept override { return m_epoch; }
    bool wait(std::uint32_t, std::uint64_t since) noexcept override { return since == m_epoch; }
    void interrupt() noexcept override { ++m_epoch; }
    void shutdown() noexcept override {}
    void reopen() noexcept override {}

private:
    std::uint64_t m_epoch = 0;
};

// Keeps only which keys are down.
class HeldKeys final : public platform::KeyOutput {
public:
    void sendKey(std::uint8_t vk, std::uint8_t, std::uint32_t flags,
                 std::uintptr_t) noexcept override {
        m_down[vk] = (flags & platform::kSendKeyUp) == 0;
    }
    std::uint32_t scanCodeFor(std::uint32_t) noexcept override { return 0; }
    void openProgram(void*, const std::wstring&, const std::wstring&) noexcept override {}
    void lockWorkstation() noexcept override {}
    bool anyDown() const {
        for (bool d : m_down) {
            if (d) {
                return true;
            }
        }
        return false;
    }

private:
    std::array<bool, 256> m_down{};
};

struct Host final : IKeyRemapHost {
    bool keyboardConnected() const noexcept override { return true; }
    IKeyboardHookListener* openEditor() const noexcept override { return nullptr; }
};

// A few keys, so that records, presses and steps meet; 0x10D is keypad Enter.
constexpr std::array<std::int32_t, 8> kKeys = {0x41, 0x42, 0x43, 0x10, 0x11, 0x5B, 0x10D, 0x2E};

std::int32_t pickKey(FuzzedDataProvider& in) {
    return kKeys[in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)];
}

std::int32_t pickRepeat(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return 0;
        case 1:
            return 1;
        case 2:
            return in.ConsumeIntegralInRange(2, 50);
        case 3:
            return std::numeric_limits<std::int32_t>::max();
        case 4:
            return -1;
        default:
            return in.ConsumeIntegral<std::int32_t>();
    }
}

// Each key of a copy pressed once and released later, in an order the input chooses.
std::vector<MacroStep> balancedSteps(FuzzedDataProvider& in, bool combination) {
    std::vector<std::int32_t> keys(in.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (auto& k : keys) {
        k = pickKey(in) & 0xFF;
    }
    std::vector<MacroStep> steps;
    const auto delay = [&] { return in.ConsumeIntegralInRange<std::int32_t>(0, 3000); };
    if (combination) {
        for (std::int32_t k : keys) {
            steps.push_back(MacroStep{k, 1, delay() + 1, {}});
        }
        for (std::int32_t k : keys) {
            steps.push_back(MacroStep{k, 0, delay(), {}});
        }
        return steps;
    }
    std::vector<std::int32_t> down;
    std::size_t next = 0;
    while (next < keys.size() || !down.empty()) {
        if (next < keys.size() && (down.empty() || in.ConsumeBool())) {
            steps.push_back(MacroStep{keys[next], 0, delay(), {}});
            down.push_back(keys[next++]);
        } else {
            const std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, down.size() - 1);
            steps.push_back(MacroStep{down[i], 1, delay(), {}});
            down.erase(down.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return steps;
}

// The hook holds up every key of the desktop. A call takes microseconds to a few milliseconds
// here; a loop over a repeat count of 2^31 takes seconds. The bound lies between, in processor
// time and wide: on a busy virtual machine calls of a few milliseconds were twice measured at
// over 100 ms, by the wall clock and by the processor clock alike.
constexpr std::clock_t kHookBound = CLOCKS_PER_SEC;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    InlineWorker worker;
    NoWaitTimer timer;
    HeldKeys output;
    Host host;
    RecordStore records;
    MacroConfig editorConfig;
    AppConfig config;
    // The queue's room: mostly a small one, so that filling and playing it out takes little
    // time and bounds are met often; one input in 256 has the program's room.
    const std::size_t room = in.ConsumeIntegralInRange(0, 255) == 255
                                 ? PlaybackQueue::kCapacity
                                 : in.ConsumeIntegralInRange<std::size_t>(1, 400);
    MacroPlayer player(worker, output, timer, room);
    KeyRemapper remapper(host, records, editorConfig, config, player, output);

    const int recordCount = in.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < recordCount; ++i) {
        KeyRecord r;
        r.code = pickKey(in);
        r.type = in.ConsumeIntegralInRange(0, 4);
        r.repeat = pickRepeat(in);
        r.mode = in.ConsumeIntegralInRange(0, 1);
        if (r.type == 1 || r.type == 2) {
            if (in.ConsumeBool()) {
                r.steps.push_back(MacroStep{pickKey(in), 0, 0, {}});
            }
        } else {
            r.steps = balancedSteps(in, r.type == 3);
        }
        records.setRecord(r);
    }

    std::array<bool, 0x200> pressed{};
    const auto offer = [&](std::int32_t key, bool release, bool sys) {
        platform::KeyEvent e;
        e.vkCode = static_cast<std::uint32_t>(key & 0xFF);
        e.flags = (key & 0x100) ? platform::kKeyFlagExtended : 0;
        platform::KeyEvent* record = &e;
        int code = 0;
        std::uintptr_t message = release ? (sys ? platform::kMsgSysKeyUp : platform::kMsgKeyUp)
                                         : (sys ? platform::kMsgSysKeyDown : platform::kMsgKeyDown);
        const std::clock_t start = std::clock();
        remapper.onHookEvent(&code, &message, &record);
        KG_FUZZ_CHECK(std::clock() - start < kHookBound);
        KG_FUZZ_CHECK(player.queue().size() <= room);
        pressed[static_cast<std::size_t>(key)] = !release;
    };
    const auto play = [&](std::size_t steps) {
        for (std::size_t i = 0; i < steps && !player.queue().empty(); ++i) {
            player.playNextStep(worker, nullptr);
        }
    };

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                offer(pickKey(in), false, in.ConsumeBool());
                break;
            case 1:
                offer(pickKey(in), true, in.ConsumeBool());
                break;
            case 2:
                play(in.ConsumeIntegralInRange<std::size_t>(0, 20));
                break;
            default: {
                // A key held down: its auto-repeat presses.
                const std::int32_t key = pickKey(in);
                for (int n = in.ConsumeIntegralInRange(1, 5); n > 0; --n) {
                    offer(key, false, false);
                }
                break;
            }
        }
    }
    for (std::size_t key = 0; key < pressed.size(); ++key) {
        if (pressed[key]) {
            offer(static_cast<std::int32_t>(key), true, false);
        }
    }
    // Every queued step is played once; releases queued by the last events come last.
    play(room + 1);
    KG_FUZZ_CHECK(player.queue().empty());
    KG_FUZZ_CHECK(!output.anyDown());
    return 0;
}
