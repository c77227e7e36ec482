#pragma once

#include <QDir>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "mainwnd/CMainDlg.h"
#include "settings/AppConfig.h"
#include "tests/support/ProgramFolder.h"
#include "ui/MessageBox.h"
#include "ui/Toolkit.h"

namespace kg::test {

// Runs the whole program in this process against the emulated keyboard, in a program folder
// of its own. Message boxes are answered OK and recorded. A run that nothing ends stops after
// ten seconds with the exit code 99.
class StartupHarness {
public:
    static constexpr int kHung = 99;

    struct Box {
        QString text;
        QString caption;
        unsigned type;
    };

    explicit StartupHarness(const QString& language = QStringLiteral("en"),
                            std::string commandLine = std::string())
        : folder(language) {
        options.emulator = true;
        options.commandLine = std::move(commandLine);
        // The configuration is process-wide; each run starts from the defaults as a fresh
        // process would.
        AppConfig::instance().loadBuffer("<?xml version=\"1.0\"?><none/>");
        kg::ui::setMessageBoxAnswerer([this](const kg::ui::MessageBoxRequest& r) {
            boxes.push_back({r.text, r.caption, r.type});
            return 1;
        });
    }
    ~StartupHarness() { kg::ui::setMessageBoxAnswerer(nullptr); }

    // Runs the program; `whileRunning` is called once the loop runs.
    int run(std::function<void(Startup&, CMainDlg&)> whileRunning = nullptr,
            std::function<void(Startup&)> beforeWindow = nullptr) {
        // The start-up moves into the program folder, which goes away with this harness. The
        // build tree's paths name no drive, so on Windows they only lead into the build tree
        // while the current folder is on its drive: the next test needs the folder back.
        const QString before = QDir::currentPath();
        struct Back {
            QString folder;
            ~Back() { QDir::setCurrent(folder); }
        } back{before};
        Startup startup(options);
        startup.setProgramFolder(folder.wpath());
        startup.setSettingsFolder(settingsFolder.empty() ? folder.wpath() : settingsFolder);
        if (beforeWindow) {
            startup.setBeforeWindow(beforeWindow);
        }
        startup.setLoopStarted([&](Startup& s) {
            loopRan = true;
            QTimer::singleShot(10000, s.window(), [] {
                if (kg::ui::Toolkit* tk = kg::ui::Toolkit::instance()) {
                    tk->quit(kHung);
                }
            });
            if (whileRunning) {
                whileRunning(s, *s.window());
            }
        });
        const int code = startup.run();
        startedHidden = startup.startedHidden();
        startLanguage = startup.startLanguage();
        return code;
    }

    static void quit(int code) { kg::ui::Toolkit::instance()->quit(code); }

    ProgramFolder folder;
    // Where the settings files go; empty: the program folder.
    std::wstring settingsFolder;
    ProgramOptions options;
    std::vector<Box> boxes;
    bool loopRan = false;
    bool startedHidden = false;
    QString startLanguage;
};

// The control showing the source text `source` (labels have no names).
inline kg::ui::Window* controlWithText(CMainDlg& w, const QString& source) {
    for (kg::ui::Window* c : w.findChildren<kg::ui::Window*>()) {
        if (c->text() == source) {
            return c;
        }
    }
    return nullptr;
}

}  // namespace kg::test
