#include "platform/Diagnostics.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {

namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& currentSink() {
    static LogSink sink;
    return sink;
}

void writeDefault(LogArea area, std::string_view line) {
    if (area == LogArea::Device) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        return;
    }
    std::fputs("keyglow: ", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void writeLog(LogArea area, std::string_view line) noexcept {
    std::lock_guard<std::mutex> lock(sinkMutex());
    if (currentSink()) {
        currentSink()(area, line);
        return;
    }
    writeDefault(area, line);
}

LogSink setLogSink(LogSink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}

}  // namespace platform
