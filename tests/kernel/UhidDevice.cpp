#include "tests/kernel/UhidDevice.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/kernel/KernelGuest.h"

namespace kgtest {
namespace fs = std::filesystem;

namespace {

bool sendEvent(int fd, const uhid_event& event) {
    return ::write(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event);
}

std::string nodeOfUhid(std::uint16_t vendor, std::uint16_t product) {
    char id[64];
    std::snprintf(id, sizeof id, "HID_ID=0003:%08X:%08X", vendor, product);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/hidraw", error)) {
        const fs::path device = fs::canonical(entry.path() / "device", error);
        if (error || device.string().find("/virtual/misc/uhid/") == std::string::npos) {
            continue;
        }
        const std::string uevent = readSysfs((device / "uevent").string());
        if (uevent.find(id) != std::string::npos) {
            return entry.path().filename().string();
        }
    }
    return {};
}

}  // namespace

UhidDevice::~UhidDevice() {
    destroy();
}

bool UhidDevice::create(const Bytes& descriptor, std::uint16_t vendor, std::uint16_t product,
                        std::uint16_t version, std::string& error) {
    m_fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        error = std::string("cannot open /dev/uhid: ") + std::strerror(errno);
        return false;
    }
    uhid_event create{};
    create.type = UHID_CREATE2;
    std::snprintf(reinterpret_cast<char*>(create.u.create2.name), sizeof create.u.create2.name,
                  "KeyGlow uhid keyboard");
    create.u.create2.rd_size = static_cast<std::uint16_t>(descriptor.size());
    std::memcpy(create.u.create2.rd_data, descriptor.data(), descriptor.size());
    create.u.create2.bus = 0x03;  // BUS_USB
    create.u.create2.vendor = vendor;
    create.u.create2.product = product;
    create.u.create2.version = version;
    if (!sendEvent(m_fd, create)) {
        error = "UHID_CREATE2 refused";
        return false;
    }
    m_thread = std::thread([this] { serve(); });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((m_node = nodeOfUhid(vendor, product)).empty()) {
        if (std::chrono::steady_clock::now() > end) {
            error = "no hidraw node for the uhid device";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void UhidDevice::destroy() {
    if (m_fd < 0) {
        return;
    }
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    uhid_event destroy{};
    destroy.type = UHID_DESTROY;
    sendEvent(m_fd, destroy);
    ::close(m_fd);
    m_fd = -1;
}

void UhidDevice::setFeatureAnswer(const Bytes& answer) {
    std::lock_guard lock(m_mutex);
    m_featureAnswer = answer;
}

std::vector<Bytes> UhidDevice::received() {
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool UhidDevice::waitForReports(std::size_t count, int timeout_ms) {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                              [&] { return m_received.size() >= count; });
}

void UhidDevice::serve() {
    while (!m_stop) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, 20) <= 0) {
            continue;
        }
        uhid_event event{};
        if (::read(m_fd, &event, sizeof event) <= 0) {
            continue;
        }
        if (event.type == UHID_GET_REPORT) {
            uhid_event reply{};
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = event.u.get_report.id;
            std::lock_guard lock(m_mutex);
            if (m_featureAnswer.empty()) {
                reply.u.get_report_reply.err = EIO;
            } else {
                reply.u.get_report_reply.size = static_cast<std::uint16_t>(m_featureAnswer.size());
                std::memcpy(reply.u.get_report_reply.data, m_featureAnswer.data(),
                            m_featureAnswer.size());
            }
            sendEvent(m_fd, reply);
        } else if (event.type == UHID_SET_REPORT) {
            {
                std::lock_guard lock(m_mutex);
                const std::uint8_t* data = &event.u.set_report.data[0];
                m_received.emplace_back(data, data + event.u.set_report.size);
            }
            m_arrived.notify_all();
            uhid_event reply{};
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = event.u.set_report.id;
            sendEvent(m_fd, reply);
        } else if (event.type == UHID_OUTPUT) {
            {
                std::lock_guard lock(m_mutex);
                const std::uint8_t* data = &event.u.output.data[0];
                m_received.emplace_back(data, data + event.u.output.size);
            }
            m_arrived.notify_all();
        }
    }
}

}  // namespace kgtest
