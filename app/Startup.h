#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/ProgramOptions.h"

class CMainDlg;
namespace platform {
class EmulatedKeyboard;
}

namespace kg {

class ProgramServices;

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
    platform::EmulatedKeyboard* emulatedKeyboard() const;
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
    std::unique_ptr<ProgramServices> m_services;
    std::unique_ptr<CMainDlg> m_window;
    bool m_hidden = false;
    QString m_startLanguage;
};

}  // namespace kg
