// Timer precision of the worker: actual against requested delay of the 2000 ms start-up task,
// and the period of a repeating 500 ms task; p50 and p99 of the error in ms.
// Usage: bench_timer_precision [samples]   (default 100 of each)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/SimpleThread.h"

namespace {

using Clock = std::chrono::steady_clock;

class Probe {
public:
    int run(std::int32_t id, std::int32_t, const std::uint8_t*, std::size_t) {
        std::lock_guard lock(mutex);
        runs.emplace_back(id, Clock::now());
        return 0;
    }
    std::mutex mutex;
    std::vector<std::pair<int, Clock::time_point>> runs;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[index];
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::atoi(argv[1]) : 100;
    Probe probe;
    SimpleThread thread;
    thread.Start(nullptr);

    // One-shot 2000 ms tasks, posted 20 ms apart so they overlap and the run stays short.
    std::vector<Clock::time_point> posted(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        auto task = std::make_unique<SimpleRunable<Probe>>(&probe, &Probe::run);
        task->param1 = i;
        task->intervalMs = 2000;
        task->repeatCount = 1;
        posted[static_cast<std::size_t>(i)] = Clock::now();
        thread.Post(std::move(task));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Repeating 500 ms tasks: five of them, 100 ms apart, for samples / 5 periods each.
    const int repeating = 5;
    for (int i = 0; i < repeating; ++i) {
        auto task = std::make_unique<SimpleRunable<Probe>>(&probe, &Probe::run);
        task->param1 = 1000 + i;
        task->intervalMs = 500;
        task->repeatCount = -1;
        thread.Post(std::move(task));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2200 + 500 * (samples / repeating + 1)));
    thread.Stop();

    std::vector<double> oneShot;
    std::vector<std::vector<Clock::time_point>> periodic(repeating);
    for (const auto& [id, when] : probe.runs) {
        if (id < samples) {
            oneShot.push_back(ms(when - posted[static_cast<std::size_t>(id)]) - 2000.0);
        } else {
            periodic[static_cast<std::size_t>(id - 1000)].push_back(when);
        }
    }
    std::vector<double> period;
    for (const auto& runs : periodic) {
        for (std::size_t i = 1; i < runs.size(); ++i) {
            period.push_back(ms(runs[i] - runs[i - 1]) - 500.0);
        }
    }
    std::printf("timer precision (error = actual - requested, ms)\n");
    std::printf("  %-28s n=%-4zu p50 %7.3f  p99 %7.3f  max %7.3f\n", "2000 ms start-up delay",
                oneShot.size(), percentile(oneShot, 0.5), percentile(oneShot, 0.99),
                oneShot.empty() ? 0.0 : *std::max_element(oneShot.begin(), oneShot.end()));
    std::printf("  %-28s n=%-4zu p50 %7.3f  p99 %7.3f  max %7.3f\n", "500 ms repeating period",
                period.size(), percentile(period, 0.5), percentile(period, 0.99),
                period.empty() ? 0.0 : *std::max_element(period.begin(), period.end()));
    const bool met = percentile(oneShot, 0.99) < 2.0 && percentile(period, 0.99) < 2.0;
    std::printf("target p99 < 2 ms: %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
