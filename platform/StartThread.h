#pragma once

#include <system_error>
#include <thread>
#include <utility>

namespace platform {

// Starts a thread running body into out. The system may refuse a thread (no memory for its
// stack, a process limit); std::thread says so by throwing, and we report it as false with out
// left empty, so the caller goes on without that thread.
template <class Body>
bool startThread(std::thread& out, Body&& body) noexcept {
    try {
        out = std::thread(std::forward<Body>(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace platform
