#include "platform/linux/KeyboardGrabPolicy.h"

namespace platform::linux_detail {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

GrabDecision decideGrab(const InputDeviceFacts& device) {
    if (device.keyboardProperty != "1" || !startsWith(device.devnode, "/dev/input/event")) {
        return GrabDecision::NotAKeyboard;
    }
    if (device.name == kVirtualKeyboardName) {
        return GrabDecision::OwnKeyboard;
    }
    if (startsWith(device.syspath, "/sys/devices/virtual/input/")) {
        return GrabDecision::SoftwareKeyboard;
    }
    return GrabDecision::Grab;
}

}  // namespace platform::linux_detail
