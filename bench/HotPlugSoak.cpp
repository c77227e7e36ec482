// Hot-plug soak: the emulated keyboard is pulled out and plugged in again a thousand times
// against the real device connection (with the notifier the program uses for it), and now and
// then restarts after a factory-reset report as the real keyboard does. Checks that nothing
// crashes, that open handles, threads and resident memory stay flat, and that the connection
// holds the keyboard at the end.
// Usage: bench_hotplug_soak [cycles]   (default 1000)
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "common/Log.h"
#include "lighting/ConnectionHost.h"
#include "lighting/DeviceConnection.h"
#include "lighting/LightingReports.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/EmulatorDeviceNotifier.h"
#include "settings/EffectStore.h"
#include "settings/SideLightStore.h"

namespace {

class CountingHost final : public kg::IConnectionHost {
public:
    void showMessage(const std::wstring&, const std::wstring&) override { ++messages; }
    void setVersionText(const std::wstring&) override {}
    std::wstring translate(const std::wstring& text) override { return text; }
    void closeWindow() override { ++closes; }
    void showStoresInPanels() override {}
    void refreshKeyMarks() override {}
    int messages = 0;
    int closes = 0;
};

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

int threadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::atoi(line.c_str() + 8);
        }
    }
    return -1;
}

int openFiles() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d) != nullptr) {
            ++n;
        }
        ::closedir(d);
    }
    return n - 3;  // ".", ".." and the listing itself
}

struct Sample {
    long rss_kb;
    int threads;
    int files;
    std::size_t deviceHandles;
};

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    kg::silenceLog();  // the device layer's trace lines, one per open
    const auto dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    EffectStore::instance().load(std::wstring(dir.begin(), dir.end()) + L"/kg_soak_ledeffect.xml");
    SideLightStore::instance().load(std::wstring(dir.begin(), dir.end()) +
                                    L"/kg_soak_sidemodel.xml");

    platform::EmulatedKeyboard::Options options;
    options.restartRemovalDelay = std::chrono::milliseconds(5);
    options.restartArrivalDelay = std::chrono::milliseconds(20);
    platform::EmulatedKeyboard keyboard(options);
    platform::EmulatorDeviceNotifier notifier(keyboard);
    CountingHost host;
    const kg::UsbIdentity usb{platform::EmulatedKeyboard::kVendorId,
                              platform::EmulatedKeyboard::kProductId, 1, 2};
    kg::DeviceConnection connection(keyboard, host, EffectStore::instance(),
                                    SideLightStore::instance(), usb);
    notifier.start([&](platform::DeviceChange change, const std::wstring& path) {
        connection.OnDeviceChange(change, path);
    });
    if (!connection.StartConnection()) {
        std::printf("the keyboard was not found at the start\n");
        return 1;
    }

    const auto sample = [&] {
        return Sample{residentKb(), threadCount(), openFiles(), keyboard.openHandleCount()};
    };
    const auto dispatchAll = [&](std::size_t events) {
        notifier.waitForPending(events, std::chrono::seconds(5));
        notifier.dispatch();
    };

    const auto started = std::chrono::steady_clock::now();
    Sample first{};
    int resets = 0;
    int failures = 0;
    for (int i = 0; i < cycles; ++i) {
        if (i % 50 == 25) {
            // The factory reset: the window marks it, the keyboard restarts by itself.
            connection.setFactoryResetPending(true);
            const int restarts = keyboard.restartCount();
            const kg::Report report = kg::FactoryResetReport();
            connection.device().Write(report.data());
            for (int w = 0; w < 500 && keyboard.restartCount() == restarts; ++w) {
                notifier.dispatch();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            ++resets;
        } else {
            keyboard.unplug();
            dispatchAll(3);  // three interfaces go
            keyboard.plug();
            dispatchAll(3);
        }
        notifier.dispatch();
        // The emulator keeps every report it saw for tests; that is not the program's memory.
        keyboard.clearReports();
        if (!connection.keyboardConnected()) {
            ++failures;
        }
        if (i == 99) {
            first = sample();  // after the warm-up: allocator pools and caches are filled
        }
    }
    notifier.dispatch();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const Sample last = sample();
    connection.StopWorker();

    std::printf("hot-plug soak: %d cycles (%d factory-reset restarts) in %.1f s\n", cycles, resets,
                seconds);
    std::printf("  %-28s %10s %10s\n", "", "cycle 100", "end");
    std::printf("  %-28s %10ld %10ld\n", "resident memory (kB)", first.rss_kb, last.rss_kb);
    std::printf("  %-28s %10d %10d\n", "threads", first.threads, last.threads);
    std::printf("  %-28s %10d %10d\n", "open files", first.files, last.files);
    std::printf("  %-28s %10zu %10zu\n", "open keyboard handles", first.deviceHandles,
                last.deviceHandles);
    std::printf("  windows closed by a removal: %d, messages: %d, cycles not connected: %d\n",
                host.closes, host.messages, failures);
    const bool flat = last.rss_kb - first.rss_kb < 1024 && last.threads == first.threads &&
                      last.files == first.files && last.deviceHandles == first.deviceHandles;
    const bool ok = flat && connection.keyboardConnected() && failures == 0;
    std::printf("flat and connected at the end: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
