#include "platform/emulator/KeyStream.h"

#include <algorithm>
#include <cstdio>

#include "platform/KeyCodes.h"

namespace platform::emulator {
namespace {

std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02x", v);
    return buf;
}

std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) {
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return s;
}

}  // namespace

KeyStream::~KeyStream() {
    if (m_logFile != nullptr) {
        std::fclose(m_logFile);
    }
}

bool KeyStream::openLogFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_logFile != nullptr) {
        std::fclose(m_logFile);
        m_logFile = nullptr;
    }
    if (path.empty()) {
        return true;
    }
    // Appended, as the emulated keyboard appends its report lines to the same file; binary, so
    // that every system ends the lines with "\n".
    m_logFile = std::fopen(path.c_str(), "ab");
    return m_logFile != nullptr;
}

void KeyStream::noteInLogFile(const std::string& line) {
    std::lock_guard lock(m_mutex);
    writeLogFile(line);
}

void KeyStream::writeLogFile(const std::string& line) {
    if (m_logFile == nullptr) {
        return;
    }
    std::fputs(line.c_str(), m_logFile);
    std::fputc('\n', m_logFile);
    std::fflush(m_logFile);
}

void KeyStream::setCaptureAvailable(bool available) {
    std::lock_guard lock(m_mutex);
    m_captureAvailable = available;
}

void KeyStream::setEchoTyped(bool echo) {
    std::lock_guard lock(m_mutex);
    m_echo = echo;
}

std::intptr_t KeyStream::press(std::uint32_t vk, std::uint32_t flags, std::uint32_t scanCode,
                               std::uintptr_t extraInfo) {
    KeyEvent e;
    e.vkCode = vk;
    e.scanCode = scanCode != 0 ? scanCode : scanCodeForVirtualKey(vk & 0xFF);
    e.flags = flags;
    e.dwExtraInfo = extraInfo;
    return offer(kMsgKeyDown, e);
}

std::intptr_t KeyStream::release(std::uint32_t vk, std::uint32_t flags, std::uint32_t scanCode,
                                 std::uintptr_t extraInfo) {
    KeyEvent e;
    e.vkCode = vk;
    e.scanCode = scanCode != 0 ? scanCode : scanCodeForVirtualKey(vk & 0xFF);
    e.flags = flags | 0x80;  // LLKHF_UP, as the system sets it on releases
    e.dwExtraInfo = extraInfo;
    return offer(kMsgKeyUp, e);
}

std::intptr_t KeyStream::offer(std::uintptr_t message, KeyEvent event, int code) {
    KeyHookProc proc;
    {
        std::lock_guard lock(m_mutex);
        proc = m_proc;
        event.time = ++m_clock_ms;
    }
    if (proc == nullptr) {
        // Without a hook the event simply reaches the system.
        return callNextHook(code, message, reinterpret_cast<std::intptr_t>(&event));
    }
    return proc(code, message, reinterpret_cast<std::intptr_t>(&event));
}

std::size_t KeyStream::pumpEchoes() {
    std::vector<TypedKey> echoes;
    {
        std::lock_guard lock(m_mutex);
        echoes.swap(m_pendingEchoes);
    }
    for (const TypedKey& t : echoes) {
        KeyEvent e;
        e.vkCode = t.vk;
        e.scanCode = t.scanCode;
        e.flags = kKeyFlagInjected | ((t.flags & kSendExtendedKey) ? kKeyFlagExtended : 0) |
                  (t.isRelease() ? 0x80 : 0);
        e.dwExtraInfo = t.extraInfo;
        offer(t.isRelease() ? kMsgKeyUp : kMsgKeyDown, e);
    }
    return echoes.size();
}

std::vector<std::string> KeyStream::log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<TypedKey> KeyStream::typed() const {
    std::lock_guard lock(m_mutex);
    return m_typed;
}

std::vector<PassedEvent> KeyStream::passed() const {
    std::lock_guard lock(m_mutex);
    return m_passed;
}

std::vector<Launch> KeyStream::launches() const {
    std::lock_guard lock(m_mutex);
    return m_launches;
}

int KeyStream::lockCount() const {
    std::lock_guard lock(m_mutex);
    return m_locks;
}

std::vector<std::uint8_t> KeyStream::heldKeys() const {
    std::lock_guard lock(m_mutex);
    return m_held;
}

bool KeyStream::waitForTyped(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_typedChanged.wait_for(lock, timeout, [&] { return m_typed.size() >= count; });
}

void KeyStream::clearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_typed.clear();
    m_passed.clear();
    m_launches.clear();
    m_pendingEchoes.clear();
    m_locks = 0;
}

bool KeyStream::hookInstalled() const {
    std::lock_guard lock(m_mutex);
    return m_proc != nullptr;
}

bool KeyStream::installHook(KeyHookProc proc, bool, void*, std::uint32_t) noexcept {
    std::lock_guard lock(m_mutex);
    if (proc == nullptr) {
        return false;
    }
    if (!m_captureAvailable) {
        m_offReason = "the emulated system refused key capture";
        return false;
    }
    m_offReason.clear();
    m_proc = proc;
    return true;
}

std::string KeyStream::captureOffReason() const {
    std::lock_guard lock(m_mutex);
    return m_offReason;
}

bool KeyStream::removeHook() noexcept {
    std::lock_guard lock(m_mutex);
    if (m_proc == nullptr) {
        return false;
    }
    m_proc = nullptr;
    return true;
}

std::intptr_t KeyStream::callNextHook(int code, std::uintptr_t message,
                                      std::intptr_t eventRecord) noexcept {
    const auto* e = reinterpret_cast<const KeyEvent*>(eventRecord);
    if (e == nullptr) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    m_passed.push_back(PassedEvent{code, message, *e});
    m_log.push_back(std::string("pass ") + (isKeyRelease(message) ? "up " : "down ") +
                    hex(e->vkCode) + ((e->flags & kKeyFlagExtended) ? " ext" : ""));
    writeLogFile(m_log.back());
    return 0;
}

void KeyStream::sendKey(std::uint8_t vk, std::uint8_t scanCode, std::uint32_t flags,
                        std::uintptr_t extraInfo) noexcept {
    TypedKey t{vk, scanCode, flags, extraInfo, std::chrono::steady_clock::now()};
    {
        std::lock_guard lock(m_mutex);
        m_typed.push_back(t);
        m_log.push_back(std::string(t.isRelease() ? "up " : "down ") + hex(vk) +
                        ((flags & kSendExtendedKey) ? " ext" : ""));
        writeLogFile("key " + m_log.back());
        auto it = std::find(m_held.begin(), m_held.end(), vk);
        if (t.isRelease()) {
            if (it != m_held.end()) {
                m_held.erase(it);
            }
        } else if (it == m_held.end()) {
            m_held.push_back(vk);
        }
        if (m_echo) {
            m_pendingEchoes.push_back(t);
        }
    }
    m_typedChanged.notify_all();
}

std::uint32_t KeyStream::scanCodeFor(std::uint32_t code) noexcept {
    return scanCodeForVirtualKey(code);
}

void KeyStream::openProgram(void* ownerWindow, const std::wstring& path,
                            const std::wstring& arguments) noexcept {
    std::lock_guard lock(m_mutex);
    m_launches.push_back(Launch{ownerWindow, path, arguments});
    m_log.push_back("open " + narrow(path) + (arguments.empty() ? "" : " " + narrow(arguments)));
    writeLogFile(m_log.back());
}

void KeyStream::lockWorkstation() noexcept {
    {
        std::lock_guard lock(m_mutex);
        ++m_locks;
        m_log.push_back("lock");
        writeLogFile(m_log.back());
    }
    m_typedChanged.notify_all();
}

}  // namespace platform::emulator
