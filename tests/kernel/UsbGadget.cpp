#include "tests/kernel/UsbGadget.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/kernel/KernelGuest.h"

namespace kgtest {
namespace fs = std::filesystem;

namespace {

constexpr char kGadgetRoot[] = "/sys/kernel/config/usb_gadget/keyglow";
constexpr char kUdc[] = "dummy_udc.0";

// The boot keyboard: modifiers, a reserved byte and six key usages in; five lock lights out.
const Bytes kBootKeyboardDescriptor = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x03, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x03, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// Consumer control (report 3) and the vendor collection ff00:0001 with feature and output
// report 7 of seven data bytes, as the keyboard's interface 1 describes them.
const Bytes kVendorDescriptor = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26,
                                 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01,
                                 0x81, 0x00, 0xC0, 0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85,
                                 0x07, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x09,
                                 0x01, 0xB1, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// f_hid's answer to GET_REPORT as user space gives it (linux/usb/g_hid.h, newer than the build
// machine's headers). A zero `userspaceRequest` makes the gadget answer every later request
// for the report ID with it at once, without asking user space again.
struct GetReportAnswer {
    std::uint8_t reportId;
    std::uint8_t userspaceRequest;
    std::uint16_t length;
    std::uint8_t data[64];
    std::uint8_t padding[4];
};
static_assert(sizeof(GetReportAnswer) == 72);
constexpr unsigned long kWriteGetReport = _IOW('g', 0x42, GetReportAnswer);

bool writeFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

bool writeBytes(const fs::path& file, const Bytes& bytes) {
    return writeFile(file, std::string(bytes.begin(), bytes.end()));
}

std::string readFile(const fs::path& file) {
    return readSysfs(file.string());
}

int minorOf(const fs::path& devFile) {
    const std::string text = readFile(devFile);
    const std::size_t colon = text.find(':');
    return colon == std::string::npos ? -1 : std::atoi(text.c_str() + colon + 1);
}

template <typename Pred>
bool waitFor(Pred pred, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Without an OUT endpoint (`controlOnly`) the host sends output reports as SET_REPORT on the
// control pipe, and f_hid hands those, feature reports included, to the reader of /dev/hidgN.
bool makeFunction(const fs::path& function, int protocol, const Bytes& descriptor,
                  bool controlOnly) {
    std::error_code error;
    fs::create_directory(function, error);
    if (error || (controlOnly && !writeFile(function / "no_out_endpoint", "1"))) {
        return false;
    }
    return writeFile(function / "protocol", std::to_string(protocol)) &&
           writeFile(function / "subclass", protocol == 1 ? "1" : "0") &&
           writeFile(function / "report_length", "8") &&
           writeBytes(function / "report_desc", descriptor);
}

}  // namespace

// Version 1.5, as the firmware answers the version request.
const Bytes UsbGadget::kFirmwareAnswer = {0x07, 0x01, 0x05, 0, 0, 0, 0, 0};

std::vector<std::string> gadgetHidrawNodes() {
    std::vector<std::string> nodes;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/hidraw", error)) {
        const std::string uevent = readFile(entry.path() / "device" / "uevent");
        if (uevent.find("HID_ID=0003:0000258A:00000049") != std::string::npos) {
            nodes.push_back(entry.path().filename().string());
        }
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

std::optional<Bytes> readReport(int fd, int timeout_ms) {
    pollfd ready{fd, POLLIN, 0};
    if (fd < 0 || ::poll(&ready, 1, timeout_ms) <= 0) {
        return std::nullopt;
    }
    Bytes buffer(64);
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got <= 0) {
        return std::nullopt;
    }
    buffer.resize(static_cast<std::size_t>(got));
    return buffer;
}

UsbGadget::~UsbGadget() {
    destroy();
}

bool UsbGadget::create(std::string& error) {
    const fs::path root = kGadgetRoot;
    if (!fs::exists("/sys/kernel/config/usb_gadget")) {
        error = "no /sys/kernel/config/usb_gadget (configfs or libcomposite missing)";
        return false;
    }
    if (!fs::exists("/sys/class/udc/" + std::string(kUdc))) {
        error = "no dummy UDC (dummy_hcd missing)";
        return false;
    }
    m_root = root.string();
    std::error_code ec;
    fs::create_directory(root, ec);
    fs::create_directories(root / "strings" / "0x409", ec);
    fs::create_directories(root / "configs" / "c.1" / "strings" / "0x409", ec);
    const bool ok =
        writeFile(root / "idVendor", "0x258a") && writeFile(root / "idProduct", "0x0049") &&
        writeFile(root / "bcdDevice", "0x0105") && writeFile(root / "bcdUSB", "0x0200") &&
        writeFile(root / "strings" / "0x409" / "manufacturer", "KeyGlow test") &&
        writeFile(root / "strings" / "0x409" / "product", "Gadget keyboard") &&
        writeFile(root / "strings" / "0x409" / "serialnumber", "0001") &&
        writeFile(root / "configs" / "c.1" / "strings" / "0x409" / "configuration", "kbd") &&
        makeFunction(root / "functions" / "hid.kbd", 1, kBootKeyboardDescriptor, false) &&
        makeFunction(root / "functions" / "hid.vendor", 0, kVendorDescriptor, true);
    if (!ok) {
        error = "cannot write the gadget's configfs attributes";
        return false;
    }
    // Interfaces are numbered in the order the functions are linked into the configuration.
    fs::create_directory_symlink(root / "functions" / "hid.kbd",
                                 root / "configs" / "c.1" / "hid.kbd", ec);
    fs::create_directory_symlink(root / "functions" / "hid.vendor",
                                 root / "configs" / "c.1" / "hid.vendor", ec);
    if (ec) {
        error = "cannot link the functions into the configuration: " + ec.message();
        return false;
    }
    m_keyboardMinor = minorOf(root / "functions" / "hid.kbd" / "dev");
    m_vendorMinor = minorOf(root / "functions" / "hid.vendor" / "dev");
    if (m_keyboardMinor < 0 || m_vendorMinor < 0) {
        error = "the hid functions have no device numbers";
        return false;
    }
    return true;
}

bool UsbGadget::plug() {
    if (m_root.empty()) {
        return false;
    }
    if (!m_plugged && !writeFile(fs::path(m_root) / "UDC", kUdc)) {
        return false;
    }
    m_plugged = true;
    if (!waitFor([] { return gadgetHidrawNodes().size() == 2; }, std::chrono::seconds(10))) {
        return false;
    }
    settleUdev();
    return openFunctions() && !keyboardEventNode().empty();
}

bool UsbGadget::unplug() {
    if (!m_plugged) {
        return true;
    }
    closeFunctions();
    // An empty line unbinds the gadget: to the host, the cable is pulled.
    if (!writeFile(fs::path(m_root) / "UDC", "\n")) {
        return false;
    }
    m_plugged = false;
    const bool gone = waitFor([] { return gadgetHidrawNodes().empty(); }, std::chrono::seconds(10));
    settleUdev();
    return gone;
}

void UsbGadget::destroy() {
    if (m_root.empty()) {
        return;
    }
    unplug();
    const fs::path root = m_root;
    ::unlink((root / "configs" / "c.1" / "hid.kbd").c_str());
    ::unlink((root / "configs" / "c.1" / "hid.vendor").c_str());
    ::rmdir((root / "configs" / "c.1" / "strings" / "0x409").c_str());
    ::rmdir((root / "configs" / "c.1").c_str());
    ::rmdir((root / "functions" / "hid.kbd").c_str());
    ::rmdir((root / "functions" / "hid.vendor").c_str());
    ::rmdir((root / "strings" / "0x409").c_str());
    ::rmdir(root.c_str());
    m_root.clear();
}

bool UsbGadget::openFunctions() {
    closeFunctions();
    const std::string keyboard = "/dev/hidg" + std::to_string(m_keyboardMinor);
    const std::string vendor = "/dev/hidg" + std::to_string(m_vendorMinor);
    waitFor(
        [&] {
            return ::access(keyboard.c_str(), F_OK) == 0 && ::access(vendor.c_str(), F_OK) == 0;
        },
        std::chrono::seconds(5));
    m_keyboardFd = ::open(keyboard.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    m_vendorFd = ::open(vendor.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_keyboardFd < 0 || m_vendorFd < 0) {
        return false;
    }
    setFeatureAnswer(kFirmwareAnswer);
    return true;
}

bool UsbGadget::setFeatureAnswer(const Bytes& report) {
    GetReportAnswer answer{};
    if (report.empty() || report.size() > sizeof answer.data) {
        return false;
    }
    answer.reportId = report[0];
    answer.userspaceRequest = 0;
    answer.length = static_cast<std::uint16_t>(report.size());
    std::copy(report.begin(), report.end(), answer.data);
    m_answersFeatures = ::ioctl(m_vendorFd, kWriteGetReport, &answer) == 0;
    return m_answersFeatures;
}

void UsbGadget::closeFunctions() {
    if (m_keyboardFd >= 0) {
        ::close(m_keyboardFd);
    }
    if (m_vendorFd >= 0) {
        ::close(m_vendorFd);
    }
    m_keyboardFd = -1;
    m_vendorFd = -1;
}

bool UsbGadget::sendKeys(std::uint8_t modifiers, const std::vector<std::uint8_t>& usages) {
    std::uint8_t report[8] = {modifiers, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < usages.size() && i < 6; ++i) {
        report[2 + i] = usages[i];
    }
    // The IN endpoint takes one report at a time; a write while the last one is still queued
    // fails with EAGAIN, so retry for a moment.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::write(m_keyboardFd, report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
            return true;
        }
        if (errno != EAGAIN) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

bool UsbGadget::tapKey(std::uint8_t usage) {
    return sendKeys(0, {usage}) && sendKeys(0, {});
}

std::optional<Bytes> UsbGadget::readVendorReport(int timeout_ms) {
    return readReport(m_vendorFd, timeout_ms);
}

std::optional<Bytes> UsbGadget::readKeyboardReport(int timeout_ms) {
    return readReport(m_keyboardFd, timeout_ms);
}

void UsbGadget::drain() {
    while (readVendorReport(0)) {
    }
    while (readKeyboardReport(0)) {
    }
}

std::string UsbGadget::keyboardEventNode() const {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/input", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("event", 0) != 0) {
            continue;
        }
        const fs::path device = fs::canonical(entry.path() / "device", error);
        // The boot keyboard is interface 0 of the gadget's device 1-1 on dummy_hcd.
        if (!error && device.string().find("dummy_hcd") != std::string::npos &&
            device.string().find(":1.0/") != std::string::npos) {
            return "/dev/input/" + name;
        }
    }
    return {};
}

}  // namespace kgtest
