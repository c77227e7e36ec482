// Idle CPU of the connected program, as a share of one core, beside the spinning worker.
// Usage: bench_idle_cpu [seconds]   (default 10)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "SpinningWorker.h"
#include "lighting/ConnectionHost.h"
#include "lighting/DeviceConnection.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "settings/EffectStore.h"
#include "settings/SideLightStore.h"

namespace {

class QuietHost final : public kg::IConnectionHost {
public:
    void showMessage(const std::wstring&, const std::wstring&) override {}
    void setVersionText(const std::wstring&) override {}
    std::wstring translate(const std::wstring& text) override { return text; }
    void closeWindow() override {}
    void showStoresInPanels() override {}
    void refreshKeyMarks() override {}
};

// The key player with an empty queue: it returns at once.
class IdlePlayer {
public:
    int pass(ISimpleThread&, void*) {
        ++passes;
        return 0;
    }
    long passes = 0;
};

// Process CPU time in seconds (all threads).
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

template <class Body>
double cpuShare(double seconds, Body&& body) {
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    body(seconds);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    return 100.0 * (cpuSeconds() - cpu0) / wall;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const auto dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    EffectStore::instance().load(std::wstring(dir.begin(), dir.end()) + L"/kg_bench_ledeffect.xml");
    SideLightStore::instance().load(std::wstring(dir.begin(), dir.end()) +
                                    L"/kg_bench_sidemodel.xml");

    platform::EmulatedKeyboard keyboard;
    QuietHost host;
    IdlePlayer player;
    const kg::UsbIdentity usb{platform::EmulatedKeyboard::kVendorId,
                              platform::EmulatedKeyboard::kProductId, 1, 2};

    const double ours = cpuShare(seconds, [&](double s) {
        kg::DeviceConnection connection(keyboard, host, EffectStore::instance(),
                                        SideLightStore::instance(), usb);
        connection.StartConnection(
            std::make_unique<SimpleThread::Callback<IdlePlayer>>(&player, &IdlePlayer::pass));
        std::this_thread::sleep_for(std::chrono::duration<double>(s));
        connection.StopWorker();
    });
    const long ourPasses = player.passes;

    long spinPasses = 0;
    const double spinning = cpuShare(seconds, [&](double s) {
        SpinningWorker worker([&] {
            ++spinPasses;
            return 0;
        });
        worker.start();
        std::this_thread::sleep_for(std::chrono::duration<double>(s));
        worker.stop();
    });

    std::printf("idle CPU over %.0f s, %% of one core\n", seconds);
    std::printf("  %-34s %8.3f %%  (%ld idle passes)\n", "SimpleThread (connected, idle)", ours,
                ourPasses);
    std::printf("  %-34s %8.3f %%  (%ld idle passes)\n", "spinning worker (1 ms timer)", spinning,
                spinPasses);
    std::printf("target < 1 %%: %s\n", ours < 1.0 ? "met" : "NOT met");
    return ours < 1.0 ? 0 : 1;
}
