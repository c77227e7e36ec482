#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include "app/DeveloperOptions.h"
#include "app/NamedIdTable.h"
#include "app/ProgramControls.h"
#include "app/ProgramServices.h"
#include "common/PathJoin.h"
#include "macro/KeyboardHook.h"
#include "mainwnd/CMainDlg.h"
#include "mainwnd/EventPump.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "settings/AppConfig.h"
#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/ProgramStores.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"
#include "ui/Toolkit.h"

namespace kg {

namespace {

QString toQString(const std::wstring& s) {
    return QString::fromStdWString(s);
}

}  // namespace

Startup::Startup(ProgramOptions options) : m_options(std::move(options)) {
    // The start-up moves into the program folder; a relative screenshot path means the folder
    // the program was started in.
    if (!m_options.screenshotPath.isEmpty()) {
        m_options.screenshotPath = QFileInfo(m_options.screenshotPath).absoluteFilePath();
    }
}

Startup::~Startup() = default;

platform::EmulatedKeyboard* Startup::emulatedKeyboard() const {
    return m_services ? m_services->emulatedKeyboard() : nullptr;
}

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
    // The program's icon for every window (task bar, Alt+Tab), and tooltips in the colours of
    // the dark windows rather than the desktop's light yellow.
    if (const QPixmap logo = tk.resources().pixmap(QStringLiteral("ICON:ICON_LOGO"));
        !logo.isNull()) {
        QApplication::setWindowIcon(QIcon(logo));
    }
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        app->setStyleSheet(QStringLiteral(
            "QToolTip{background:#161A22;color:#E6E9EF;border:1px solid #2A3140;padding:4px;}"));
    }

    // The translation named by config.xml; without it the layouts' own texts show.
    {
        AppConfig& config = AppConfig::instance();
        config.loadFile(kg::joinPath(m_programFolder, L"config.xml"));
        const QString name =
            config.useChinese ? QStringLiteral("lang_cn") : QStringLiteral("lang_en");
        if (tk.installLanguage(QStringLiteral("translator:") + name)) {
            m_startLanguage = name;
        }
    }

    registerProgramControls(tk.factory());

    m_services = std::make_unique<ProgramServices>(m_options.emulator);
    m_services->selectKeyInput();
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

    MainDlgServices services = m_services->windowServices(instanceName);
    if (m_beforeWindow) {
        m_beforeWindow(*this);
    }

    m_window = std::make_unique<CMainDlg>(std::move(services), kg::processWideStores());
    CMainDlg& window = *m_window;
    window.create();
    tk.setMainWindow(&window);
    std::unique_ptr<QObject> startupTimer = startupTimerFor(window);
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
        } else if (!window.hasTrayIcon()) {
            // Hidden with no tray to bring it back would be lost: on the task bar instead.
            window.hideOrMinimise();
        }
        applyDeveloperOptions(window, m_options);
        m_services->startKeyScript();
        if (m_loopStarted) {
            QTimer::singleShot(0, &window, [this] { m_loopStarted(*this); });
        }
        exitCode = tk.run(&window);
    }
    if (!window.isDestroyed()) {
        window.destroyWindow();
    }

    // Shutdown: the window object, then the toolkit, then the single-instance claim.
    m_services->stopKeyScript();
    startupTimer.reset();
    activation.reset();
    instance->setActivationCallback(nullptr);
    m_window.reset();
    toolkit.reset();
    instance.reset();
    m_services->releaseKeyboard();
    return exitCode;
}

}  // namespace kg
