#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/kernel/UsbGadget.h"

namespace kgtest {

// A HID device played by the test through /dev/uhid, for what the USB gadget of bookworm's
// kernel cannot do: answer a GET_FEATURE with the firmware's bytes, or refuse a report. It has
// no USB parent, so its paths carry no interface number. Its own thread answers the kernel.
class UhidDevice {
public:
    UhidDevice() = default;
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Creates the device (bus USB) and waits for its hidraw node.
    bool create(const Bytes& descriptor, std::uint16_t vendor, std::uint16_t product,
                std::uint16_t version, std::string& error);
    void destroy();

    // What a GET_FEATURE is answered with (report ID first); empty: answered with an error.
    void setFeatureAnswer(const Bytes& answer);
    // When set, output reports are never taken: the kernel's write waits for the device.
    void setStallOutput(bool stall) { m_stallOutput = stall; }

    // Feature reports the host set and output reports it wrote, in order.
    std::vector<Bytes> received();
    // Waits until `count` reports have arrived.
    bool waitForReports(std::size_t count, int timeout_ms);

    std::string hidrawNode() const { return m_node; }

private:
    void serve();

    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stallOutput{false};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    Bytes m_featureAnswer;
    std::vector<Bytes> m_received;
    std::string m_node;
};

}  // namespace kgtest
