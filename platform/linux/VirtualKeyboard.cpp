#include "platform/linux/VirtualKeyboard.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform::linux_detail {

VirtualKeyboard::VirtualKeyboard(std::string uinputPath, std::string name)
    : m_path(std::move(uinputPath)), m_name(std::move(name)) {}

VirtualKeyboard::~VirtualKeyboard() {
    if (m_fd >= 0) {
        ioctl(m_fd, UI_DEV_DESTROY);
        ::close(m_fd);
    }
}

bool VirtualKeyboard::open() noexcept {
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0) {
        return true;
    }
    if (m_failed) {
        return false;
    }
    // Read as well as written: the desktop sets its lock lights on this keyboard.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        m_failed = true;
        return false;
    }
    ioctl(fd, UI_SET_EVBIT, EV_KEY);
    ioctl(fd, UI_SET_EVBIT, EV_SYN);
    ioctl(fd, UI_SET_EVBIT, EV_REL);
    ioctl(fd, UI_SET_EVBIT, EV_MSC);
    ioctl(fd, UI_SET_MSCBIT, MSC_SCAN);
    ioctl(fd, UI_SET_EVBIT, EV_LED);
    for (int led : {LED_NUML, LED_CAPSL, LED_SCROLLL, LED_COMPOSE, LED_KANA}) {
        ioctl(fd, UI_SET_LEDBIT, led);
    }
    // Keyboard keys and the buttons of keyboards with a built-in pointer.
    for (int code = 1; code < 0x100; ++code) {
        ioctl(fd, UI_SET_KEYBIT, code);
    }
    for (int code = BTN_MOUSE; code <= BTN_TASK; ++code) {
        ioctl(fd, UI_SET_KEYBIT, code);
    }
    for (int code : {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
        ioctl(fd, UI_SET_RELBIT, code);
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::snprintf(setup.name, sizeof setup.name, "%s", m_name.c_str());
    if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0) {
        m_error = errno;
        ::close(fd);
        m_failed = true;
        return false;
    }
    m_fd = fd;
    return true;
}

int VirtualKeyboard::errorCode() const noexcept {
    return m_error;
}

int VirtualKeyboard::fd() noexcept {
    std::lock_guard lock(m_mutex);
    return m_fd;
}

void VirtualKeyboard::emit(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept {
    if (!open()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    write(type, code, value);
}

void VirtualKeyboard::releaseAll() noexcept {
    releaseAllBut(KeySet());
}

void VirtualKeyboard::releaseAllBut(const KeySet& kept) noexcept {
    std::lock_guard lock(m_mutex);
    if (m_fd < 0) {
        return;
    }
    for (std::size_t code = 0; code < m_down.size(); ++code) {
        if (m_down.test(code) && !kept.test(code)) {
            write(EV_KEY, static_cast<std::uint16_t>(code), 0);
        }
    }
}

void VirtualKeyboard::write(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept {
    input_event ev[2]{};
    ev[0].type = type;
    ev[0].code = code;
    ev[0].value = value;
    ev[1].type = EV_SYN;
    ev[1].code = SYN_REPORT;
    if (::write(m_fd, ev, sizeof ev) < 0) {
        // A full uinput buffer drops the event; there is nobody to tell.
        return;
    }
    if (type == EV_KEY && code < m_down.size()) {
        m_down.set(code, value != 0);
    }
}

VirtualKeyboard& systemVirtualKeyboard() noexcept {
    static VirtualKeyboard keyboard;
    return keyboard;
}

}  // namespace platform::linux_detail
