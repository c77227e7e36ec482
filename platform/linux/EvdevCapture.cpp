#include "platform/linux/EvdevCapture.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/input.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Diagnostics.h"
#include "platform/KeyCodes.h"
#include "platform/linux/KeyboardGrabPolicy.h"

namespace platform::linux_detail {

namespace {

void diagnostic(const std::string& text) noexcept {
    platform::writeLog(platform::LogArea::Platform, text + "\n");
}

// Without systemd-udevd the input devices carry no ID_INPUT_KEYBOARD, so no keyboard would be
// found, and a "udev" monitor would start without error and never report a keyboard plugged
// in. udevd keeps its control socket while it runs (libudev's own test, which needs no rights
// on the socket), and it records every device it has set up in its database.
bool udevRunning(const std::string& controlSocket) noexcept {
    return ::access(controlSocket.c_str(), F_OK) == 0;
}

// Whether udev has set up the event nodes: true when one of them is in its database, or when
// there is no event node at all to tell by.
bool udevSetUpInput(udev* context) noexcept {
    udev_enumerate* en = udev_enumerate_new(context);
    if (en == nullptr) {
        return false;
    }
    udev_enumerate_add_match_subsystem(en, "input");
    udev_enumerate_scan_devices(en);
    bool sawEventNode = false;
    bool initialized = false;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en)) {
        udev_device* dev = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        const char* node = dev != nullptr ? udev_device_get_devnode(dev) : nullptr;
        if (node != nullptr && std::strncmp(node, "/dev/input/event", 16) == 0) {
            sawEventNode = true;
            initialized = initialized || udev_device_get_is_initialized(dev) != 0;
        }
        udev_device_unref(dev);
    }
    udev_enumerate_unref(en);
    return initialized || !sawEventNode;
}

InputDeviceFacts factsOf(udev_device* dev) {
    InputDeviceFacts facts;
    auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string(); };
    facts.devnode = text(udev_device_get_devnode(dev));
    facts.syspath = text(udev_device_get_syspath(dev));
    facts.keyboardProperty = text(udev_device_get_property_value(dev, "ID_INPUT_KEYBOARD"));
    if (udev_device* parent =
            udev_device_get_parent_with_subsystem_devtype(dev, "input", nullptr)) {
        facts.name = text(udev_device_get_sysattr_value(parent, "name"));
    }
    return facts;
}

bool anyKeyDown(int fd) noexcept {
    unsigned char bits[KEY_MAX / 8 + 1] = {};
    if (ioctl(fd, EVIOCGKEY(sizeof bits), bits) < 0) {
        return false;
    }
    return std::any_of(std::begin(bits), std::end(bits), [](unsigned char b) { return b != 0; });
}

}  // namespace

EvdevCapture::EvdevCapture(VirtualKeyboard& keyboard, CapturePaths paths,
                           std::chrono::milliseconds verdictDeadline)
    : m_keyboard(keyboard), m_paths(std::move(paths)), m_handoff(verdictDeadline) {}

EvdevCapture::~EvdevCapture() {
    teardown();
}

void EvdevCapture::setOff(const std::string& reason) noexcept {
    {
        std::lock_guard lock(m_stateMutex);
        m_offReason = reason;
    }
    diagnostic("key capture is off: " + reason);
}

std::string EvdevCapture::captureOffReason() const {
    std::lock_guard lock(m_stateMutex);
    return m_offReason;
}

std::vector<std::string> EvdevCapture::heldNodes() const {
    std::lock_guard lock(m_stateMutex);
    return m_held;
}

bool EvdevCapture::installHook(KeyHookProc proc, bool, void*, std::uint32_t) noexcept {
    if (m_proc != nullptr) {
        return true;
    }
    if (proc == nullptr) {
        return false;
    }
    if (m_emergencyOff) {
        return false;  // the reason stays what the chord set
    }
    if (!m_keyboard.open()) {
        const int error = m_keyboard.errorCode();
        setOff((error == EACCES || error == EPERM ? "no permission to open " : "cannot open ") +
               m_keyboard.uinputPath() + " (" + std::strerror(error) +
               "), so no key could be passed on; see docs/linux-input.md");
        return false;
    }
    if (!udevRunning(m_paths.udevControl)) {
        setOff("udev is not running (no " + m_paths.udevControl + "), so no keyboard can be found");
        return false;
    }
    m_udev = udev_new();
    if (m_udev != nullptr && !udevSetUpInput(m_udev)) {
        setOff(
            "udev has not set up the input devices (is systemd-udevd running?), so no "
            "keyboard can be found");
        teardown();
        return false;
    }
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_stopFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_udev == nullptr || m_epoll < 0 || m_stopFd < 0) {
        setOff("no udev context, epoll or eventfd");
        teardown();
        return false;
    }
    watch(m_stopFd);
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor != nullptr) {
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr);
        udev_monitor_enable_receiving(m_monitor);
        watch(udev_monitor_get_fd(m_monitor));
    }
    m_lightsFd = m_keyboard.fd();
    if (m_lightsFd >= 0) {
        watch(m_lightsFd);
    }
    int found = 0;
    int denied = 0;
    udev_enumerate* en = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(en, "input");
    udev_enumerate_add_match_property(en, "ID_INPUT_KEYBOARD", "1");
    udev_enumerate_scan_devices(en);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en)) {
        udev_device* dev = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (dev != nullptr && decideGrab(factsOf(dev)) == GrabDecision::Grab) {
            ++found;
            int error = 0;
            if (!grab(udev_device_get_devnode(dev), error) && (error == EACCES || error == EPERM)) {
                ++denied;
            }
        }
        udev_device_unref(dev);
    }
    udev_enumerate_unref(en);
    if (found > 0 && denied == found) {
        setOff("no permission to grab the keyboards; see docs/linux-input.md");
        teardown();
        return false;
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_offReason.clear();
    }
    m_proc = proc;
    m_reader = std::thread([this] { readLoop(); });
    return true;
}

bool EvdevCapture::removeHook() noexcept {
    if (m_proc == nullptr) {
        return false;
    }
    teardown();
    return true;
}

std::intptr_t EvdevCapture::callNextHook(int, std::uintptr_t message,
                                         std::intptr_t eventRecord) noexcept {
    const auto* e = reinterpret_cast<const KeyEvent*>(eventRecord);
    if (e == nullptr || m_handoff.currentGivenUp()) {
        // The reader sent this event on itself when we were too slow.
        return 0;
    }
    // Unchanged by the listeners: the key goes out as it came in.
    std::uint16_t code = m_current.linuxCode;
    std::int32_t value = m_current.value;
    if (e->vkCode != m_current.vk || (e->flags & kKeyFlagExtended) != m_current.extended) {
        code = linuxKeyForVirtualKey(static_cast<std::uint8_t>(e->vkCode & 0xFF),
                                     (e->flags & kKeyFlagExtended) != 0);
        value = 1;
    }
    if (isKeyRelease(message)) {
        value = 0;
    } else if (value == 0) {
        value = 1;
    }
    if (code != 0) {
        m_keyboard.emit(EV_KEY, code, value);
    }
    return 0;
}

int EvdevCapture::pollFd() const noexcept {
    return m_proc != nullptr ? m_handoff.wakeFd() : -1;
}

void EvdevCapture::dispatch() noexcept {
    if (m_proc == nullptr) {
        return;
    }
    RawKey raw;
    while (m_handoff.take(raw)) {
        const VirtualKey key = virtualKeyForLinuxKey(raw.code);
        KeyEvent e;
        e.vkCode = key.vk;
        e.scanCode = key.scanCode;
        e.flags = (key.extended ? kKeyFlagExtended : 0) | (raw.value == 0 ? 0x80 : 0);
        e.time = raw.time_ms;
        m_current = Current{key.vk, key.extended ? kKeyFlagExtended : 0u, raw.code, raw.value};
        // The kernel's auto-repeat (value 2) is a repeated press, as on Windows.
        m_proc(0, raw.value == 0 ? kMsgKeyUp : kMsgKeyDown, reinterpret_cast<std::intptr_t>(&e));
        m_current = Current{};
        m_handoff.finish();
    }
}

void EvdevCapture::watch(int fd) noexcept {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
}

bool EvdevCapture::grab(const char* node, int& error) noexcept {
    error = 0;
    if (node == nullptr || m_devices.count(node) != 0) {
        return false;
    }
    // Writable to pass the lock lights on (see forwardLights); read-only still captures.
    int fd = ::open(node, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fd = ::open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        error = errno;
        return false;
    }
    // A key held while we grab would see its release go to the virtual keyboard only, and the
    // desktop would keep repeating it: wait until every key is up.
    if (anyKeyDown(fd)) {
        m_waitingForRelease.push_back(fd);
    } else if (ioctl(fd, EVIOCGRAB, 1) < 0) {
        error = errno;
        ::close(fd);
        return false;
    }
    m_devices[node] = fd;
    {
        std::lock_guard lock(m_stateMutex);
        m_held.push_back(node);
    }
    watch(fd);
    return true;
}

// A device not grabbed yet: its events still reach the desktop directly; we only look.
bool EvdevCapture::grabWhenReleased(int fd) noexcept {
    auto it = std::find(m_waitingForRelease.begin(), m_waitingForRelease.end(), fd);
    if (it == m_waitingForRelease.end()) {
        return false;
    }
    input_event events[64];
    while (read(fd, events, sizeof events) > 0) {
    }
    if (errno == ENODEV) {
        forget(fd);
    } else if (!anyKeyDown(fd)) {
        m_waitingForRelease.erase(it);
        if (ioctl(fd, EVIOCGRAB, 1) < 0) {
            forget(fd);
        }
    }
    return true;
}

void EvdevCapture::forget(int fd) noexcept {
    std::erase(m_waitingForRelease, fd);
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if (it->second == fd) {
            epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
            ::close(fd);
            {
                std::lock_guard lock(m_stateMutex);
                std::erase(m_held, it->first);
            }
            m_devices.erase(it);
            return;
        }
    }
}

// The kernel hands light changes for a grabbed keyboard only to the grabbing reader, so the
// desktop's Caps/Num/Scroll Lock lights would stay as they were. The desktop sets them on the
// virtual keyboard it sees instead; pass them on to every keyboard we hold.
void EvdevCapture::forwardLights() noexcept {
    input_event events[16];
    for (;;) {
        const ssize_t got = read(m_lightsFd, events, sizeof events);
        if (got <= 0) {
            return;
        }
        const std::size_t count = static_cast<std::size_t>(got) / sizeof(input_event);
        for (std::size_t i = 0; i < count; ++i) {
            if (events[i].type != EV_LED) {
                continue;
            }
            input_event out[2]{};
            out[0].type = EV_LED;
            out[0].code = events[i].code;
            out[0].value = events[i].value;
            out[1].type = EV_SYN;
            out[1].code = SYN_REPORT;
            for (const auto& [node, fd] : m_devices) {
                if (write(fd, out, sizeof out) < 0) {
                    // Opened read-only: its lights stay as they are.
                }
            }
        }
        if (count < 16) {
            return;
        }
    }
}

void EvdevCapture::hotplug() noexcept {
    while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        if (action != nullptr && node != nullptr) {
            if (std::strcmp(action, "add") == 0 && decideGrab(factsOf(dev)) == GrabDecision::Grab) {
                int error = 0;
                grab(node, error);
            } else if (std::strcmp(action, "remove") == 0) {
                auto it = m_devices.find(node);
                if (it != m_devices.end()) {
                    forget(it->second);
                }
            }
        }
        udev_device_unref(dev);
    }
}

void EvdevCapture::readLoop() noexcept {
    for (;;) {
        epoll_event ready[16];
        const int n = epoll_wait(m_epoll, ready, 16, -1);
        if (n < 0 && errno != EINTR) {
            return;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = ready[i].data.fd;
            if (fd == m_stopFd) {
                return;
            }
            if (m_monitor != nullptr && fd == udev_monitor_get_fd(m_monitor)) {
                hotplug();
            } else if (fd == m_lightsFd) {
                forwardLights();
            } else if (!readDevice(fd)) {
                return;  // the emergency chord: nothing is held any more
            }
        }
    }
}

bool EvdevCapture::readDevice(int fd) noexcept {
    if (grabWhenReleased(fd)) {
        return true;
    }
    input_event events[64];
    for (;;) {
        const ssize_t got = read(fd, events, sizeof events);
        if (got < 0) {
            if (errno == ENODEV) {
                forget(fd);
            }
            return true;
        }
        const std::size_t count = static_cast<std::size_t>(got) / sizeof(input_event);
        for (std::size_t i = 0; i < count; ++i) {
            if (!handle(events[i])) {
                return false;
            }
        }
        if (count < 64) {
            return true;
        }
    }
}

bool EvdevCapture::handle(const input_event& in) noexcept {
    if (in.type == EV_SYN) {
        return true;  // every event we write carries its own report
    }
    if (in.type == EV_KEY && m_chord.update(in.code, in.value)) {
        emergencyRelease();
        return false;
    }
    if (in.type == EV_KEY && in.code < m_heldOnKeyboards.size() && in.value != 2) {
        m_heldOnKeyboards.set(in.code, in.value != 0);
    }
    if (in.type != EV_KEY || virtualKeyForLinuxKey(in.code).vk == 0) {
        m_keyboard.emit(in.type, in.code, in.value);
        return true;
    }
    const auto time_ms =
        static_cast<std::uint32_t>(in.input_event_sec * 1000 + in.input_event_usec / 1000);
    deliver(in.code, in.value, time_ms);
    return true;
}

void EvdevCapture::deliver(std::uint16_t code, std::int32_t value, std::uint32_t time_ms) noexcept {
    // A key let through unasked keeps going through unasked until it is up: its release going
    // to a listener that re-assigns it would leave the key down on the virtual keyboard.
    if (m_passedDown.count(code) != 0) {
        if (value == 0) {
            m_passedDown.erase(code);
        }
        m_keyboard.emit(EV_KEY, code, value);
        return;
    }
    if (m_handoff.offer(RawKey{code, value, time_ms, false}) == KeyHandoff::Verdict::Handled) {
        m_stallReported = false;
        return;
    }
    if (!m_stallReported) {
        m_stallReported = true;
        diagnostic("the program did not answer a key within " +
                   std::to_string(kVerdictDeadline.count()) +
                   " ms: keys pass unchanged until it does");
    }
    if (value != 0) {
        m_passedDown.insert(code);
    }
    m_keyboard.emit(EV_KEY, code, value);
    // This key's press went to the UI thread, which may have typed something else for it (a
    // re-assigned key's target) that only the release we just took from it would have let go
    // of. Whatever the virtual keyboard holds that no key held on a keyboard accounts for
    // goes up with it: a stalled UI thread must not leave a key down for the desktop.
    if (value == 0) {
        m_keyboard.releaseAllBut(m_heldOnKeyboards);
    }
}

void EvdevCapture::emergencyRelease() noexcept {
    m_emergencyOff = true;
    releaseDevices();
    m_keyboard.releaseAll();
    setOff(
        "Backspace + Escape + Enter were held: every keyboard is released until KeyGlow is "
        "restarted");
}

void EvdevCapture::releaseDevices() noexcept {
    for (auto& [node, fd] : m_devices) {
        ioctl(fd, EVIOCGRAB, 0);
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
        ::close(fd);
    }
    m_devices.clear();
    m_waitingForRelease.clear();
    m_passedDown.clear();
    std::lock_guard lock(m_stateMutex);
    m_held.clear();
}

void EvdevCapture::teardown() noexcept {
    if (m_reader.joinable()) {
        const std::uint64_t one = 1;
        if (::write(m_stopFd, &one, sizeof one) < 0) {
            // An eventfd counter this far from full takes the write.
        }
        m_reader.join();
    }
    releaseDevices();
    m_lightsFd = -1;
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
        m_udev = nullptr;
    }
    if (m_stopFd >= 0) {
        ::close(m_stopFd);
        m_stopFd = -1;
    }
    if (m_epoll >= 0) {
        ::close(m_epoll);
        m_epoll = -1;
    }
    m_proc = nullptr;
}

}  // namespace platform::linux_detail
