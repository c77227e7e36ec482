// Capture that cannot run says so, and why, instead of running with nothing held; and the
// emergency chord lets go of every keyboard for the rest of the run.

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/linux/EvdevCapture.h"
#include "platform/linux/VirtualKeyboard.h"
#include "tests/kernel/EvdevNode.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"

namespace {

using platform::linux_detail::EvdevCapture;
using platform::linux_detail::VirtualKeyboard;

constexpr char kTestKeyboard[] = "KeyGlow test capture keyboard";

std::vector<int> g_keys;

std::intptr_t passingProc(int, std::uintptr_t, std::intptr_t record) noexcept {
    g_keys.push_back(static_cast<int>(reinterpret_cast<const platform::KeyEvent*>(record)->vkCode));
    return 0;
}

// Runs `body` in a child process as user and group nobody; returns what it wrote, or a note
// about how it ended.
template <typename Body>
std::string asNobody(Body body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            _exit(2);
        }
        const std::string text = body();
        (void)!::write(pipeFds[1], text.data(), text.size());
        _exit(0);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed, status " + std::to_string(status);
    }
    return out;
}

// installHook in a fresh capture; "on" or the reason it gives.
std::string tryCapture(const std::string& udevControl = "/run/udev/control") {
    VirtualKeyboard keyboard("/dev/uinput", kTestKeyboard);
    EvdevCapture capture(keyboard, platform::linux_detail::CapturePaths{udevControl});
    if (capture.installHook(passingProc, true, nullptr, 0)) {
        capture.removeHook();
        return "on";
    }
    return capture.captureOffReason();
}

// A system where udevd never ran: no control socket and no device database under /run/udev.
TEST(CaptureOff, WithoutUdevItSaysSo) {
    KG_REQUIRE_GADGET(gadget);
    ASSERT_EQ(tryCapture(), "on");
    // udevd and its workers must have ended before its folder goes away.
    ASSERT_TRUE(
        kgtest::run("udevadm control --exit; for i in $(seq 100); do "
                    "pidof systemd-udevd >/dev/null || break; sleep 0.05; done; "
                    "! pidof systemd-udevd >/dev/null && mv /run/udev /run/udev.away"));
    const std::string withoutAnything = tryCapture();
    // A control socket alone (left behind by an udevd that ended) is not enough either.
    ASSERT_TRUE(kgtest::run("mkdir -p /run/udev && touch /run/udev/control"));
    const std::string withoutDatabase = tryCapture();
    ASSERT_TRUE(
        kgtest::run("rm -rf /run/udev; mv /run/udev.away /run/udev; "
                    "/lib/systemd/systemd-udevd --daemon"));
    kgtest::settleUdev();
    EXPECT_NE(withoutAnything.find("udev is not running"), std::string::npos) << withoutAnything;
    EXPECT_NE(withoutDatabase.find("udev has not set up the input devices"), std::string::npos)
        << withoutDatabase;
    EXPECT_EQ(tryCapture(), "on") << "udev is back";
}

TEST(CaptureOff, WithoutPermissionOnUinputItSaysSo) {
    KG_REQUIRE_GADGET(gadget);
    struct stat st {};
    ASSERT_EQ(::stat("/dev/uinput", &st), 0);
    ASSERT_EQ(st.st_mode & 0006, 0u) << "/dev/uinput is open to everybody here";
    // Everything else is in reach: the folder, and the udev control socket.
    ASSERT_EQ(asNobody([] { return std::to_string(::access("/dev", X_OK)); }), "0");
    const std::string reason = asNobody([] { return tryCapture(); });
    EXPECT_NE(reason.find("no permission to open /dev/uinput"), std::string::npos) << reason;
}

TEST(CaptureOff, WithoutPermissionOnTheKeyboardsItSaysSo) {
    KG_REQUIRE_GADGET(gadget);
    struct stat st {};
    ASSERT_EQ(::stat("/dev/uinput", &st), 0);
    ASSERT_EQ(::chmod("/dev/uinput", 0666), 0);
    const std::string reason = asNobody([] { return tryCapture(); });
    ::chmod("/dev/uinput", st.st_mode & 07777);
    EXPECT_NE(reason.find("no permission to grab the keyboards"), std::string::npos) << reason;
}

void pump(EvdevCapture& capture, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        pollfd ready{capture.pollFd(), POLLIN, 0};
        if (::poll(&ready, 1, 5) > 0) {
            capture.dispatch();
        }
    }
}

TEST(EmergencyChord, LetsGoOfEveryKeyboardUntilRestart) {
    KG_REQUIRE_GADGET(gadget);
    VirtualKeyboard keyboard("/dev/uinput", kTestKeyboard);
    EvdevCapture capture(keyboard);
    g_keys.clear();
    ASSERT_TRUE(capture.installHook(passingProc, true, nullptr, 0));
    kgtest::EvdevNode own(gadget.keyboardEventNode());
    ASSERT_TRUE(own.grabbedByOther());
    kgtest::EvdevNode out(kgtest::eventNodeNamed(kTestKeyboard));
    ASSERT_TRUE(out.isOpen());

    // Backspace, Escape, then Enter, held together.
    ASSERT_TRUE(gadget.sendKeys(0, {0x2A}));
    pump(capture, 200);
    ASSERT_TRUE(gadget.sendKeys(0, {0x2A, 0x29}));
    pump(capture, 200);
    ASSERT_TRUE(gadget.sendKeys(0, {0x2A, 0x29, 0x28}));
    // Under emulation the last report may take a while through dummy_hcd.
    for (int i = 0; i < 30 && capture.captureOffReason().empty(); ++i) {
        pump(capture, 100);
    }
    EXPECT_NE(capture.captureOffReason().find("Backspace + Escape + Enter"), std::string::npos)
        << capture.captureOffReason();
    EXPECT_FALSE(own.grabbedByOther());
    EXPECT_TRUE(capture.heldNodes().empty());
    EXPECT_TRUE(out.keysDown().empty()) << "the virtual keyboard left a key down";
    EXPECT_EQ(g_keys, (std::vector<int>{0x08, 0x1B})) << "Enter completed the chord";

    // The keyboard's keys now reach the desktop directly, and capture stays off.
    own.drain();
    ASSERT_TRUE(gadget.sendKeys(0, {}));
    ASSERT_TRUE(gadget.tapKey(0x04));
    pump(capture, 100);
    const auto keys = own.readKeys(10, 300);
    EXPECT_NE(std::find(keys.begin(), keys.end(), kgtest::KeyStroke{KEY_A, 1}), keys.end());
    EXPECT_EQ(g_keys.size(), 2u);
    capture.removeHook();
    EXPECT_FALSE(capture.installHook(passingProc, true, nullptr, 0));
    EXPECT_NE(capture.captureOffReason().find("until KeyGlow is restarted"), std::string::npos);
}

}  // namespace
