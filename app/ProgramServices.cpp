#include "app/ProgramServices.h"

#include <cstdlib>
#include <cstring>

#include "macro/KeyboardHook.h"
#include "mainwnd/EventPump.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/EmulatorDeviceNotifier.h"
#include "platform/emulator/KeyScript.h"
#include "platform/emulator/KeyStream.h"

namespace kg {

namespace {

// The emulated key stream lives as long as the process: the hook, once installed on it, is
// never removed.
platform::emulator::KeyStream& emulatorKeyStream() {
    static platform::emulator::KeyStream* stream = new platform::emulator::KeyStream;
    return *stream;
}

}  // namespace

ProgramServices::ProgramServices(bool emulated) : m_emulated(emulated) {}

ProgramServices::~ProgramServices() {
    stopKeyScript();
}

void ProgramServices::selectKeyInput() const {
    // The emulated key stream delivers only what a test or a script offers it.
    if (m_emulated) {
        KeyboardHook::setKeyInput(&emulatorKeyStream());
        const char* log = std::getenv("KEYGLOW_EMULATOR_LOG");
        emulatorKeyStream().openLogFile(log != nullptr ? log : "");
        // KEYGLOW_EMULATOR_CAPTURE=off: the system refuses key capture, as one without the
        // permission does.
        const char* capture = std::getenv("KEYGLOW_EMULATOR_CAPTURE");
        emulatorKeyStream().setCaptureAvailable(capture == nullptr ||
                                                std::strcmp(capture, "off") != 0);
    }
}

void ProgramServices::startKeyScript() {
    const char* path = std::getenv("KEYGLOW_EMULATOR_KEYS");
    if (!m_emulated || path == nullptr || *path == '\0' || m_keyScript) {
        return;
    }
    m_keyScript = std::make_unique<platform::emulator::KeyScript>(emulatorKeyStream(), path);
    m_keyScriptPump = std::make_unique<EventPump>(*m_keyScript);
    m_keyScript->start();
}

void ProgramServices::stopKeyScript() {
    m_keyScriptPump.reset();
    m_keyScript.reset();
}

MainDlgServices ProgramServices::windowServices(std::wstring singleInstanceName) {
    MainDlgServices services;
    services.singleInstanceName = std::move(singleInstanceName);
    if (m_emulated) {
        m_keyboard = std::make_unique<platform::EmulatedKeyboard>();
        services.hid = m_keyboard.get();
        services.keyOutput = &emulatorKeyStream();
        services.notifier = std::make_unique<platform::EmulatorDeviceNotifier>(*m_keyboard);
    } else {
        services.hid = &platform::systemHidBackend();
        services.keyOutput = &platform::systemKeyOutput();
        services.notifier = platform::createSystemDeviceNotifier();
    }
    return services;
}

}  // namespace kg
