#include "common/Log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace kg {

void logLine(LogArea area, const char* format, ...) noexcept {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    platform::writeLog(area, std::string_view(buffer, std::min(static_cast<std::size_t>(length),
                                                               sizeof buffer - 1)));
}

void silenceLog() {
    setLogSink([](LogArea, std::string_view) {});
}

}  // namespace kg
