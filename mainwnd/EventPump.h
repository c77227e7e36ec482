#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/EventSource.h"

namespace kg {

// Calls `onReadable` on the UI thread whenever descriptor `fd` becomes readable (a device
// monitor, the key source, the single-instance socket, the signal pipe). Nothing is watched
// for a negative descriptor.
class FdWatch : public QObject {
    Q_OBJECT
public:
    FdWatch(int fd, std::function<void()> onReadable, QObject* parent = nullptr);
    bool active() const { return m_notifier != nullptr; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onReadable;
};

// Brings the events of an EventSource into the Qt loop: through its descriptor when it has
// one, otherwise through its ready callback, which may come from any thread and queues one
// dispatch() on the UI thread. Ready calls that arrive after the pump is gone are dropped.
class EventPump : public QObject {
    Q_OBJECT
public:
    explicit EventPump(platform::EventSource& source, QObject* parent = nullptr);
    ~EventPump() override;
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;

private:
    struct Target {
        std::mutex mutex;
        EventPump* pump = nullptr;
    };
    void dispatchNow();

    platform::EventSource& m_source;
    std::unique_ptr<FdWatch> m_watch;
    std::shared_ptr<Target> m_target;
};

}  // namespace kg
