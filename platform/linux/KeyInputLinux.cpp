// Key capture and output on Linux. Every keyboard's evdev node is grabbed (EVIOCGRAB), so its
// events reach nobody but us; each key event is offered to the hook procedure on the UI thread
// (which polls pollFd() and calls dispatch()), and what no listener swallows goes out again
// through one uinput virtual keyboard. Synthesised keys go out through the same device. We
// never grab our own device, so nothing we send comes back into the hook: that is what the
// Windows marker achieves there.

#include <fcntl.h>
#include <libudev.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/KeyCodes.h"
#include "platform/KeyInput.h"
#include "platform/linux/NativePath.h"

namespace platform {
namespace {

constexpr char kVirtualKeyboardName[] = "KeyGlow virtual keyboard";

void diagnostic(const char* text) noexcept {
    std::string line(text);
    line.push_back('\n');
    platform::writeLog(platform::LogArea::Platform, line);
}

std::string utf8(const std::wstring& w) {
    return platform::linux_detail::nativePath(w);
}

// Splits an argument string the way a shell would for plain words and double quotes.
std::vector<std::string> splitArguments(const std::string& text) {
    std::vector<std::string> out;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                out.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) {
        out.push_back(word);
    }
    return out;
}

// "~" and "~/..." name the user's home folder, as in a shell; the shipped configuration opens
// the home folder in the desktop's file manager that way.
std::string expandHome(const std::string& file) {
    if (file != "~" && file.rfind("~/", 0) != 0) {
        return file;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return file;
    }
    return std::string(home) + file.substr(1);
}

// Starts a program that outlives us and that we never wait for: a double fork, so the
// program is re-parented to init and leaves no zombie behind.
void spawnDetached(const std::vector<std::string>& args) noexcept {
    if (args.empty()) {
        return;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            const int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
            }
            execvp(argv[0], argv.data());
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

// The one uinput keyboard of the process, shared by the pass-through on the UI thread and
// the player on the worker; each event with its report is written under the lock.
class VirtualKeyboard {
public:
    bool open() noexcept {
        std::lock_guard lock(m_mutex);
        if (m_fd >= 0) {
            return true;
        }
        if (m_failed) {
            return false;
        }
        // Read as well as written: the desktop sets its lock lights on this keyboard.
        const int fd = ::open("/dev/uinput", O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
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
        for (int code :
             {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
            ioctl(fd, UI_SET_RELBIT, code);
        }
        uinput_setup setup{};
        setup.id.bustype = BUS_VIRTUAL;
        std::snprintf(setup.name, sizeof setup.name, "%s", kVirtualKeyboardName);
        if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0) {
            ::close(fd);
            m_failed = true;
            return false;
        }
        m_fd = fd;
        return true;
    }

    // The descriptor the desktop's light changes arrive on; -1 before open.
    int fd() noexcept {
        std::lock_guard lock(m_mutex);
        return m_fd;
    }

    void emit(std::uint16_t type, std::uint16_t code, std::int32_t value, bool report) noexcept {
        if (!open()) {
            return;
        }
        std::lock_guard lock(m_mutex);
        input_event ev[2]{};
        ev[0].type = type;
        ev[0].code = code;
        ev[0].value = value;
        ev[1].type = EV_SYN;
        ev[1].code = SYN_REPORT;
        const std::size_t bytes = report ? sizeof ev : sizeof ev[0];
        if (write(m_fd, ev, bytes) < 0) {
            // A full uinput buffer drops the event; there is nobody to tell.
        }
    }

private:
    std::mutex m_mutex;
    int m_fd = -1;
    bool m_failed = false;
};

VirtualKeyboard& virtualKeyboard() noexcept {
    static VirtualKeyboard keyboard;
    return keyboard;
}

bool isKeyboard(udev_device* dev) {
    const char* node = udev_device_get_devnode(dev);
    const char* kbd = udev_device_get_property_value(dev, "ID_INPUT_KEYBOARD");
    return node != nullptr && kbd != nullptr && std::strcmp(kbd, "1") == 0 &&
           std::strncmp(node, "/dev/input/event", 16) == 0;
}

// A keyboard that software made through uinput (an on-screen keyboard, a remapper, a key
// typing tool): the kernel files every such device under the virtual devices. Its keys are
// synthesized, as Windows marks them with the injected flag.
bool isSoftwareKeyboard(udev_device* dev) {
    const char* path = udev_device_get_syspath(dev);
    return path != nullptr && std::strncmp(path, "/sys/devices/virtual/", 21) == 0;
}

class LinuxKeyInput final : public KeyInput {
public:
    bool installHook(KeyHookProc proc, bool, void*, std::uint32_t) noexcept override {
        if (m_proc != nullptr) {
            return true;
        }
        if (proc == nullptr) {
            return false;
        }
        if (!virtualKeyboard().open()) {
            diagnostic(
                "key capture is off: /dev/uinput cannot be opened (see docs/linux-input.md)");
            return false;
        }
        m_udev = udev_new();
        m_epoll = epoll_create1(EPOLL_CLOEXEC);
        if (m_udev == nullptr || m_epoll < 0) {
            diagnostic("key capture is off: no udev or epoll");
            teardown();
            return false;
        }
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_monitor != nullptr) {
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr);
            udev_monitor_enable_receiving(m_monitor);
            watch(udev_monitor_get_fd(m_monitor));
        }
        m_lightsFd = virtualKeyboard().fd();
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
            udev_device* dev =
                udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (dev != nullptr && isKeyboard(dev)) {
                ++found;
                if (!grab(udev_device_get_devnode(dev), isSoftwareKeyboard(dev)) &&
                    errno == EACCES) {
                    ++denied;
                }
            }
            udev_device_unref(dev);
        }
        udev_enumerate_unref(en);
        if (found > 0 && denied == found) {
            diagnostic(
                "key capture is off: no permission to grab the keyboards (see "
                "docs/linux-input.md)");
            teardown();
            return false;
        }
        m_proc = proc;
        return true;
    }

    bool removeHook() noexcept override {
        if (m_proc == nullptr) {
            return false;
        }
        teardown();
        return true;
    }

    std::intptr_t callNextHook(int, std::uintptr_t message,
                               std::intptr_t eventRecord) noexcept override {
        const auto* e = reinterpret_cast<const KeyEvent*>(eventRecord);
        if (e == nullptr) {
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
            virtualKeyboard().emit(EV_KEY, code, value, true);
        }
        return 0;
    }

    int pollFd() const noexcept override { return m_epoll; }

    void dispatch() noexcept override {
        if (m_proc == nullptr) {
            return;
        }
        epoll_event ready[16];
        const int n = epoll_wait(m_epoll, ready, 16, 0);
        for (int i = 0; i < n; ++i) {
            const int fd = ready[i].data.fd;
            if (m_monitor != nullptr && fd == udev_monitor_get_fd(m_monitor)) {
                hotplug();
            } else if (fd == m_lightsFd) {
                forwardLights();
            } else {
                readDevice(fd);
            }
        }
    }

private:
    struct Current {
        std::uint32_t vk = 0;
        std::uint32_t extended = 0;
        std::uint16_t linuxCode = 0;
        std::int32_t value = 0;
    };

    void watch(int fd) noexcept {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
    }

    bool grab(const char* node, bool software) noexcept {
        if (node == nullptr || m_devices.count(node) != 0) {
            return false;
        }
        // Writable to pass the lock lights on (see forwardLights); read-only still captures.
        int fd = ::open(node, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            fd = ::open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        }
        if (fd < 0) {
            return false;
        }
        char name[256] = {};
        ioctl(fd, EVIOCGNAME(sizeof name - 1), name);
        if (std::strcmp(name, kVirtualKeyboardName) == 0) {
            ::close(fd);
            return false;
        }
        // A key held while we grab would see its release go to the virtual keyboard only,
        // and the desktop would keep repeating it: wait until every key is up.
        if (anyKeyDown(fd)) {
            m_waitingForRelease.push_back(fd);
        } else if (ioctl(fd, EVIOCGRAB, 1) < 0) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return false;
        }
        m_devices[node] = fd;
        if (software) {
            m_softwareKeyboards.insert(fd);
        }
        watch(fd);
        return true;
    }

    static bool anyKeyDown(int fd) noexcept {
        unsigned char bits[KEY_MAX / 8 + 1] = {};
        if (ioctl(fd, EVIOCGKEY(sizeof bits), bits) < 0) {
            return false;
        }
        for (unsigned char b : bits) {
            if (b != 0) {
                return true;
            }
        }
        return false;
    }

    // A device not grabbed yet: its events still reach the desktop directly; we only look.
    bool grabWhenReleased(int fd) noexcept {
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

    void forget(int fd) noexcept {
        std::erase(m_waitingForRelease, fd);
        m_softwareKeyboards.erase(fd);
        for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
            if (it->second == fd) {
                epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
                ::close(fd);
                m_devices.erase(it);
                return;
            }
        }
    }

    // The kernel hands light changes for a grabbed keyboard only to the grabbing reader, so
    // the desktop's Caps/Num/Scroll Lock lights would stay as they were. The desktop sets them
    // on the virtual keyboard it sees instead; pass them on to every keyboard we hold.
    void forwardLights() noexcept {
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

    void hotplug() noexcept {
        udev_device* dev = udev_monitor_receive_device(m_monitor);
        if (dev == nullptr) {
            return;
        }
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        if (action != nullptr && node != nullptr) {
            if (std::strcmp(action, "add") == 0 && isKeyboard(dev)) {
                grab(node, isSoftwareKeyboard(dev));
            } else if (std::strcmp(action, "remove") == 0) {
                auto it = m_devices.find(node);
                if (it != m_devices.end()) {
                    forget(it->second);
                }
            }
        }
        udev_device_unref(dev);
    }

    void readDevice(int fd) noexcept {
        if (grabWhenReleased(fd)) {
            return;
        }
        input_event events[64];
        for (;;) {
            const ssize_t got = read(fd, events, sizeof events);
            if (got < 0) {
                if (errno == ENODEV) {
                    forget(fd);
                }
                return;
            }
            const std::size_t count = static_cast<std::size_t>(got) / sizeof(input_event);
            const bool injected = m_softwareKeyboards.count(fd) != 0;
            for (std::size_t i = 0; i < count; ++i) {
                handle(events[i], injected);
            }
            if (count < 64) {
                return;
            }
        }
    }

    void handle(const input_event& in, bool injected) noexcept {
        if (in.type == EV_SYN) {
            return;  // every event we write carries its own report
        }
        const VirtualKey key = in.type == EV_KEY ? virtualKeyForLinuxKey(in.code) : VirtualKey{};
        if (key.vk == 0) {
            virtualKeyboard().emit(in.type, in.code, in.value, true);
            return;
        }
        KeyEvent e;
        e.vkCode = key.vk;
        e.scanCode = key.scanCode;
        e.flags = (key.extended ? kKeyFlagExtended : 0) | (injected ? kKeyFlagInjected : 0) |
                  (in.value == 0 ? 0x80 : 0);
        e.time = static_cast<std::uint32_t>(in.input_event_sec * 1000 + in.input_event_usec / 1000);
        m_current = Current{key.vk, key.extended ? kKeyFlagExtended : 0u, in.code, in.value};
        // The kernel's auto-repeat (value 2) is a repeated press, as on Windows.
        m_proc(0, in.value == 0 ? kMsgKeyUp : kMsgKeyDown, reinterpret_cast<std::intptr_t>(&e));
        m_current = Current{};
    }

    void teardown() noexcept {
        for (auto& [node, fd] : m_devices) {
            ioctl(fd, EVIOCGRAB, 0);
            ::close(fd);
        }
        m_devices.clear();
        m_waitingForRelease.clear();
        m_softwareKeyboards.clear();
        m_lightsFd = -1;
        if (m_monitor != nullptr) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
        if (m_udev != nullptr) {
            udev_unref(m_udev);
            m_udev = nullptr;
        }
        if (m_epoll >= 0) {
            ::close(m_epoll);
            m_epoll = -1;
        }
        m_proc = nullptr;
    }

    KeyHookProc m_proc = nullptr;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_epoll = -1;
    std::map<std::string, int> m_devices;
    std::vector<int> m_waitingForRelease;
    std::set<int> m_softwareKeyboards;  // fds of keyboards made by software
    int m_lightsFd = -1;                // the virtual keyboard's, owned by it
    Current m_current;
};

class LinuxKeyOutput final : public KeyOutput {
public:
    void sendKey(std::uint8_t vk, std::uint8_t, std::uint32_t flags,
                 std::uintptr_t) noexcept override {
        const std::uint16_t code = linuxKeyForVirtualKey(vk, (flags & kSendExtendedKey) != 0);
        if (code != 0) {
            virtualKeyboard().emit(EV_KEY, code, (flags & kSendKeyUp) ? 0 : 1, true);
        }
    }

    std::uint32_t scanCodeFor(std::uint32_t code) noexcept override {
        return scanCodeForVirtualKey(code);
    }

    void openProgram(void*, const std::wstring& path,
                     const std::wstring& arguments) noexcept override {
        if (path.empty()) {
            return;
        }
        const std::string file = expandHome(utf8(path));
        struct stat st {};
        const bool isProgram = file.find('/') == std::string::npos ||
                               (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                                access(file.c_str(), X_OK) == 0);
        if (isProgram) {
            std::vector<std::string> args{file};
            for (std::string& a : splitArguments(utf8(arguments))) {
                args.push_back(std::move(a));
            }
            spawnDetached(args);
        } else {
            // A document, folder or address: the desktop's default handler opens it.
            spawnDetached({"xdg-open", file});
        }
    }

    void lockWorkstation() noexcept override { spawnDetached({"loginctl", "lock-session"}); }
};

}  // namespace

KeyInput& systemKeyInput() noexcept {
    static LinuxKeyInput input;
    return input;
}

KeyOutput& systemKeyOutput() noexcept {
    static LinuxKeyOutput output;
    return output;
}

}  // namespace platform
