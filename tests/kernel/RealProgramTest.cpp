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

// The program in a child process of its own, its device trace (standard output, flushed line
// by line) and its errors in a log. Should the test end early, the program is killed, and when
// the test failed the log is shown with where each of its threads waited.
class ProgramRun {
public:
    explicit ProgramRun(const std::string& exe) {
        m_pid = ::fork();
        if (m_pid == 0) {
            const int log = ::open(kLog, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(log, 1);
            ::dup2(log, 2);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("KEYGLOW_STARTUP_TIMING", "1", 1);
            ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~ProgramRun() {
        if (::testing::Test::HasFailure()) {
            showState();
        }
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return m_pid > 0; }

    // SIGTERM, as a session's end sends it; true when the program ended within five seconds.
    bool stop() {
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    static constexpr char kLog[] = "/tmp/keyglow.log";

    void showState() const {
        if (m_pid > 0) {
            const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
            std::error_code error;
            for (const fs::directory_entry& task : fs::directory_iterator(tasks, error)) {
                std::printf("  keyglow thread %s waits in %s\n", task.path().filename().c_str(),
                            kgtest::readSysfs((task.path() / "wchan").string()).c_str());
            }
        }
        std::ifstream log(kLog);
        for (std::string line; std::getline(log, line);) {
            std::printf("  keyglow| %s\n", line.c_str());
        }
    }

    pid_t m_pid = -1;
};

TEST(RealProgram, ReassignsAKeySystemWideAndSendsItsLighting) {
    KG_REQUIRE_GADGET(gadget);
    const fs::path folder = KEYGLOW_BIN_DIR;
    ASSERT_TRUE(fs::exists(folder / "keyglow")) << "the guest image lacks the program";
    // Without it the program looks for no keyboard and waits in its "Please insert USB
    // device!" box.
    ASSERT_TRUE(fs::exists(folder / "config.xml")) << "the guest image lacks the configuration";
    {
        std::ofstream record(folder / "record.xml", std::ios::binary | std::ios::trunc);
        record << "<?xml version=\"1.0\"?>\n"
                  "<record code=\"65\" type=\"1\" repeat=\"0\" name=\"A\" group=\"C\" mode=\"0\">\n"
                  "\t<item code=\"67\" state=\"0\" delay=\"0\" name=\"\" />\n"
                  "</record>\n";
    }
    const std::vector<std::string> before = virtualKeyboardNodes();
    const auto started = std::chrono::steady_clock::now();
    ProgramRun program((folder / "keyglow").string());
    ASSERT_TRUE(program.started());

    // Connected: the firmware version is asked at start (the start of a Qt program takes a
    // while under software emulation).
    ASSERT_TRUE(reportStartingWith(gadget, {0x07, 0xFC}, 60000)) << "no firmware request";
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
    std::string seen;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUp) {
        ASSERT_TRUE(gadget.tapKey(0x04));  // A
        keys = out.readKeys(2, 1000);
        seen += " " +
                std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - started)
                                   .count()) +
                ":";
        for (const KeyStroke& k : keys) {
            seen += " " + std::to_string(k.code) + (k.value != 0 ? "v" : "^");
        }
        if (!keys.empty() && keys[0].code == KEY_C) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    EXPECT_EQ(keys, (std::vector<KeyStroke>{{KEY_C, 1}, {KEY_C, 0}})) << "all taps:" << seen;
    EXPECT_TRUE(out.keysDown().empty()) << "a key stays down on the virtual keyboard";
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

    EXPECT_TRUE(program.stop()) << "the program did not end on SIGTERM";
    EXPECT_FALSE(own.grabbedByOther()) << "the keyboard stayed grabbed after the program ended";
    fs::remove(folder / "record.xml");
}

}  // namespace
