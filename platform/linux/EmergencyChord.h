#pragma once

#include <cstdint>

namespace platform::linux_detail {

// Backspace + Escape + Enter held together on the keyboards we hold: the way out when a
// re-assignment or a stuck program has taken the keyboard away. Fed with every key event of the
// held keyboards (Linux key codes); reports once, when the third key of the chord goes down.
class EmergencyChord {
public:
    // value: 1 press, 0 release, 2 auto-repeat. True when the chord is complete now.
    bool update(std::uint16_t code, std::int32_t value) noexcept;

private:
    unsigned m_down = 0;  // one bit per chord key
    bool m_fired = false;
};

}  // namespace platform::linux_detail
