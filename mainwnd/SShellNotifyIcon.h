#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>
#include <vector>

#include "ui/Window.h"

// The notification-area icon of the window whose layout holds it (tag "shellnotifyicon"). It
// draws nothing in the layout. A left click hides the window when it is visible and otherwise
// shows it and brings it to the front; a right click opens the menu named by "menu", whose
// commands reach the window as menu commands. The system re-adds the icon when the shell
// restarts ("TaskbarCreated"). Where the desktop has no notification area the control keeps its
// state (icons, tip, animation) without showing anything.
class SShellNotifyIcon final : public kg::ui::Window {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::Window, "shellnotifyicon")
public:
    // Menu kinds by the menu resource's root element.
    static constexpr int kMenuClassic = 0;
    static constexpr int kMenuExtended = 1;
    static constexpr int kMenuNone = 2;
    // The notification record's tip field holds 127 characters and the terminator.
    static constexpr int kMaxTipLength = 127;
    // An animation needs this many icons from the start frame on.
    static constexpr int kMinAnimationFrames = 4;
    // The icon shown when the layout names none: the logo at this size.
    static constexpr int kLogoSize = 16;

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

    // Shows the icons from the start frame to the last one, `duration_ms` apart, over and over.
    // False (and nothing changes) with fewer than four icons from the start frame on.
    bool startAnimation(int duration_ms);
    // Stops the animation; the default icon shows again.
    void stopAnimation();
    // One animation step (the timer's tick): the next icon, after the last one the start frame.
    void showNextFrame();
    // Makes `index` the default icon and shows it; false when there is no such icon.
    bool setDefaultIcon(unsigned index);
    // Puts the icon into the notification area, updates it there, takes it out.
    bool addIcon();
    bool modifyIcon();
    void removeIcon();

    int iconCount() const { return static_cast<int>(m_icons.size()); }
    unsigned defaultIconIndex() const { return m_defaultIcon; }
    int menuKind() const { return m_menuKind; }
    QString menuResource() const { return m_menu; }
    QString tip() const { return m_tip; }
    // The tip as the notification area gets it: translated, at most 127 characters.
    QString shownTip() const;
    int startFrame() const { return m_startFrame; }
    int frameDuration() const { return m_duration_ms; }
    bool animating() const { return m_animation.isActive(); }
    // The icon shown now: its index among the "ico" icons, or -1 for the logo.
    int currentIconIndex() const { return m_current; }
    QIcon currentIcon() const { return m_currentIcon; }
    // Whether the icon is in the notification area.
    bool shown() const { return m_tray != nullptr && m_tray->isVisible(); }

private:
    void showIcon(int index);

    std::vector<QIcon> m_icons;
    QString m_tip;
    QString m_menu;
    int m_menuKind = kMenuNone;
    unsigned m_defaultIcon = 0;
    int m_frame = 0;
    int m_startFrame = 1;
    int m_duration_ms = 200;
    int m_current = -1;
    QIcon m_currentIcon;
    QTimer m_animation;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
