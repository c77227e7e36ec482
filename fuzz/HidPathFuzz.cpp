// Device paths come from the system's enumeration and from device notifications of whatever is
// plugged in. ParseHidPath is matched by hand; here it is compared with the regular expression
// it stands for (on paths short enough for the library's recursive matcher).
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <regex>
#include <string>

#include "device/HidPath.h"
#include "fuzz/FuzzCheck.h"

namespace {

std::int32_t hexPrefix(const std::wstring& text) {
    std::int32_t value = 0;
    for (wchar_t c : text) {
        int d = -1;
        if (c >= L'0' && c <= L'9') {
            d = c - L'0';
        } else if (c >= L'a' && c <= L'f') {
            d = c - L'a' + 10;
        } else if (c >= L'A' && c <= L'F') {
            d = c - L'A' + 10;
        }
        if (d < 0) {
            break;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) * 16 +
                                          static_cast<std::uint32_t>(d));
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Bytes as characters (0 to 255); a zero ends the path as it would the system's string.
    std::wstring path;
    for (std::size_t i = 0; i < size && data[i] != 0; ++i) {
        path.push_back(static_cast<wchar_t>(data[i]));
    }
    HidPathIds ids;
    const bool found = ParseHidPath(path.c_str(), &ids);
    KG_FUZZ_CHECK(ParseHidPath(path.c_str(), nullptr) == found);
    if (path.size() > 256) {
        return 0;
    }
    static const std::wregex pattern(
        L"hid#vid_([\\da-zA-Z]{4})&pid_([\\da-zA-Z]{4})(&rev_([\\da-zA-Z]){4})?(&mi_([\\da-zA-Z]){"
        L"2})?"
        L"(&col([\\da-zA-Z]){2})?",
        std::regex::ECMAScript | std::regex::icase);
    std::wsmatch m;
    bool expected = false;
    try {
        expected = std::regex_search(path, m, pattern);
    } catch (...) {
        return 0;  // the library gave up on this path; nothing to compare with
    }
    KG_FUZZ_CHECK(found == expected);
    if (expected) {
        KG_FUZZ_CHECK(ids.vendorId == hexPrefix(m[1].str()));
        KG_FUZZ_CHECK(ids.productId == hexPrefix(m[2].str()));
        KG_FUZZ_CHECK(ids.interfaceNumber == (m[5].matched ? hexPrefix(m[6].str()) : -1));
        KG_FUZZ_CHECK(ids.collectionNumber == (m[7].matched ? hexPrefix(m[8].str()) : -1));
    }
    return 0;
}
