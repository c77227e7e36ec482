// Latency of the worker's hand-offs: a posted task with no delay until it runs, and a
// producer's Notify until the idle callback's next pass.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "runtime/SimpleThread.h"

namespace {

class Latch {
public:
    int run(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t) {
        signal();
        return 0;
    }
    int pass(ISimpleThread&, void*) {
        signal();
        return 0;
    }
    void signal() {
        {
            std::lock_guard lock(m_mutex);
            ++m_count;
        }
        m_cv.notify_one();
    }
    void waitFor(long count) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_count >= count; });
    }
    long count() {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    long m_count = 0;
};

void BM_PostToRun(benchmark::State& state) {
    Latch latch;
    SimpleThread thread;
    thread.Start(nullptr);
    long expected = 0;
    for (auto _ : state) {
        auto task = std::make_unique<SimpleRunable<Latch>>(&latch, &Latch::run);
        task->intervalMs = 0;
        thread.Post(std::move(task));
        latch.waitFor(++expected);
    }
    thread.Stop();
}
BENCHMARK(BM_PostToRun)->UseRealTime();

void BM_NotifyToPass(benchmark::State& state) {
    Latch latch;
    SimpleThread thread;
    thread.SetIdleCallback(std::make_unique<SimpleThread::Callback<Latch>>(&latch, &Latch::pass));
    thread.Start(nullptr);
    latch.waitFor(1);
    long expected = latch.count();
    for (auto _ : state) {
        thread.Notify();
        latch.waitFor(++expected);
        expected = latch.count();
    }
    thread.Stop();
}
BENCHMARK(BM_NotifyToPass)->UseRealTime();

}  // namespace
