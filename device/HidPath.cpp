#include "device/HidPath.h"

#include <regex>

namespace {

// The rev, mi and col fields repeat outside their capture groups, so those groups keep only
// the field's last character: "mi_01" gives 1 and "mi_10" gives 0. Interfaces found with
// these numbers are the ones the configuration names, so the quirk is kept as it is.
const std::wregex& hidPathPattern() {
    static const std::wregex pattern(
        L"hid#vid_([\\da-zA-Z]{4})&pid_([\\da-zA-Z]{4})(&rev_([\\da-zA-Z]){4})?"
        L"(&mi_([\\da-zA-Z]){2})?(&col([\\da-zA-Z]){2})?",
        std::regex_constants::ECMAScript | std::regex_constants::icase);
    return pattern;
}

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Hexadecimal up to the first character that is not a hex digit ("04zz" gives 4); -1 for a
// group that took part in no match.
std::int32_t groupValue(const std::wcmatch& match, std::size_t group) {
    if (!match[group].matched) {
        return -1;
    }
    std::int32_t value = 0;
    for (const wchar_t* p = match[group].first; p != match[group].second; ++p) {
        const int digit = hexDigit(*p);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

bool ParseHidPath(const wchar_t* path, HidPathIds* ids) {
    if (path == nullptr) {
        return false;
    }
    std::wcmatch match;
    if (!std::regex_search(path, match, hidPathPattern())) {
        return false;
    }
    if (ids != nullptr) {
        ids->vendorId = groupValue(match, 1);
        ids->productId = groupValue(match, 2);
        ids->interfaceNumber = groupValue(match, 6);
        ids->collectionNumber = groupValue(match, 8);
    }
    return true;
}
