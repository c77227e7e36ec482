// Key re-assignment and playback cases written as small scripts in tests/data/keys: the records,
// the key events and the time that passes, a blank line, then what the emulated key stream saw,
// each line stamped with the time on the test's clock. The real hook procedure, remapper, player
// and worker run; only the pauses between played keys are on the manual clock, so the cases say
// when time passes instead of sleeping. The format is in tests/data/keys/README.md.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "platform/emulator/KeyStream.h"
#include "runtime/SimpleThread.h"
#include "settings/AppConfig.h"
#include "settings/RecordStore.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ManualStepTimer.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr auto kHangGuard = 10s;

struct Host : IKeyRemapHost {
    bool connected = true;
    bool keyboardConnected() const noexcept override { return connected; }
    IKeyboardHookListener* openEditor() const noexcept override { return nullptr; }
};

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

// A key: "0x41", a decimal number, or one letter or digit standing for its own code.
bool parseKey(const std::string& text, std::int32_t& out) {
    if (text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0]))) {
        out = std::toupper(static_cast<unsigned char>(text[0]));
        return true;
    }
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0') {
        return false;
    }
    out = static_cast<std::int32_t>(v);
    return true;
}

struct Script {
    Lines input;
    Lines expected;
};

Script readScript(const fs::path& file) {
    Script s;
    std::istringstream in(kgtest::readFile(file));
    bool output = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!output && line.empty()) {
            output = true;
            continue;
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        (output ? s.expected : s.input).push_back(line);
    }
    return s;
}

class ScriptRun {
public:
    ScriptRun() {
        KeyboardHook::setKeyInput(&m_keys);
        m_ready = KeyboardHook::install(1, nullptr, 0) && KeyboardHook::addListener(&m_remapper);
        m_worker.SetIdleCallback(std::make_unique<SimpleThread::Callback<MacroPlayer>>(
            &m_player, &MacroPlayer::playNextStep));
        m_worker.Start(nullptr);
        m_start = m_clock.nowMs();
    }
    ~ScriptRun() {
        stop();
        KeyboardHook::removeListener(&m_remapper);
        KeyboardHook::uninstall();
        KeyboardHook::setKeyInput(nullptr);
    }

    // Runs the input lines; returns what was seen, or an error line.
    Lines run(const Lines& input) {
        if (!m_ready) {
            return {"error: no hook"};
        }
        for (const std::string& line : input) {
            if (!step(words(line))) {
                m_out.push_back("error: cannot read \"" + line + "\"");
                return m_out;
            }
            if (!settle()) {
                m_out.push_back("error: the player did not settle after \"" + line + "\"");
                return m_out;
            }
        }
        std::string held;
        for (std::uint8_t vk : m_keys.heldKeys()) {
            held += " " + hex(vk);
        }
        if (!held.empty()) {
            m_out.push_back("held" + held);
        }
        return m_out;
    }

private:
    static std::string hex(std::uint32_t v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%02x", v);
        return buf;
    }

    bool step(const std::vector<std::string>& w) {
        if (w.empty()) {
            return true;
        }
        const std::string& verb = w[0];
        if (verb == "record") {
            return addRecord(w);
        }
        if (verb == "program" && w.size() >= 3) {
            MediaKeyEntry e;
            e.name = L"program";
            e.code = std::stoi(w[1]);
            e.path = std::wstring(w[2].begin(), w[2].end());
            if (w.size() >= 4) {
                e.argm = std::wstring(w[3].begin(), w[3].end());
            }
            m_config.mediaKeys.push_back(e);
            return true;
        }
        if (verb == "down" || verb == "up" || verb == "sysdown" || verb == "sysup") {
            return keyEvent(w);
        }
        if (verb == "wait" && w.size() == 2) {
            return advance(std::stoull(w[1]));
        }
        if (verb == "unplug" || verb == "plug") {
            m_host.connected = verb == "plug";
            return true;
        }
        if (verb == "stop") {
            stop();
            return true;
        }
        return false;
    }

    // record KEY TYPE [repeat N] [mode N] [: KEY STATE DELAY, ...]
    bool addRecord(const std::vector<std::string>& w) {
        if (w.size() < 3) {
            return false;
        }
        KeyRecord r;
        if (!parseKey(w[1], r.code)) {
            return false;
        }
        const std::vector<std::string> types = {"macro", "key", "media", "combo"};
        const auto t = std::find(types.begin(), types.end(), w[2]);
        r.type = t != types.end() ? static_cast<std::int32_t>(t - types.begin()) : std::stoi(w[2]);
        std::size_t i = 3;
        for (; i + 1 < w.size() && w[i] != ":"; i += 2) {
            if (w[i] == "repeat") {
                r.repeat = std::stoi(w[i + 1]);
            } else if (w[i] == "mode") {
                r.mode = std::stoi(w[i + 1]);
            } else {
                return false;
            }
        }
        if (i < w.size() && w[i] == ":") {
            std::string rest;
            for (std::size_t j = i + 1; j < w.size(); ++j) {
                rest += w[j] + " ";
            }
            std::istringstream steps(rest);
            for (std::string one; std::getline(steps, one, ',');) {
                const std::vector<std::string> f = words(one);
                if (f.size() != 3) {
                    return false;
                }
                MacroStep s;
                if (!parseKey(f[0], s.code)) {
                    return false;
                }
                s.state = f[1] == "down" ? 0 : (f[1] == "up" ? 1 : std::stoi(f[1]));
                s.delay = std::stoi(f[2]);
                r.steps.push_back(s);
            }
        }
        m_records.setRecord(r);
        return true;
    }

    // down KEY [ext] [injected] [marked] [scan N]
    bool keyEvent(const std::vector<std::string>& w) {
        std::int32_t key = 0;
        if (w.size() < 2 || !parseKey(w[1], key)) {
            return false;
        }
        platform::KeyEvent e;
        e.vkCode = static_cast<std::uint32_t>(key);
        for (std::size_t i = 2; i < w.size(); ++i) {
            if (w[i] == "ext") {
                e.flags |= platform::kKeyFlagExtended;
            } else if (w[i] == "injected") {
                e.flags |= platform::kKeyFlagInjected;
            } else if (w[i] == "marked") {
                e.dwExtraInfo = platform::kSyntheticMarker;
            } else if (w[i] == "scan" && i + 1 < w.size()) {
                e.scanCode = static_cast<std::uint32_t>(std::stoul(w[++i], nullptr, 0));
            } else {
                return false;
            }
        }
        const bool release = w[0] == "up" || w[0] == "sysup";
        const bool sys = w[0] == "sysdown" || w[0] == "sysup";
        if (release) {
            e.flags |= 0x80;
        }
        const std::uintptr_t message =
            sys ? (release ? platform::kMsgSysKeyUp : platform::kMsgSysKeyDown)
                : (release ? platform::kMsgKeyUp : platform::kMsgKeyDown);
        // Holding the worker's lock (the hook takes it again, it is recursive) makes the worker
        // wait with what a cut lets it play until the hook has returned, so the lines come in
        // one order: the event's own, then the player's.
        m_worker.Lock();
        m_keys.offer(message, e);
        m_worker.Unlock();
        return true;
    }

    // Moves the clock, stopping at every pause's end on the way, so each played key is stamped
    // with the time it was typed at.
    bool advance(std::uint64_t ms) {
        const std::uint64_t target = m_clock.nowMs() + ms;
        while (m_clock.nowMs() < target) {
            const std::optional<std::uint64_t> until = m_timer.blockedUntil();
            const std::uint64_t to = until ? std::min(*until, target) : target;
            m_clock.advance(to - m_clock.nowMs());
            if (!settle()) {
                return false;
            }
        }
        return true;
    }

    // Waits (in real time) until the player can do nothing more without the clock: its queue is
    // empty or it sits in a pause. Then stamps what the key stream saw since the last time.
    bool settle() {
        const auto end = std::chrono::steady_clock::now() + kHangGuard;
        while (!m_stopped && !m_player.queue().empty() && !m_timer.blockedUntil()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(100us);
        }
        collect();
        return true;
    }

    void collect() {
        const Lines log = m_keys.log();
        for (std::size_t i = m_seen; i < log.size(); ++i) {
            m_out.push_back("@" + std::to_string(m_clock.nowMs() - m_start) + " " + log[i]);
        }
        m_seen = log.size();
    }

    // The window's shutdown: a pause in progress ends, queued steps are dropped and the keys the
    // player left down are released.
    void stop() {
        if (m_stopped) {
            return;
        }
        m_stopped = true;
        m_player.beginStop();
        m_worker.Stop();
        m_player.finishStop();
        collect();
    }

    platform::emulator::KeyStream m_keys;
    Host m_host;
    RecordStore m_records;
    MacroConfig m_editorConfig;
    AppConfig m_config;
    kg::ManualClock m_clock;
    kg::ManualStepTimer m_timer{m_clock};
    SimpleThread m_worker;
    MacroPlayer m_player{m_worker, m_keys, m_timer};
    KeyRemapper m_remapper{m_host, m_records, m_editorConfig, m_config, m_player, m_keys};
    bool m_ready = false;
    bool m_stopped = false;
    std::uint64_t m_start = 0;
    std::size_t m_seen = 0;
    Lines m_out;
};

std::vector<fs::path> scripts() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kgtest::testData("keys"))) {
        if (entry.path().extension() == ".keys") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string joined(const Lines& lines) {
    std::string s;
    for (const std::string& l : lines) {
        s += "    " + l + "\n";
    }
    return s;
}

class KeyScript : public testing::TestWithParam<fs::path> {};

TEST_P(KeyScript, SeesWhatTheScriptExpects) {
    const Script script = readScript(GetParam());
    ASSERT_FALSE(script.input.empty()) << GetParam();
    ScriptRun run;
    const Lines actual = run.run(script.input);
    EXPECT_EQ(actual, script.expected) << GetParam().filename().string() << "\nexpected:\n"
                                       << joined(script.expected) << "actual:\n"
                                       << joined(actual);
}

INSTANTIATE_TEST_SUITE_P(Files, KeyScript, testing::ValuesIn(scripts()), [](const auto& row) {
    std::string name = row.param.stem().string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

}  // namespace
