// The time limit of HidDevice::Write against a keyboard that stops taking output reports. hidraw
// reports a node always writable, and its write() itself waits for the USB transfer, which the
// kernel gives up only after its own USB time-out.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "device/HidDevice.h"
#include "tests/kernel/KernelGuest.h"
#include "tests/kernel/SharedGadget.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(WriteLimit, AKeyboardThatTakesNoReportHoldsWriteForTheLimitOnly) {
    KG_REQUIRE_GADGET(gadget);
    HidDevice device(platform::systemHidBackend());
    const std::int32_t product = kgtest::UsbGadget::kProductId;
    // Interface 0, the boot keyboard: its lock-light report goes through an interrupt OUT
    // endpoint, and the gadget queues only a few reports that nobody reads.
    ASSERT_TRUE(device.OpenFirstMatch(kgtest::UsbGadget::kVendorId, &product, 1, 0, -1, nullptr,
                                      0xC0000003));
    const std::uint8_t report[8] = {0x00, 0x01, 0, 0, 0, 0, 0, 0};
    int taken = 0;
    std::uint32_t stalledResult = 1;
    Clock::duration stalledFor{};
    for (int i = 0; i < 10; ++i) {
        const auto start = Clock::now();
        const std::uint32_t written = device.Write(report);
        const auto took = Clock::now() - start;
        if (written == 0) {
            stalledResult = written;
            stalledFor = took;
            break;
        }
        ++taken;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(stalledFor).count();
    std::printf("write limit: %d reports taken, then a write returned %u after %lld ms\n", taken,
                stalledResult, static_cast<long long>(ms));
    EXPECT_GE(taken, 1);
    EXPECT_EQ(stalledResult, 0u) << "the keyboard never stopped taking reports";
    EXPECT_GE(ms, 2900);
    EXPECT_LT(ms, 4000) << "Write held the caller beyond its 3000 ms limit";
    device.Close();
    gadget.drain();
}

}  // namespace
