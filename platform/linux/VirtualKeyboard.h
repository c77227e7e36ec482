#pragma once

#include <bitset>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/linux/KeyboardGrabPolicy.h"

namespace platform::linux_detail {

// The uinput keyboard through which keys that capture passes on, and keys we synthesise, reach
// the desktop. Shared by the capture's reader thread, the UI thread and the key player on the
// worker; each event with its report is written under one lock.
class VirtualKeyboard {
public:
    // One bit per key code (KEY_MAX + 1).
    using KeySet = std::bitset<0x300>;

    // `name` is what the desktop sees; tests give theirs another so that they can tell it apart.
    explicit VirtualKeyboard(std::string uinputPath = "/dev/uinput",
                             std::string name = kVirtualKeyboardName);
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // Creates the device on first use. False when /dev/uinput cannot be opened or refuses;
    // errorCode() then tells why. A failure is not retried.
    bool open() noexcept;
    int errorCode() const noexcept;
    const std::string& uinputPath() const noexcept { return m_path; }

    // The descriptor the desktop's lock-light changes arrive on; -1 before open.
    int fd() noexcept;

    void emit(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept;

    // Releases every key this keyboard holds down, so that nothing stays pressed when capture
    // lets go of the keyboards.
    void releaseAll() noexcept;
    // Releases every key this keyboard holds down except those in `kept`.
    void releaseAllBut(const KeySet& kept) noexcept;

private:
    void write(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept;

    const std::string m_path;
    const std::string m_name;
    std::mutex m_mutex;
    int m_fd = -1;
    int m_error = 0;
    bool m_failed = false;
    KeySet m_down;
};

// The process's virtual keyboard.
VirtualKeyboard& systemVirtualKeyboard() noexcept;

}  // namespace platform::linux_detail
