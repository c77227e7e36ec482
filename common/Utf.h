#pragma once

#include <string>
#include <string_view>

namespace kg {

// UTF-8 <-> wide strings. Wide strings are UTF-16 where wchar_t has 16 bits (Windows) and
// UTF-32 where it has 32 (Linux). Malformed input never stops the conversion: bytes that do
// not form a character are dropped.
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);

}  // namespace kg
