#include "ui/HostWnd.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "ui/LayoutBuilder.h"
#include "ui/ScreenFit.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"
#include "ui/WindowPositionSync.h"

namespace kg::ui {

HostWnd::HostWnd(QString layoutResource, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_layoutResource(std::move(layoutResource)),
      m_positionSync(new WindowPositionSync(*this)) {
    m_timelineTimer.setInterval(10);
    connect(&m_timelineTimer, &QTimer::timeout, this, &HostWnd::runTimelineFrame);
}

HostWnd::~HostWnd() {
    if (Toolkit* tk = Toolkit::instance(); tk && tk->mainWindow() == this) {
        tk->setMainWindow(nullptr);
    }
}

bool HostWnd::applyHostAttribute(const QString& attr, const QString& value) {
    const QString a = attr.toLower();
    Toolkit* tk = Toolkit::instance();
    if (a == QLatin1String("size")) {
        bool ok = false;
        const QSize s = Window::parseSize(value, &ok);
        if (!ok) {
            return false;
        }
        setFixedSize(s);
    } else if (a == QLatin1String("title")) {
        m_title = tk ? tk->resolveString(value) : value;
        setWindowTitle(tk ? tk->tr(m_title) : m_title);
    } else if (a == QLatin1String("caption")) {
        bool ok = false;
        m_caption = Window::parseRect(value, &ok);
        return ok;
    } else if (a == QLatin1String("frameless")) {
        setWindowFlag(Qt::FramelessWindowHint, Window::parseBool(value));
    } else if (a == QLatin1String("translucent")) {
        QWidget::setAttribute(Qt::WA_TranslucentBackground, Window::parseBool(value));
    } else {
        return false;
    }
    return true;
}

bool HostWnd::create() {
    if (m_created) {
        return true;
    }
    QByteArray text;
    QString origin = m_layoutResource;
    if (Toolkit* tk = Toolkit::instance()) {
        if (!tk->resources().load(m_layoutResource, &text)) {
            m_created = true;
            makeRoot();
            qCWarning(lcUi) << "window" << m_layoutResource
                            << "has no usable layout; it stays empty";
            return false;
        }
        const QString path = tk->resources().filePath(m_layoutResource);
        if (!path.isEmpty()) {
            origin = path;
        }
    }
    return createFromBuffer(text, origin);
}

void HostWnd::makeRoot() {
    m_root = new Window(this);
    m_root->setName(QStringLiteral("_root"));
}

bool HostWnd::createFromBuffer(const QByteArray& text, const QString& origin) {
    if (m_created) {
        return true;
    }
    m_created = true;
    makeRoot();
    if (!Toolkit::instance()) {
        qCWarning(lcUi) << "window" << m_layoutResource << "created without a toolkit";
        return false;
    }
    pugi::xml_document doc;
    if (!ResourceProvider::parseXml(text, doc, origin, m_layoutResource)) {
        qCWarning(lcUi) << "window" << m_layoutResource << "has no usable layout; it stays empty";
        return false;
    }
    const pugi::xml_node layout = doc.child("layout");
    LayoutBuilder builder(origin, text);
    if (!layout) {
        qCWarning(lcUi).noquote() << QStringLiteral("%1: %2 has no <layout> root element")
                                         .arg(builder.origin(), m_layoutResource);
        return false;
    }
    for (pugi::xml_attribute a = layout.first_attribute(); a; a = a.next_attribute()) {
        const QString n = QString::fromUtf8(a.name());
        const QString v = QString::fromUtf8(a.value());
        if (!applyHostAttribute(n, v) && !m_root->applyAttribute(n, v)) {
            qCWarning(lcUi).noquote() << QStringLiteral("%1: attribute %2 of <layout> is unknown")
                                             .arg(builder.where(layout), n);
        }
    }
    m_root->setGeometry(0, 0, width(), height());
    const bool ok = builder.buildChildren(m_root, layout);
    onCreated();
    // Depth first, parents before children: the whole layout exists when each control hears
    // that it is finished.
    std::function<void(Window*)> finish = [&](Window* w) {
        w->onInitFinished();
        for (QObject* o : w->findChildren<Window*>(Qt::FindDirectChildrenOnly)) {
            finish(static_cast<Window*>(o));
        }
    };
    finish(m_root);
    return ok && builder.errors() == 0;
}

Window* HostWnd::findChildByName(const QString& name, const QString& cls) const {
    return m_root ? m_root->findChildByName(name, cls) : nullptr;
}

Window* HostWnd::findChildById(int id, const QString& cls) const {
    return m_root ? m_root->findChildById(id, cls) : nullptr;
}

bool HostWnd::processMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    result = 0;
    switch (msg) {
        case kMsgInitDialog:
            onInitDialog();
            return true;
        case kMsgCommand:
            // Menu commands carry 0 in the high word; others are taken and ignored.
            if (((wParam >> 16) & 0xFFFF) == 0) {
                onMenuCommand(static_cast<int>(wParam & 0xFFFF));
            }
            return true;
        case kMsgDeviceChange:
            onDeviceChange(wParam, lParam);
            return true;
        case kMsgClose:
            onCloseMessage();
            return true;
        case kMsgDestroy:
            onDestroyMessage();
            return true;
        case kMsgLanguageChanged:
            retranslateAll();
            return true;
        case kMsgSysCommand:
            switch (wParam & 0xFFF0) {
                case kScMinimize:
                    showMinimized();
                    return true;
                case kScMaximize:
                    showMaximized();
                    return true;
                case kScRestore:
                    showNormal();
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

intptr_t HostWnd::sendMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    processMessage(msg, wParam, lParam, result);
    return result;
}

void HostWnd::postMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    QPointer<HostWnd> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, msg, wParam, lParam] {
            if (self && !(self->m_destroyed && msg != kMsgDestroy)) {
                self->sendMessage(msg, wParam, lParam);
            }
        },
        Qt::QueuedConnection);
}

void HostWnd::postNamedCommand(const QString& name, int id) {
    QPointer<HostWnd> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, name, id] {
            if (self && !self->m_destroyed) {
                Event e;
                e.id = kEventCommand;
                e.senderName = name;
                e.senderId = id;
                self->dispatchEvent(e);
            }
        },
        Qt::QueuedConnection);
}

bool HostWnd::dispatchEvent(Event& e) {
    if (e.handled) {
        return true;
    }
    if (onEvent(e)) {
        e.handled = true;
    }
    return e.handled;
}

void HostWnd::notifyDestroy(Window* w) {
    for (QObject* o : w->findChildren<Window*>(Qt::FindDirectChildrenOnly)) {
        notifyDestroy(static_cast<Window*>(o));
    }
    w->onDestroy();
}

void HostWnd::destroyWindow() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    intptr_t result = 0;
    processMessage(kMsgDestroy, 0, 0, result);
    if (m_root) {
        notifyDestroy(m_root);
    }
    m_timelineTimer.stop();
    hide();
    Toolkit* tk = Toolkit::instance();
    if (tk && tk->mainWindow() == this) {
        tk->quit(0);
    }
}

void HostWnd::centerOnScreen() {
    ScreenFit::openCentred(*this, screen());
}

void HostWnd::registerTimelineHandler(ITimelineHandler* handler) {
    if (!handler || std::find(m_timeline.begin(), m_timeline.end(), handler) != m_timeline.end()) {
        return;
    }
    m_timeline.push_back(handler);
    if (m_timelineTimerEnabled && !m_timelineTimer.isActive()) {
        m_timelineTimer.start();
    }
}

void HostWnd::unregisterTimelineHandler(ITimelineHandler* handler) {
    std::erase(m_timeline, handler);
    if (m_timeline.empty()) {
        m_timelineTimer.stop();
    }
}

void HostWnd::runTimelineFrame() {
    // A copy: handlers may unregister themselves while the frame runs.
    const std::vector<ITimelineHandler*> handlers = m_timeline;
    for (ITimelineHandler* h : handlers) {
        if (std::find(m_timeline.begin(), m_timeline.end(), h) != m_timeline.end()) {
            h->onNextFrame();
        }
    }
}

void HostWnd::setTimelineTimerEnabled(bool on) {
    m_timelineTimerEnabled = on;
    if (!on) {
        m_timelineTimer.stop();
    } else if (!m_timeline.empty()) {
        m_timelineTimer.start();
    }
}

void HostWnd::retranslateAll() {
    if (Toolkit* tk = Toolkit::instance(); tk && !m_title.isEmpty()) {
        setWindowTitle(tk->tr(m_title));
    }
    if (!m_root) {
        return;
    }
    m_root->retranslate();
    for (Window* w : m_root->findChildren<Window*>()) {
        w->retranslate();
    }
}

void HostWnd::closeEvent(QCloseEvent* e) {
    // The window manager's close goes through the message map like a close message; the map
    // decides whether the window goes away.
    if (!m_destroyed) {
        e->ignore();
        sendMessage(kMsgClose);
        return;
    }
    e->accept();
}

void HostWnd::mousePressEvent(QMouseEvent* e) {
    // Presses that no control took and that fall in the caption area drag the window.
    if (e->button() == Qt::LeftButton && m_caption.isValid() &&
        m_caption.contains(e->position().toPoint())) {
        beginMove(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void HostWnd::mouseMoveEvent(QMouseEvent* e) {
    if (m_moving && (e->buttons() & Qt::LeftButton)) {
        followMove(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QWidget::mouseMoveEvent(e);
}

void HostWnd::mouseReleaseEvent(QMouseEvent* e) {
    if (m_moving && e->button() == Qt::LeftButton) {
        endMove();
        e->accept();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

void HostWnd::beginMove(const QPoint& globalPos) {
    m_moving = false;
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    // No window manager takes the move (or none runs): follow the mouse ourselves. Only the
    // mouse's own movement counts, so a stale idea of where the window is cannot make it jump.
    m_moving = true;
    m_movePress = globalPos;
    // The native window's position: the press has just brought it in step with the window
    // system (WindowPositionSync); the widget's own may still be catching up.
    m_moveOrigin = windowHandle() ? windowHandle()->framePosition() : pos();
}

void HostWnd::followMove(const QPoint& globalPos) {
    if (m_moving) {
        move(m_moveOrigin + (globalPos - m_movePress));
    }
}

void HostWnd::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
}

}  // namespace kg::ui
