#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kgtest {

using Bytes = std::vector<std::uint8_t>;

// The keyboard as a real USB device: a configfs gadget on dummy_hcd with the keyboard's two
// interfaces, 0 the boot keyboard and 1 the consumer control with the vendor collection of
// report ID 7, vendor 258a product 0049. What the host sends to an interface (output reports,
// feature SET_REPORTs) is read from its /dev/hidgN; key reports written to interface 0's
// /dev/hidgN come out of the host's evdev node for it. Unbinding the UDC pulls the cable.
class UsbGadget {
public:
    static constexpr std::uint16_t kVendorId = 0x258A;
    static constexpr std::uint16_t kProductId = 0x0049;
    static constexpr std::uint16_t kDeviceVersion = 0x0105;

    UsbGadget() = default;
    ~UsbGadget();
    UsbGadget(const UsbGadget&) = delete;
    UsbGadget& operator=(const UsbGadget&) = delete;

    // Builds the gadget in configfs; the reason in `error` on failure.
    bool create(std::string& error);
    // Binds it to the dummy UDC and waits until both hidraw nodes are there and udev is done.
    bool plug();
    // Unbinds it and waits until the host's nodes are gone.
    bool unplug();
    void destroy();
    bool plugged() const { return m_plugged; }

    // One boot keyboard report: modifier bits and up to six usages (empty: every key up).
    bool sendKeys(std::uint8_t modifiers, const std::vector<std::uint8_t>& usages);
    // Presses and releases one usage.
    bool tapKey(std::uint8_t usage);

    // The next report the host sent to interface 1 (or 0), within `timeout_ms`.
    std::optional<Bytes> readVendorReport(int timeout_ms);
    std::optional<Bytes> readKeyboardReport(int timeout_ms);
    // Drops whatever the host sent so far.
    void drain();

    // From now on the gadget answers the host's GET_FEATURE of report `report[0]` on interface 1
    // with `report` (its report ID first), as the firmware answers it. Only gadgets that take
    // such answers from user space can (6.12: GADGET_HID_WRITE_GET_REPORT); elsewhere false, and
    // the gadget answers every GET_FEATURE with zeros. Plugging in gives the firmware's answer
    // to the version request, kFirmwareAnswer.
    bool setFeatureAnswer(const Bytes& report);
    // Whether the last plug-in or setFeatureAnswer could give the gadget its answer.
    bool answersFeatures() const { return m_answersFeatures; }
    static const Bytes kFirmwareAnswer;

    // The host's evdev node of the gadget keyboard ("/dev/input/eventN"); empty when absent.
    std::string keyboardEventNode() const;

private:
    bool openFunctions();
    void closeFunctions();

    std::string m_root;
    bool m_plugged = false;
    bool m_answersFeatures = false;
    int m_keyboardFd = -1;
    int m_vendorFd = -1;
    int m_keyboardMinor = -1;
    int m_vendorMinor = -1;
};

// hidraw nodes of the gadget's host side, in node order ("hidraw0", ...).
std::vector<std::string> gadgetHidrawNodes();

// Reads the next report `fd` offers within `timeout_ms`.
std::optional<Bytes> readReport(int fd, int timeout_ms);

}  // namespace kgtest
