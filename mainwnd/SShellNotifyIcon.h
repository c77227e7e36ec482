#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>
#include <vector>

#include "ui/Window.h"

// The notification-area icon of the window whose layout holds it (tag "shellnotifyicon"). It
// draws nothing in the layout. A left click hides the window when it is visible and otherwise
// shows it and brings it to the front; a right click opens the menu named by "menu", whose
// commands reach the window as menu commands. Where the desktop has no notification area the
// control stays inert.
class SShellNotifyIcon final : public kg::ui::Window {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::Window, "shellnotifyicon")
public:
    // Menu kinds by the menu resource's root element.
    static constexpr int kMenuClassic = 0;
    static constexpr int kMenuExtended = 1;
    static constexpr int kMenuNone = 2;

    explicit SShellNotifyIcon(QWidget* parent = nullptr);
    ~SShellNotifyIcon() override;

    bool applyAttribute(const QString& name, const QString& value) override;
    void onInitFinished() override;
    void paint(QPainter& p) override;
    void retranslate() override;

    // A left click on the icon.
    void onLeftClick();
    // A right click: the menu at the cursor.
    void onRightClick();

    int iconCount() const { return static_cast<int>(m_icons.size()); }
    unsigned defaultIconIndex() const { return m_defaultIcon; }
    int menuKind() const { return m_menuKind; }
    QString menuResource() const { return m_menu; }
    QString tip() const { return m_tip; }
    // Whether the icon was put into the notification area.
    bool shown() const { return m_tray != nullptr && m_tray->isVisible(); }

private:
    std::vector<QIcon> m_icons;
    QString m_tip;
    QString m_menu;
    int m_menuKind = kMenuNone;
    unsigned m_defaultIcon = 0;
    int m_startFrame = 1;
    int m_duration_ms = 200;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
