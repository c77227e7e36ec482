#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/Log.h"

// Collects the diagnostic lines of one area for the lifetime of the object instead of printing
// them; the lines of other areas are dropped.
class LogCapture {
public:
    explicit LogCapture(kg::LogArea area = kg::LogArea::Device) : m_area(area) {
        m_previous = kg::setLogSink([this](kg::LogArea from, std::string_view line) {
            if (from != m_area) {
                return;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.emplace_back(line);
        });
    }
    ~LogCapture() { kg::setLogSink(std::move(m_previous)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

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
    kg::LogArea m_area;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    kg::LogSink m_previous;
};
