#pragma once

#include <cstdint>
#include <string>

// One key event of a macro.
struct MacroStep {
    // A virtual-key code for recorded steps; 10000 and above name a program entry, 11111 locks
    // the workstation.
    std::int32_t code = 0;
    // 0 key down, 1 key up; anything else plays as a key down.
    std::int32_t state = 0;
    // Milliseconds to wait after this step before the next one.
    std::int32_t delay = 0;
    std::wstring name;
};
