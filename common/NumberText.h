#pragma once

#include <cstdint>
#include <string_view>

namespace kg {

// The number readers of the settings files. None of them fails: text that holds no number
// reads as 0.

// Unsigned 32-bit decimal, as C's strtoul with base 10 where unsigned long has 32 bits:
// leading white space is skipped, an optional sign follows, conversion stops at the first
// non-digit, a value beyond 4294967295 gives 4294967295, and a minus sign negates the value
// modulo 2^32 ("-1" reads as 4294967295).
std::uint32_t parseUnsigned32(std::string_view text);

// The same bits in a signed field: "4294967295" and "-1" both read as -1.
inline std::int32_t parseWrapped32(std::string_view text) {
    return static_cast<std::int32_t>(parseUnsigned32(text));
}

// Hexadecimal, as strtoul with base 16: white space and an optional sign first, then an
// optional "0x" or "0X"; conversion stops at the first character that is not a hexadecimal
// digit; saturates at 0xFFFFFFFF.
std::uint32_t parseHex32(std::string_view text);

// C's atol where long has 32 bits: white space, an optional sign, the leading decimal digits.
// Out-of-range values saturate at the limits of a signed 32-bit number.
std::int32_t parseAtol(std::string_view text);

inline std::uint8_t low8(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

inline std::uint8_t low4(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0x0Fu);
}

}  // namespace kg
