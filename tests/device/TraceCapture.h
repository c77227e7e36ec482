#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/Trace.h"

// Collects the device layer's trace lines for the lifetime of the object instead of printing
// them.
class TraceCapture {
public:
    TraceCapture() {
        m_previous = kg::setTraceSink([this](std::string_view line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.emplace_back(line);
        });
    }
    ~TraceCapture() { kg::setTraceSink(std::move(m_previous)); }

    std::vector<std::string> lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    bool contains(const std::string& line) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::string& seen : m_lines) {
            if (seen == line) {
                return true;
            }
        }
        return false;
    }

    // Lines that begin with `prefix` and end with `suffix`.
    int count(const std::string& prefix, const std::string& suffix = "") const {
        std::lock_guard<std::mutex> lock(m_mutex);
        int found = 0;
        for (const std::string& seen : m_lines) {
            if (seen.size() >= prefix.size() + suffix.size() && seen.starts_with(prefix) &&
                seen.ends_with(suffix)) {
                ++found;
            }
        }
        return found;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    kg::TraceSink m_previous;
};
