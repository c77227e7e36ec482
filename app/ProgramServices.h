#pragma once

#include <memory>
#include <string>

#include "mainwnd/CMainDlg.h"

namespace platform {
class EmulatedKeyboard;
namespace emulator {
class KeyScript;
}
}  // namespace platform

namespace kg {

class EventPump;

// The one place that chooses between the real system and the emulated keyboard: the key
// source the hook is installed on, the HID stack, the key output and the device notifications
// the main window is given.
class ProgramServices {
public:
    explicit ProgramServices(bool emulated);
    ~ProgramServices();
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    // Points the keyboard hook at the key source; before the hook is installed. With the
    // emulator, what the program types, lets pass, starts and locks is appended to
    // KEYGLOW_EMULATOR_LOG as well, and KEYGLOW_EMULATOR_CAPTURE=off refuses key capture.
    void selectKeyInput() const;

    // With the emulator and KEYGLOW_EMULATOR_KEYS naming a file or a named pipe: starts
    // reading key lines from it, each key offered to the hook on the UI thread. Once the main
    // window listens; stopKeyScript before it goes.
    void startKeyScript();
    void stopKeyScript();

    // The main window's services. With the emulator this makes the emulated keyboard, which
    // then lives as long as this object.
    MainDlgServices windowServices(std::wstring singleInstanceName);

    platform::EmulatedKeyboard* emulatedKeyboard() const { return m_keyboard.get(); }
    // Ends the emulated keyboard; after the window that uses it is gone.
    void releaseKeyboard() { m_keyboard.reset(); }

private:
    bool m_emulated;
    std::unique_ptr<platform::EmulatedKeyboard> m_keyboard;
    std::unique_ptr<platform::emulator::KeyScript> m_keyScript;
    std::unique_ptr<EventPump> m_keyScriptPump;
};

}  // namespace kg
