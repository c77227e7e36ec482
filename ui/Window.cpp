#include "ui/Window.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/HostWnd.h"
#include "ui/LayoutBuilder.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

Window::Window(QWidget* parent) : QWidget(parent) {
    if (Toolkit* tk = Toolkit::instance()) {
        m_textColor = tk->color(QStringLiteral("text"));
    }
    if (!m_textColor.isValid()) {
        m_textColor = QColor(0xE6, 0xE9, 0xEF);
    }
}

Window::~Window() = default;

QString Window::className() const {
    return m_factoryTags.isEmpty() ? ownClassName() : m_factoryTags.first();
}

bool Window::isClass(QStringView tag) const {
    for (const QString& t : m_factoryTags) {
        if (t.compare(tag, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return matchesClass(tag);
}

void Window::setName(const QString& name) {
    m_name = name;
    setObjectName(name);
}

HostWnd* Window::host() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* h = qobject_cast<HostWnd*>(w)) {
            return h;
        }
    }
    return nullptr;
}

Window* Window::parentWindow() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* p = qobject_cast<Window*>(w)) {
            return p;
        }
    }
    return nullptr;
}

bool Window::parseBool(const QString& v) {
    return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

int Window::parseInt(const QString& v, int fallback) {
    bool ok = false;
    const QString t = v.trimmed();
    int n = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        n = static_cast<int>(t.mid(2).toUInt(&ok, 16));
    } else {
        n = t.toInt(&ok, 10);
    }
    return ok ? n : fallback;
}

QRect Window::parseRect(const QString& v, bool* ok) {
    const QStringList parts = v.split(QLatin1Char(','));
    bool good = parts.size() == 4 || parts.size() == 2;
    int n[4] = {0, 0, -1, -1};
    for (int i = 0; good && i < parts.size(); ++i) {
        bool one = false;
        n[i] = parts[i].trimmed().toInt(&one);
        good = one;
    }
    if (ok) {
        *ok = good;
    }
    return good ? QRect(n[0], n[1], n[2], n[3]) : QRect();
}

QSize Window::parseSize(const QString& v, bool* ok) {
    const QStringList parts = v.split(QLatin1Char(','));
    bool a = false, b = false;
    QSize s;
    if (parts.size() == 2) {
        s = QSize(parts[0].trimmed().toInt(&a), parts[1].trimmed().toInt(&b));
    }
    if (ok) {
        *ok = a && b;
    }
    return s;
}

namespace {
int parseAlign(const QString& v, int current) {
    int h = current & Qt::AlignHorizontal_Mask;
    int vert = current & Qt::AlignVertical_Mask;
    for (const QString& part : v.split(QLatin1Char('|'))) {
        const QString p = part.trimmed().toLower();
        if (p == QLatin1String("left"))
            h = Qt::AlignLeft;
        else if (p == QLatin1String("center"))
            h = Qt::AlignHCenter;
        else if (p == QLatin1String("right"))
            h = Qt::AlignRight;
        else if (p == QLatin1String("top"))
            vert = Qt::AlignTop;
        else if (p == QLatin1String("middle") || p == QLatin1String("vcenter"))
            vert = Qt::AlignVCenter;
        else if (p == QLatin1String("bottom"))
            vert = Qt::AlignBottom;
    }
    return h | vert;
}
}  // namespace

const Skin* Window::skinAttribute(const QString& value) const {
    Toolkit* tk = Toolkit::instance();
    const Skin* s = tk ? tk->findSkin(value) : nullptr;
    if (!s) {
        qCWarning(lcUi) << className() << m_name << ": skin" << value << "is not defined";
    }
    return s;
}

bool Window::applyAttribute(const QString& attr, const QString& value) {
    Toolkit* tk = Toolkit::instance();
    const QString a = attr.toLower();
    if (a == QLatin1String("name")) {
        setName(value);
    } else if (a == QLatin1String("id")) {
        m_id = parseInt(value, m_id);
    } else if (a == QLatin1String("pos")) {
        bool ok = false;
        QRect r = parseRect(value, &ok);
        if (!ok) {
            return false;
        }
        QSize want = r.size();
        if (want.width() < 0 || want.height() < 0) {
            // A two-part position keeps a size the layout gave in "size" (applied just before);
            // only a size left open comes from the control's desired size.
            const QSize d = m_sizeGiven ? size() : desiredSize();
            want = QSize(want.width() < 0 ? d.width() : want.width(),
                         want.height() < 0 ? d.height() : want.height());
        }
        setGeometry(QRect(r.topLeft(), want));
    } else if (a == QLatin1String("size")) {
        bool ok = false;
        QSize s = parseSize(value, &ok);
        if (!ok) {
            return false;
        }
        if (s.width() < 0 || s.height() < 0) {
            const QSize d = desiredSize();
            s = QSize(s.width() < 0 ? d.width() : s.width(),
                      s.height() < 0 ? d.height() : s.height());
        }
        m_sizeGiven = true;
        resize(s);
    } else if (a == QLatin1String("text")) {
        setText(tk ? tk->resolveString(value) : value);
    } else if (a == QLatin1String("tip")) {
        setToolTip(translate(tk ? tk->resolveString(value) : value));
        setProperty("kg_tip_source", tk ? tk->resolveString(value) : value);
    } else if (a == QLatin1String("visible") || a == QLatin1String("show")) {
        setVisible(parseBool(value));
    } else if (a == QLatin1String("enable")) {
        setEnabled(parseBool(value));
    } else if (a == QLatin1String("skin")) {
        setSkin(skinAttribute(value));
    } else if (a == QLatin1String("colortext")) {
        setTextColor(tk ? tk->parseColor(value) : QColor(value));
    } else if (a == QLatin1String("colorbkgnd")) {
        setBackgroundColor(tk ? tk->parseColor(value) : QColor(value));
    } else if (a == QLatin1String("colorborder")) {
        m_borderColor = tk ? tk->parseColor(value) : QColor(value);
    } else if (a == QLatin1String("radius")) {
        m_radius = parseInt(value);
    } else if (a == QLatin1String("font")) {
        // "size:14,bold:1,face:Name"
        QFont f = m_hasFont ? m_font : font();
        for (const QString& part : value.split(QLatin1Char(','))) {
            const QString k = part.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
            const QString v = part.section(QLatin1Char(':'), 1).trimmed();
            if (k == QLatin1String("size"))
                f.setPixelSize(parseInt(v, 13));
            else if (k == QLatin1String("bold"))
                f.setBold(parseBool(v));
            else if (k == QLatin1String("italic"))
                f.setItalic(parseBool(v));
            else if (k == QLatin1String("face"))
                f.setFamily(v);
        }
        m_font = f;
        m_hasFont = true;
        setFont(f);
    } else if (a == QLatin1String("align")) {
        m_align = parseAlign(value, m_align);
    } else if (a == QLatin1String("textoffset")) {
        bool ok = false;
        const QSize s = parseSize(value, &ok);
        m_textOffset = ok ? QPoint(s.width(), s.height()) : QPoint();
    } else if (a == QLatin1String("multilines") || a == QLatin1String("wordwrap")) {
        m_wrap = parseBool(value);
    } else if (a == QLatin1String("drag")) {
        m_drag = parseBool(value);
    } else if (a == QLatin1String("data")) {
        m_data = parseInt(value);
    } else if (a == QLatin1String("cursor")) {
        if (value.compare(QLatin1String("hand"), Qt::CaseInsensitive) == 0) {
            setCursor(Qt::PointingHandCursor);
        }
    } else {
        return false;
    }
    return true;
}

bool Window::createChildren(const pugi::xml_node& node, LayoutBuilder& builder) {
    return builder.buildChildren(this, node);
}

QString Window::translate(const QString& source) const {
    Toolkit* tk = Toolkit::instance();
    return tk ? tk->tr(source) : source;
}

void Window::setText(const QString& source) {
    m_text = source;
    update();
}

QString Window::displayText() const {
    return translate(m_text);
}

void Window::retranslate() {
    const QVariant tip = property("kg_tip_source");
    if (tip.isValid()) {
        setToolTip(translate(tip.toString()));
    }
    update();
}

void Window::modifyState(unsigned add, unsigned remove) {
    const unsigned old = m_state;
    m_state = (m_state & ~remove) | add;
    if (old != m_state) {
        onStateChanged(old, m_state);
    }
}

void Window::onStateChanged(unsigned, unsigned) {
    update();
}

void Window::setChecked(bool checked) {
    modifyState(checked ? kStateChecked : 0, checked ? 0 : kStateChecked);
}

void Window::setSkin(const Skin* s) {
    m_skin = s;
    update();
}

void Window::setTextColor(const QColor& c) {
    m_textColor = c;
    update();
}

void Window::setBackgroundColor(const QColor& c) {
    m_bgColor = c;
    update();
}

int Window::skinState() const {
    if (m_state & kStateDisabled)
        return 3;
    if (m_state & kStatePressed)
        return 2;
    if (m_state & kStateHover)
        return 1;
    return 0;
}

void Window::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    // Over whatever the control painted, so that every class shows it the same way.
    if (m_state & kStateFocus) {
        drawFocus(p);
    }
}

void Window::paint(QPainter& p) {
    paintBackground(p);
    paintText(p);
}

void Window::paintBackground(QPainter& p) {
    if (m_bgColor.isValid() || m_borderColor.isValid()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, m_radius > 0);
        p.setPen(m_borderColor.isValid() ? QPen(m_borderColor, 1) : Qt::NoPen);
        p.setBrush(m_bgColor.isValid() ? QBrush(m_bgColor) : Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
        p.restore();
    }
    if (m_skin) {
        m_skin->draw(p, rect(), skinState());
    }
}

void Window::paintText(QPainter& p) {
    const QString t = displayText();
    if (t.isEmpty()) {
        return;
    }
    QColor c = m_textColor;
    if (m_state & kStateDisabled) {
        c.setAlpha(110);
    }
    p.setPen(c);
    p.setFont(font());
    p.drawText(textRect(), m_align | (m_wrap ? Qt::TextWordWrap : Qt::TextSingleLine), t);
}

QRect Window::textRect() const {
    return rect().adjusted(m_textOffset.x(), m_textOffset.y(), 0, 0);
}

void Window::drawFocus(QPainter& p) {
    Toolkit* tk = Toolkit::instance();
    QColor accent = tk ? tk->color(QStringLiteral("focus")) : QColor();
    if (!accent.isValid()) {
        accent = tk ? tk->color(QStringLiteral("accent")) : QColor();
    }
    if (!accent.isValid()) {
        accent = QColor(0x35, 0xC8, 0xFF);
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(accent, 2));
    p.setBrush(Qt::NoBrush);
    const qreal radius = m_radius > 0 ? m_radius : 6;
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius, radius);
    p.restore();
}

QSize Window::desiredSize() const {
    if (m_skin && !m_skin->size().isEmpty()) {
        return m_skin->size();
    }
    const QString t = displayText();
    if (!t.isEmpty()) {
        const QFontMetrics fm(font());
        return QSize(fm.horizontalAdvance(t) + 4, fm.height() + 4);
    }
    return QSize(0, 0);
}

void Window::subscribe(int eventId, EventHandler handler) {
    if (handler) {
        m_handlers[eventId].push_back(std::move(handler));
    }
}

bool Window::subscribe(const QString& eventNameText, EventHandler handler) {
    int id = eventIdByName(eventNameText);
    for (const auto& [ownId, ownName] : m_ownEvents) {
        if (ownName.compare(eventNameText, Qt::CaseInsensitive) == 0) {
            id = ownId;
        }
    }
    if (id == 0) {
        qCWarning(lcUi) << "control" << m_name << ": no event named" << eventNameText;
        return false;
    }
    subscribe(id, std::move(handler));
    return true;
}

void Window::addEvent(int id, const QString& eventNameText) {
    m_ownEvents[id] = eventNameText;
    if (eventName(id).isEmpty()) {
        declareEvent(id, eventNameText);
    }
}

bool Window::hasEvent(int id) const {
    return m_ownEvents.count(id) != 0 || !eventName(id).isEmpty();
}

bool Window::fireEvent(Event& e) {
    e.sender = this;
    e.senderName = m_name;
    e.senderId = m_id;
    // Copy: a handler may subscribe further handlers while it runs.
    const auto it = m_handlers.find(e.id);
    if (it != m_handlers.end()) {
        const std::vector<EventHandler> handlers = it->second;
        for (const EventHandler& h : handlers) {
            if (h(e)) {
                e.handled = true;
            }
            if (e.handled) {
                return true;
            }
        }
    }
    if (HostWnd* h = host()) {
        return h->dispatchEvent(e);
    }
    return e.handled;
}

bool Window::fireEvent(int eventId) {
    Event e;
    e.id = eventId;
    return fireEvent(e);
}

void Window::onMouseHover() {
    fireEvent(kEventMouseHover);
}

void Window::onMouseLeave() {
    fireEvent(kEventMouseLeave);
}

void Window::onClick() {
    fireEvent(kEventClick);
}

void Window::enterEvent(QEnterEvent* e) {
    modifyState(kStateHover, 0);
    onMouseHover();
    QWidget::enterEvent(e);
}

void Window::leaveEvent(QEvent* e) {
    modifyState(0, kStateHover | kStatePressed);
    m_pressedInside = false;
    onMouseLeave();
    QWidget::leaveEvent(e);
}

void Window::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && m_drag) {
        if (HostWnd* h = host()) {
            h->beginMove(e->globalPosition().toPoint());
        }
        e->accept();
        return;
    }
    if (!isClickable() || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    m_pressedInside = true;
    modifyState(kStatePressed, 0);
    e->accept();
}

void Window::mouseMoveEvent(QMouseEvent* e) {
    if (m_drag && (e->buttons() & Qt::LeftButton)) {
        if (HostWnd* h = host()) {
            h->followMove(e->globalPosition().toPoint());
        }
        e->accept();
        return;
    }
    QWidget::mouseMoveEvent(e);
}

void Window::mouseReleaseEvent(QMouseEvent* e) {
    if (m_drag && e->button() == Qt::LeftButton) {
        if (HostWnd* h = host()) {
            h->endMove();
        }
        e->accept();
        return;
    }
    if (!isClickable() || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const bool click = m_pressedInside && rect().contains(e->position().toPoint());
    m_pressedInside = false;
    modifyState(0, kStatePressed);
    e->accept();
    if (click && isEnabled()) {
        onClick();
    }
}

void Window::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        modifyState(isEnabled() ? 0 : kStateDisabled, isEnabled() ? kStateDisabled : 0);
    }
    QWidget::changeEvent(e);
}

void Window::focusInEvent(QFocusEvent* e) {
    // A click gives the focus without the mark; the keyboard shows it. When the window comes
    // back to the front (or a popup closes) the mark comes back as it was.
    bool mark = true;
    switch (e->reason()) {
        case Qt::MouseFocusReason:
            mark = false;
            break;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            mark = m_markBeforeLeaving;
            break;
        default:
            break;
    }
    modifyState(mark ? kStateFocus : 0, mark ? 0 : kStateFocus);
    QWidget::focusInEvent(e);
}

void Window::focusOutEvent(QFocusEvent* e) {
    const bool windowLeft =
        e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
    m_markBeforeLeaving = windowLeft ? (state() & kStateFocus) != 0 : true;
    modifyState(0, kStateFocus);
    QWidget::focusOutEvent(e);
}

std::vector<Window*> Window::childWindows() const {
    std::vector<Window*> out;
    for (QObject* o : children()) {
        if (auto* w = qobject_cast<Window*>(o)) {
            out.push_back(w);
        }
    }
    return out;
}

namespace {
Window* findDepthFirst(const QObject* parent, const std::function<bool(Window*)>& match) {
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<Window*>(o);
        if (w && match(w)) {
            return w;
        }
        // Controls may sit inside plain Qt widgets (scroll areas); look through them too.
        if (Window* found = findDepthFirst(o, match)) {
            return found;
        }
    }
    return nullptr;
}

Window* checkClass(Window* w, const QString& cls, const QString& what) {
    if (w && !cls.isEmpty() && !w->isClass(cls)) {
        qCWarning(lcUi).noquote() << QStringLiteral("control %1 is a \"%2\", not a \"%3\"")
                                         .arg(what, w->className(), cls);
        return nullptr;
    }
    return w;
}
}  // namespace

Window* Window::findChildByName(const QString& childName, const QString& cls) const {
    if (childName.isEmpty()) {
        return nullptr;
    }
    Window* w = findDepthFirst(this, [&](Window* c) { return c->name() == childName; });
    return checkClass(w, cls, childName);
}

Window* Window::findChildById(int childId, const QString& cls) const {
    if (childId == 0) {
        return nullptr;
    }
    Window* w = findDepthFirst(this, [&](Window* c) { return c->id() == childId; });
    return checkClass(w, cls, QString::number(childId));
}

}  // namespace kg::ui
