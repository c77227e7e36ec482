#pragma once

#include <functional>
#include <string_view>

namespace kg {

// Diagnostic lines of the device layer, printf-style, UTF-8, on standard output by default.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces where trace lines go and returns the previous sink; an empty sink means standard
// output. silenceTrace() drops them (tests that would otherwise flood their output).
using TraceSink = std::function<void(std::string_view line)>;
TraceSink setTraceSink(TraceSink sink);
void silenceTrace();

}  // namespace kg
