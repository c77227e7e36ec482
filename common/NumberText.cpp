#include "common/NumberText.h"

namespace kg {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c, unsigned base) {
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'z') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'Z') {
        v = c - 'A' + 10;
    }
    return v >= 0 && static_cast<unsigned>(v) < base ? v : -1;
}

struct Scan {
    bool negative = false;
    bool overflow = false;
    std::uint64_t magnitude = 0;  // capped just above the 32-bit range
};

Scan scan(std::string_view text, unsigned base) {
    Scan s;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isSpace(text[i])) {
        ++i;
    }
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        s.negative = text[i] == '-';
        ++i;
    }
    // "0x" only counts as a prefix when a hexadecimal digit follows; "0xg" reads as 0.
    if (base == 16 && i + 2 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        digitValue(text[i + 2], 16) >= 0) {
        i += 2;
    }
    for (; i < n; ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0) {
            break;
        }
        if (!s.overflow) {
            s.magnitude = s.magnitude * base + static_cast<unsigned>(d);
            if (s.magnitude > 0xFFFFFFFFull) {
                s.overflow = true;
            }
        }
    }
    return s;
}

std::uint32_t unsignedResult(const Scan& s) {
    if (s.overflow) {
        return 0xFFFFFFFFu;
    }
    const auto value = static_cast<std::uint32_t>(s.magnitude);
    return s.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

}  // namespace

std::uint32_t parseUnsigned32(std::string_view text) {
    return unsignedResult(scan(text, 10));
}

std::uint32_t parseHex32(std::string_view text) {
    return unsignedResult(scan(text, 16));
}

std::int32_t parseAtol(std::string_view text) {
    const Scan s = scan(text, 10);
    if (s.negative) {
        if (s.overflow || s.magnitude > 0x80000000ull) {
            return INT32_MIN;
        }
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(s.magnitude));
    }
    if (s.overflow || s.magnitude > 0x7FFFFFFFull) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(s.magnitude);
}

}  // namespace kg
