#include "platform/linux/HidrawBackend.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/HidReportDescriptor.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "\\\\?\\hid#";
constexpr const char* kClassSuffix = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// Plain read(): a sysfs file of a device that is being unplugged fails its read with ENODEV,
// and libstdc++'s file streams throw on a failed read.
std::optional<std::string> readText(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::optional<unsigned long> readNumber(const fs::path& file, int base) {
    const std::optional<std::string> text = readText(file);
    if (!text) {
        return std::nullopt;
    }
    const char* begin = text->c_str();
    char* end = nullptr;
    const unsigned long value = std::strtoul(begin, &end, base);
    if (end == begin) {
        return std::nullopt;
    }
    return value;
}

// "hidraw" followed by digits only: the node name comes from a path the caller hands us.
bool isNodeName(const std::string& name) {
    if (name.size() <= 6 || name.compare(0, 6, "hidraw") != 0) {
        return false;
    }
    return std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

unsigned long nodeNumber(const std::string& name) {
    return std::strtoul(name.c_str() + 6, nullptr, 10);
}

// What sysfs tells about one hidraw node.
struct NodeInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
    std::optional<unsigned long> interfaceNumber;  // set for an interface of a composite device
    std::vector<HidCaps> collections;
};

// <sysfs>/class/hidraw/hidrawN/device is the HID device; for USB its parent is the USB
// interface (bInterfaceNumber) and that one's parent the USB device (bNumInterfaces,
// bcdDevice).
std::optional<NodeInfo> readNode(const std::string& sysfsRoot, const std::string& node) {
    std::error_code error;
    const fs::path device =
        fs::canonical(fs::path(sysfsRoot) / "class" / "hidraw" / node / "device", error);
    if (error) {
        return std::nullopt;
    }
    const std::optional<std::string> uevent = readText(device / "uevent");
    if (!uevent) {
        return std::nullopt;
    }
    NodeInfo info;
    bool haveId = false;
    std::istringstream lines(*uevent);
    for (std::string line; std::getline(lines, line);) {
        unsigned bus = 0;
        unsigned vendor = 0;
        unsigned product = 0;
        if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
            info.vendorId = static_cast<std::uint16_t>(vendor);
            info.productId = static_cast<std::uint16_t>(product);
            haveId = true;
        }
    }
    if (!haveId) {
        return std::nullopt;
    }

    const fs::path usbInterface = device.parent_path();
    const fs::path usbDevice = usbInterface.parent_path();
    const std::optional<unsigned long> number = readNumber(usbInterface / "bInterfaceNumber", 16);
    const std::optional<unsigned long> count = readNumber(usbDevice / "bNumInterfaces", 10);
    if (number && count.value_or(2) > 1) {
        info.interfaceNumber = number;
    }
    if (const std::optional<unsigned long> version = readNumber(usbDevice / "bcdDevice", 16)) {
        info.versionNumber = static_cast<std::uint16_t>(*version);
    }

    if (const std::optional<std::string> descriptor = readText(device / "report_descriptor")) {
        info.collections = ParseTopLevelCollections(
            reinterpret_cast<const std::uint8_t*>(descriptor->data()), descriptor->size());
    }
    return info;
}

std::wstring widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string interfacePath(const NodeInfo& info, const std::string& node, std::size_t index,
                          std::size_t collectionCount) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", info.vendorId, info.productId);
    std::string path = std::string(kPrefix) + ids;
    char field[16];
    if (info.interfaceNumber) {
        std::snprintf(field, sizeof field, "&mi_%02lx", *info.interfaceNumber & 0xFF);
        path += field;
    }
    if (collectionCount > 1) {
        std::snprintf(field, sizeof field, "&col%02zx", (index + 1) & 0xFF);
        path += field;
    }
    std::snprintf(field, sizeof field, "&%04zx", index & 0xFFFF);
    return path + "#" + node + field + kClassSuffix;
}

// Takes the node and collection index back out of a path we made.
bool parseInterfacePath(const std::wstring& widePath, std::string& node, std::size_t& index) {
    if (std::any_of(widePath.begin(), widePath.end(), [](wchar_t c) { return c > 0x7F; })) {
        return false;
    }
    const std::string path(widePath.begin(), widePath.end());
    const std::size_t idsEnd = path.find('#', std::char_traits<char>::length(kPrefix));
    if (path.compare(0, std::char_traits<char>::length(kPrefix), kPrefix) != 0 ||
        idsEnd == std::string::npos) {
        return false;
    }
    const std::size_t amp = path.find('&', idsEnd + 1);
    const std::size_t end = path.find('#', idsEnd + 1);
    if (amp == std::string::npos || end == std::string::npos || amp > end) {
        return false;
    }
    node = path.substr(idsEnd + 1, amp - idsEnd - 1);
    const std::string indexText = path.substr(amp + 1, end - amp - 1);
    if (!isNodeName(node) || indexText.empty() ||
        !std::all_of(indexText.begin(), indexText.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
        return false;
    }
    index = std::strtoul(indexText.c_str(), nullptr, 16);
    return true;
}

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_devRoot(std::move(devRoot)) {}

HidrawBackend::~HidrawBackend() {
    for (const auto& [handle, opened] : m_opened) {
        if (opened.fd >= 0) {
            ::close(opened.fd);
        }
    }
}

bool HidrawBackend::enumerateInterfaces(const Guid& interfaceClass,
                                        std::vector<HidInterfaceEntry>& out) {
    out.clear();
    if (!(interfaceClass == kHidInterfaceClassGuid)) {
        return true;
    }
    std::error_code error;
    fs::directory_iterator it(fs::path(m_sysfsRoot) / "class" / "hidraw", error);
    if (error) {
        // No hidraw class at all (no HID device was ever bound): an empty set.
        return error == std::errc::no_such_file_or_directory;
    }
    std::vector<std::string> nodes;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (isNodeName(name)) {
            nodes.push_back(name);
        }
    }
    std::sort(nodes.begin(), nodes.end(), [](const std::string& a, const std::string& b) {
        return nodeNumber(a) < nodeNumber(b);
    });

    for (const std::string& node : nodes) {
        const std::vector<std::wstring> paths = interfacePaths(node);
        if (paths.empty()) {
            HidInterfaceEntry entry;
            entry.memberIndex = static_cast<std::uint32_t>(out.size());
            entry.interfaceClassGuid = kHidInterfaceClassGuid;
            entry.flags = kInterfaceActive;
            entry.detail = InterfaceDetail::Failed;
            out.push_back(entry);
            continue;
        }
        for (const std::wstring& path : paths) {
            HidInterfaceEntry entry;
            entry.memberIndex = static_cast<std::uint32_t>(out.size());
            entry.interfaceClassGuid = kHidInterfaceClassGuid;
            entry.flags = kInterfaceActive;
            entry.path = path;
            out.push_back(entry);
        }
    }
    return true;
}

std::vector<std::wstring> HidrawBackend::interfacePaths(const std::string& node) const {
    std::vector<std::wstring> paths;
    if (!isNodeName(node)) {
        return paths;
    }
    const std::optional<NodeInfo> info = readNode(m_sysfsRoot, node);
    if (!info) {
        return paths;
    }
    // A descriptor we cannot read or parse still leaves the node as one interface.
    const std::size_t count = std::max<std::size_t>(info->collections.size(), 1);
    for (std::size_t index = 0; index < count; ++index) {
        paths.push_back(widen(interfacePath(*info, node, index, count)));
    }
    return paths;
}

HidHandle HidrawBackend::open(const std::wstring& path, std::uint32_t desiredAccess,
                              std::uint32_t /*shareMode: hidraw has no share modes*/,
                              bool /*overlapped: time limits come from poll()*/) {
    Opened opened;
    if (!parseInterfacePath(path, opened.node, opened.collectionIndex)) {
        return kInvalidHidHandle;
    }
    const std::optional<NodeInfo> info = readNode(m_sysfsRoot, opened.node);
    if (!info || opened.collectionIndex >= std::max<std::size_t>(info->collections.size(), 1)) {
        return kInvalidHidHandle;
    }
    const bool read = (desiredAccess & kGenericRead) != 0;
    const bool write = (desiredAccess & kGenericWrite) != 0;
    if (read || write) {
        const int mode = read && write ? O_RDWR : (read ? O_RDONLY : O_WRONLY);
        const std::string device = m_devRoot + "/" + opened.node;
        opened.fd = ::open(device.c_str(), mode | O_CLOEXEC);
        if (opened.fd < 0) {
            return kInvalidHidHandle;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const HidHandle handle = m_nextHandle;
    m_nextHandle += 4;
    m_opened.emplace(handle, opened);
    return handle;
}

bool HidrawBackend::close(HidHandle handle) {
    Opened opened;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_opened.find(handle);
        if (it == m_opened.end()) {
            return false;
        }
        opened = it->second;
        m_opened.erase(it);
    }
    return opened.fd < 0 || ::close(opened.fd) == 0;
}

bool HidrawBackend::lookup(HidHandle handle, Opened& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_opened.find(handle);
    if (it == m_opened.end()) {
        return false;
    }
    out = it->second;
    return true;
}

bool HidrawBackend::getAttributes(HidHandle handle, HidAttributes& out) {
    Opened opened;
    if (!lookup(handle, opened)) {
        return false;
    }
    const std::optional<NodeInfo> info = readNode(m_sysfsRoot, opened.node);
    if (!info) {
        return false;
    }
    out.vendorId = info->vendorId;
    out.productId = info->productId;
    out.versionNumber = info->versionNumber;
    return true;
}

bool HidrawBackend::getCaps(HidHandle handle, HidCaps& out) {
    Opened opened;
    if (!lookup(handle, opened)) {
        return false;
    }
    const std::optional<NodeInfo> info = readNode(m_sysfsRoot, opened.node);
    if (!info || opened.collectionIndex >= info->collections.size()) {
        return false;
    }
    out = info->collections[opened.collectionIndex];
    return true;
}

// hidraw reports a node always writable, and its write() itself waits for the USB transfer,
// which the kernel gives up only after its own USB time-out (5 s): a keyboard that stops taking
// reports would hold the caller, the UI thread, that long. So the transfer runs on a thread of
// its own on a copy of the report and a duplicate of the descriptor, and the caller waits for it
// at most timeout_ms. A transfer that outlives the limit cannot be cancelled: it runs on until
// the kernel ends it, and the next write waits for it (within its own limit) before it starts,
// so no more than one transfer is ever outstanding.
WriteResult HidrawBackend::write(HidHandle handle, const std::uint8_t* data, std::uint32_t length,
                                 std::uint32_t timeout_ms) {
    WriteResult result;
    Opened opened;
    if (!lookup(handle, opened) || opened.fd < 0) {
        result.errorCode = EBADF;
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::shared_ptr<PendingWrite> previous;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        previous = m_lastWrite;
    }
    if (previous && !previous->waitUntil(deadline)) {
        result.outcome = WriteOutcome::TimedOut;
        return result;
    }
    const int fd = ::fcntl(opened.fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        result.errorCode = static_cast<std::uint32_t>(errno);
        return result;
    }
    auto pending = std::make_shared<PendingWrite>();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lastWrite = pending;
    }
    std::vector<std::uint8_t> report(data, data + length);
    std::thread([pending, fd, report = std::move(report)] {
        ssize_t written;
        do {
            written = ::write(fd, report.data(), report.size());
        } while (written < 0 && errno == EINTR);
        const int error = written < 0 ? errno : 0;
        ::close(fd);
        pending->finish(written, error);
    }).detach();
    if (!pending->waitUntil(deadline)) {
        result.outcome = WriteOutcome::TimedOut;
        return result;
    }
    if (pending->written < 0) {
        result.errorCode = static_cast<std::uint32_t>(pending->error);
        return result;
    }
    result.outcome = WriteOutcome::CompletedAtOnce;
    result.bytesWritten = static_cast<std::uint32_t>(pending->written);
    return result;
}

bool HidrawBackend::PendingWrite::waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex);
    return ended.wait_until(lock, deadline, [this] { return done; });
}

void HidrawBackend::PendingWrite::finish(ssize_t result, int errorCode) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        written = result;
        error = errorCode;
        done = true;
    }
    ended.notify_all();
}

bool HidrawBackend::getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) {
    Opened opened;
    if (!lookup(handle, opened) || opened.fd < 0 || length == 0) {
        return false;
    }
    return ::ioctl(opened.fd, HIDIOCGFEATURE(length), buffer) >= 0;
}

bool HidrawBackend::setFeature(HidHandle handle, const std::uint8_t* buffer, std::uint32_t length) {
    Opened opened;
    if (!lookup(handle, opened) || opened.fd < 0 || length == 0) {
        return false;
    }
    // The ioctl takes a writable buffer although it only reads it.
    std::vector<std::uint8_t> report(buffer, buffer + length);
    return ::ioctl(opened.fd, HIDIOCSFEATURE(length), report.data()) >= 0;
}

HidBackend& systemHidBackend() {
    static HidrawBackend backend;
    return backend;
}

}  // namespace platform
