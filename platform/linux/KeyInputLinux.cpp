// The process's key capture on Linux: evdev grab with the uinput virtual keyboard
// (EvdevCapture); key output lives in KeyOutputLinux.cpp.

#include "platform/KeyInput.h"
#include "platform/linux/EvdevCapture.h"
#include "platform/linux/VirtualKeyboard.h"

namespace platform {

KeyInput& systemKeyInput() noexcept {
    static linux_detail::EvdevCapture input(linux_detail::systemVirtualKeyboard());
    return input;
}

}  // namespace platform
