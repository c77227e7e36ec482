#include "mainwnd/SShellNotifyIcon.h"

#include <QCursor>
#include <QPixmap>

#include "ui/HostWnd.h"
#include "ui/Menu.h"
#include "ui/Toolkit.h"

SShellNotifyIcon::SShellNotifyIcon(QWidget* parent) : kg::ui::Window(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

SShellNotifyIcon::~SShellNotifyIcon() = default;

bool SShellNotifyIcon::applyAttribute(const QString& name, const QString& value) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    const QString n = name.toLower();
    if (n == QLatin1String("ico")) {
        m_icons.clear();
        for (const QString& resource : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QPixmap pixmap = tk ? tk->resources().pixmap(resource.trimmed()) : QPixmap();
            if (!pixmap.isNull()) {
                m_icons.emplace_back(pixmap);
            }
        }
        return true;
    }
    if (n == QLatin1String("tip")) {
        if (!value.isEmpty()) {
            m_tip = tk ? tk->resolveString(value) : value;
        }
        return true;
    }
    if (n == QLatin1String("menu")) {
        pugi::xml_document doc;
        if (tk == nullptr || !tk->resources().loadXml(value, doc)) {
            return true;  // the kind stays as it was
        }
        const QString root = QString::fromUtf8(doc.document_element().name());
        if (root == QLatin1String("menu")) {
            m_menuKind = kMenuClassic;
        } else if (root == QLatin1String("menuRoot") || root == QLatin1String("menuItem")) {
            m_menuKind = kMenuExtended;
        } else {
            m_menuKind = kMenuNone;
        }
        if (m_menuKind != kMenuNone) {
            m_menu = value;
        }
        return true;
    }
    if (n == QLatin1String("deficoidx")) {
        m_defaultIcon = static_cast<unsigned>(parseInt(value));
        return true;
    }
    if (n == QLatin1String("startframe")) {
        m_startFrame = parseInt(value, 1);
        return true;
    }
    if (n == QLatin1String("duration")) {
        m_duration_ms = parseInt(value, 200);
        return true;
    }
    return kg::ui::Window::applyAttribute(name, value);
}

void SShellNotifyIcon::onInitFinished() {
    if (m_defaultIcon >= m_icons.size()) {
        m_defaultIcon = 0;
    }
    QIcon icon;
    if (!m_icons.empty()) {
        icon = m_icons[m_defaultIcon];
    } else if (kg::ui::Toolkit* tk = kg::ui::Toolkit::instance()) {
        const QPixmap logo = tk->resources().pixmap(QStringLiteral("ICON:ICON_LOGO"));
        if (!logo.isNull()) {
            icon = QIcon(logo.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    m_tray = std::make_unique<QSystemTrayIcon>(icon);
    m_tray->setToolTip(translate(m_tip));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    onLeftClick();
                } else if (reason == QSystemTrayIcon::Context) {
                    onRightClick();
                }
            });
    m_tray->show();
}

void SShellNotifyIcon::paint(QPainter& /*p*/) {}

void SShellNotifyIcon::retranslate() {
    kg::ui::Window::retranslate();
    if (m_tray) {
        m_tray->setToolTip(translate(m_tip));
    }
}

void SShellNotifyIcon::onLeftClick() {
    kg::ui::HostWnd* window = host();
    if (window == nullptr || window->isDestroyed()) {
        return;
    }
    if (window->isVisible()) {
        window->hide();
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void SShellNotifyIcon::onRightClick() {
    kg::ui::HostWnd* window = host();
    if (m_menuKind == kMenuNone || window == nullptr) {
        return;
    }
    kg::ui::Menu menu;
    if (!menu.load(m_menu, m_menuKind == kMenuClassic ? kg::ui::Menu::Kind::Classic
                                                      : kg::ui::Menu::Kind::Extended)) {
        return;
    }
    menu.track(QCursor::pos(), window, 0, 100);
}
