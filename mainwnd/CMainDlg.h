#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "controls/CoordButtonImage.h"
#include "lighting/ConnectionHost.h"
#include "lighting/DeviceConnection.h"
#include "macro/KeyRemapper.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroPlayer.h"
#include "mainwnd/CaptureStatus.h"
#include "mainwnd/KeyAssignment.h"
#include "mainwnd/LightingPanels.h"
#include "mainwnd/StartWithDesktop.h"
#include "mainwnd/StatusLine.h"
#include "platform/DeviceNotifier.h"
#include "platform/HidBackend.h"
#include "platform/KeyInput.h"
#include "settings/ProgramStores.h"
#include "ui/HostWnd.h"

namespace kg {
class EventPump;
}
namespace kg::ui {
class TabCtrl;
class Window;
}  // namespace kg::ui

// What the main window is given by the start-up: the HID stack, the key output, the source of
// device notifications and the single-instance name.
struct MainDlgServices {
    platform::HidBackend* hid = nullptr;
    platform::KeyOutput* keyOutput = nullptr;
    std::unique_ptr<platform::DeviceNotifier> notifier;  // null: no notifications
    std::wstring singleInstanceName;
};

// The program's only top-level window: the title-bar buttons, the "more" menu (with the factory
// reset), the language switch, the status line (key capture off, the keyboard back after a
// factory reset), the lighting panels, the keyboard image, the connection to the keyboard with its
// worker, and the listener of the system-wide key hook. Destroying it ends the program.
class CMainDlg final : public kg::ui::HostWnd,
                       public IKeyboardHookListener,
                       public ICoordButtonClickListener,
                       private kg::IConnectionHost,
                       private IKeyRemapHost {
    Q_OBJECT
public:
    static constexpr int kMenuFirmware = 1;
    static constexpr int kMenuExit = 6;
    static constexpr int kMenuStartWithDesktop = 7;
    static constexpr int kIdBtnMore = 65537;
    // How long the note that the keyboard is back after a factory reset stays.
    static constexpr int kResetNote_ms = 8000;

    CMainDlg(MainDlgServices services, kg::ProgramStores stores);
    ~CMainDlg() override;

    // IKeyboardHookListener: the key re-assignment and the macro player.
    std::int32_t onHookEvent(int* code, std::uintptr_t* message,
                             platform::KeyEvent** eventRecord) noexcept override;

    // ICoordButtonClickListener: a click on the keyboard image opens the assignment editor for
    // that key and stores what the user chose. Always 0.
    int onCoordButtonClick(int id, std::wstring name, int kind, std::uintptr_t keyState, int x,
                           int y) override;
    // Where the editor for a clicked key comes from; without one a click opens nothing.
    void setAssignmentEditorFactory(kg::AssignmentEditorFactory factory) {
        m_editorFactory = std::move(factory);
    }

    // Switches every text of the window to Chinese or English; not remembered.
    void setLanguage(bool chinese);
    // Opens the "more" menu under its button.
    void showMoreMenu();
    // Shows the assigned keys on the keyboard image.
    void refreshKeyMarks() override;
    // Shows the window and brings it to the front (a second start, the tray icon).
    void bringToFront();
    // Whether the tray icon is in a notification area. Without one, hiding would leave no way
    // back: "btn_min" and a hidden start minimise to the task bar instead.
    bool hasTrayIcon() const;
    // Hides the window into the tray, or minimises it where the desktop has no tray.
    void hideOrMinimise();

    kg::DeviceConnection& connection() { return m_connection; }
    kg::LightingPanels& panels() { return m_panels; }
    CoordButtonImage* keyboardImage() const { return m_keyboardImage; }
    kg::ui::TabCtrl* effectTabs() const { return m_effectTabs; }
    kg::StatusLine& statusLine() { return m_statusLine; }
    // Where showMoreMenu opened the menu last (screen coordinates).
    QPoint lastMenuPosition() const { return m_lastMenuPosition; }

protected:
    void onInitDialog() override;
    void onMenuCommand(int id) override;
    void onDeviceChange(uintptr_t event, intptr_t record) override;
    void onCloseMessage() override;
    void onDestroyMessage() override;
    bool onEvent(kg::ui::Event& e) override;

private:
    // IConnectionHost
    void showMessage(const std::wstring& text, const std::wstring& caption) override;
    void setVersionText(const std::wstring& text) override;
    std::wstring translate(const std::wstring& text) override;
    void closeWindow() override;
    void showStoresInPanels() override;

    // IKeyRemapHost
    bool keyboardConnected() const noexcept override;
    IKeyboardHookListener* openEditor() const noexcept override;
    void* ownerWindow() const noexcept override;

    void stopWorker();
    void assignKey(int id, const std::wstring& name);
    void removeKeyAssignment(int id);
    std::wstring translateText(const std::wstring& text) const;

    MainDlgServices m_services;
    kg::ProgramStores m_stores;
    kg::DeviceConnection m_connection;
    MacroPlayer m_player;
    KeyRemapper m_remapper;
    kg::LightingPanels m_panels;
    std::map<std::uint8_t, std::wstring> m_clickedKeys;
    CoordButtonImage* m_keyboardImage = nullptr;
    kg::ui::TabCtrl* m_effectTabs = nullptr;
    IKeyboardHookListener* m_openEditor = nullptr;
    kg::AssignmentEditorFactory m_editorFactory;
    std::unique_ptr<kg::EventPump> m_notifierPump;
    bool m_workerStopped = false;
    QPoint m_lastMenuPosition;
    kg::StartWithDesktop m_startWithDesktop;
    kg::StatusLine m_statusLine;
    kg::CaptureStatus m_captureStatus;
};
