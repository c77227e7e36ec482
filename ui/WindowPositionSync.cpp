#include "ui/WindowPositionSync.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "ui/UiLog.h"

namespace kg::ui {

WindowPositionSync::WindowPositionSync(QWidget& window) : QObject(&window), m_window(window) {
    // The presses go to the control under the mouse, not to the window itself; the application
    // sees them all first, before the control opens a popup from them.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
    }
}

WindowPositionSync::~WindowPositionSync() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

bool WindowPositionSync::observe(const QPoint& inWindow, const QPoint& onScreen) {
    QWindow* handle = m_window.windowHandle();
    if (!handle || !m_window.isVisible() || !m_window.isWindow()) {
        return false;
    }
    const QPoint offset = onScreen - m_window.mapToGlobal(inWindow);
    if (offset.manhattanLength() <= kToleratedPixels) {
        return false;
    }
    // The stale position is the native window's (popups and the window manager's move are
    // placed from it); the widget's own may well be right, so the native window is told.
    const QPoint believed = handle->position();
    const QPoint real = believed + offset;
    qCInfo(lcUi).noquote() << QStringLiteral(
                                  "window %1 is at %2,%3 on the screen, not at %4,%5: corrected")
                                  .arg(handle->title())
                                  .arg(real.x())
                                  .arg(real.y())
                                  .arg(believed.x())
                                  .arg(believed.y());
    // The window is there already; setting the position only tells Qt so.
    handle->setPosition(real);
    ++m_corrections;
    return true;
}

bool WindowPositionSync::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (auto* widget = qobject_cast<QWidget*>(watched);
            widget && widget->window() == &m_window) {
            const auto* e = static_cast<QMouseEvent*>(event);
            const QPointF inWindow = widget->mapTo(&m_window, e->position());
            observe(inWindow.toPoint(), e->globalPosition().toPoint());
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kg::ui
