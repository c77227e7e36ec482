#include "runtime/SimpleThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/ManualClock.h"

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace {

using namespace std::chrono_literals;

// A generous real-time guard against a hang; no test depends on how fast anything is.
constexpr auto kHangGuard = 10s;

// Polls a condition that no notification reports, such as a count kept by a callback.
template <class Pred>
bool eventually(Pred pred) {
    auto end = std::chrono::steady_clock::now() + kHangGuard;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Collects what the worker does, for the test thread to wait on.
struct Journal {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint64_t> runTimes;
    std::vector<std::int32_t> runParams;
    std::vector<std::thread::id> runThreads;
    int released = 0;

    bool waitForRuns(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kHangGuard, [&] { return runTimes.size() >= count; });
    }
    std::size_t runs() {
        std::lock_guard lock(mutex);
        return runTimes.size();
    }
};

class RecordingTask final : public BaseRunable {
public:
    RecordingTask(Journal& journal, kg::MonotonicClock& clock)
        : m_journal(&journal), m_clock(&clock) {}
    ~RecordingTask() override {
        std::lock_guard lock(m_journal->mutex);
        ++m_journal->released;
    }
    bool IsValid() const override { return true; }
    std::unique_ptr<BaseRunable> Clone() const override {
        return std::make_unique<RecordingTask>(*this);
    }
    int Run(std::int32_t p1, std::int32_t, const std::uint8_t*, std::size_t) override {
        {
            std::lock_guard lock(m_journal->mutex);
            m_journal->runTimes.push_back(m_clock->nowMs());
            m_journal->runParams.push_back(p1);
            m_journal->runThreads.push_back(std::this_thread::get_id());
        }
        m_journal->changed.notify_all();
        return 0;
    }

private:
    Journal* m_journal;
    kg::MonotonicClock* m_clock;
};

std::unique_ptr<BaseRunable> makeTask(Journal& journal, kg::MonotonicClock& clock,
                                      std::uint32_t interval_ms, std::int32_t repeat,
                                      std::int32_t param1 = 0) {
    auto task = std::make_unique<RecordingTask>(journal, clock);
    task->intervalMs = interval_ms;
    task->repeatCount = repeat;
    task->param1 = param1;
    return task;
}

// Moves the clock and waits until the timer thread has looked at the new time.
void advanceAndSettle(kg::ManualClock& clock, std::uint64_t delta_ms) {
    clock.advance(delta_ms);
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
}

TEST(SimpleThread, RepeatingTaskRunsEveryIntervalUntilStop) {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    thread.Start(nullptr);
    const std::uint64_t posted = clock.nowMs();
    thread.Post(makeTask(journal, clock, 500, -1));
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));

    for (int period = 1; period <= 4; ++period) {
        advanceAndSettle(clock, 499);
        EXPECT_EQ(journal.runs(), static_cast<std::size_t>(period - 1));
        clock.advance(1);
        ASSERT_TRUE(journal.waitForRuns(period));
        ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
    }
    thread.Stop();

    std::lock_guard lock(journal.mutex);
    EXPECT_EQ(journal.runTimes, (std::vector<std::uint64_t>{posted + 500, posted + 1000,
                                                            posted + 1500, posted + 2000}));
    for (std::thread::id id : journal.runThreads) {
        EXPECT_NE(id, std::this_thread::get_id());
    }
    // Four clones ran and were released, and Stop released the scheduled original.
    EXPECT_EQ(journal.released, 5);
}

struct RepeatCase {
    const char* name;
    std::int32_t repeatCount;
    std::size_t expectedRuns;
};

class SimpleThreadRepeat : public testing::TestWithParam<RepeatCase> {};

TEST_P(SimpleThreadRepeat, RunsTheGivenNumberOfTimes) {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    thread.Start(nullptr);
    thread.Post(makeTask(journal, clock, 100, GetParam().repeatCount));
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
    for (std::size_t i = 0; i < GetParam().expectedRuns; ++i) {
        clock.advance(100);
        ASSERT_TRUE(journal.waitForRuns(i + 1));
    }
    // Well past any further run. A task posted now is moved to the work queue behind anything
    // the timer moves on the same look, and the worker runs the queue in order: once it has
    // run, a run the counted task still had in it would have run too.
    clock.advance(1000);
    Journal after;
    thread.Post(makeTask(after, clock, 0, 1));
    ASSERT_TRUE(after.waitForRuns(1));
    EXPECT_EQ(journal.runs(), GetParam().expectedRuns);
    thread.Stop();
}

INSTANTIATE_TEST_SUITE_P(Counts, SimpleThreadRepeat,
                         testing::Values(RepeatCase{"ZeroMeansOnce", 0, 1},
                                         RepeatCase{"OneMeansOnce", 1, 1},
                                         RepeatCase{"Three", 3, 3}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(SimpleThread, TasksRunInOrderOfTheirDueTime) {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    // Posted before the start, so that the timer's first look at the clock sees all three.
    thread.Post(makeTask(journal, clock, 300, 1, 3));
    thread.Post(makeTask(journal, clock, 100, 1, 1));
    thread.Post(makeTask(journal, clock, 200, 1, 2));
    thread.Start(nullptr);
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
    for (std::size_t i = 1; i <= 3; ++i) {
        clock.advance(100);
        ASSERT_TRUE(journal.waitForRuns(i));
    }
    thread.Stop();
    std::lock_guard lock(journal.mutex);
    EXPECT_EQ(journal.runParams, (std::vector<std::int32_t>{1, 2, 3}));
}

TEST(SimpleThread, PostBeforeStartRunsOnceStarted) {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    thread.Post(makeTask(journal, clock, 0, 1));
    thread.Start(nullptr);
    ASSERT_TRUE(journal.waitForRuns(1));
    thread.Stop();
}

TEST(SimpleThread, StopReleasesTasksNotYetRun) {
    kg::ManualClock clock;
    Journal journal;
    {
        SimpleThread thread(clock);
        thread.Start(nullptr);
        thread.Post(makeTask(journal, clock, 10'000, 1));
        thread.Post(makeTask(journal, clock, 20'000, -1));
        ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
        thread.Stop();
        std::lock_guard lock(journal.mutex);
        EXPECT_EQ(journal.released, 2);
        EXPECT_EQ(journal.runTimes.size(), 0u);
    }
}

// An idle callback that sits in a long Wait, as the key player does during a step's delay.
class WaitingPlayer {
public:
    explicit WaitingPlayer(std::uint32_t wait_ms) : m_wait_ms(wait_ms) {}

    int pass(ISimpleThread& thread, void*) {
        {
            std::lock_guard lock(m_mutex);
            ++m_passes;
        }
        m_changed.notify_all();
        thread.Wait(m_wait_ms);
        {
            std::lock_guard lock(m_mutex);
            ++m_waitsEnded;
        }
        m_changed.notify_all();
        return 0;
    }

    bool waitFor(int passes, int waitsEnded) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kHangGuard,
                                  [&] { return m_passes >= passes && m_waitsEnded >= waitsEnded; });
    }
    int passes() {
        std::lock_guard lock(m_mutex);
        return m_passes;
    }

private:
    std::uint32_t m_wait_ms;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_passes = 0;
    int m_waitsEnded = 0;
};

TEST(SimpleThread, StopDuringALongWaitReturnsAtOnce) {
    kg::ManualClock clock;
    WaitingPlayer player(5000);
    SimpleThread thread(clock);
    thread.SetIdleCallback(
        std::make_unique<SimpleThread::Callback<WaitingPlayer>>(&player, &WaitingPlayer::pass));
    thread.Start(nullptr);
    ASSERT_TRUE(player.waitFor(1, 0));
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));  // inside Wait(5000)
    const std::uint64_t before = clock.nowMs();

    // The clock never moves, so only Stop can end the wait.
    auto stopped = std::async(std::launch::async, [&] { thread.Stop(); });
    ASSERT_EQ(stopped.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_TRUE(player.waitFor(1, 1));
    EXPECT_EQ(clock.nowMs(), before);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(SimpleThread, WakeEndsTheWaitAndTheWorkerGoesOn) {
    kg::ManualClock clock;
    WaitingPlayer player(5000);
    SimpleThread thread(clock);
    thread.SetIdleCallback(
        std::make_unique<SimpleThread::Callback<WaitingPlayer>>(&player, &WaitingPlayer::pass));
    thread.Start(nullptr);
    ASSERT_TRUE(player.waitFor(1, 0));
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));

    thread.Wake();
    ASSERT_TRUE(player.waitFor(1, 1));
    EXPECT_TRUE(thread.IsRunning());

    // A producer asks for another pass; the wake has been cleared, so this Wait holds again
    // until its time is up.
    thread.Notify();
    ASSERT_TRUE(player.waitFor(2, 1));
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
    clock.advance(5000);
    ASSERT_TRUE(player.waitFor(2, 2));
    thread.Stop();
}

TEST(SimpleThread, WaitRunsItsFullTimeWithoutWake) {
    kg::ManualClock clock;
    WaitingPlayer player(50);
    SimpleThread thread(clock);
    thread.SetIdleCallback(
        std::make_unique<SimpleThread::Callback<WaitingPlayer>>(&player, &WaitingPlayer::pass));
    thread.Start(nullptr);
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));
    clock.advance(49);
    ASSERT_TRUE(clock.waitForSleepers(1, kHangGuard));  // still waiting after 49 ms
    EXPECT_TRUE(player.waitFor(1, 0));
    clock.advance(1);
    EXPECT_TRUE(player.waitFor(1, 1));
    thread.Stop();
}

class CountingCallback final : public SimpleThread::ICallback {
public:
    CountingCallback(std::atomic<int>& calls, int result, std::atomic<int>* released = nullptr)
        : m_calls(calls), m_result(result), m_released(released) {}
    ~CountingCallback() override {
        if (m_released) {
            ++*m_released;
        }
    }
    int Call(ISimpleThread&, void* context) override {
        m_context = context;
        ++m_calls;
        return m_result;
    }
    void* m_context = nullptr;

private:
    std::atomic<int>& m_calls;
    int m_result;
    std::atomic<int>* m_released;
};

TEST(SimpleThread, NonzeroIdleResultEndsTheWorker) {
    kg::ManualClock clock;
    Journal journal;
    std::atomic<int> calls = 0;
    SimpleThread thread(clock);
    thread.SetIdleCallback(std::make_unique<CountingCallback>(calls, 1));
    thread.Start(nullptr);
    ASSERT_TRUE(eventually([&] { return calls.load() == 1; }));
    // A task posted now reaches the work queue but the ended worker never runs it.
    thread.Post(makeTask(journal, clock, 0, 1));
    thread.Notify();
    thread.Stop();
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(journal.runs(), 0u);
}

TEST(SimpleThread, IdleCallbackGetsTheContextAndRunsAfterEachTask) {
    kg::ManualClock clock;
    Journal journal;
    std::atomic<int> calls = 0;
    int owner = 0;
    auto callback = std::make_unique<CountingCallback>(calls, 0);
    CountingCallback* seen = callback.get();
    SimpleThread thread(clock);
    thread.SetIdleCallback(std::move(callback));
    thread.Start(&owner);
    ASSERT_TRUE(eventually([&] { return calls.load() == 1; }));  // the first pass
    thread.Post(makeTask(journal, clock, 0, 1));
    ASSERT_TRUE(journal.waitForRuns(1));
    // The pass that ran the task calls it again.
    EXPECT_TRUE(eventually([&] { return calls.load() >= 2; }));
    thread.Stop();
    EXPECT_EQ(seen->m_context, &owner);
}

TEST(SimpleThread, ReplacingTheIdleCallbackReleasesTheOldOne) {
    kg::ManualClock clock;
    std::atomic<int> firstCalls = 0;
    std::atomic<int> secondCalls = 0;
    std::atomic<int> released = 0;
    SimpleThread thread(clock);
    thread.SetIdleCallback(std::make_unique<CountingCallback>(firstCalls, 0, &released));
    thread.Start(nullptr);
    thread.SetIdleCallback(std::make_unique<CountingCallback>(secondCalls, 1));
    ASSERT_TRUE(eventually([&] { return secondCalls.load() == 1; }));
    thread.Stop();
    EXPECT_EQ(secondCalls.load(), 1);
    EXPECT_EQ(released.load(), 1);
}

// Ends the test program with a failure instead of letting a deadlock stop it: a thread stuck on
// the lock cannot be joined, and the objects it uses would go away under it.
void failIfStuck(bool ok, const char* what) {
    if (!ok) {
        ADD_FAILURE() << what;
        std::fflush(stdout);
        std::_Exit(1);
    }
}

// The user lock is one recursive lock shared by the producers and the idle callback: while a
// producer holds it (twice, and then once), the callback cannot take it; when the producer
// lets go of it entirely, the callback gets it.
TEST(SimpleThread, UserLockIsRecursiveAndSharedWithTheCallback) {
    kg::ManualClock clock;
    SimpleThread thread(clock);

    std::mutex mutex;
    std::condition_variable changed;
    int owner = 0;    // the producer's progress: 2 holds twice, 1 holds once, 0 let go
    int command = 2;  // what the test asks the producer to hold
    bool trying = false;
    bool entered = false;
    const auto waitFor = [&](auto pred) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kHangGuard, pred);
    };
    const auto set = [&](auto change) {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    };

    std::thread producer([&] {
        thread.Lock();
        thread.Lock();  // a lock that is not recursive blocks here for good
        set([&] { owner = 2; });
        for (int held = 2; held > 0; --held) {
            waitFor([&] { return command < held; });
            thread.Unlock();
            set([&] { owner = held - 1; });
        }
    });
    failIfStuck(waitFor([&] { return owner == 2; }), "the user lock is not recursive");

    class LockingCallback final : public SimpleThread::ICallback {
    public:
        explicit LockingCallback(std::function<void(ISimpleThread&)> f) : m_f(std::move(f)) {}
        int Call(ISimpleThread& t, void*) override {
            m_f(t);
            return 0;
        }

    private:
        std::function<void(ISimpleThread&)> m_f;
    };
    thread.SetIdleCallback(std::make_unique<LockingCallback>([&](ISimpleThread& t) {
        set([&] { trying = true; });
        t.Lock();
        set([&] { entered = true; });
        t.Unlock();
    }));
    thread.Start(nullptr);
    failIfStuck(waitFor([&] { return trying; }), "the idle callback never ran");

    // Held twice, then once: the callback waits (a real-time pause, which can only miss a fault,
    // never report one that is not there).
    std::this_thread::sleep_for(50ms);
    {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(entered) << "the callback took the lock a producer holds";
    }
    set([&] { command = 1; });
    failIfStuck(waitFor([&] { return owner == 1; }), "the producer could not unlock once");
    std::this_thread::sleep_for(50ms);
    {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(entered) << "one unlock of two let the callback in";
    }
    set([&] { command = 0; });
    failIfStuck(waitFor([&] { return entered; }), "the callback never got the lock");
    producer.join();
    thread.Stop();
}

TEST(SimpleThread, StartAfterStopRunsAgain) {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    thread.Start(nullptr);
    thread.Stop();
    thread.Start(nullptr);
    thread.Post(makeTask(journal, clock, 0, 1));
    ASSERT_TRUE(journal.waitForRuns(1));
    thread.Stop();
}

class StoppingTask {
public:
    explicit StoppingTask(SimpleThread& thread) : m_thread(&thread) {}
    int run(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t) {
        m_thread->Stop();  // from the worker itself: must not wait for its own end
        returned = true;
        return 0;
    }
    std::atomic<bool> returned = false;

private:
    SimpleThread* m_thread;
};

TEST(SimpleThread, StopFromItsOwnTaskEndsTheThreadsWithoutDeadlock) {
    kg::ManualClock clock;
    SimpleThread thread(clock);
    StoppingTask owner(thread);
    auto task = std::make_unique<SimpleRunable<StoppingTask>>(&owner, &StoppingTask::run);
    task->intervalMs = 0;
    thread.Start(nullptr);
    thread.Post(std::move(task));
    ASSERT_TRUE(eventually([&] { return owner.returned.load(); }));
    EXPECT_TRUE(eventually([&] { return !thread.IsRunning(); }));
    thread.Stop();  // waits for both threads here
}

class TaskOwner {
public:
    int run(std::int32_t p1, std::int32_t p2, const std::uint8_t* data, std::size_t size) {
        lastP1 = p1;
        lastP2 = p2;
        lastData.assign(data, data + size);
        return 7;
    }
    std::int32_t lastP1 = 0;
    std::int32_t lastP2 = 0;
    std::vector<std::uint8_t> lastData;
};

TEST(SimpleRunable, CloneIsDeepAndRunCallsTheMember) {
    TaskOwner owner;
    SimpleRunable<TaskOwner> task(&owner, &TaskOwner::run);
    task.param1 = 11;
    task.param2 = -2;
    task.data = {1, 2, 3};
    std::unique_ptr<BaseRunable> copy = task.Clone();
    task.data[0] = 9;
    ASSERT_TRUE(copy->IsValid());
    EXPECT_EQ(copy->Run(copy->param1, copy->param2, copy->data.data(), copy->data.size()), 7);
    EXPECT_EQ(owner.lastP1, 11);
    EXPECT_EQ(owner.lastP2, -2);
    EXPECT_EQ(owner.lastData, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE((SimpleRunable<TaskOwner>(nullptr, &TaskOwner::run).IsValid()));
    EXPECT_FALSE((SimpleRunable<TaskOwner>(&owner, nullptr).IsValid()));
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

// Caps the address space just above what the process uses, so that the system has no room for
// a new thread's stack and refuses the thread. Raising the soft limit again lifts the cap.
bool capAddressSpace(rlim_t& previous) {
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
    previous = limit.rlim_cur;
    limit.rlim_cur =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + 256 * 1024;
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

bool restoreAddressSpace(rlim_t previous) {
    rlimit limit{};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = previous;
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

// Runs in a fresh process of its own (the "threadsafe" style re-runs this test alone), so no
// stack of an earlier test's thread waits in the C library's cache to be reused.
void startWhileTheSystemRefusesThreads() {
    kg::ManualClock clock;
    Journal journal;
    SimpleThread thread(clock);
    rlim_t previous = 0;
    if (!capAddressSpace(previous)) {
        std::_Exit(10);
    }
    thread.Start(nullptr);
    const bool running = thread.IsRunning();
    thread.Post(makeTask(journal, clock, 0, 1));
    clock.advance(1000);
    const std::size_t runsWhileRefused = journal.runs();
    if (!restoreAddressSpace(previous)) {
        std::_Exit(11);
    }
    if (running || runsWhileRefused != 0) {
        std::_Exit(12);
    }
    // Once the system allows threads again, a later Start brings them up and work runs.
    thread.Start(nullptr);
    if (!thread.IsRunning()) {
        std::_Exit(13);
    }
    thread.Post(makeTask(journal, clock, 0, 1));
    if (!journal.waitForRuns(1)) {
        std::_Exit(14);
    }
    thread.Stop();
    std::_Exit(0);
}

TEST(SimpleThreadDeathTest, AThreadTheSystemRefusesIsNotRunAndTheProgramGoesOn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Exit codes: 10/11 the cap could not be set or lifted, 12 a thread ran while refused,
    // 13/14 nothing ran after the cap was lifted; a crash or an escaping exception ends otherwise.
    EXPECT_EXIT(startWhileTheSystemRefusesThreads(), testing::ExitedWithCode(0), "");
}

#endif

}  // namespace
