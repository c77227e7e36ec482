#include "mainwnd/EventPump.h"

#include <utility>

namespace kg {

FdWatch::FdWatch(int fd, std::function<void()> onReadable, QObject* parent)
    : QObject(parent), m_onReadable(std::move(onReadable)) {
    if (fd < 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        if (m_onReadable) {
            m_onReadable();
        }
    });
}

EventPump::EventPump(platform::EventSource& source, QObject* parent)
    : QObject(parent), m_source(source), m_target(std::make_shared<Target>()) {
    m_target->pump = this;
    const int fd = m_source.pollFd();
    if (fd >= 0) {
        m_watch = std::make_unique<FdWatch>(fd, [this] { m_source.dispatch(); });
        return;
    }
    std::weak_ptr<Target> weak = m_target;
    m_source.setReadyCallback([weak] {
        const std::shared_ptr<Target> target = weak.lock();
        if (!target) {
            return;
        }
        std::lock_guard lock(target->mutex);
        if (target->pump) {
            // Queued to the pump's thread; Qt drops it if the pump is deleted before it runs.
            QMetaObject::invokeMethod(target->pump, &EventPump::dispatchNow, Qt::QueuedConnection);
        }
    });
}

EventPump::~EventPump() {
    std::lock_guard lock(m_target->mutex);
    m_target->pump = nullptr;
}

void EventPump::dispatchNow() {
    m_source.dispatch();
}

}  // namespace kg
