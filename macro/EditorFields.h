#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

struct MacroConfig;

namespace kg {

// The rules of the macro editor's fields, without any window.

// The number a repeat or delay field starts with: white space first, an optional sign, then
// decimal digits; 0 when there are none. Beyond the 32-bit range it stops at the limit.
std::int32_t leadingNumber(std::wstring_view text) noexcept;

// A step's delay field: the number the text starts with (white space first allowed), 0 for
// a text of nothing but white space, and nothing when the text starts otherwise (the field
// then gets the step's delay back).
std::optional<std::int32_t> stepDelayFromText(std::wstring_view text) noexcept;

// The state column of a step: "key down", "key up", or "replace" for any other value.
const wchar_t* stepStateText(std::int32_t state) noexcept;

// The names of the keys being assigned, in the map's order, joined by "," without spaces.
std::wstring joinKeyNames(const std::map<std::uint8_t, std::wstring>& keys);

// The settings as the editor opens: a group index outside 0..groupCount-1 becomes 0, a delay
// mode of 3 or more becomes 0. Returns true when the delay mode was reset (the store is then
// saved).
bool settleEditorConfig(MacroConfig& config, int groupCount) noexcept;

}  // namespace kg
