#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// The result of claiming the single-instance name at start-up.
enum class InstanceClaim {
    // This process is the first: it goes on and creates its main window.
    First,
    // Another process holds the name; it has been asked to show its main window and come to
    // the front, and this process exits with code 0.
    AnotherRunning,
};

// Makes sure only one process of a user's session runs the program under one name.
//
// Windows: a named mutex created with initial ownership; only ERROR_ALREADY_EXISTS means that
// another instance runs. The second start then shows every top-level window that carries the
// window property of the same name (restoring it when minimised) and brings it to the front.
// The first instance marks its main window with markWindow().
//
// Linux: an exclusive lock on a file in the user's runtime folder ($XDG_RUNTIME_DIR, else
// /tmp/keyglow-$UID) plus a local socket beside it. A second start connects to the socket;
// the first instance sees its activationFd() become readable and calls dispatch(), which runs
// the activation callback once per request. There is no window property on Linux.
//
// Any failure other than "another instance holds the name" lets the process run as the first.
class SingleInstance {
public:
    explicit SingleInstance(std::wstring name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Claims the name; a later call returns the first call's result without claiming again.
    // With an empty name there is nothing to claim and the process runs as the first.
    InstanceClaim claim();

    // Linux: a descriptor that becomes readable when a later start asks this instance to show
    // itself (for a socket notifier or poll); -1 when there is none (Windows, not the first).
    int activationFd() const;

    // Linux: takes every pending request and calls the activation callback once for each;
    // returns the number of requests. Never blocks. Windows: returns 0.
    int dispatch();

    void setActivationCallback(std::function<void()> callback);

    // Windows: sets (markWindow) or removes (unmarkWindow) the window property that a second
    // start looks for, on the native window handle `window` (an HWND). Linux: nothing to do,
    // the socket carries the request; both return true.
    static bool markWindow(std::uintptr_t window, const std::wstring& name);
    static bool unmarkWindow(std::uintptr_t window, const std::wstring& name);

    // Windows: what a second start does to the running instance: walks every top-level window,
    // and for each that carries the property `name`, restores it when minimised, shows it when
    // hidden and brings it to the foreground. Returns the number of such windows. Linux: asks
    // the instance listening under `name` to show itself; returns 1 when the request was
    // delivered, else 0.
    static int activateRunning(const std::wstring& name);

private:
    struct State;
    std::wstring m_name;
    std::function<void()> m_callback;
    std::unique_ptr<State> m_state;
};

}  // namespace platform
