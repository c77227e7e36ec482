#pragma once

#include <functional>

namespace platform {

// Something that produces events on other threads or in the kernel and hands them to the
// program on the thread that calls dispatch() (the UI thread). The UI event loop learns that
// there is something to dispatch in one of two ways:
//  - pollFd() >= 0: a descriptor that becomes readable (a Qt QSocketNotifier watches it);
//  - otherwise the ready callback, called from any thread whenever new events wait (the UI
//    layer posts a queued call of dispatch() from it).
// A source whose events already arrive on the UI thread (a Windows message window) delivers
// them as they come and has neither.
class EventSource {
public:
    virtual ~EventSource() = default;

    virtual int pollFd() const { return -1; }

    // Set before events can arrive; called without any lock of the source held.
    virtual void setReadyCallback(std::function<void()> ready) { (void)ready; }

    // Delivers every pending event on the calling thread. Never blocks.
    virtual void dispatch() = 0;
};

}  // namespace platform
