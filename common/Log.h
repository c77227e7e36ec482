#pragma once

#include "platform/Diagnostics.h"

namespace kg {

using platform::LogArea;
using platform::LogSink;

// One diagnostic line in `area`, printf-style, UTF-8; the format carries its own line break.
// Lines longer than 511 bytes are cut.
void logLine(LogArea area, const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));

// Replaces where the lines go and returns the previous sink (an empty sink: the default, see
// platform/Diagnostics.h). silenceLog() drops every line (tests that would flood their output).
inline LogSink setLogSink(LogSink sink) {
    return platform::setLogSink(std::move(sink));
}
void silenceLog();

}  // namespace kg
