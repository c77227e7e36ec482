#pragma once

#include <string>

namespace platform::linux_detail {

// What udev tells about one input device node, enough to decide whether capture takes it.
struct InputDeviceFacts {
    std::string devnode;           // "/dev/input/event3"; empty when the device has no node
    std::string syspath;           // "/sys/devices/.../input/input3/event3"
    std::string keyboardProperty;  // udev's ID_INPUT_KEYBOARD, empty when not set
    std::string name;              // the input device's name
};

enum class GrabDecision {
    Grab,              // a keyboard: held exclusively, its keys go through the hook
    NotAKeyboard,      // a mouse, a joystick, a node that is no event node
    SoftwareKeyboard,  // made through uinput by a program: its keys are synthesized already
    OwnKeyboard,       // the virtual keyboard through which we type ourselves
};

// A keyboard made through uinput sits under /sys/devices/virtual/input/. A uhid device is not
// one of them: Bluetooth LE keyboards come through uhid (under /sys/devices/virtual/misc/uhid/)
// and are keyboards like any USB one.
GrabDecision decideGrab(const InputDeviceFacts& device);

// The name of our own virtual keyboard.
inline constexpr char kVirtualKeyboardName[] = "KeyGlow virtual keyboard";

}  // namespace platform::linux_detail
