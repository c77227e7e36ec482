#pragma once

#include <cstddef>
#include <deque>
#include <memory>

#include "runtime/SimpleThread.h"
#include "settings/MacroStore.h"

// The key steps waiting to be played, oldest first. The UI thread appends copies (so later
// changes never touch a stored record) and the worker plays and removes the front one. Every
// access takes the worker's user lock; appending asks the worker for a pass.
class PlaybackQueue {
public:
    explicit PlaybackQueue(ISimpleThread& worker) : m_worker(worker) {}
    PlaybackQueue(const PlaybackQueue&) = delete;
    PlaybackQueue& operator=(const PlaybackQueue&) = delete;

    // At most this many steps wait at once. A repeat count from a hand-edited record.xml can be
    // anything up to 2^31; queueing that many copies inside the hook would stall every key of the
    // desktop and exhaust memory, so steps beyond the limit are dropped.
    static constexpr std::size_t kCapacity = 100000;

    // Appends a copy; false (and nothing queued) when the queue already holds kCapacity steps.
    bool append(const MacroStep& step) noexcept;

    bool empty() const noexcept;
    std::size_t size() const noexcept;

    // Whether the newest queued step has the code, state and delay of step.
    bool backMatches(const MacroStep& step) const noexcept;

    // Turns every queued step into a release with no delay; returns whether any was queued.
    bool cutToReleases() noexcept;

    // Copies the front step; false when the queue is empty. onCopied runs under the same lock.
    template <class F>
    bool copyFront(MacroStep& out, F&& onCopied) const noexcept {
        Guard g(m_worker);
        if (m_steps.empty()) {
            return false;
        }
        out = *m_steps.front();
        onCopied();
        return true;
    }

    // Frees the front step; returns how many steps are left.
    std::size_t popFront() noexcept;

    void clear() noexcept;

    // For the owner, under its own Lock/Unlock pair.
    ISimpleThread& worker() const noexcept { return m_worker; }

private:
    struct Guard {
        explicit Guard(ISimpleThread& t) : thread(t) { thread.Lock(); }
        ~Guard() { thread.Unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        ISimpleThread& thread;
    };

    ISimpleThread& m_worker;
    std::deque<std::unique_ptr<MacroStep>> m_steps;
};
