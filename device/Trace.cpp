#include "device/Trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

namespace kg {
namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceSink& currentSink() {
    static TraceSink sink;
    return sink;
}

}  // namespace

void trace(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    const std::string_view line(buffer,
                                std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
    std::lock_guard<std::mutex> lock(sinkMutex());
    if (currentSink()) {
        currentSink()(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

TraceSink setTraceSink(TraceSink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}

void silenceTrace() {
    setTraceSink([](std::string_view) {});
}

}  // namespace kg
