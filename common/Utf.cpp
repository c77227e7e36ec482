#include "common/Utf.h"

#include <pugixml.hpp>

namespace kg {

std::string toUtf8(std::wstring_view text) {
    return pugi::as_utf8(std::wstring(text));
}

std::wstring fromUtf8(std::string_view text) {
    return pugi::as_wide(std::string(text));
}

}  // namespace kg
