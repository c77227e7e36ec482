#include "app/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include <pugixml.hpp>

#include "app/EffectStore.h"
#include "app/NamedIdTable.h"
#include "app/ProgramControls.h"
#include "app/SideLightStore.h"
#include "common/PathJoin.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroStore.h"
#include "macro/RecordStore.h"
#include "mainwnd/AppConfig.h"
#include "mainwnd/window/CMainDlg.h"
#include "mainwnd/window/EventPump.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/EmulatorDeviceNotifier.h"
#include "platform/emulator/KeyStream.h"
#include "ui/Toolkit.h"

namespace kg {

namespace {

// The emulated key stream lives as long as the process: the hook, once installed on it, is
// never removed.
platform::emulator::KeyStream& emulatorKeyStream() {
    static platform::emulator::KeyStream* stream = new platform::emulator::KeyStream;
    return *stream;
}

QString toQString(const std::wstring& s) {
    return QString::fromStdWString(s);
}

// Saves a picture of the window once it has painted for the first time (a hidden window
// never paints; it is grabbed after a while all the same), then closes it.
class ScreenshotTaker : public QObject {
public:
    ScreenshotTaker(CMainDlg& window, QString path)
        : QObject(&window), m_window(window), m_path(std::move(path)) {
        m_window.installEventFilter(this);
        QTimer::singleShot(2000, this, [this] { take(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_scheduled) {
            m_scheduled = true;
            // Let the paint finish and the controls settle before the grab.
            QTimer::singleShot(100, this, [this] { take(); });
        }
        return false;
    }

private:
    void take() {
        if (m_taken) {
            return;
        }
        m_taken = true;
        const QPixmap picture = m_window.grab();
        if (picture.save(m_path, "PNG")) {
            std::printf("keyglow: screenshot saved to %s\n", qPrintable(m_path));
        } else {
            std::fprintf(stderr, "keyglow: could not save the screenshot to %s\n",
                         qPrintable(m_path));
        }
        std::fflush(stdout);
        m_window.postMessage(kg::ui::kMsgClose);
    }

    CMainDlg& m_window;
    QString m_path;
    bool m_scheduled = false;
    bool m_taken = false;
};

// Reports once how long the start took until the window first painted.
class StartupTimer : public QObject {
public:
    explicit StartupTimer(CMainDlg& window) : QObject(&window), m_window(window) {
        m_clock.start();
        m_window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            std::printf("keyglow: first paint of the window, %lld ms after its creation\n",
                        static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
        }
        return false;
    }

private:
    CMainDlg& m_window;
    QElapsedTimer m_clock;
    bool m_reported = false;
};

}  // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string>& args) {
    ProgramOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--emulator") {
            options.emulator = true;
            continue;
        }
        if (a == "--screenshot" || a == "--quit-after" || a == "--command") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.valid = false;
                options.error = a + " needs a value";
                return options;
            }
            const std::string& value = args[++i];
            if (a == "--screenshot") {
                options.screenshotPath = QString::fromStdString(value);
                continue;
            }
            if (a == "--command") {
                options.commands.push_back(QString::fromStdString(value));
                continue;
            }
            int ms = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (ec != std::errc() || end != value.data() + value.size() || ms < 0) {
                options.valid = false;
                options.error =
                    "--quit-after needs a number of milliseconds, not \"" + value + "\"";
                return options;
            }
            options.quitAfter_ms = ms;
            continue;
        }
        if (!options.commandLine.empty()) {
            options.commandLine.push_back(' ');
        }
        options.commandLine += a;
    }
    return options;
}

bool startsHidden(std::string_view commandLine) {
    return commandLine == "-hid";
}

Startup::Startup(ProgramOptions options) : m_options(std::move(options)) {
    // The start-up moves into the program folder; a relative screenshot path means the folder
    // the program was started in.
    if (!m_options.screenshotPath.isEmpty()) {
        m_options.screenshotPath = QFileInfo(m_options.screenshotPath).absoluteFilePath();
    }
}

Startup::~Startup() = default;

int Startup::run() {
    if (m_programFolder.empty()) {
        m_programFolder = platform::programFolder();
    }
    if (m_settingsFolder.empty()) {
        m_settingsFolder = platform::writableConfigFolder();
    }
    // Relative paths (the layouts' key layout file "uires/keyboard.xml") resolve against the
    // program folder.
    QDir::setCurrent(toQString(m_programFolder));

    auto toolkit = std::make_unique<kg::ui::Toolkit>();
    kg::ui::Toolkit& tk = *toolkit;
    tk.resources().openFolder(toQString(kg::joinPath(m_programFolder, L"uires")));
    tk.namedIds().registerTable(kNamedIds, kNamedIdCount, true);
    tk.loadUiDef(QStringLiteral("uidef:xml_init"));

    // The translation named by config.xml; without it the layouts' own texts show.
    {
        AppConfig& config = AppConfig::instance();
        config.loadFile(kg::joinPath(m_programFolder, L"config.xml"));
        const QString name =
            config.useChinese ? QStringLiteral("lang_cn") : QStringLiteral("lang_en");
        pugi::xml_document doc;
        if (tk.resources().loadXml(QStringLiteral("translator:") + name, doc)) {
            std::shared_ptr<kg::ui::Language> language = tk.translator().createLanguage();
            if (language->load(doc.child("language"))) {
                tk.translator().setCurrentLanguage(language->name());
                tk.translator().install(std::move(language));
                m_startLanguage = name;
            }
        }
    }

    registerProgramControls(tk.factory());

    // Key capture: the emulated key stream delivers only what a test offers it.
    if (m_options.emulator) {
        KeyboardHook::setKeyInput(&emulatorKeyStream());
    }
    KeyboardHook::install(1, nullptr, 0);
    kg::FdWatch keySource(KeyboardHook::keyInput().pollFd(),
                          [] { KeyboardHook::keyInput().dispatch(); });

    MacroStore::instance().load(kg::joinPath(m_settingsFolder, L"macro.xml"));
    RecordStore::instance().load(kg::joinPath(m_settingsFolder, L"record.xml"));
    SideLightStore::instance().load(kg::joinPath(m_settingsFolder, L"sidemodel.xml"));
    EffectStore::instance().load(kg::joinPath(m_settingsFolder, L"ledeffect.xml"));

    const std::wstring instanceName = tk.stringAt(0).toStdWString();
    auto instance = std::make_unique<platform::SingleInstance>(instanceName);
    if (instance->claim() == platform::InstanceClaim::AnotherRunning) {
        return 0;
    }

    m_hidden = startsHidden(m_options.commandLine);

    MainDlgServices services;
    services.singleInstanceName = instanceName;
    if (m_options.emulator) {
        m_keyboard = std::make_unique<platform::EmulatedKeyboard>();
        services.hid = m_keyboard.get();
        services.keyOutput = &emulatorKeyStream();
        services.notifier = std::make_unique<platform::EmulatorDeviceNotifier>(*m_keyboard);
    } else {
        services.hid = &platform::systemHidBackend();
        services.keyOutput = &platform::systemKeyOutput();
        services.notifier = platform::createSystemDeviceNotifier();
    }
    if (m_beforeWindow) {
        m_beforeWindow(*this);
    }

    m_window = std::make_unique<CMainDlg>(std::move(services));
    CMainDlg& window = *m_window;
    window.create();
    tk.setMainWindow(&window);
    auto startupTimer = std::getenv("KEYGLOW_STARTUP_TIMING") != nullptr
                            ? std::make_unique<StartupTimer>(window)
                            : nullptr;
    window.sendMessage(kg::ui::kMsgInitDialog, 0, 0);

    // A later start asks this one, through the single-instance socket, to come forward.
    auto activation = std::make_unique<kg::FdWatch>(instance->activationFd(),
                                                    [&instance] { instance->dispatch(); });
    instance->setActivationCallback([&window] { window.bringToFront(); });
    // SIGTERM and SIGINT close the window the way its close button does.
    kg::FdWatch termination(platform::TerminationSignals::watch(), [&window] {
        if (platform::TerminationSignals::consume() > 0) {
            window.sendMessage(kg::ui::kMsgClose);
        }
    });

    int exitCode = 0;
    if (window.isDestroyed()) {
        // The window ended during its initialisation (no keyboard): nothing to show.
        exitCode = tk.run(&window);
    } else {
        window.centerOnScreen();
        if (!m_hidden) {
            window.show();
        }
        for (const QString& command : m_options.commands) {
            window.postNamedCommand(command, std::max(0, tk.namedIds().idOf(command)));
        }
        if (!m_options.screenshotPath.isEmpty()) {
            new ScreenshotTaker(window, m_options.screenshotPath);
        }
        if (m_options.quitAfter_ms >= 0) {
            QTimer::singleShot(m_options.quitAfter_ms, &window,
                               [&window] { window.postMessage(kg::ui::kMsgClose); });
        }
        if (m_loopStarted) {
            QTimer::singleShot(0, &window, [this] { m_loopStarted(*this); });
        }
        exitCode = tk.run(&window);
    }
    if (!window.isDestroyed()) {
        window.destroyWindow();
    }

    // Shutdown: the window object, then the toolkit, then the single-instance claim.
    startupTimer.reset();
    activation.reset();
    instance->setActivationCallback(nullptr);
    m_window.reset();
    toolkit.reset();
    instance.reset();
    m_keyboard.reset();
    return exitCode;
}

}  // namespace kg
