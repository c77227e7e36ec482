#include "mainwnd/SShellNotifyIcon.h"

#include <QCursor>
#include <QPixmap>

#include "ui/HostWnd.h"
#include "ui/Menu.h"
#include "ui/Toolkit.h"

namespace {

// At most `limit` UTF-16 units, without cutting a surrogate pair in half.
QString clipped(const QString& text, int limit) {
    if (text.size() <= limit) {
        return text;
    }
    int length = limit;
    if (text.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return text.left(length);
}

}  // namespace

SShellNotifyIcon::SShellNotifyIcon(QWidget* parent) : kg::ui::Window(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&m_animation, &QTimer::timeout, this, &SShellNotifyIcon::showNextFrame);
}

// The icon stays in the notification area until the process ends, as the shell keeps it.
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
    showIcon(m_icons.empty() ? -1 : static_cast<int>(m_defaultIcon));
    addIcon();
}

void SShellNotifyIcon::showIcon(int index) {
    m_current = index;
    if (index >= 0 && index < iconCount()) {
        m_currentIcon = m_icons[static_cast<std::size_t>(index)];
    } else {
        m_current = -1;
        m_currentIcon = QIcon();
        if (kg::ui::Toolkit* tk = kg::ui::Toolkit::instance()) {
            const QPixmap logo = tk->resources().pixmap(QStringLiteral("ICON:ICON_LOGO"));
            if (!logo.isNull()) {
                m_currentIcon = QIcon(logo.scaled(kLogoSize, kLogoSize, Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation));
            }
        }
    }
    modifyIcon();
}

QString SShellNotifyIcon::shownTip() const {
    return clipped(translate(m_tip), kMaxTipLength);
}

bool SShellNotifyIcon::addIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        connect(m_tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        onLeftClick();
                    } else if (reason == QSystemTrayIcon::Context) {
                        onRightClick();
                    }
                });
    }
    m_tray->setIcon(m_currentIcon);
    m_tray->setToolTip(shownTip());
    m_tray->show();
    return true;
}

bool SShellNotifyIcon::modifyIcon() {
    if (!m_tray) {
        return false;
    }
    m_tray->setIcon(m_currentIcon);
    m_tray->setToolTip(shownTip());
    return true;
}

void SShellNotifyIcon::removeIcon() {
    if (m_tray) {
        m_tray->hide();
    }
}

bool SShellNotifyIcon::startAnimation(int duration_ms) {
    if (m_startFrame < 0 || iconCount() - m_startFrame < kMinAnimationFrames || duration_ms <= 0) {
        return false;
    }
    m_duration_ms = duration_ms;
    m_frame = m_startFrame;
    showIcon(m_frame);
    m_animation.start(duration_ms);
    return true;
}

void SShellNotifyIcon::stopAnimation() {
    if (!m_animation.isActive()) {
        return;
    }
    m_animation.stop();
    showIcon(m_icons.empty() ? -1 : static_cast<int>(m_defaultIcon));
}

void SShellNotifyIcon::showNextFrame() {
    if (m_icons.empty()) {
        return;
    }
    ++m_frame;
    if (m_frame >= iconCount() || m_frame < m_startFrame) {
        m_frame = m_startFrame;
    }
    showIcon(m_frame);
}

bool SShellNotifyIcon::setDefaultIcon(unsigned index) {
    if (index >= m_icons.size()) {
        return false;
    }
    m_defaultIcon = index;
    if (!m_animation.isActive()) {
        showIcon(static_cast<int>(index));
    }
    return true;
}

void SShellNotifyIcon::paint(QPainter& /*p*/) {}

void SShellNotifyIcon::retranslate() {
    kg::ui::Window::retranslate();
    modifyIcon();
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
