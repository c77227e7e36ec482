#include "tests/kernel/EvdevNode.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include "tests/kernel/KernelGuest.h"

namespace kgtest {

EvdevNode::EvdevNode(const std::string& node) {
    if (!node.empty()) {
        m_fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
}

EvdevNode::~EvdevNode() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::vector<KeyStroke> EvdevNode::readKeys(std::size_t count, int timeout_ms) {
    std::vector<KeyStroke> keys;
    while (keys.size() < count) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, timeout_ms) <= 0) {
            break;
        }
        input_event events[16];
        const ssize_t got = ::read(m_fd, events, sizeof events);
        if (got <= 0) {
            break;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
            if (events[i].type == EV_KEY) {
                keys.push_back({events[i].code, events[i].value});
            }
        }
    }
    return keys;
}

unsigned EvdevNode::lights() const {
    unsigned char bits[(LED_MAX + 7) / 8] = {};
    if (::ioctl(m_fd, EVIOCGLED(sizeof bits), bits) < 0) {
        return 0;
    }
    return bits[0] | (static_cast<unsigned>(bits[1]) << 8);
}

std::vector<std::uint16_t> EvdevNode::keysDown() const {
    unsigned char bits[KEY_MAX / 8 + 1] = {};
    std::vector<std::uint16_t> down;
    if (::ioctl(m_fd, EVIOCGKEY(sizeof bits), bits) < 0) {
        return down;
    }
    for (unsigned code = 0; code <= KEY_MAX; ++code) {
        if ((bits[code / 8] & (1u << (code % 8))) != 0) {
            down.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return down;
}

bool EvdevNode::grabbedByOther() {
    if (::ioctl(m_fd, EVIOCGRAB, 1) < 0) {
        return errno == EBUSY;
    }
    ::ioctl(m_fd, EVIOCGRAB, 0);
    return false;
}

void EvdevNode::drain() {
    input_event events[16];
    while (::read(m_fd, events, sizeof events) > 0) {
    }
}

std::string eventNodeNamed(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/input", error)) {
        const std::string node = entry.path().filename().string();
        if (node.rfind("event", 0) != 0) {
            continue;
        }
        std::string text = readSysfs((entry.path() / "device" / "name").string());
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        if (text == name) {
            return "/dev/input/" + node;
        }
    }
    return {};
}

}  // namespace kgtest
