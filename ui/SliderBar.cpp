#include "ui/SliderBar.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include "ui/Skin.h"
#include "ui/Toolkit.h"

namespace kg::ui {

SliderBar::SliderBar(QWidget* parent) : Window(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

bool SliderBar::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("min")) {
        setRange(parseInt(value, 0), m_max);
    } else if (a == QLatin1String("max")) {
        setRange(m_min, parseInt(value, 100));
    } else if (a == QLatin1String("value")) {
        setValue(parseInt(value, m_min));
    } else if (a == QLatin1String("vertical")) {
        m_vertical = parseBool(value);
    } else if (a == QLatin1String("bkgndskin")) {
        m_track = skinAttribute(value);
    } else if (a == QLatin1String("posskin")) {
        m_pos = skinAttribute(value);
    } else if (a == QLatin1String("thumbskin")) {
        m_thumb = skinAttribute(value);
    } else {
        return Window::applyAttribute(name, value);
    }
    update();
    return true;
}

void SliderBar::setRange(int min, int max) {
    m_min = min;
    m_max = max < min ? min : max;
    setValue(m_value);
}

int SliderBar::setValue(int v) {
    m_value = v < m_min ? m_min : (v > m_max ? m_max : v);
    update();
    return m_value;
}

QSize SliderBar::thumbSize() const {
    if (m_thumb && !m_thumb->size().isEmpty()) {
        return m_thumb->size();
    }
    return QSize(16, 16);
}

QRect SliderBar::thumbRect() const {
    return thumbRectAt(m_value);
}

QRect SliderBar::thumbRectAt(int value) const {
    const QSize t = thumbSize();
    const int span = m_max - m_min;
    const double f = span > 0 ? double(value - m_min) / span : 0.0;
    if (m_vertical) {
        const int travel = height() - t.height();
        return QRect((width() - t.width()) / 2, int(travel * (1.0 - f) + 0.5), t.width(),
                     t.height());
    }
    const int travel = width() - t.width();
    return QRect(int(travel * f + 0.5), (height() - t.height()) / 2, t.width(), t.height());
}

void SliderBar::paint(QPainter& p) {
    paintBackground(p);
    const QRect thumb = thumbRect();
    const QRect track = trackRect();
    const int trackH = m_vertical ? track.width() : track.height();
    const QRect filled =
        m_vertical
            ? QRect(track.left(), thumb.center().y(), trackH, track.bottom() - thumb.center().y())
            : QRect(track.left(), track.top(), thumb.center().x() - track.left(), trackH);
    Toolkit* tk = Toolkit::instance();
    QColor accent = tk ? tk->color(QStringLiteral("accent")) : QColor();
    if (!accent.isValid())
        accent = QColor(0x35, 0xC8, 0xFF);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // A disabled slider edits nothing; it reads as such.
    if (state() & kStateDisabled) {
        p.setOpacity(0.35);
    }
    if (m_track) {
        m_track->draw(p, track, 0);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x26, 0x2C, 0x38));
        p.drawRoundedRect(track, trackH / 2.0, trackH / 2.0);
    }
    if (m_pos) {
        m_pos->draw(p, filled, 0);
    } else if (!filled.isEmpty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawRoundedRect(filled, trackH / 2.0, trackH / 2.0);
    }
    const int st = (state() & kStateDisabled) ? 3
                   : m_dragging               ? 2
                   : (state() & kStateHover)  ? 1
                                              : 0;
    const int span = m_max - m_min;
    if (span > 0 && span <= kMaxSteps) {
        QColor mark = tk ? tk->color(QStringLiteral("text_secondary")) : QColor();
        if (!mark.isValid()) {
            mark = QColor(0x8B, 0x93, 0xA7);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        for (int v = m_min; v <= m_max; ++v) {
            p.drawRoundedRect(QRectF(stepMark(v)), 1, 1);
        }
    }
    if (m_thumb) {
        m_thumb->draw(p, thumb, st);
    } else {
        p.setPen(QPen(accent, 2));
        p.setBrush(QColor(0xE6, 0xE9, 0xEF));
        p.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
    }
    p.restore();
}

int SliderBar::valueAt(const QPoint& pt) const {
    const QSize t = thumbSize();
    const int span = m_max - m_min;
    double f = 0;
    if (m_vertical) {
        const int travel = height() - t.height();
        f = travel > 0 ? 1.0 - double(pt.y() - t.height() / 2) / travel : 0;
    } else {
        const int travel = width() - t.width();
        f = travel > 0 ? double(pt.x() - t.width() / 2) / travel : 0;
    }
    f = f < 0 ? 0 : (f > 1 ? 1 : f);
    return m_min + int(f * span + 0.5);
}

QRect SliderBar::trackRect() const {
    const QSize thumb = thumbSize();
    const int trackH = m_track && !m_track->size().isEmpty() ? m_track->size().height() : 6;
    if (m_vertical) {
        return QRect((width() - trackH) / 2, thumb.height() / 2, trackH, height() - thumb.height());
    }
    return QRect(thumb.width() / 2, (height() - trackH) / 2, width() - thumb.width(), trackH);
}

QRect SliderBar::stepMark(int value) const {
    const QPoint at = thumbRectAt(value < m_min ? m_min : (value > m_max ? m_max : value)).center();
    const QRect track = trackRect();
    // Beside the track, so that the filled part and the thumb leave them readable.
    if (m_vertical) {
        return QRect(track.right() + 4, at.y() - 1, 4, 2);
    }
    return QRect(at.x() - 1, track.bottom() + 4, 2, 4);
}

QString SliderBar::valueText() const {
    return QStringLiteral("%1 / %2").arg(m_value - m_min).arg(m_max - m_min);
}

void SliderBar::showValueTip() {
    // Above the thumb, where the pointer does not cover it.
    const QRect thumb = thumbRect();
    QToolTip::showText(mapToGlobal(QPoint(thumb.left(), -thumb.height() - 12)), valueText(), this);
}

bool SliderBar::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        const QString own = toolTip();
        const auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(),
                           own.isEmpty() ? valueText() : own + QStringLiteral(": ") + valueText(),
                           this);
        return true;
    }
    return Window::event(e);
}

void SliderBar::moveByUser(int v) {
    const int old = m_value;
    setValue(v);
    if (m_value != old) {
        showValueTip();
        Event e;
        e.id = kEventSliderPos;
        e.value = m_value;
        fireEvent(e);
    }
}

void SliderBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !isEnabled()) {
        e->ignore();
        return;
    }
    m_dragging = true;
    moveByUser(valueAt(e->position().toPoint()));
    update();
    e->accept();
}

void SliderBar::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging) {
        moveByUser(valueAt(e->position().toPoint()));
    }
    e->accept();
}

void SliderBar::mouseReleaseEvent(QMouseEvent* e) {
    if (m_dragging) {
        m_dragging = false;
        update();
    }
    e->accept();
}

}  // namespace kg::ui

namespace kg::ui {

void SliderBar::keyPressEvent(QKeyEvent* e) {
    const int page = qMax(1, (m_max - m_min) / 5);
    int target = m_value;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            target = m_value - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            target = m_value + 1;
            break;
        case Qt::Key_PageDown:
            target = m_value - page;
            break;
        case Qt::Key_PageUp:
            target = m_value + page;
            break;
        case Qt::Key_Home:
            target = m_min;
            break;
        case Qt::Key_End:
            target = m_max;
            break;
        default:
            Window::keyPressEvent(e);
            return;
    }
    e->accept();
    if (isEnabled()) {
        moveByUser(target);
    }
}

void SliderBar::wheelEvent(QWheelEvent* e) {
    if (!isEnabled()) {
        e->ignore();
        return;
    }
    // A notch is 120 units; touchpads send smaller parts, which add up.
    m_wheelRest += e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    const int steps = m_wheelRest / 120;
    m_wheelRest -= steps * 120;
    if (steps != 0) {
        moveByUser(m_value + steps);
    }
    e->accept();
}

}  // namespace kg::ui
