#include "macro/PlaybackQueue.h"

bool PlaybackQueue::append(const MacroStep& step) noexcept {
    {
        Guard g(m_worker);
        if (m_steps.size() >= kCapacity) {
            return false;
        }
        m_steps.push_back(std::make_unique<MacroStep>(step));
    }
    m_worker.Notify();
    return true;
}

bool PlaybackQueue::empty() const noexcept {
    Guard g(m_worker);
    return m_steps.empty();
}

std::size_t PlaybackQueue::size() const noexcept {
    Guard g(m_worker);
    return m_steps.size();
}

bool PlaybackQueue::backMatches(const MacroStep& step) const noexcept {
    Guard g(m_worker);
    if (m_steps.empty()) {
        return false;
    }
    const MacroStep& last = *m_steps.back();
    return last.code == step.code && last.state == step.state && last.delay == step.delay;
}

bool PlaybackQueue::cutToReleases() noexcept {
    Guard g(m_worker);
    for (auto& s : m_steps) {
        s->delay = 0;
        s->state = 1;
    }
    return !m_steps.empty();
}

std::size_t PlaybackQueue::popFront() noexcept {
    Guard g(m_worker);
    if (!m_steps.empty()) {
        m_steps.pop_front();
    }
    return m_steps.size();
}

void PlaybackQueue::clear() noexcept {
    Guard g(m_worker);
    m_steps.clear();
}
