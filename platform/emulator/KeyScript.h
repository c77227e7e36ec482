#pragma once

// The emulated key stream's script input (KEYGLOW_EMULATOR_KEYS): lines read from a file or a
// named pipe while the program runs, each key offered to the hook on the UI thread exactly like
// a key of the keyboard:
//   down 0x41       a press of virtual key 0x41
//   up 0x41 ext     a release, with the extended-key flag
//   wait 200        200 ms before the next line is taken
// Blank lines and lines starting with '#' are skipped; other lines are noted in the log file.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/EventSource.h"

namespace platform::emulator {

class KeyStream;

struct ScriptLine {
    enum class Kind { Skip, Down, Up, Wait, Invalid };
    Kind kind = Kind::Skip;
    std::uint32_t vk = 0;  // Down, Up: 0x01 to 0xFF
    bool extended = false;
    std::uint32_t wait_ms = 0;  // Wait
};

ScriptLine parseScriptLine(std::string_view line);

class KeyScript final : public EventSource {
public:
    KeyScript(KeyStream& keys, std::string path);
    // Stops reading. A reader still blocked on a pipe that no writer opens is left behind; it
    // touches nothing of this object.
    ~KeyScript() override;
    KeyScript(const KeyScript&) = delete;
    KeyScript& operator=(const KeyScript&) = delete;

    // Starts the reader thread; false when the system gives no thread.
    bool start();

    // EventSource: the keys read so far go to the hook here, on the UI thread.
    void setReadyCallback(std::function<void()> ready) override;
    void dispatch() override;

    // Keys offered to the hook so far; whether the reader has reached the end of a file.
    std::size_t offered() const { return m_offered; }
    bool finished() const;

private:
    struct Shared;
    static void readLoop(const std::shared_ptr<Shared>& shared);

    KeyStream& m_keys;
    std::shared_ptr<Shared> m_shared;
    std::size_t m_offered = 0;
};

}  // namespace platform::emulator
