#include "platform/NamedGuard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::NamedGuard;

TEST(NamedGuardTest, IsRecursiveForTheOwningThread) {
    NamedGuard outer("HidDevice::Open");
    ASSERT_TRUE(outer.held());
    NamedGuard inner("HidDevice::Open");  // would wait forever on a plain lock
    EXPECT_TRUE(inner.held());
}

TEST(NamedGuardTest, AnotherThreadWaitsUntilTheOwnerReleases) {
    std::atomic<bool> acquired{false};
    std::thread other;
    {
        NamedGuard guard("HidDevice::Write");
        other = std::thread([&] {
            NamedGuard mine("HidDevice::Write");
            acquired = mine.held();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(acquired);
    }
    other.join();
    EXPECT_TRUE(acquired);
}

TEST(NamedGuardTest, DifferentNamesDoNotExcludeEachOther) {
    NamedGuard write("HidDevice::Write");
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        NamedGuard feature("HidDevice::SetFeature");
        acquired = feature.held();
    });
    other.join();
    EXPECT_TRUE(acquired);
}

}  // namespace
