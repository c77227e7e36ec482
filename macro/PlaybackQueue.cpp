#include "macro/PlaybackQueue.h"

#include <algorithm>

PlaybackQueue::PlaybackQueue(ISimpleThread& worker, std::size_t capacity)
    : m_worker(worker),
      m_capacity(std::max<std::size_t>(capacity, 1)),
      m_ring(std::make_unique<PlayStep[]>(m_capacity)) {}

bool PlaybackQueue::taken(const MacroStep& step, Take take) noexcept {
    switch (take) {
        case Take::Presses:
            return step.state == 0;
        case Take::Releases:
            return step.state != 0;
        case Take::All:
            break;
    }
    return true;
}

std::size_t PlaybackQueue::count(const std::vector<MacroStep>& steps, Take take) noexcept {
    return static_cast<std::size_t>(std::count_if(
        steps.begin(), steps.end(), [take](const MacroStep& s) { return taken(s, take); }));
}

std::size_t PlaybackQueue::freeRoom() const noexcept {
    return m_capacity - m_size - std::min(m_held, m_capacity - m_size);
}

void PlaybackQueue::push(const MacroStep& step) noexcept {
    m_ring[(m_head + m_size) % m_capacity] = PlayStep{step.code, step.state, step.delay};
    ++m_size;
}

void PlaybackQueue::push(const std::vector<MacroStep>& steps, Take take) noexcept {
    for (const MacroStep& step : steps) {
        if (taken(step, take)) {
            push(step);
        }
    }
}

std::size_t PlaybackQueue::append(const std::vector<MacroStep>& steps, std::size_t copies,
                                  Take take) noexcept {
    const std::size_t perCopy = count(steps, take);
    // Nothing to queue also ends a repeat count of 2^31 at once.
    if (perCopy == 0 || copies == 0) {
        return 0;
    }
    std::size_t queued = 0;
    {
        Guard g(m_worker);
        queued = std::min(copies, freeRoom() / perCopy);
        for (std::size_t i = 0; i < queued; ++i) {
            push(steps, take);
        }
    }
    if (queued > 0) {
        m_worker.Notify();
    }
    return queued;
}

bool PlaybackQueue::appendPressesHoldingReleases(const std::vector<MacroStep>& steps) noexcept {
    const std::size_t presses = count(steps, Take::Presses);
    const std::size_t releases = count(steps, Take::Releases);
    {
        Guard g(m_worker);
        if (freeRoom() < presses + releases) {
            return false;
        }
        push(steps, Take::Presses);
        m_held += releases;
    }
    if (presses > 0) {
        m_worker.Notify();
    }
    return true;
}

void PlaybackQueue::appendHeldReleases(const std::vector<MacroStep>& steps) noexcept {
    const std::size_t releases = count(steps, Take::Releases);
    bool queued = false;
    {
        Guard g(m_worker);
        m_held -= std::min(m_held, releases);
        // Releases never leave a key down, so as many as fit go in, one by one.
        for (const MacroStep& step : steps) {
            if (taken(step, Take::Releases) && freeRoom() > 0) {
                push(step);
                queued = true;
            }
        }
    }
    if (queued) {
        m_worker.Notify();
    }
}

bool PlaybackQueue::append(const MacroStep& step) noexcept {
    {
        Guard g(m_worker);
        if (freeRoom() == 0) {
            return false;
        }
        push(step);
    }
    m_worker.Notify();
    return true;
}

bool PlaybackQueue::empty() const noexcept {
    Guard g(m_worker);
    return m_size == 0;
}

std::size_t PlaybackQueue::size() const noexcept {
    Guard g(m_worker);
    return m_size;
}

std::size_t PlaybackQueue::heldRoom() const noexcept {
    Guard g(m_worker);
    return m_held;
}

bool PlaybackQueue::backMatches(const MacroStep& step) const noexcept {
    Guard g(m_worker);
    if (m_size == 0) {
        return false;
    }
    const PlayStep& last = m_ring[(m_head + m_size - 1) % m_capacity];
    return last.code == step.code && last.state == step.state && last.delay == step.delay;
}

bool PlaybackQueue::cutToReleases() noexcept {
    Guard g(m_worker);
    for (std::size_t i = 0; i < m_size; ++i) {
        PlayStep& s = m_ring[(m_head + i) % m_capacity];
        s.delay = 0;
        s.state = 1;
    }
    return m_size != 0;
}

std::size_t PlaybackQueue::popFront() noexcept {
    Guard g(m_worker);
    if (m_size != 0) {
        m_head = (m_head + 1) % m_capacity;
        --m_size;
    }
    return m_size;
}

void PlaybackQueue::clear() noexcept {
    Guard g(m_worker);
    m_head = 0;
    m_size = 0;
    m_held = 0;
}
