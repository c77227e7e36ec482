#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CMainDlg;
namespace platform {
class EmulatedKeyboard;
}

namespace kg {

// The program's own options, taken off the command line before the rest becomes the command
// line of the start-up ("-hid"):
//   --emulator         the emulated keyboard for HID, device notifications and keys
//   --screenshot FILE  saves a picture of the main window after start-up, then closes it
//   --quit-after MS    closes the main window after MS milliseconds
//   --command NAME     raises the command event of NAME (a button, "zh_cn") once the loop runs;
//                      repeatable, in order, before a screenshot is taken
struct ProgramOptions {
    bool emulator = false;
    std::vector<QString> commands;
    QString screenshotPath;
    int quitAfter_ms = -1;
    std::string commandLine;  // the remaining words, joined by single spaces
    bool valid = true;
    std::string error;  // why the options are not valid
};

ProgramOptions parseProgramOptions(const std::vector<std::string>& args);

// Exactly "-hid" (case-sensitive, nothing before or after it) starts hidden.
bool startsHidden(std::string_view commandLine);

// The start-up sequence, the message loop and the shutdown. A QApplication must exist.
class Startup {
public:
    explicit Startup(ProgramOptions options);
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // Where "config.xml" and "uires" are read (default: the executable's folder) and where the
    // four settings files go (default: the program folder, or the user's configuration folder
    // when the program folder is not writable).
    void setProgramFolder(std::wstring folder) { m_programFolder = std::move(folder); }
    void setSettingsFolder(std::wstring folder) { m_settingsFolder = std::move(folder); }

    // Called after the single-instance decision, before the main window is made (the
    // emulated keyboard exists by then), and once the message loop runs.
    void setBeforeWindow(std::function<void(Startup&)> hook) { m_beforeWindow = std::move(hook); }
    void setLoopStarted(std::function<void(Startup&)> hook) { m_loopStarted = std::move(hook); }

    // Runs the program; returns its exit code.
    int run();

    CMainDlg* window() const { return m_window.get(); }
    platform::EmulatedKeyboard* emulatedKeyboard() const { return m_keyboard.get(); }
    bool startedHidden() const { return m_hidden; }
    // The translation chosen at start ("lang_cn" or "lang_en"); empty when none was installed.
    QString startLanguage() const { return m_startLanguage; }

private:
    int runLoop();

    ProgramOptions m_options;
    std::wstring m_programFolder;
    std::wstring m_settingsFolder;
    std::function<void(Startup&)> m_beforeWindow;
    std::function<void(Startup&)> m_loopStarted;
    std::unique_ptr<platform::EmulatedKeyboard> m_keyboard;
    std::unique_ptr<CMainDlg> m_window;
    bool m_hidden = false;
    QString m_startLanguage;
};

}  // namespace kg
