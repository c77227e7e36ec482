#include "mainwnd/CMainDlg.h"

#include <QCoreApplication>
#include <QWindow>
#include <array>
#include <utility>

#include <pugixml.hpp>

#include "common/Log.h"
#include "mainwnd/EventPump.h"
#include "mainwnd/MacroEditorSession.h"
#include "mainwnd/SShellNotifyIcon.h"
#include "platform/SingleInstance.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "ui/Controls.h"
#include "ui/Menu.h"
#include "ui/MessageBox.h"
#include "ui/TabCtrl.h"
#include "ui/Toolkit.h"

namespace {

kg::UsbIdentity configuredKeyboard(const AppConfig& config) {
    kg::UsbIdentity usb;
    usb.vendorId = config.usbVendorId;
    usb.productId = config.usbProductId;
    usb.interfaceNumber = config.usbInterface;
    usb.collectionNumber = config.usbSubdevice;
    return usb;
}

QString toQString(const std::wstring& s) {
    return QString::fromStdWString(s);
}

}  // namespace

CMainDlg::CMainDlg(MainDlgServices services, kg::ProgramStores stores)
    : kg::ui::HostWnd(QStringLiteral("LAYOUT:XML_MAINWND")),
      m_services(std::move(services)),
      m_stores(stores),
      m_connection(*m_services.hid, *this, m_stores.effects, m_stores.sideLights,
                   configuredKeyboard(m_stores.config)),
      m_player(m_connection.worker(), *m_services.keyOutput),
      m_remapper(*this, m_stores.records, m_stores.macros.config(), m_stores.config, m_player,
                 *m_services.keyOutput),
      m_panels(*this, m_connection, m_stores),
      m_editorFactory(kg::macroEditorFactory(m_stores.config)),
      m_startWithDesktop(platform::Autostart::forThisProgram()),
      m_statusLine(*this),
      m_captureStatus(KeyboardHook::keyInput(), m_statusLine,
                      QCoreApplication::applicationDirPath()) {
    // Accepted only while the system hook is held; without it the program runs without
    // software key handling.
    KeyboardHook::addListener(this);
}

CMainDlg::~CMainDlg() {
    if (KeyboardHook::isInstalled()) {
        KeyboardHook::removeListener(this);
    }
    // The worker plays from the player's queue; it ends before the player goes.
    stopWorker();
    m_notifierPump.reset();
}

std::int32_t CMainDlg::onHookEvent(int* code, std::uintptr_t* message,
                                   platform::KeyEvent** eventRecord) noexcept {
    return m_remapper.onHookEvent(code, message, eventRecord);
}

void CMainDlg::onInitDialog() {
    platform::SingleInstance::markWindow(static_cast<std::uintptr_t>(winId()),
                                         m_services.singleInstanceName);

    // Device notifications, before any control is looked up. The registration stays for the
    // window's whole life.
    if (m_services.notifier) {
        m_notifierPump = std::make_unique<kg::EventPump>(*m_services.notifier);
        m_services.notifier->start([this](platform::DeviceChange change, const std::wstring& path) {
            sendMessage(kg::ui::kMsgDeviceChange, static_cast<uintptr_t>(change),
                        reinterpret_cast<intptr_t>(path.c_str()));
        });
    }

    m_effectTabs = findChildAs<kg::ui::TabCtrl>(QStringLiteral("tab_color_effect"));
    m_keyboardImage = qobject_cast<CoordButtonImage*>(
        findChildByName(QStringLiteral("img_keyboard"), QStringLiteral("cbimg")));
    if (m_keyboardImage) {
        m_keyboardImage->setClickListener(this);
    }

    m_panels.setUp(m_effectTabs);
    m_statusLine.setUp();
    m_captureStatus.start();

    m_connection.StartConnection(std::make_unique<SimpleThread::Callback<MacroPlayer>>(
                                     &m_player, &MacroPlayer::playNextStep),
                                 this);
}

void CMainDlg::onMenuCommand(int id) {
    switch (id) {
        case kMenuFirmware:
            m_connection.OnFirmwareCommand();
            break;
        case kMenuExit:
            postMessage(kg::ui::kMsgClose);
            break;
        case kMenuStartWithDesktop:
            // The message box translates both texts.
            if (!m_startWithDesktop.toggle()) {
                showMessage(L"KeyGlow could not change whether it starts with the desktop.",
                            L"Warning");
            }
            break;
        default:
            break;
    }
}

void CMainDlg::onDeviceChange(uintptr_t event, intptr_t record) {
    const auto change = static_cast<platform::DeviceChange>(event);
    const auto* path = reinterpret_cast<const wchar_t*>(record);
    if (path == nullptr) {
        return;
    }
    const bool resetPending = m_connection.factoryResetPending();
    m_connection.OnDeviceChange(change, path);
    if (!resetPending) {
        return;
    }
    // The keyboard restarts after a factory reset. Said on the status line, never in a box:
    // the restart goes on while the note shows.
    if (!m_connection.factoryResetPending() && m_connection.keyboardConnected()) {
        m_statusLine.showNote(
            QStringLiteral("The keyboard has restarted with its factory settings; all settings "
                           "are back to their defaults."),
            kResetNote_ms);
    } else if (!m_connection.keyboardConnected()) {
        // Until it is back; the arrival replaces this note.
        m_statusLine.showNote(QStringLiteral("Restoring the factory settings: the keyboard is "
                                             "restarting..."),
                              kResetNote_ms * 4);
    }
}

void CMainDlg::onCloseMessage() {
    destroyWindow();
}

void CMainDlg::onDestroyMessage() {
    stopWorker();
    platform::SingleInstance::unmarkWindow(static_cast<std::uintptr_t>(winId()),
                                           m_services.singleInstanceName);
}

void CMainDlg::stopWorker() {
    if (m_workerStopped) {
        return;
    }
    m_workerStopped = true;
    // A pause in progress ends at once; after the worker has ended, keys the player left down
    // are released so that none stays pressed after the program.
    m_player.beginStop();
    m_connection.StopWorker();
    m_player.finishStop();
}

bool CMainDlg::onEvent(kg::ui::Event& e) {
    if (e.id == kg::ui::kEventCommand) {
        const QString& name = e.senderName;
        if (name == QLatin1String("btn_more")) {
            showMoreMenu();
            return true;
        }
        if (name == QLatin1String("btn_close")) {
            destroyWindow();
            return true;
        }
        if (name == QLatin1String("btn_min")) {
            // Off the screen and the task bar; the tray icon or a second start shows it again.
            hideOrMinimise();
            return true;
        }
        if (name == QLatin1String("btn_max")) {
            sendMessage(kg::ui::kMsgSysCommand, kg::ui::kScMaximize, 0);
            return true;
        }
        if (name == QLatin1String("btn_restore")) {
            sendMessage(kg::ui::kMsgSysCommand, kg::ui::kScRestore, 0);
            return true;
        }
        if (name == QLatin1String("zh_cn")) {
            setLanguage(true);
            return true;
        }
        if (name == QLatin1String("jp")) {
            setLanguage(false);
            return true;
        }
        if (name == QLatin1String("btn_status_link")) {
            m_statusLine.openDocument();
            return true;
        }
    }
    return m_panels.onEvent(e);
}

void CMainDlg::showMoreMenu() {
    kg::ui::Window* button = findChildById(kIdBtnMore, QStringLiteral("imgbtn"));
    if (button == nullptr) {
        return;
    }
    // The menu's top-left corner goes to the button's bottom-left corner.
    const QRect rect = button->geometry();
    const QWidget* parent = button->parentWidget();
    const QPoint topLeft = parent ? parent->mapToGlobal(rect.topLeft()) : rect.topLeft();
    const QPoint bottomRight =
        parent ? parent->mapToGlobal(rect.bottomRight() + QPoint(1, 1)) : rect.bottomRight();
    kg::ui::MenuEx menu;
    if (!menu.load(QStringLiteral("smenuex:menu_more"))) {
        return;
    }
    m_startWithDesktop.showIn(menu, kMenuStartWithDesktop);
    m_lastMenuPosition = QPoint(topLeft.x(), bottomRight.y());
    menu.track(m_lastMenuPosition, this, 0, 100);
}

void CMainDlg::setLanguage(bool chinese) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    if (tk == nullptr) {
        return;
    }
    if (!tk->installLanguage(chinese ? QStringLiteral("translator:lang_cn")
                                     : QStringLiteral("translator:lang_en"))) {
        return;
    }
    sendMessage(kg::ui::kMsgLanguageChanged, 0, 0);
    m_statusLine.retranslate();
    // The version label holds a text built from translated parts; build it again.
    m_connection.commands().ShowFirmwareVersion();
}

void CMainDlg::refreshKeyMarks() {
    if (m_keyboardImage == nullptr) {
        return;
    }
    auto translate = [this](const std::wstring& text) { return translateText(text); };
    for (const KeyRecord& record : m_stores.records.records()) {
        m_keyboardImage->setKeyChecked(record.code, 1);
        m_keyboardImage->setKeyTip(record.code, kg::keyRecordTip(record, translate));
    }
}

int CMainDlg::onCoordButtonClick(int id, std::wstring name, int kind, std::uintptr_t /*keyState*/,
                                 int /*x*/, int /*y*/) {
    // A press only lets the image apply its own selection; the editor opens on the click.
    if (kind == CoordButtonImage::kPress) {
        return 0;
    }
    // Nothing can be assigned while the keyboard is away.
    if (!keyboardConnected()) {
        return 0;
    }
    m_clickedKeys[static_cast<std::uint8_t>(id & 0xFF)] = name;
    int result = kg::kEditorCancel;
    if (m_editorFactory) {
        if (std::unique_ptr<kg::IAssignmentEditor> editor =
                m_editorFactory(m_stores.macros, m_keyboardImage, m_clickedKeys)) {
            m_openEditor = editor->hookListener();
            result = editor->runModal(this);
            m_openEditor = nullptr;
        }
    }
    if (result == kg::kEditorOk) {
        if (id != 0) {
            assignKey(id, name);
        }
        m_stores.macros.save();
    } else if (result == kg::kEditorDelete) {
        removeKeyAssignment(id);
    }
    m_clickedKeys.clear();
    return 0;
}

void CMainDlg::assignKey(int id, const std::wstring& name) {
    const std::optional<KeyRecord> record =
        kg::buildKeyRecord(id, name, m_stores.macros, m_stores.config, m_keyboardImage);
    // A choice that points at nothing leaves the key's previous record, mark and tip alone.
    if (!record) {
        return;
    }
    if (m_keyboardImage) {
        m_keyboardImage->setKeyChecked(id, 1);
        m_keyboardImage->setKeyTip(id, kg::keyRecordTip(*record, [this](const std::wstring& t) {
                                       return translateText(t);
                                   }));
    }
    m_stores.records.setRecord(*record);
    m_stores.records.save();
}

void CMainDlg::removeKeyAssignment(int id) {
    m_stores.records.removeRecord(id);
    CoordButton key;
    if (m_keyboardImage && m_keyboardImage->findKey(id, key)) {
        m_keyboardImage->setKeyTip(id, translateText(key.name));
        m_keyboardImage->setKeyChecked(id, 0);
    }
    m_stores.records.save();
}

std::wstring CMainDlg::translateText(const std::wstring& text) const {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    return tk ? tk->tr(toQString(text)).toStdWString() : text;
}

bool CMainDlg::hasTrayIcon() const {
    for (SShellNotifyIcon* icon : findChildren<SShellNotifyIcon*>()) {
        if (icon->shown()) {
            return true;
        }
    }
    return false;
}

void CMainDlg::hideOrMinimise() {
    if (hasTrayIcon()) {
        hide();
        return;
    }
    static bool said = false;
    if (!said) {
        said = true;
        kg::logLine(kg::LogArea::Platform,
                    "no system tray: the window is minimised to the task bar instead of "
                    "hidden\n");
    }
    showMinimized();
}

void CMainDlg::bringToFront() {
    if (isDestroyed()) {
        return;
    }
    if (isMinimized()) {
        showNormal();
    }
    if (!isVisible()) {
        show();
    }
    raise();
    activateWindow();
}

void CMainDlg::showMessage(const std::wstring& text, const std::wstring& caption) {
    // Over the window once it is shown, so that the focus comes back to it afterwards; the box
    // of the start (no keyboard) has no window to stand on.
    kg::ui::messageBox(isVisible() ? this : nullptr, toQString(text), toQString(caption),
                       kg::ui::kMbOk);
}

void CMainDlg::setVersionText(const std::wstring& text) {
    if (kg::ui::Window* label = findChildByName(QStringLiteral("version"))) {
        label->setText(toQString(text));
    }
}

std::wstring CMainDlg::translate(const std::wstring& text) {
    return translateText(text);
}

void CMainDlg::closeWindow() {
    destroyWindow();
}

void CMainDlg::showStoresInPanels() {
    m_panels.syncEffectPanel(true);
    m_panels.syncSidePanel(true);
}

bool CMainDlg::keyboardConnected() const noexcept {
    return m_connection.keyboardConnected();
}

IKeyboardHookListener* CMainDlg::openEditor() const noexcept {
    return m_openEditor;
}

void* CMainDlg::ownerWindow() const noexcept {
    return reinterpret_cast<void*>(effectiveWinId());
}
