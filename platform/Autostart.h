#pragma once

#include <string>

namespace platform {

// Whether the program starts, hidden ("-hid"), when the user's desktop session starts. On Linux
// that is the desktop entry "keyglow.desktop" in the user's autostart folder (the XDG autostart
// rules every desktop follows); on Windows the value "KeyGlow" under the user's Run key.
class Autostart {
public:
    // `place`: the autostart folder (Linux) or the Run key below HKEY_CURRENT_USER (Windows);
    // `program`: the full path of the executable to start.
    Autostart(std::wstring place, std::wstring program);

    // The running program in the user's own place.
    static Autostart forThisProgram();
    // $XDG_CONFIG_HOME/autostart (or ~/.config/autostart); empty when neither is known.
    // "Software\Microsoft\Windows\CurrentVersion\Run" on Windows.
    static std::wstring defaultPlace();

    // True when the entry is there and the desktop has not been told to skip it (a desktop's
    // own start-up settings hide an entry rather than delete it).
    bool isEnabled() const;
    // Writes the entry for the program with "-hid"; an entry the desktop had hidden is
    // replaced. False when it could not be written.
    bool enable() const;
    // Removes the entry; true also when there was none.
    bool disable() const;

    // The command line the entry runs.
    std::wstring command() const;

    const std::wstring& place() const { return m_place; }
    const std::wstring& program() const { return m_program; }

private:
    std::wstring m_place;
    std::wstring m_program;
};

}  // namespace platform
