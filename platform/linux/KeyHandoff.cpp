#include "platform/linux/KeyHandoff.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::linux_detail {

KeyHandoff::KeyHandoff(std::chrono::milliseconds deadline)
    : m_deadline(deadline), m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

KeyHandoff::~KeyHandoff() {
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

KeyHandoff::Verdict KeyHandoff::offer(const RawKey& key) {
    std::unique_lock lock(m_mutex);
    if (m_uiBehind) {
        return Verdict::PassedOn;
    }
    m_key = key;
    m_slot = Slot::Waiting;
    const std::uint64_t one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0) {
        // The counter is far from full; a failed write leaves the wake-up pending anyway.
    }
    const bool answered =
        m_answered.wait_for(lock, m_deadline, [&] { return m_slot == Slot::Done; });
    if (answered) {
        m_slot = Slot::Empty;
        return Verdict::Handled;
    }
    // Still waiting, or taken and not finished: either way the UI thread is too slow.
    m_slot = Slot::GivenUp;
    m_uiBehind = true;
    return Verdict::PassedOn;
}

void KeyHandoff::clearWake() noexcept {
    std::uint64_t count = 0;
    if (::read(m_wakeFd, &count, sizeof count) < 0) {
        // Nothing pending.
    }
}

bool KeyHandoff::take(RawKey& out) {
    clearWake();
    std::lock_guard lock(m_mutex);
    if (m_slot == Slot::GivenUp) {
        // The event we missed has gone out unchanged; we are back.
        m_slot = Slot::Empty;
        m_uiBehind = false;
        return false;
    }
    if (m_slot != Slot::Waiting) {
        return false;
    }
    m_slot = Slot::Taken;
    out = m_key;
    return true;
}

void KeyHandoff::finish() {
    {
        std::lock_guard lock(m_mutex);
        if (m_slot == Slot::GivenUp) {
            m_slot = Slot::Empty;
            m_uiBehind = false;
            return;
        }
        if (m_slot != Slot::Taken) {
            return;
        }
        m_slot = Slot::Done;
    }
    m_answered.notify_one();
}

bool KeyHandoff::currentGivenUp() {
    std::lock_guard lock(m_mutex);
    return m_slot == Slot::GivenUp;
}

bool KeyHandoff::uiBehind() {
    std::lock_guard lock(m_mutex);
    return m_uiBehind;
}

}  // namespace platform::linux_detail
