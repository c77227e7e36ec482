#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/NamedGuard.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

using kg::win32test::HelperProcess;
using kg::win32test::narrow;
using kg::win32test::uniqueName;
using platform::NamedGuard;

// Whether the mutex `name` is owned by some thread other than the caller.
bool ownedElsewhere(const std::wstring& name) {
    bool owned = false;
    std::thread probe([&] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
        if (mutex == nullptr) {
            return;
        }
        const DWORD waited = WaitForSingleObject(mutex, 0);
        owned = waited == WAIT_TIMEOUT;
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            ReleaseMutex(mutex);
        }
        CloseHandle(mutex);
    });
    probe.join();
    return owned;
}

TEST(NamedGuardWin32, HoldsASystemMutexOfThatName) {
    const std::wstring name = uniqueName(L"guard-held");
    {
        NamedGuard guard(narrow(name));
        ASSERT_TRUE(guard.held());
        EXPECT_TRUE(ownedElsewhere(name));
    }
    EXPECT_FALSE(ownedElsewhere(name)) << "released on the way out";
}

TEST(NamedGuardWin32, IsRecursiveForTheOwningThread) {
    const std::wstring name = uniqueName(L"guard-recursive");
    NamedGuard outer(narrow(name));
    ASSERT_TRUE(outer.held());
    {
        NamedGuard inner(narrow(name));  // would block forever if not recursive
        EXPECT_TRUE(inner.held());
    }
    EXPECT_TRUE(ownedElsewhere(name)) << "the inner release must not free the outer hold";
}

TEST(NamedGuardWin32, AnotherThreadWaitsUntilRelease) {
    const std::wstring name = uniqueName(L"guard-thread");
    std::atomic<bool> entered{false};
    std::thread other;
    {
        NamedGuard guard(narrow(name));
        ASSERT_TRUE(guard.held());
        other = std::thread([&] {
            NamedGuard second(narrow(name));
            entered = second.held();
        });
        Sleep(50);  // give the other thread a chance to get past the guard if it wrongly could
        EXPECT_FALSE(entered.load());
    }
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(NamedGuardWin32, AnotherProcessFindsItTaken) {
    const std::wstring name = uniqueName(L"guard-process");
    {
        NamedGuard guard(narrow(name));
        ASSERT_TRUE(guard.held());
        HelperProcess probe("guard-probe", name);
        EXPECT_EQ(probe.wait(), 0) << "the other process must find the guard taken";
    }
    HelperProcess probeAfter("guard-probe", name);
    EXPECT_EQ(probeAfter.wait(), 1) << "free once released";
}

TEST(NamedGuardWin32, AnotherProcessWaitsAndGetsItOnRelease) {
    const std::wstring name = uniqueName(L"guard-handover");
    auto guard = std::make_unique<NamedGuard>(narrow(name));
    ASSERT_TRUE(guard->held());
    HelperProcess waiter("guard-wait", name);
    ASSERT_TRUE(waiter.started());
    Sleep(200);  // time for the other process to get past the guard if it wrongly could
    EXPECT_TRUE(waiter.running()) << "the other process must wait for the release";
    guard.reset();
    EXPECT_EQ(waiter.wait(), 0);
}

TEST(NamedGuardWin32, GuardAbandonedByAnEndedProcessIsTakenOver) {
    const std::wstring name = uniqueName(L"guard-abandoned");
    // Keep the mutex object alive across the helper's end, so that it is abandoned, not gone.
    HANDLE keepAlive = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(keepAlive, nullptr);
    HelperProcess abandon("guard-abandon", name);
    ASSERT_EQ(abandon.wait(), 0);
    {
        NamedGuard guard(narrow(name));
        EXPECT_TRUE(guard.held());
        EXPECT_TRUE(ownedElsewhere(name));
    }
    EXPECT_FALSE(ownedElsewhere(name));
    CloseHandle(keepAlive);
}

}  // namespace
