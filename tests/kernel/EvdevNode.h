#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgtest {

// One key event as an evdev node delivers it (EV_KEY only; value 1 press, 0 release, 2 repeat).
struct KeyStroke {
    std::uint16_t code = 0;
    std::int32_t value = 0;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// An evdev node opened by the test, to see what the kernel delivers on it.
class EvdevNode {
public:
    explicit EvdevNode(const std::string& node);
    ~EvdevNode();
    EvdevNode(const EvdevNode&) = delete;
    EvdevNode& operator=(const EvdevNode&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Key events arriving within `timeout_ms` of the last one (of the call when none came),
    // until `count` have come.
    std::vector<KeyStroke> readKeys(std::size_t count, int timeout_ms);
    // The lock lights the node reports (EVIOCGLED), bit n for LED n.
    unsigned lights() const;
    // The keys the node reports held down now (EVIOCGKEY).
    std::vector<std::uint16_t> keysDown() const;
    // Whether some reader holds an exclusive grab: our own grab attempt fails then.
    bool grabbedByOther();
    void drain();

private:
    int m_fd = -1;
};

// The event node of the input device named `name`; empty when there is none.
std::string eventNodeNamed(const std::string& name);

}  // namespace kgtest
