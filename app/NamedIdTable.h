#pragma once

#include <cstdint>
#include <string_view>

// Binds the control names of the layouts to the numeric IDs the code uses.
struct NamedId {
    wchar_t name[52];  // up to 51 characters, zero-terminated
    std::int32_t id;
};

inline constexpr int kNamedIdCount = 70;

// Sorted by name, ordinal wide-character order.
extern const NamedId kNamedIds[kNamedIdCount];

// The names again, in table order; the main window's slider bindings use entries 1 to 8.
extern const wchar_t* const kNamedIdNames[kNamedIdCount];

// The ID of a control name; -1 when the table does not hold the name.
int namedIdByName(std::wstring_view name);

// The name of an ID; nullptr when the table does not hold the ID.
const wchar_t* namedIdName(int id);
