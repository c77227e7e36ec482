#pragma once

// Translation between Linux input key codes, Windows virtual-key codes and PC scan codes,
// for the backends that have no virtual keys of their own (Linux, the emulator).

#include <cstdint>

namespace platform {

struct VirtualKey {
    std::uint8_t vk = 0;        // 0: the key has no virtual-key code
    bool extended = false;      // the event carries the extended-key flag
    std::uint8_t scanCode = 0;  // set-1 make code without the E0 prefix
};

// The virtual key that a Linux KEY_* code produces on a US layout.
VirtualKey virtualKeyForLinuxKey(std::uint16_t linuxCode) noexcept;

// The Linux KEY_* code that types virtual key vk; extended picks between keys sharing a
// virtual key (keypad Enter and Enter). The side-neutral Shift, Control and Menu keys map to
// their left keys. 0 when there is none.
std::uint16_t linuxKeyForVirtualKey(std::uint8_t vk, bool extended) noexcept;

// MapVirtualKeyW(code, MAPVK_VK_TO_VSC) on a US layout: 0 for an unknown code or one above 255.
std::uint32_t scanCodeForVirtualKey(std::uint32_t code) noexcept;

}  // namespace platform
