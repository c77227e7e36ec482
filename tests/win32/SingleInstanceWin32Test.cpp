#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/SingleInstance.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

using kg::win32test::HelperProcess;
using kg::win32test::pumpMessages;
using kg::win32test::uniqueName;
using platform::InstanceClaim;
using platform::SingleInstance;

std::uintptr_t handle(HWND window) {
    return reinterpret_cast<std::uintptr_t>(window);
}

// A plain top-level window of this test, created hidden.
class TestWindow {
public:
    TestWindow() {
        static const wchar_t* const kClass = L"KeyGlowSingleInstanceTestWindow";
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kClass;
            return RegisterClassW(&wc) != 0;
        }();
        if (registered) {
            m_window =
                CreateWindowExW(0, kClass, L"single instance test", WS_OVERLAPPEDWINDOW, 10, 10,
                                200, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        }
    }
    ~TestWindow() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    HWND get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

int runSecondStart(const std::wstring& name) {
    HelperProcess second("instance", name);
    return second.wait();
}

TEST(SingleInstanceWin32, SecondClaimOfTheMutexSeesTheRunningInstance) {
    const std::wstring name = uniqueName(L"mutex");
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    SingleInstance second(name);
    EXPECT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    SingleInstance other(uniqueName(L"other"));
    EXPECT_EQ(other.claim(), InstanceClaim::First) << "another name is another program";
}

TEST(SingleInstanceWin32, RepeatedClaimKeepsTheFirstAnswer) {
    const std::wstring name = uniqueName(L"repeat");
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    SingleInstance second(name);
    ASSERT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    EXPECT_EQ(second.claim(), InstanceClaim::AnotherRunning);
    EXPECT_EQ(first.claim(), InstanceClaim::First);
}

TEST(SingleInstanceWin32, NameIsFreeAgainOnceEveryHandleIsClosed) {
    const std::wstring name = uniqueName(L"reuse");
    {
        SingleInstance first(name);
        ASSERT_EQ(first.claim(), InstanceClaim::First);
    }
    SingleInstance next(name);
    EXPECT_EQ(next.claim(), InstanceClaim::First);
}

TEST(SingleInstanceWin32, EmptyNameClaimsNothing) {
    SingleInstance a(L"");
    SingleInstance b(L"");
    EXPECT_EQ(a.claim(), InstanceClaim::First);
    EXPECT_EQ(b.claim(), InstanceClaim::First);
}

TEST(SingleInstanceWin32, OtherKindOfObjectUnderTheNameDoesNotStopTheProgram) {
    // CreateMutexW fails when an event holds the name; only ERROR_ALREADY_EXISTS means that
    // another instance runs.
    const std::wstring name = uniqueName(L"event");
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr);
    SingleInstance instance(name);
    EXPECT_EQ(instance.claim(), InstanceClaim::First);
    CloseHandle(event);
}

TEST(SingleInstanceWin32, SecondStartInAnotherProcessShowsTheHiddenMainWindow) {
    const std::wstring name = uniqueName(L"process");
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    ASSERT_FALSE(IsWindowVisible(window.get()));

    EXPECT_EQ(runSecondStart(name), 10) << "nobody runs yet: the helper is the first";

    SingleInstance first(name);
    ASSERT_EQ(first.claim(), InstanceClaim::First);
    ASSERT_TRUE(SingleInstance::markWindow(handle(window.get()), name));
    EXPECT_EQ(runSecondStart(name), 0);
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(window.get()));
}

TEST(SingleInstanceWin32, WalkShowsEveryMarkedWindowAndNoOther) {
    const std::wstring name = uniqueName(L"walk");
    TestWindow a;
    TestWindow b;
    TestWindow unmarked;
    ASSERT_NE(a.get(), nullptr);
    ASSERT_NE(b.get(), nullptr);
    ASSERT_TRUE(SingleInstance::markWindow(handle(a.get()), name));
    ASSERT_TRUE(SingleInstance::markWindow(handle(b.get()), name));
    ASSERT_TRUE(SingleInstance::markWindow(handle(unmarked.get()), uniqueName(L"elsewhere")));

    EXPECT_EQ(SingleInstance::activateRunning(name), 2);
    EXPECT_TRUE(IsWindowVisible(a.get()));
    EXPECT_TRUE(IsWindowVisible(b.get()));
    EXPECT_FALSE(IsWindowVisible(unmarked.get()));
    EXPECT_EQ(GetPropW(a.get(), name.c_str()), reinterpret_cast<HANDLE>(std::uintptr_t{1}));
}

TEST(SingleInstanceWin32, WalkRestoresAMinimisedWindow) {
    const std::wstring name = uniqueName(L"iconic");
    TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    ShowWindow(window.get(), SW_SHOWMINNOACTIVE);
    pumpMessages();
    ASSERT_TRUE(IsIconic(window.get()));
    ASSERT_TRUE(SingleInstance::markWindow(handle(window.get()), name));

    EXPECT_EQ(SingleInstance::activateRunning(name), 1);
    pumpMessages();
    EXPECT_FALSE(IsIconic(window.get()));
    EXPECT_TRUE(IsWindowVisible(window.get()));
}

TEST(SingleInstanceWin32, UnmarkedWindowIsNoLongerFound) {
    const std::wstring name = uniqueName(L"unmark");
    TestWindow window;
    ASSERT_TRUE(SingleInstance::markWindow(handle(window.get()), name));
    ASSERT_TRUE(SingleInstance::unmarkWindow(handle(window.get()), name));
    EXPECT_EQ(GetPropW(window.get(), name.c_str()), nullptr);
    EXPECT_EQ(SingleInstance::activateRunning(name), 0);
    EXPECT_FALSE(IsWindowVisible(window.get()));
    EXPECT_FALSE(SingleInstance::unmarkWindow(handle(window.get()), name))
        << "nothing left to remove";
}

TEST(SingleInstanceWin32, MarkingNeedsAWindowAndAName) {
    TestWindow window;
    EXPECT_FALSE(SingleInstance::markWindow(0, uniqueName(L"none")));
    EXPECT_FALSE(SingleInstance::markWindow(handle(window.get()), L""));
}

}  // namespace
