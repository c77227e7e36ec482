// The pause between played steps, on this system's own timer: a cut ends it, a cut that comes
// just before it starts is not lost, and shutdown ends every pause until reopened.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/KeyInput.h"

namespace {

using namespace std::chrono_literals;

TEST(StepTimer, InterruptEndsAWaitInProgress) {
    platform::StepTimer timer;
    std::thread cutter([&] {
        std::this_thread::sleep_for(50ms);
        timer.interrupt();
    });
    EXPECT_FALSE(timer.wait(60000, timer.epoch()));
    cutter.join();
}

TEST(StepTimer, AnInterruptBeforeTheWaitIsNotLost) {
    platform::StepTimer timer;
    const std::uint64_t epoch = timer.epoch();
    timer.interrupt();
    EXPECT_FALSE(timer.wait(60000, epoch));
    // A stale wake-up does not cut the next, fresh wait.
    EXPECT_TRUE(timer.wait(1, timer.epoch()));
}

TEST(StepTimer, ShutdownEndsEveryWaitUntilReopened) {
    platform::StepTimer timer;
    timer.shutdown();
    EXPECT_FALSE(timer.wait(60000, timer.epoch()));
    timer.reopen();
    EXPECT_TRUE(timer.wait(1, timer.epoch()));
}

TEST(StepTimer, AnUncutWaitLastsItsTime) {
    platform::StepTimer timer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(timer.wait(30, timer.epoch()));
    // Not early (a little slack for a system timer's tick), whatever the load.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 25ms);
}

}  // namespace
