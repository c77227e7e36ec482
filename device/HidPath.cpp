#include "device/HidPath.h"

#include <cwchar>
#include <string_view>

// The path pattern, as a regular expression searched anywhere in the path, case-insensitively:
//   hid#vid_([\da-zA-Z]{4})&pid_([\da-zA-Z]{4})(&rev_([\da-zA-Z]){4})?
//   (&mi_([\da-zA-Z]){2})?(&col([\da-zA-Z]){2})?
// It is matched by hand: the pattern needs no backtracking (each optional field is taken when
// it is there, as a greedy regular expression would), and the library's regular expressions
// can throw.
//
// In the rev, mi and col fields the repetition stands outside the capture group, so each of
// those fields gives only its last character: "mi_01" is 1 and "mi_10" is 0. Interfaces are
// found with these numbers as configured, so the quirk is kept.

namespace {

bool isAlphanumeric(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

wchar_t lowerAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    c = lowerAscii(c);
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

// Hexadecimal up to the first character that is not a hex digit: "04zz" gives 4, "zz12" 0.
std::int32_t hexValue(std::wstring_view text) {
    std::int32_t value = 0;
    for (wchar_t c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

class Cursor {
public:
    Cursor(std::wstring_view text, std::size_t pos) : m_text(text), m_pos(pos) {}

    // `word` in lower case; the text may use either case.
    bool literal(std::string_view word) {
        if (m_text.size() - m_pos < word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (lowerAscii(m_text[m_pos + i]) != static_cast<wchar_t>(word[i])) {
                return false;
            }
        }
        m_pos += word.size();
        return true;
    }

    bool alphanumerics(std::size_t count, std::wstring_view& out) {
        if (m_text.size() - m_pos < count) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (!isAlphanumeric(m_text[m_pos + i])) {
                return false;
            }
        }
        out = m_text.substr(m_pos, count);
        m_pos += count;
        return true;
    }

    // An optional field: the prefix and `count` characters, or nothing (the cursor stays).
    bool field(std::string_view prefix, std::size_t count, std::wstring_view& out) {
        Cursor attempt = *this;
        if (attempt.literal(prefix) && attempt.alphanumerics(count, out)) {
            *this = attempt;
            return true;
        }
        return false;
    }

private:
    std::wstring_view m_text;
    std::size_t m_pos;
};

}  // namespace

bool ParseHidPath(const wchar_t* path, HidPathIds* ids) {
    if (path == nullptr) {
        return false;
    }
    const std::wstring_view text(path, std::wcslen(path));
    for (std::size_t start = 0; start < text.size(); ++start) {
        Cursor cursor(text, start);
        std::wstring_view vendor;
        std::wstring_view product;
        if (!cursor.literal("hid#vid_") || !cursor.alphanumerics(4, vendor) ||
            !cursor.literal("&pid_") || !cursor.alphanumerics(4, product)) {
            continue;
        }
        std::wstring_view revision;
        std::wstring_view interfaceField;
        std::wstring_view collectionField;
        cursor.field("&rev_", 4, revision);
        const bool hasInterface = cursor.field("&mi_", 2, interfaceField);
        const bool hasCollection = cursor.field("&col", 2, collectionField);
        if (ids != nullptr) {
            ids->vendorId = hexValue(vendor);
            ids->productId = hexValue(product);
            ids->interfaceNumber = hasInterface ? hexValue(interfaceField.substr(1)) : -1;
            ids->collectionNumber = hasCollection ? hexValue(collectionField.substr(1)) : -1;
        }
        return true;
    }
    return false;
}
