#pragma once

#include <string>
#include <vector>

namespace platform::linux_detail {

// Splits the argument text of a program entry into words the way a shell does for plain words
// and double quotes: blanks and tabs separate words outside quotes, a quote pair groups what
// is between (and "" alone is an empty word). No other shell syntax is interpreted.
std::vector<std::string> splitArguments(const std::string& text);

}  // namespace platform::linux_detail
