#include "platform/linux/EmergencyChord.h"

#include <linux/input-event-codes.h>

namespace platform::linux_detail {

namespace {

unsigned bitOf(std::uint16_t code) {
    switch (code) {
        case KEY_BACKSPACE:
            return 1u;
        case KEY_ESC:
            return 2u;
        case KEY_ENTER:
        case KEY_KPENTER:
            return 4u;
        default:
            return 0u;
    }
}

}  // namespace

bool EmergencyChord::update(std::uint16_t code, std::int32_t value) noexcept {
    const unsigned bit = bitOf(code);
    if (bit == 0 || value == 2) {
        return false;
    }
    if (value == 0) {
        m_down &= ~bit;
        return false;
    }
    m_down |= bit;
    if (m_down == 7u && !m_fired) {
        m_fired = true;
        return true;
    }
    return false;
}

}  // namespace platform::linux_detail
