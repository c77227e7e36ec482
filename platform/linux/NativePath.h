#pragma once

#include <string>

namespace platform::linux_detail {

// Linux paths are bytes; ours are wide strings. Encodes as UTF-8 (wchar_t holds one code point
// here). Code points that UTF-8 cannot carry become U+FFFD.
std::string nativePath(const std::wstring& path);

// The reverse, for paths the system hands us. Malformed sequences become U+FFFD.
std::wstring widePath(const std::string& path);

}  // namespace platform::linux_detail
