#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform::linux_detail {

// One key event as the evdev node delivered it.
struct RawKey {
    std::uint16_t code = 0;
    std::int32_t value = 0;  // 1 press, 0 release, 2 auto-repeat
    std::uint32_t time_ms = 0;
    bool injected = false;
};

// Hands key events from the evdev reader thread to the UI thread one at a time and lets the
// reader wait for the verdict, but never for long: the keyboards are held exclusively, so a UI
// thread that hangs (a stuck dialog, a slow disk) would take every keyboard of the desktop
// away. Past the deadline the reader sends the event on unchanged and goes on doing so, without
// asking, until the UI thread comes back (Windows skips a hook that takes too long the same
// way). The UI thread comes back when it next looks for work: it finds the event it missed,
// which is dropped because it has gone out already.
class KeyHandoff {
public:
    enum class Verdict {
        Handled,   // the UI thread dealt with it: swallowed it, or sent it on itself
        PassedOn,  // the UI thread did not answer in time: the reader sends it on unchanged
    };

    explicit KeyHandoff(std::chrono::milliseconds deadline);
    ~KeyHandoff();
    KeyHandoff(const KeyHandoff&) = delete;
    KeyHandoff& operator=(const KeyHandoff&) = delete;

    // Reader thread. Blocks until the UI thread has handled `key` or the deadline passed.
    Verdict offer(const RawKey& key);

    // Readable (an eventfd) while an event waits for the UI thread.
    int wakeFd() const noexcept { return m_wakeFd; }

    // UI thread: takes the waiting event, if any. Between take and finish the event is the
    // current one; the hook procedure runs in between.
    bool take(RawKey& out);
    void finish();
    // UI thread, between take and finish: whether the reader gave the current event up meanwhile
    // (and sent it on itself), so that the UI thread must not send it again.
    bool currentGivenUp();

    // Whether the reader is passing events on without asking.
    bool uiBehind();

private:
    enum class Slot { Empty, Waiting, Taken, Done, GivenUp };

    void clearWake() noexcept;

    const std::chrono::milliseconds m_deadline;
    int m_wakeFd = -1;
    std::mutex m_mutex;
    std::condition_variable m_answered;
    Slot m_slot = Slot::Empty;
    RawKey m_key;
    bool m_uiBehind = false;
};

}  // namespace platform::linux_detail
