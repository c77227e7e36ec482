#pragma once

#include <functional>
#include <string_view>

namespace platform {

// The areas of the program's diagnostic lines.
enum class LogArea { Device, Platform, Settings, Macro, Lighting };

// The one sink of diagnostic lines of the code below the windows (common/Log.h formats them).
// By default the device layer's lines go to standard output exactly as written, and every other
// area's go to standard error behind "keyglow: ". A GUI process without a console loses them;
// there is no log file.
using LogSink = std::function<void(LogArea area, std::string_view line)>;

// Hands one line (its own line break included) to the sink. Thread-safe.
void writeLog(LogArea area, std::string_view line) noexcept;

// Replaces the sink and returns the previous one; an empty sink restores the default.
LogSink setLogSink(LogSink sink);

}  // namespace platform
