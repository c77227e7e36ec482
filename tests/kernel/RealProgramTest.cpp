// The program itself in the guest: `keyglow` (offscreen) against the gadget keyboard, with a
// "record.xml" that re-assigns A to C. Seen from outside the program: the key comes out of its
// virtual keyboard re-assigned, other keys pass, and its lighting reports reach the device.

#include <fcntl.h>
#include <linux/input.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/kernel/EvdevNode.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"

namespace {

namespace fs = std::filesystem;
using kgtest::Bytes;
using kgtest::KeyStroke;

std::vector<std::string> virtualKeyboardNodes() {
    std::vector<std::string> nodes;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/input", error)) {
        const std::string node = entry.path().filename().string();
        const std::string name = kgtest::readSysfs((entry.path() / "device" / "name").string());
        if (node.rfind("event", 0) == 0 && name == "KeyGlow virtual keyboard\n") {
            nodes.push_back("/dev/input/" + node);
        }
    }
    return nodes;
}

// Reads vendor reports until one starts with `prefix`, within `limit_ms`.
std::optional<Bytes> reportStartingWith(kgtest::UsbGadget& gadget, const Bytes& prefix,
                                        int limit_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    while (std::chrono::steady_clock::now() < end) {
        std::optional<Bytes> report = gadget.readVendorReport(100);
        if (report && report->size() >= prefix.size() &&
            std::equal(prefix.begin(), prefix.end(), report->begin())) {
            return report;
        }
    }
    return std::nullopt;
}

TEST(RealProgram, ReassignsAKeySystemWideAndSendsItsLighting) {
    KG_REQUIRE_GADGET(gadget);
    const fs::path folder = KEYGLOW_BIN_DIR;
    ASSERT_TRUE(fs::exists(folder / "keyglow")) << "the guest image lacks the program";
    {
        std::ofstream record(folder / "record.xml", std::ios::binary | std::ios::trunc);
        record << "<?xml version=\"1.0\"?>\n"
                  "<record code=\"65\" type=\"1\" repeat=\"0\" name=\"A\" group=\"C\" mode=\"0\">\n"
                  "\t<item code=\"67\" state=\"0\" delay=\"0\" name=\"\" />\n"
                  "</record>\n";
    }
    const std::vector<std::string> before = virtualKeyboardNodes();
    const auto started = std::chrono::steady_clock::now();
    const pid_t program = ::fork();
    if (program == 0) {
        // Its standard output on the console, a terminal, so that its lines are not held in a
        // buffer when it hangs; its errors in the log the test reads.
        const int log = ::open("/tmp/keyglow.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int console = ::open("/dev/console", O_WRONLY);
        ::dup2(console >= 0 ? console : log, 1);
        ::dup2(log, 2);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("KEYGLOW_STARTUP_TIMING", "1", 1);
        const std::string exe = (folder / "keyglow").string();
        ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(program, 0);

    // Connected: the firmware version is asked at start (the start of a Qt program takes a
    // while under software emulation).
    const bool asked = reportStartingWith(gadget, {0x07, 0xFC}, 120000).has_value();
    EXPECT_TRUE(asked) << "no firmware request";
    if (!asked) {
        // Where the program waits: each thread's kernel wait channel.
        const std::string tasks = "/proc/" + std::to_string(program) + "/task";
        std::error_code error;
        for (const fs::directory_entry& task : fs::directory_iterator(tasks, error)) {
            std::ifstream wchan(task.path() / "wchan");
            std::string w;
            std::getline(wchan, w);
            std::printf("  thread %s waits in %s\n", task.path().filename().c_str(), w.c_str());
        }
    }
    std::string node;
    for (int i = 0; i < 500 && node.empty(); ++i) {
        for (const std::string& n : virtualKeyboardNodes()) {
            if (std::find(before.begin(), before.end(), n) == before.end()) {
                node = n;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(node.empty()) << "the program made no virtual keyboard";
    kgtest::EvdevNode out(node);
    kgtest::EvdevNode own(gadget.keyboardEventNode());
    EXPECT_TRUE(own.grabbedByOther());
    out.drain();

    // Until its window is up the UI thread does not answer, and keys pass unchanged; then A
    // comes out as C.
    std::vector<KeyStroke> keys;
    for (int attempt = 0; attempt < 30; ++attempt) {
        ASSERT_TRUE(gadget.tapKey(0x04));  // A
        keys = out.readKeys(2, 2000);
        if (!keys.empty() && keys[0].code == KEY_C) {
            break;
        }
    }
    EXPECT_EQ(keys, (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}}));
    ASSERT_TRUE(gadget.tapKey(0x05));  // B
    EXPECT_EQ(out.readKeys(2, 3000), (std::vector<KeyStroke>{{KEY_B, 1}, {KEY_B, 0}}));

    // Two seconds after the start the worker sends effect record 0.
    EXPECT_TRUE(reportStartingWith(gadget, {0x07, 0xF7, 0x00, 0x00}, 10000))
        << "no start-up effect report";
    const auto ran = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - started)
                         .count();
    std::printf("keyglow: connected, re-assigned and sent its start-up effect within %lld ms\n",
                static_cast<long long>(ran));

    ::kill(program, SIGTERM);
    int status = 0;
    for (int i = 0; i < 500 && ::waitpid(program, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(WIFEXITED(status) || WIFSIGNALED(status)) << "the program did not end";
    if (!WIFEXITED(status) && !WIFSIGNALED(status)) {
        ::kill(program, SIGKILL);
        ::waitpid(program, &status, 0);
    }
    EXPECT_FALSE(own.grabbedByOther()) << "the keyboard stayed grabbed after the program ended";
    // Its own lines, without the trace of every device operation.
    std::ifstream log("/tmp/keyglow.log");
    for (std::string line; std::getline(log, line);) {
        if (line.find("keyglow.ui: image") == std::string::npos) {
            std::printf("  %s\n", line.c_str());
        }
    }
    fs::remove(folder / "record.xml");
}

}  // namespace
