// The hook path per key event (hookProc and the re-assignment listener) with 0, 100 and 1000
// assigned keys, and the real pause the player makes after steps of 1, 10 and 50 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
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

using Clock = std::chrono::steady_clock;

struct Host : IKeyRemapHost {
    bool keyboardConnected() const noexcept override { return true; }
    IKeyboardHookListener* openEditor() const noexcept override { return nullptr; }
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// The key pressed is assigned last, so the walk passes every other record.
void BM_HookPath(benchmark::State& state) {
    platform::emulator::KeyStream keys;
    KeyboardHook::setKeyInput(&keys);
    KeyboardHook::install(1, nullptr, 0);
    Host host;
    RecordStore records;
    MacroConfig editorConfig;
    AppConfig config;
    SimpleThread worker;
    MacroPlayer player(worker, keys);
    KeyRemapper remapper(host, records, editorConfig, config, player, keys);
    KeyboardHook::addListener(&remapper);
    const auto count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        KeyRecord r;
        r.code = 0x200 + i;  // codes no key produces
        r.type = 1;
        r.steps = {MacroStep{'B', 0, 0, {}}};
        records.setRecord(r);
    }
    KeyRecord f;
    f.code = 'F';
    f.type = 1;
    f.steps = {MacroStep{'A', 0, 0, {}}};
    records.setRecord(f);

    std::vector<double> ns;
    ns.reserve(1 << 20);
    platform::KeyEvent e;
    e.vkCode = 'F';
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(
            KeyboardHook::hookProc(0, platform::kMsgKeyDown, reinterpret_cast<std::intptr_t>(&e)));
        ns.push_back(std::chrono::duration<double, std::nano>(Clock::now() - t0).count());
        if (ns.size() % 4096 == 0) {
            state.PauseTiming();
            keys.clearLog();
            state.ResumeTiming();
        }
    }
    state.counters["p50_ns"] = percentile(ns, 0.50);
    state.counters["p99_ns"] = percentile(ns, 0.99);
    KeyboardHook::removeListener(&remapper);
    KeyboardHook::uninstall();
    KeyboardHook::setKeyInput(nullptr);
}
BENCHMARK(BM_HookPath)->Arg(0)->Arg(100)->Arg(1000);

// Plays pairs of steps with the given delay on the real worker; the error is the time between
// two typed keys minus the delay.
void BM_PlaybackPause(benchmark::State& state) {
    const auto delay_ms = static_cast<std::int32_t>(state.range(0));
    platform::emulator::KeyStream keys;
    SimpleThread worker;
    MacroPlayer player(worker, keys);
    worker.SetIdleCallback(
        std::make_unique<SimpleThread::Callback<MacroPlayer>>(&player, &MacroPlayer::playNextStep));
    worker.Start(nullptr);
    std::vector<double> err;
    for (auto _ : state) {
        keys.clearLog();
        player.onMacroKey({MacroStep{'A', 0, delay_ms, {}}, MacroStep{'A', 1, 0, {}}}, 1, 0,
                          platform::kMsgKeyUp);
        keys.waitForTyped(2, std::chrono::seconds(5));
        const auto typed = keys.typed();
        err.push_back(std::chrono::duration<double, std::milli>(typed[1].at - typed[0].at).count() -
                      delay_ms);
        while (!player.queue().empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    state.counters["p50_err_ms"] = percentile(err, 0.50);
    state.counters["p99_err_ms"] = percentile(err, 0.99);
    player.beginStop();
    worker.Stop();
    player.finishStop();
}
BENCHMARK(BM_PlaybackPause)->Arg(1)->Arg(10)->Arg(50)->Iterations(100)->UseRealTime();

}  // namespace
