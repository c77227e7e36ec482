#include "platform/emulator/KeyScript.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/KeyInput.h"
#include "platform/StartThread.h"
#include "platform/emulator/KeyStream.h"

namespace platform::emulator {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

bool number(std::string_view text, std::uint32_t& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

ScriptLine parseScriptLine(std::string_view line) {
    ScriptLine result;
    const std::vector<std::string_view> w = words(line);
    if (w.empty() || w[0].front() == '#') {
        return result;
    }
    result.kind = ScriptLine::Kind::Invalid;
    if (w[0] == "wait") {
        if (w.size() == 2 && number(w[1], result.wait_ms)) {
            result.kind = ScriptLine::Kind::Wait;
        }
        return result;
    }
    if (w[0] != "down" && w[0] != "up") {
        return result;
    }
    if (w.size() < 2 || w.size() > 3 || !number(w[1], result.vk) || result.vk == 0 ||
        result.vk > 0xFF) {
        return result;
    }
    if (w.size() == 3) {
        if (w[2] != "ext") {
            return result;
        }
        result.extended = true;
    }
    result.kind = w[0] == "down" ? ScriptLine::Kind::Down : ScriptLine::Kind::Up;
    return result;
}

struct KeyScript::Shared {
    explicit Shared(KeyStream& k, std::string p) : keys(k), path(std::move(p)) {}
    KeyStream& keys;  // process-lifetime in the program; only its thread-safe log is used here
    const std::string path;
    std::mutex mutex;
    std::condition_variable stopChanged;
    bool stopping = false;
    bool finished = false;
    std::deque<ScriptLine> keysRead;
    std::function<void()> ready;
};

KeyScript::KeyScript(KeyStream& keys, std::string path)
    : m_keys(keys), m_shared(std::make_shared<Shared>(keys, std::move(path))) {}

KeyScript::~KeyScript() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->ready = nullptr;
    m_shared->stopChanged.notify_all();
}

bool KeyScript::start() {
    std::thread reader;
    std::shared_ptr<Shared> shared = m_shared;
    if (!platform::startThread(reader, [shared] { readLoop(shared); })) {
        return false;
    }
    // Detached: a read of a pipe cannot be interrupted portably; the thread owns its share of
    // the state and ends at the end of a file or once stopping is set.
    reader.detach();
    return true;
}

void KeyScript::setReadyCallback(std::function<void()> ready) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->ready = std::move(ready);
}

bool KeyScript::finished() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->finished;
}

void KeyScript::dispatch() {
    std::deque<ScriptLine> lines;
    {
        std::lock_guard lock(m_shared->mutex);
        lines.swap(m_shared->keysRead);
    }
    for (const ScriptLine& line : lines) {
        const std::uint32_t flags = line.extended ? kKeyFlagExtended : 0;
        if (line.kind == ScriptLine::Kind::Down) {
            m_keys.press(line.vk, flags);
        } else {
            m_keys.release(line.vk, flags);
        }
        ++m_offered;
    }
}

void KeyScript::readLoop(const std::shared_ptr<Shared>& shared) {
    const auto stopping = [&shared] {
        std::lock_guard lock(shared->mutex);
        return shared->stopping;
    };
    std::error_code ec;
    const bool pipe = std::filesystem::is_fifo(shared->path, ec);
    int lineNumber = 0;
    do {
        // Opening a pipe waits for its next writer; when that writer closes, the next one is
        // waited for, so that several scripts can be sent one after the other.
        std::ifstream in(shared->path, std::ios::binary);
        if (!in) {
            shared->keys.noteInLogFile("script cannot open " + shared->path);
            break;
        }
        std::string text;
        while (std::getline(in, text)) {
            ++lineNumber;
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
            }
            const ScriptLine line = parseScriptLine(text);
            switch (line.kind) {
                case ScriptLine::Kind::Skip:
                    break;
                case ScriptLine::Kind::Invalid:
                    shared->keys.noteInLogFile("script line " + std::to_string(lineNumber) +
                                               " not understood: " + text);
                    break;
                case ScriptLine::Kind::Wait: {
                    std::unique_lock lock(shared->mutex);
                    shared->stopChanged.wait_for(lock, std::chrono::milliseconds(line.wait_ms),
                                                 [&shared] { return shared->stopping; });
                    break;
                }
                case ScriptLine::Kind::Down:
                case ScriptLine::Kind::Up: {
                    std::function<void()> ready;
                    {
                        std::lock_guard lock(shared->mutex);
                        shared->keysRead.push_back(line);
                        ready = shared->ready;
                    }
                    if (ready) {
                        ready();
                    }
                    break;
                }
            }
            if (stopping()) {
                return;
            }
        }
    } while (pipe && !stopping());
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
}

}  // namespace platform::emulator
