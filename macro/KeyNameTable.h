#pragma once

#include <cstdint>
#include <string>

#include "platform/KeyInput.h"

// The display names that recorded steps get, by virtual-key code. A code with 0x100 added is
// the extended form of a key that has a name of its own (the keypad Enter, 0x10D).
class KeyNameTable {
public:
    KeyNameTable() = delete;

    // The name of exactly this code; null when no row holds it.
    static const wchar_t* find(std::int32_t code) noexcept;
};

// The name of the event's key: the row of its code plus 0x100 when the event carries the
// extended flag, else the row of the plain code, else the empty name. So the keypad Enter is
// "Pad Enter" and an extended Insert is "Insert".
std::wstring keyNameFor(const platform::KeyEvent& event);
