#include "controls/CoordButtonImage.h"

#include <QDir>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "common/Utf.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"

namespace {

QRect rectOf(const CoordButton& key) {
    return QRect(QPoint(key.left, key.top), QPoint(key.right - 1, key.bottom - 1));
}

QString toQString(const std::wstring& s) {
    return QString::fromStdWString(s);
}

}  // namespace

CoordButtonImage::CoordButtonImage(QWidget* parent) : kg::ui::Window(parent) {
    // Hover tracking needs every move, not only those with a button held.
    setMouseTracking(true);
}

CoordButtonImage::~CoordButtonImage() = default;

QPixmap CoordButtonImage::imageOf(const QString& reference) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    if (!tk || reference.isEmpty()) {
        return {};
    }
    if (tk->resources().has(reference)) {
        return tk->resources().pixmap(reference);
    }
    // A skin name works too: its picture.
    if (const kg::ui::Skin* s = tk->skin(reference)) {
        return s->image;
    }
    return tk->resources().pixmap(reference);
}

bool CoordButtonImage::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("bg")) {
        m_background = imageOf(value);
    } else if (a == QLatin1String("chking")) {
        m_hoverOverlay = imageOf(value);
    } else if (a == QLatin1String("chked")) {
        m_checkedOverlay = imageOf(value);
    } else if (a == QLatin1String("crdxml")) {
        m_layoutPath = value.toStdWString();
    } else if (a == QLatin1String("type")) {
        m_type = parseInt(value, 0);
    } else {
        return kg::ui::Window::applyAttribute(name, value);
    }
    update();
    return true;
}

std::wstring CoordButtonImage::layoutFile() const {
    // The start-up makes the program folder the current folder, so relative resource paths
    // resolve against it; this also holds for a program folder other than the executable's.
    return kg::keyLayoutPath(QDir::currentPath().toStdWString(), m_layoutPath);
}

void CoordButtonImage::loadLayout() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    if (m_layoutPath.empty()) {
        return;
    }
    kg::loadKeyLayout(layoutFile(), m_defaultColour, m_keys);
}

void CoordButtonImage::onCreate() {
    loadLayout();
    kg::ui::Window::onCreate();
}

void CoordButtonImage::retranslate() {
    // The tips are set translated by their owner; the image has no text of its own.
    update();
}

void CoordButtonImage::drawOverlay(QPainter& p, const QPixmap& overlay,
                                   int CoordButton::*mark) const {
    if (overlay.isNull()) {
        return;
    }
    const qreal dpr = overlay.devicePixelRatio();
    for (const CoordButton& key : m_keys) {
        if (!(key.*mark)) {
            continue;
        }
        const QRect r = rectOf(key);
        if (r.isEmpty()) {
            continue;
        }
        // The overlay has the picture's geometry: the key's rectangle is the same in both.
        const QRectF source(r.left() * dpr, r.top() * dpr, r.width() * dpr, r.height() * dpr);
        p.drawPixmap(QRectF(r), overlay, source);
    }
}

void CoordButtonImage::paint(QPainter& p) {
    p.save();
    p.setOpacity(1.0);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const CoordButton& key : m_keys) {
        const QRect r = rectOf(key);
        if (!r.isEmpty()) {
            p.fillRect(r, QColor(static_cast<QRgb>(key.colour)));
        }
    }
    if (!m_background.isNull()) {
        p.drawPixmap(rect(), m_background);
    }
    drawOverlay(p, m_hoverOverlay, &CoordButton::hover);
    drawOverlay(p, m_checkedOverlay, &CoordButton::checked);
    p.restore();
}

void CoordButtonImage::setKeyTip(int id, const std::wstring& text) {
    for (CoordButton& key : m_keys) {
        if (id == kAllKeys || key.id == id) {
            key.tip = text;
            if (id != kAllKeys) {
                break;
            }
        }
    }
    update();
}

void CoordButtonImage::setKeyChecked(int id, int value) {
    for (CoordButton& key : m_keys) {
        if (id == kAllKeys || key.id == id) {
            key.checked = value ? 1 : 0;
            if (id != kAllKeys) {
                break;
            }
        }
    }
    update();
}

void CoordButtonImage::toggleKeyChecked(int id) {
    for (CoordButton& key : m_keys) {
        if (id == kAllKeys || key.id == id) {
            key.checked = key.checked ? 0 : 1;
            if (id != kAllKeys) {
                break;
            }
        }
    }
    update();
}

bool CoordButtonImage::findKey(int id, CoordButton& out) const {
    for (const CoordButton& key : m_keys) {
        if (key.id == id) {
            out = key;
            return true;
        }
    }
    return false;
}

std::uintptr_t CoordButtonImage::keyStateOf(const QMouseEvent& e) {
    std::uintptr_t s = 0;
    const Qt::MouseButtons b = e.buttons();
    if (b & Qt::LeftButton)
        s |= kKeyLButton;
    if (b & Qt::RightButton)
        s |= kKeyRButton;
    if (b & Qt::MiddleButton)
        s |= kKeyMButton;
    if (e.modifiers() & Qt::ShiftModifier)
        s |= kKeyShift;
    if (e.modifiers() & Qt::ControlModifier)
        s |= kKeyControl;
    return s;
}

void CoordButtonImage::setTipText(const QString& text, const QPoint& globalPos) {
    if (text == m_tipText) {
        return;
    }
    m_tipText = text;
    setToolTip(text);
    // A tooltip already on screen follows the key under the mouse.
    if (QToolTip::isVisible()) {
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(globalPos, text, this);
        }
    }
}

void CoordButtonImage::enterEvent(QEnterEvent* e) {
    // Entering changes nothing; the first move marks the key.
    QWidget::enterEvent(e);
}

void CoordButtonImage::leaveEvent(QEvent* e) {
    for (CoordButton& key : m_keys) {
        key.hover = 0;
    }
    setTipText(QString(), QPoint());
    update();
    QWidget::leaveEvent(e);
}

void CoordButtonImage::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    const CoordButton* last = nullptr;
    for (CoordButton& key : m_keys) {
        key.hover = key.contains(pt.x(), pt.y()) ? 1 : 0;
        if (key.hover) {
            last = &key;
        }
    }
    setTipText(last ? toQString(last->tip.empty() ? last->name : last->tip) : QString(),
               e->globalPosition().toPoint());
    update();
    e->accept();
}

CoordButton* CoordButtonImage::firstKeyAt(const QPoint& pt) {
    for (CoordButton& key : m_keys) {
        if (key.contains(pt.x(), pt.y())) {
            return &key;
        }
    }
    return nullptr;
}

void CoordButtonImage::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    e->accept();
    const QPoint pt = e->position().toPoint();
    if (CoordButton* key = firstKeyAt(pt)) {
        dispatch(kPress, *key, keyStateOf(*e), pt.x(), pt.y());
        key->pressed = 1;
        update();
    }
}

void CoordButtonImage::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    e->accept();
    const QPoint pt = e->position().toPoint();
    if (CoordButton* key = firstKeyAt(pt); key && key->pressed) {
        dispatch(kClick, *key, keyStateOf(*e), pt.x(), pt.y());
    }
    for (CoordButton& key : m_keys) {
        key.pressed = 0;
    }
    update();
}

void CoordButtonImage::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a double click is a double-click message, not a press: it neither
    // reports a press nor arms a click, so a double click is one press and one click.
    e->accept();
}

void CoordButtonImage::dispatch(int kind, CoordButton& key, std::uintptr_t keyState, int x, int y) {
    if (m_listener && m_listener->onCoordButtonClick(key.id, key.name, kind, keyState, x, y) != 0) {
        return;
    }
    if (kind != kPress) {
        return;
    }
    if (m_type == kSelectSingle) {
        for (CoordButton& k : m_keys) {
            k.checked = 0;
        }
        key.checked = key.checked ? 0 : 1;
    } else if (m_type == kSelectMultiple) {
        key.checked = key.checked ? 0 : 1;
    }
    update();
}
